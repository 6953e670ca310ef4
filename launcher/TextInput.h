// Reading the launcher's small text files (the language texts and the launch
// options): one owner that closes a C file, and one reader of decimal numbers.
// Portable.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct cFileCloser {
  void operator()(FILE* file) const { fclose(file); }
};
using FilePtr = std::unique_ptr<FILE, cFileCloser>;

// Reads one decimal integer at text as "%d" and atoi do: white space, an optional
// sign, digits. A value beyond the range of a 32-bit int is held at the nearer end
// of the range. Returns the position just behind the digits; null (value set to 0)
// when no digit follows the white space and sign.
const char* ReadDecimal(const char* text, int32_t* value);

// Reads the whole file into content, at most limit bytes (the rest is left out).
// False when it cannot be read.
bool ReadFileText(FILE* file, size_t limit, std::string* content);
