// A small archive writer for tests, written independently of kqpack's writer: it lays
// out honest records for each entry and then applies the damage a test asks for, so
// tests can show one fault at a time. Offsets are relative to the archive's start;
// a prefix is placed in front without adjusting them, as self-extractors do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct TestEntry {
  std::string name;   // stored name bytes, "/" separators as most tools write them
  std::string data;   // the uncompressed content
  uint16_t method = 8;
  uint16_t madeBy = 0x0014;       // high byte: the system (0 DOS, 3 Unix, ...)
  uint32_t externalAttr = 0x20;   // archive bit
  uint16_t flags = 0;
  uint16_t dosTime = 0x6000;      // 12:00:00
  uint16_t dosDate = 0x3821;      // 2008-01-01
  bool scrambled = true;
  bool dataDescriptor = false;    // flag bit 3, zero local fields, a descriptor after the data

  // Damage, applied over the honest values.
  std::optional<uint32_t> crc;             // both headers
  std::optional<uint32_t> centralCompressedSize;
  std::optional<uint32_t> centralSize;
  std::optional<uint32_t> localSize;
  std::optional<uint32_t> localSignature;
  std::optional<uint16_t> localMethod;
  std::optional<uint32_t> localOffset;     // central header's pointer to the local header
  std::optional<std::string> storedData;   // the bytes written as the entry data
};

struct TestArchiveOptions {
  std::string prefix;    // bytes in front of the archive
  std::string comment;   // the end record's comment
  std::string trailing;  // bytes after the end record and its comment
  std::optional<uint16_t> totalEntries;
  std::optional<uint32_t> centralSize;
  std::optional<uint32_t> centralOffset;
  std::optional<uint16_t> commentLength;
};

// Raw deflate (no zlib header), as archives store it.
std::string Deflate(const std::string& data);
// The archive's bytes.
std::string BuildArchive(const std::vector<TestEntry>& entries, const TestArchiveOptions& options = {});
// Deterministic filler: text-like when text is true, otherwise bytes of every value.
std::string MakeContent(size_t size, unsigned seed, bool text);
// A DOS date and time field pair from calendar values.
uint16_t DosDate(int year, int month, int day);
uint16_t DosTime(int hour, int minute, int second);
