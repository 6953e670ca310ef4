// Read and write streams over files made by the tests.
#include "files/FileToRead.h"
#include "files/FileToWrite.h"
#include "files/MemFileToRead.h"
#include "tests/files/ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kTenBytes[] = "0123456789";

enum StreamKind { DISK, MEMORY };

const char* KindName(StreamKind kind) { return kind == DISK ? "cFileToRead" : "cMemFileToRead"; }

// A stream of the given kind over path, or null when it cannot be opened.
std::unique_ptr<cFileToRead> OpenStream(StreamKind kind, const std::string& path) {
  if (kind == DISK) {
    std::unique_ptr<cFileToRead> stream(new cFileToRead);
    return stream->Open(path.c_str()) ? std::move(stream) : nullptr;
  }
  std::unique_ptr<cMemFileToRead> stream(new cMemFileToRead);
  return stream->Load(path.c_str(), 0) ? std::move(stream) : nullptr;
}

}  // namespace

TEST(FileToRead, OpenNeedsAnExistingNonEmptyFile) {
  ScratchFolder scratch("open");
  WriteBytes(scratch.Path() / "empty.bin", "");
  WriteBytes(scratch.Path() / "three.bin", "abc");
  struct Case {
    const char* name;
    bool opens;
    int size;
  };
  const Case cases[] = {{"missing.bin", false, 0}, {"empty.bin", false, 0}, {"three.bin", true, 3}};
  for (const Case& row : cases) {
    SCOPED_TRACE(row.name);
    cFileToRead stream;
    EXPECT_EQ(stream.Open((scratch / row.name).c_str()), row.opens);
    EXPECT_EQ(stream.GetSize(), row.size);
  }
}

TEST(FileToRead, ReadsSeeksAndTells) {
  ScratchFolder scratch("disk");
  WriteBytes(scratch.Path() / "ten.bin", kTenBytes);
  cFileToRead stream;
  ASSERT_TRUE(stream.Open((scratch / "ten.bin").c_str()));

  char buffer[16] = {};
  EXPECT_EQ(stream.Read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), "0123");
  EXPECT_EQ(stream.Seek(2, SEEK_CUR), 0);
  EXPECT_EQ(stream.Tell(), 6);
  EXPECT_EQ(stream.Read(buffer, 8), 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(stream.IsEOF(), 1);
  EXPECT_EQ(stream.Seek(-3, SEEK_END), 0);
  EXPECT_EQ(stream.Tell(), 7);
  EXPECT_EQ(stream.IsEOF(), 0);
  EXPECT_EQ(stream.Seek(-1, SEEK_SET), -1);

  EXPECT_EQ(stream.Close(), 0);
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_EQ(stream.Read(buffer, 4), 0);
  EXPECT_EQ(stream.Seek(0, SEEK_SET), -1);
  EXPECT_EQ(stream.Tell(), 0);
  EXPECT_EQ(stream.IsEOF(), 1);
  EXPECT_EQ(stream.Close(), 0);
}

// Both read streams split lines the same way: a line feed ends a line and is
// consumed, a carriage return is kept, and length - 1 characters fill the buffer.
TEST(ReadLine, SplitsLinesTheSameWayForBothStreams) {
  struct Case {
    const char* text;
    int length;
    std::vector<std::string> lines;  // results of consecutive calls
  };
  const Case cases[] = {
      {"ab\r\ncd", 16, {"ab\r", "cd", ""}},
      {"abcd\n", 3, {"ab", "cd", "", ""}},
      {"\n\nx", 8, {"", "", "x", ""}},
      {"xyz", 1, {"", ""}},
      {"xyz", 2, {"x", "y", "z", ""}},
  };
  ScratchFolder scratch("lines");
  for (StreamKind kind : {DISK, MEMORY}) {
    for (const Case& row : cases) {
      SCOPED_TRACE(std::string(KindName(kind)) + " on \"" + row.text + "\" with length " + std::to_string(row.length));
      WriteBytes(scratch.Path() / "text.txt", row.text);
      std::unique_ptr<cFileToRead> stream = OpenStream(kind, scratch / "text.txt");
      ASSERT_TRUE(stream);
      for (const std::string& expected : row.lines) {
        char buffer[32];
        memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(stream->ReadLine(buffer, row.length), (int)expected.size());
        EXPECT_EQ(std::string(buffer), expected);
      }
    }
  }
}

TEST(ReadLine, LengthBelowOneWritesNothing) {
  ScratchFolder scratch("shortline");
  WriteBytes(scratch.Path() / "text.txt", "abc\n");
  for (StreamKind kind : {DISK, MEMORY}) {
    SCOPED_TRACE(KindName(kind));
    std::unique_ptr<cFileToRead> stream = OpenStream(kind, scratch / "text.txt");
    ASSERT_TRUE(stream);
    for (int length : {0, -1}) {
      char buffer[4] = {'#', '#', '#', '#'};
      EXPECT_EQ(stream->ReadLine(buffer, length), 0);
      EXPECT_EQ(std::string(buffer, 4), "####");
    }
    EXPECT_EQ(stream->Tell(), 0);
  }
}

TEST(MemFileToRead, LoadsTextWithAZeroAfterIt) {
  ScratchFolder scratch("load");
  WriteBytes(scratch.Path() / "text.txt", "text");
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "text.txt").c_str(), 0));
  EXPECT_EQ(stream.GetSize(), 4);
  ASSERT_NE(stream.GetBuffer(), nullptr);
  EXPECT_EQ(std::string(stream.GetBuffer(), 4), "text");
  EXPECT_EQ(stream.GetBuffer()[4], '\0');

  EXPECT_EQ(stream.Close(), 0);
  EXPECT_EQ(stream.GetBuffer(), nullptr);
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_EQ(stream.IsEOF(), 1);

  EXPECT_FALSE(stream.Load((scratch / "missing.txt").c_str(), 0));
  EXPECT_EQ(stream.GetBuffer(), nullptr);
  EXPECT_EQ(stream.GetSize(), 0);
}

// An empty file loads as an empty text; nothing can move the position off 0.
TEST(MemFileToRead, EmptyFileLoadsAsEmptyText) {
  ScratchFolder scratch("emptyload");
  WriteBytes(scratch.Path() / "empty.txt", "");
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "empty.txt").c_str(), 0));
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_EQ(stream.IsEOF(), 1);
  ASSERT_NE(stream.GetBuffer(), nullptr);
  EXPECT_EQ(stream.GetBuffer()[0], '\0');

  char buffer[8] = {'#'};
  EXPECT_EQ(stream.Read(buffer, 8), 0);
  EXPECT_EQ(stream.ReadLine(buffer, 8), 0);
  EXPECT_EQ(buffer[0], '\0');
  for (int offset : {5, -1, 0}) {
    EXPECT_EQ(stream.Seek(offset, SEEK_SET), 0);
    EXPECT_EQ(stream.Tell(), 0) << "after Seek(" << offset << ", 0)";
    EXPECT_EQ(stream.Read(buffer, 8), 0);
  }
}

TEST(MemFileToRead, SeekClampsToTheLastByte) {
  struct Case {
    int start;
    int offset;
    int origin;
    int result;
    int position;
  };
  const Case cases[] = {
      {0, 100, SEEK_SET, 0, 9}, {0, -1, SEEK_SET, 0, 9}, {0, 9, SEEK_SET, 0, 9},  {0, 10, SEEK_SET, 0, 9},
      {4, 0, SEEK_END, -1, 4},  {4, 3, SEEK_CUR, 0, 7},  {4, -2, SEEK_CUR, 0, 2}, {4, 10, SEEK_CUR, 0, 9},
      {4, -5, SEEK_CUR, 0, 9},  {4, 0, 7, -1, 4},
  };
  ScratchFolder scratch("memseek");
  WriteBytes(scratch.Path() / "ten.bin", kTenBytes);
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "ten.bin").c_str(), 0));
  for (const Case& row : cases) {
    SCOPED_TRACE("from " + std::to_string(row.start) + " Seek(" + std::to_string(row.offset) + ", " +
                 std::to_string(row.origin) + ")");
    ASSERT_EQ(stream.Seek(row.start, SEEK_SET), 0);
    EXPECT_EQ(stream.Seek(row.offset, row.origin), row.result);
    EXPECT_EQ(stream.Tell(), row.position);
  }
}

TEST(MemFileToRead, ReadStopsAtTheEnd) {
  ScratchFolder scratch("memread");
  WriteBytes(scratch.Path() / "ten.bin", kTenBytes);
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "ten.bin").c_str(), 0));
  char buffer[16] = {};
  EXPECT_EQ(stream.Read(buffer, 0), 0);
  ASSERT_EQ(stream.Seek(6, SEEK_SET), 0);
  EXPECT_EQ(stream.IsEOF(), 0);
  EXPECT_EQ(stream.Read(buffer, 8), 4);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(stream.Tell(), 10);
  EXPECT_EQ(stream.IsEOF(), 1);
  EXPECT_EQ(stream.Read(buffer, 8), 0);
}

// Opening a disk file would leave the loaded bytes and the size out of step, so a
// memory stream refuses and keeps what it holds.
TEST(MemFileToRead, OpenRefusesAndKeepsTheLoadedText) {
  ScratchFolder scratch("memopen");
  WriteBytes(scratch.Path() / "a.txt", "short");
  WriteBytes(scratch.Path() / "b.txt", "a much longer text");
  cMemFileToRead stream;
  ASSERT_TRUE(stream.Load((scratch / "a.txt").c_str(), 0));
  ASSERT_EQ(stream.Seek(2, SEEK_SET), 0);

  EXPECT_FALSE(stream.Open((scratch / "b.txt").c_str()));
  EXPECT_EQ(stream.GetSize(), 5);
  EXPECT_STREQ(stream.GetBuffer(), "short");
  EXPECT_EQ(stream.Tell(), 2);
  char buffer[32] = {};
  EXPECT_EQ(stream.Read(buffer, 32), 3);
  EXPECT_EQ(std::string(buffer), "ort");
}

TEST(FileToWrite, WritesWithTheGivenMode) {
  struct Case {
    const char* mode;
    std::string expected;
  };
  const Case cases[] = {{"wb", "new"}, {"ab", "oldnew"}};
  ScratchFolder scratch("write");
  for (const Case& row : cases) {
    SCOPED_TRACE(row.mode);
    WriteBytes(scratch.Path() / "out.bin", "old");
    cFileToWrite stream;
    ASSERT_TRUE(stream.Open((scratch / "out.bin").c_str(), row.mode));
    EXPECT_EQ(stream.Write("new", 3), 3);
    EXPECT_EQ(stream.Flush(), 0);
    EXPECT_EQ(stream.Close(), 0);
    EXPECT_EQ(ReadBytes(scratch.Path() / "out.bin"), row.expected);
  }
}

TEST(FileToWrite, FailsWithoutAFile) {
  ScratchFolder scratch("nowrite");
  cFileToWrite stream;
  EXPECT_FALSE(stream.Open((scratch / "missing/out.bin").c_str(), "wb"));
  EXPECT_EQ(stream.Write("x", 1), 0);
  EXPECT_EQ(stream.Flush(), EOF);
  EXPECT_EQ(stream.Close(), 0);
}
