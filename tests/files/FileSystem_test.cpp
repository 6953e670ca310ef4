// The process-wide file system and the loader that callers keep on the stack.
#include "files/FileLoader.h"
#include "files/FileSystem.h"
#include "tests/files/ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every operation of a loader without a stream returns its fixed fallback.
void ExpectNoStream(cFileLoader& loader) {
  char buffer[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(loader.Read(buffer, 4), 0);
  EXPECT_EQ(loader.ReadLine(buffer, 4), 0);
  EXPECT_EQ(loader.Seek(0, SEEK_SET), -1);
  EXPECT_EQ(loader.Tell(), 0);
  EXPECT_EQ(loader.GetSize(), 0);
  EXPECT_TRUE(loader.IsEOF());
  EXPECT_TRUE(loader.IsEmpty());
  EXPECT_EQ(loader.GetBuffer(), nullptr);
  EXPECT_EQ(loader.Close(), 0);
}

class FileSystemTest : public ::testing::Test {
protected:
  FileSystemTest() : m_scratch("filesystem") {
    WriteBytes(m_scratch.Path() / "empty.txt", "");
    WriteBytes(m_scratch.Path() / "a.txt", "alpha");
    WriteBytes(m_scratch.Path() / "b.txt", "bravo bravo");
    WriteBytes(m_scratch.Path() / "sub/c.txt", "c");
  }
  std::string PathOf(const char* name) const { return m_scratch / name; }

  ScratchFolder m_scratch;
  cFileSystem m_fileSystem;
};

}  // namespace

TEST(FileSystemInstance, IsRecordedForItsLifetime) {
  EXPECT_EQ(cFileSystem::Get(), nullptr);
  {
    cFileSystem fileSystem;
    EXPECT_EQ(cFileSystem::Get(), &fileSystem);
  }
  EXPECT_EQ(cFileSystem::Get(), nullptr);
}

TEST(FileSystemInstance, LoaderWithoutAFileSystemOpensNothing) {
  ScratchFolder scratch("nofilesystem");
  WriteBytes(scratch.Path() / "a.txt", "alpha");
  ASSERT_EQ(cFileSystem::Get(), nullptr);
  cFileLoader loader;
  EXPECT_FALSE(loader.Open((scratch / "a.txt").c_str(), true));
  ExpectNoStream(loader);
}

TEST_F(FileSystemTest, OpensReadStreams) {
  struct Case {
    const char* name;
    bool readOpens;
    bool memoryOpens;
    int size;
  };
  const Case cases[] = {
      {"missing.txt", false, false, 0},
      {"empty.txt", false, true, 0},
      {"a.txt", true, true, 5},
      {"sub", false, false, 0},
  };
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    std::unique_ptr<cFileToRead> disk = m_fileSystem.OpenRead(PathOf(row.name).c_str());
    EXPECT_EQ(disk != nullptr, row.readOpens);
    std::unique_ptr<cMemFileToRead> memory = m_fileSystem.OpenMemRead(PathOf(row.name).c_str());
    ASSERT_EQ(memory != nullptr, row.memoryOpens);
    if (memory) {
      EXPECT_EQ(memory->GetSize(), row.size);
    }
  }
}

TEST_F(FileSystemTest, OpensWriteStreams) {
  std::unique_ptr<cFileToWrite> stream = m_fileSystem.OpenWrite(PathOf("out.bin").c_str());
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->Write("out", 3), 3);
  stream.reset();
  EXPECT_EQ(ReadBytes(m_scratch.Path() / "out.bin"), "out");
  EXPECT_EQ(m_fileSystem.OpenWrite(PathOf("missing/out.bin").c_str()), nullptr);
}

TEST_F(FileSystemTest, ExistsForFilesAndFolders) {
  struct Case {
    const char* name;
    bool exists;
  };
  const Case cases[] = {{"a.txt", true}, {"empty.txt", true}, {"sub", true}, {"sub/c.txt", true}, {"missing", false}};
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(m_fileSystem.Exists(PathOf(row.name).c_str()), row.exists);
    EXPECT_EQ(FileExists(PathOf(row.name).c_str()), row.exists);
  }
  EXPECT_FALSE(FileExists(nullptr));
}

TEST_F(FileSystemTest, LoaderFallsBackWithoutAStream) {
  cFileLoader fresh;
  ExpectNoStream(fresh);

  for (bool inMemory : {true, false}) {
    SCOPED_TRACE(inMemory ? "in memory" : "from disk");
    cFileLoader missing;
    EXPECT_FALSE(missing.Open(PathOf("missing.txt").c_str(), inMemory));
    ExpectNoStream(missing);
  }
}

TEST_F(FileSystemTest, LoaderInMemoryHandsOutTheText) {
  cFileLoader loader;
  ASSERT_TRUE(loader.Open(PathOf("b.txt").c_str(), true));
  EXPECT_EQ(loader.GetSize(), 11);
  EXPECT_FALSE(loader.IsEmpty());
  ASSERT_NE(loader.GetBuffer(), nullptr);
  EXPECT_STREQ(loader.GetBuffer(), "bravo bravo");

  char header[6] = {};
  EXPECT_EQ(loader.Seek(0, SEEK_SET), 0);
  EXPECT_EQ(loader.Read(header, 5), 5);
  EXPECT_EQ(std::string(header), "bravo");
  EXPECT_EQ(loader.Tell(), 5);
  EXPECT_FALSE(loader.IsEOF());

  EXPECT_EQ(loader.Close(), 0);
  ExpectNoStream(loader);
}

TEST_F(FileSystemTest, LoaderFromDiskHasNoBuffer) {
  cFileLoader loader;
  ASSERT_TRUE(loader.Open(PathOf("a.txt").c_str(), false));
  EXPECT_EQ(loader.GetBuffer(), nullptr);
  EXPECT_EQ(loader.GetSize(), 5);
  char line[16];
  EXPECT_EQ(loader.ReadLine(line, sizeof line), 5);
  EXPECT_EQ(std::string(line), "alpha");
}

TEST_F(FileSystemTest, LoaderAcceptsAnEmptyFileOnlyInMemory) {
  cFileLoader memory;
  ASSERT_TRUE(memory.Open(PathOf("empty.txt").c_str(), true));
  EXPECT_TRUE(memory.IsEmpty());
  EXPECT_TRUE(memory.IsEOF());
  ASSERT_NE(memory.GetBuffer(), nullptr);
  EXPECT_STREQ(memory.GetBuffer(), "");

  cFileLoader disk;
  EXPECT_FALSE(disk.Open(PathOf("empty.txt").c_str(), false));
  ExpectNoStream(disk);
}

// A second Open re-opens the attached stream: a disk stream moves to the new file,
// a memory stream refuses and keeps its text. OpenNew never replaces a stream.
TEST_F(FileSystemTest, LoaderReopensOnlyDiskStreams) {
  cFileLoader disk;
  ASSERT_TRUE(disk.Open(PathOf("a.txt").c_str(), false));
  EXPECT_TRUE(disk.Open(PathOf("b.txt").c_str(), false));
  EXPECT_EQ(disk.GetSize(), 11);
  EXPECT_FALSE(disk.OpenNew(PathOf("a.txt").c_str(), false));
  EXPECT_EQ(disk.GetSize(), 11);

  cFileLoader memory;
  ASSERT_TRUE(memory.Open(PathOf("a.txt").c_str(), true));
  EXPECT_FALSE(memory.Open(PathOf("b.txt").c_str(), true));
  EXPECT_FALSE(memory.Open(PathOf("b.txt").c_str(), false));
  EXPECT_FALSE(memory.OpenNew(PathOf("b.txt").c_str(), true));
  EXPECT_EQ(memory.GetSize(), 5);
  EXPECT_STREQ(memory.GetBuffer(), "alpha");
  char all[16] = {};
  EXPECT_EQ(memory.Read(all, sizeof all), 5);
  EXPECT_EQ(std::string(all), "alpha");

  EXPECT_EQ(memory.Close(), 0);
  EXPECT_TRUE(memory.OpenNew(PathOf("b.txt").c_str(), true));
  EXPECT_STREQ(memory.GetBuffer(), "bravo bravo");
}
