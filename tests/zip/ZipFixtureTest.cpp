// Archives written by other tools (Python's zipfile, Info-ZIP zip): every entry is
// listed with the name and size the manifest beside it gives, and unpacks to the
// content whose CRC-32 it gives. The archives are made at test time by
// make_fixtures.py (the zip_fixtures test) in a folder next to this test's own.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <zlib.h>

#include "TestFiles.h"
#include "zip/ZipArchive.h"

#ifndef KQ_ZIP_FIXTURES
#error "KQ_ZIP_FIXTURES must name the fixture folder"
#endif

namespace {

struct ManifestEntry {
  bool folder = false;
  uint32_t size = 0;
  uint32_t crc = 0;
  bool readOnly = false;
  std::string name;
};

std::vector<std::string> ReadLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::vector<ManifestEntry> ReadManifest(const std::string& path) {
  std::vector<ManifestEntry> entries;
  for (const std::string& line : ReadLines(path)) {
    ManifestEntry e;
    std::istringstream fields(line);
    std::string kind;
    fields >> kind;
    if (kind == "D") {
      e.folder = true;
    } else {
      int readOnly = 0;
      fields >> e.size >> std::hex >> e.crc >> std::dec >> readOnly;
      e.readOnly = readOnly != 0;
    }
    fields.get();
    std::getline(fields, e.name);
    entries.push_back(e);
  }
  return entries;
}

std::string DiskName(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

std::vector<std::string> ArchiveNames() {
  std::vector<std::string> names = ReadLines(std::string(KQ_ZIP_FIXTURES) + "/index.txt");
  if (names.empty()) names.push_back("(index.txt missing: run the zip_fixtures test first)");
  return names;
}

class ZipFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(ZipFixture, MatchesItsManifest) {
  const std::string archive = std::string(KQ_ZIP_FIXTURES) + "/" + GetParam();
  const std::vector<ManifestEntry> expected = ReadManifest(archive + ".txt");
  ScratchFolder dest("fixture");

  CZipArchive zip;
  ASSERT_TRUE(zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly)) << zip.GetLastFailure().GetCauseText();
  ASSERT_EQ(zip.GetCount(), (int)expected.size());
  for (int i = 0; i < zip.GetCount(); ++i) {
    const ManifestEntry& want = expected[(size_t)i];
    SCOPED_TRACE(want.name);
    CZipFileHeader header;
    ASSERT_TRUE(zip.GetFileInfo(header, i));
    EXPECT_EQ(std::string(header.GetFileName()), want.name);
    EXPECT_EQ(header.IsDirectory(), want.folder);
    ASSERT_TRUE(zip.ExtractFile(i, dest.Path().c_str(), true, nullptr, 65536)) << zip.GetLastFailure().GetCauseText();
    const std::string path = dest.Join(DiskName(want.name));
    if (want.folder) continue;
    EXPECT_EQ(header.GetSize(), want.size);
    std::optional<std::string> data = ReadBytes(path);
    ASSERT_TRUE(data.has_value());
    EXPECT_EQ(data->size(), want.size);
    EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(data->data()), (uInt)data->size()), want.crc);
    EXPECT_EQ(IsWritable(path), !want.readOnly);
  }
}

INSTANTIATE_TEST_SUITE_P(Archives, ZipFixture, ::testing::ValuesIn(ArchiveNames()),
                         [](const auto& info) { return TestNameFrom(info.param.c_str()); });

}  // namespace
