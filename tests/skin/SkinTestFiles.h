// Test helpers for the skin tests: TGA files built byte by byte, a scratch folder
// per test, and a file writer.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Bytes from a list of values 0 to 255.
std::string Bytes(const std::vector<int>& values);
// text repeated count times.
std::string Repeat(const std::string& text, int count);

// The fields of a TGA header that the reader looks at.
struct TgaHeader {
  int type;
  int width;
  int height;
  int depth;
  int idLength = 0;
  int descriptor = 0;
};
// An 18-byte header, idLength bytes of ID field, then body.
std::string MakeTga(const TgaHeader& header, const std::string& body);

// A fresh, empty folder under the test's working directory, removed afterwards.
class ScratchDir {
public:
  explicit ScratchDir(const std::string& name);
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The folder as the skin code takes it: a narrow path ending in "/".
  std::string Folder() const;

private:
  std::filesystem::path m_path;
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes);
std::string ReadFile(const std::filesystem::path& path);
