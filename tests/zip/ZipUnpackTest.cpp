// The one unpacking routine of the launcher and kqpack: the name check, the reset of
// an existing file's attributes and the extraction through a temporary, and the
// clearing of temporaries that an interrupted run left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <direct.h>
#include <windows.h>
#define chdir _chdir
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "TestArchive.h"
#include "TestFiles.h"
#include "zip/ZipArchive.h"
#include "zip/ZipPlatform.h"
#include "zip/ZipUnpacker.h"

namespace {

using Tree = std::vector<std::string>;

TestEntry Stored(const std::string& name, const std::string& data) {
  TestEntry e;
  e.name = name;
  e.data = data;
  e.method = 0;
  return e;
}

void MakeReadOnly(const std::string& path) {
#ifdef _WIN32
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
#else
  chmod(path.c_str(), 0444);
#endif
}

// Unpacks every entry of archive inside dest, as the launcher does from the game
// folder; false at the first entry that fails.
bool UnpackAll(const std::string& archive, const std::string& dest, int* removed) {
  CZipArchive zip;
  if (!zip.Open(archive.c_str(), CZipArchive::zipOpenReadOnly)) return false;
  const std::string here = CurrentFolder();
  if (chdir(dest.c_str()) != 0) return false;
  CZipUnpacker unpacker(zip);
  bool ok = true;
  for (int i = 0; ok && i < zip.GetCount(); ++i) ok = unpacker.UnpackEntry(i);
  if (ok) *removed = unpacker.RemoveLeftovers();
  return chdir(here.c_str()) == 0 && ok;
}

TEST(ZipUnpack, ReplacesReadOnlyFilesAndClearsLeftTemporaries) {
  ScratchFolder scratch("unpack");
  ScratchFolder dest("unpack-dest");
  WriteBytes(scratch.Join("a.kqp"), BuildArchive({Stored("data/a.txt", "new a"), Stored("data/sub/b.txt", "new b"),
                                                   Stored("top.txt", "top")}));
  ASSERT_TRUE(ZipPlatform::MakeDirectoryTree(dest.Join("data/sub")));
  ASSERT_TRUE(ZipPlatform::MakeDirectoryTree(dest.Join("elsewhere")));
  WriteBytes(dest.Join("data/a.txt"), "old a");
  MakeReadOnly(dest.Join("data/a.txt"));
  WriteBytes(dest.Join("data/a.txt.kqpart"), "part of a");
  WriteBytes(dest.Join("data/gone.bin.kqpart"), "part of an entry no longer shipped");
  WriteBytes(dest.Join("data/sub/c.kqpart"), "part");
  WriteBytes(dest.Join("other.KQPART"), "part");
  WriteBytes(dest.Join("elsewhere/x.kqpart"), "not in a folder this archive writes to");
  int removed = -1;
  ASSERT_TRUE(UnpackAll(scratch.Join("a.kqp"), dest.Path(), &removed));
  // The entry's own temporary went when it was written; these three after the last.
  EXPECT_EQ(removed, 3);
  EXPECT_EQ(ReadBytes(dest.Join("data/a.txt")), std::string("new a"));
  EXPECT_EQ(ListTree(dest.Path()), (Tree{"data/", "data/a.txt", "data/sub/", "data/sub/b.txt", "elsewhere/",
                                         "elsewhere/x.kqpart", "top.txt"}));
}

TEST(ZipUnpack, AnUnsafeNameFailsBeforeTouchingTheFileItNames) {
  ScratchFolder scratch("unpack-unsafe");
  ScratchFolder outer("unpack-outer");
  ScratchFolder dest("unpack-outer/dest");
  WriteBytes(scratch.Join("a.kqp"), BuildArchive({Stored("good.txt", "g"), Stored("../victim.txt", "evil")}));
  WriteBytes(outer.Join("victim.txt"), "precious");
  MakeReadOnly(outer.Join("victim.txt"));
  int removed = -1;
  EXPECT_FALSE(UnpackAll(scratch.Join("a.kqp"), dest.Path(), &removed));
  EXPECT_EQ(ReadBytes(outer.Join("victim.txt")), std::string("precious"));
  EXPECT_FALSE(IsWritable(outer.Join("victim.txt"))) << "its read-only attribute was reset";
  EXPECT_EQ(ListTree(dest.Path()), Tree{"good.txt"});
}

}  // namespace
