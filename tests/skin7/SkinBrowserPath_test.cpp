// Finding the browser under Wine: the probe file never stays behind, a user's file
// of the probe's name is kept as it was, and a probe that cannot be created gives an
// empty path.
#include <windows.h>

#include <gtest/gtest.h>

#include "skin/SkinBrowserPath.h"

#include <cstdio>
#include <string>

namespace {

bool Exists(const char* name) { return ::GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES; }

void WriteText(const char* name, const std::string& text) {
  std::FILE* file = std::fopen(name, "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
}

std::string ReadText(const char* name) {
  std::string text;
  std::FILE* file = std::fopen(name, "rb");
  if (file == nullptr) return text;
  char buffer[256];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, got);
  std::fclose(file);
  return text;
}

TEST(SkinBrowserPath, Probe) {
  struct Case {
    const char* name;
    const char* probe;
    const char* existing;  // content of a file of that name made first, or null
    bool mayFind;
  };
  const Case cases[] = {
      {"the usual probe", "dummy.htm", nullptr, true},
      {"a user's file of that name is kept", "dummy.htm", "<p>mine</p>", true},
      {"a probe in a missing folder cannot be created", "no-such-folder\\dummy.htm", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.existing != nullptr) WriteText(c.probe, c.existing);
    std::string found = FindHtmlBrowser(c.probe);
    if (c.existing != nullptr) {
      EXPECT_EQ(ReadText(c.probe), c.existing) << "the user's file is untouched";
      ::DeleteFileA(c.probe);
    } else {
      EXPECT_FALSE(Exists(c.probe)) << "the probe is deleted";
    }
    if (!c.mayFind) {
      EXPECT_EQ(found, "");
    }
    if (!found.empty()) {
      std::string tail = found.size() >= 4 ? found.substr(found.size() - 4) : found;
      EXPECT_EQ(::lstrcmpiA(tail.c_str(), ".exe"), 0) << found;
    }
    std::printf("browser: \"%s\"\n", found.c_str());
  }
}

}  // namespace
