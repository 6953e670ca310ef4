// Directory snapshots and their pre-order walk, on folder trees built by the tests.
// The operating systems list a folder in different orders, so walks are compared as
// sets and the order is checked by its pre-order property.
#include "files/DirectoryName.h"
#include "files/TkFileFind.h"
#include "tests/files/ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

using Step = std::pair<int, std::string>;
using Walk = std::vector<Step>;

// Builds a tree below root: an entry ending in "/" is a folder, any other a file.
void BuildTree(const fs::path& root, const std::vector<std::string>& layout) {
  for (const std::string& entry : layout) {
    if (!entry.empty() && entry.back() == '/') {
      fs::create_directories(root / entry);
    } else {
      WriteBytes(root / entry, "x");
    }
  }
}

// Rewinds and walks the whole tree, up to a bound that no test tree reaches.
Walk WalkTree(CDirectoryName& root) {
  Walk walk;
  root.Rewind();
  std::string path;
  for (int code; walk.size() < 1000 && (code = root.GetNext(path)) != NEXT_END;) {
    walk.emplace_back(code, path);
  }
  return walk;
}

struct ScanResult {
  Walk walk;
  bool sameFolderAfterScan = false;
};

// Scans folder (made current for the scan) and walks the result.
ScanResult ScanAndWalk(const fs::path& folder, int flags) {
  CurrentFolderGuard inside(folder);
  ScanResult result;
  fs::path before = fs::current_path();
  CDirectoryName root(nullptr, nullptr);
  root.Scan(flags);
  result.sameFolderAfterScan = fs::current_path() == before;
  result.walk = WalkTree(root);
  return result;
}

// The walk starts with the root and delivers every directory directly before the
// block of everything below it.
::testing::AssertionResult IsPreOrderWalk(const Walk& walk) {
  if (walk.empty() || walk[0] != Step(NEXT_DIRECTORY, "")) {
    return ::testing::AssertionFailure() << "the walk does not start with the root";
  }
  for (size_t i = 1; i < walk.size(); ++i) {
    if (walk[i].first != NEXT_DIRECTORY) {
      continue;
    }
    const std::string& prefix = walk[i].second;
    size_t below = std::count_if(walk.begin(), walk.end(), [&](const Step& step) {
      return step.second.size() > prefix.size() && step.second.compare(0, prefix.size(), prefix) == 0;
    });
    for (size_t j = i + 1; j <= i + below; ++j) {
      if (j >= walk.size() || walk[j].second.compare(0, prefix.size(), prefix) != 0) {
        return ::testing::AssertionFailure() << "the contents of " << prefix << " are not a block right after it";
      }
    }
  }
  return ::testing::AssertionSuccess();
}

std::multiset<Step> AsSet(const Walk& walk) { return std::multiset<Step>(walk.begin(), walk.end()); }

struct TreeCase {
  const char* title;
  std::vector<std::string> layout;
  int flags;
  Walk expected;  // without the root
};

}  // namespace

TEST(DirectoryScan, SnapshotsFolderTrees) {
  const TreeCase cases[] = {
      {"empty folder", {}, 3, {}},
      {"file and sub-folder", {"a.txt", "b/c.txt"}, 3, {{2, "b\\"}, {1, "b\\c.txt"}, {1, "a.txt"}}},
      {"nested and empty folders, odd names",
       {"d1/d2/d3/deep.bin", "d1/f1", "e/", "top.dat", ".hidden", "with space.txt", "x.y.z/"},
       3,
       {{2, "d1\\"},
        {2, "d1\\d2\\"},
        {2, "d1\\d2\\d3\\"},
        {1, "d1\\d2\\d3\\deep.bin"},
        {1, "d1\\f1"},
        {2, "e\\"},
        {1, "top.dat"},
        {1, ".hidden"},
        {1, "with space.txt"},
        {2, "x.y.z\\"}}},
      {"files only at the top", {"a.txt", "b/c.txt"}, SCAN_FILES, {{1, "a.txt"}}},
      {"directories only at the top, all below",
       {"a.txt", "b/c.txt", "b/d/"},
       SCAN_DIRECTORIES,
       {{2, "b\\"}, {1, "b\\c.txt"}, {2, "b\\d\\"}}},
      {"nothing kept", {"a.txt", "b/c.txt"}, 0, {}},
  };
  ScratchFolder scratch("trees");
  int index = 0;
  for (const TreeCase& row : cases) {
    SCOPED_TRACE(row.title);
    fs::path folder = scratch.Path() / std::to_string(index++);
    fs::create_directories(folder);
    BuildTree(folder, row.layout);

    ScanResult result = ScanAndWalk(folder, row.flags);

    Walk expected = row.expected;
    expected.emplace_back(NEXT_DIRECTORY, "");
    EXPECT_EQ(AsSet(result.walk), AsSet(expected));
    EXPECT_TRUE(IsPreOrderWalk(result.walk));
    EXPECT_TRUE(result.sameFolderAfterScan);
  }
}

TEST(DirectoryScan, SiblingsKeepTheSearchOrder) {
  ScratchFolder scratch("order");
  BuildTree(scratch.Path(), {"k1", "k2/", "k3", "k4/", "k5", "k6/", "k7", "k8"});
  std::vector<std::string> listed;
  {
    CurrentFolderGuard inside(scratch.Path());
    CTkFileFind finder;
    finder.FindFile(nullptr);
    while (finder.FindNextFile()) {
      std::string name = finder.GetFileName();
      if (name != "..") {
        listed.push_back(finder.IsDirectory() ? name + "\\" : name);
      }
    }
  }
  std::vector<std::string> walked;
  for (const Step& step : ScanAndWalk(scratch.Path(), 3).walk) {
    if (!step.second.empty()) {
      walked.push_back(step.second);
    }
  }
  EXPECT_EQ(walked, listed);
}

TEST(DirectoryScan, RewindRestartsTheWalk) {
  ScratchFolder scratch("rewind");
  BuildTree(scratch.Path(), {"a/b/c.txt", "a/d.txt", "e.txt", "f/"});
  CurrentFolderGuard inside(scratch.Path());
  CDirectoryName root(nullptr, nullptr);
  root.Scan(3);

  Walk first = WalkTree(root);
  ASSERT_EQ(first.size(), 7u);
  std::string out = "kept";
  EXPECT_EQ(root.GetNext(out), NEXT_END);
  EXPECT_EQ(root.GetNext(out), NEXT_END);
  EXPECT_EQ(out, "kept");

  EXPECT_EQ(WalkTree(root), first);

  root.Rewind();
  for (int i = 0; i < 3; ++i) {
    root.GetNext(out);
  }
  EXPECT_EQ(WalkTree(root), first);
}

// A sub-directory that cannot be entered stays empty: the scan neither lists another
// folder in its place nor leaves the folder it started in. Windows cannot enter a
// folder whose name ends in a dot (path normalisation drops the dot); natively a
// folder without permissions is used, which root can enter anyway, so as root the
// scan runs in a child process that has given up root.
class UnenterableFolder : public ::testing::Test {
protected:
  enum LockedScan { SCANNED, CANNOT_LOCK, CHILD_FAILED };

  void SetUp() override {
    BuildTree(m_scratch.Path(), {"outside.txt", "start/open/in.txt", "start/z.txt"});
    fs::create_directories(Start());
    MakeLockedFolder();
  }
  void TearDown() override { RemoveLockedFolder(); }

  fs::path Start() const { return m_scratch.Path() / "start"; }

#ifdef _WIN32
  static constexpr const char* kLockedName = "locked.";

  std::string LongPath(const std::string& relative) const {
    return "\\\\?\\" + fs::absolute(Start()).string() + "\\" + relative;
  }
  void MakeLockedFolder() {
    RemoveLockedFolder();
    ASSERT_TRUE(CreateDirectoryA(LongPath(kLockedName).c_str(), nullptr));
    HANDLE file = CreateFileA(LongPath("locked.\\secret.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
  }
  void RemoveLockedFolder() {
    DeleteFileA(LongPath("locked.\\secret.txt").c_str());
    RemoveDirectoryA(LongPath(kLockedName).c_str());
  }
  LockedScan ScanLocked(ScanResult& result) {
    result = ScanAndWalk(Start(), 3);
    return SCANNED;
  }
#else
  static constexpr const char* kLockedName = "locked";

  void MakeLockedFolder() {
    WriteBytes(Start() / "locked" / "secret.txt", "x");
    fs::permissions(Start() / "locked", fs::perms::none);
  }
  void RemoveLockedFolder() {
    std::error_code error;
    fs::permissions(Start() / "locked", fs::perms::owner_all, error);
  }
  LockedScan ScanLocked(ScanResult& result) {
    if (geteuid() != 0) {
      result = ScanAndWalk(Start(), 3);
      return SCANNED;
    }
    return ScanWithoutRoot(result);
  }
  // Runs the scan in a child process as the unprivileged user 65534 and reads its
  // walk back through a pipe, one "code path" line each, after a "same folder" line.
  LockedScan ScanWithoutRoot(ScanResult& result) {
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(m_scratch.Path())) {
      if (entry.path().filename() != "locked") {
        fs::permissions(entry.path(), fs::perms::all & ~(fs::perms::group_write | fs::perms::others_write));
      }
    }
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
      return CHILD_FAILED;
    }
    pid_t child = fork();
    if (child == 0) {
      // A scan that runs away (climbing out, re-listing a folder) must not hang here.
      alarm(60);
      close(pipeEnds[0]);
      if (chdir(Start().c_str()) != 0) {
        _exit(1);
      }
      int status = kCannotDropRoot;
      if (setgid(65534) == 0 && setuid(65534) == 0) {
        ScanResult scanned = ScanAndWalk(".", 3);
        std::string text = scanned.sameFolderAfterScan ? "1\n" : "0\n";
        for (const Step& step : scanned.walk) {
          text += std::to_string(step.first) + " " + step.second + "\n";
        }
        status = write(pipeEnds[1], text.data(), text.size()) == (ssize_t)text.size() ? 0 : 1;
      }
      _exit(status);
    }
    close(pipeEnds[1]);
    std::string text;
    char chunk[256];
    for (ssize_t n; (n = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) {
      text.append(chunk, (size_t)n);
    }
    close(pipeEnds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
      return CHILD_FAILED;
    }
    if (WEXITSTATUS(status) == kCannotDropRoot) {
      return CANNOT_LOCK;
    }
    if (WEXITSTATUS(status) != 0) {
      return CHILD_FAILED;
    }
    result.sameFolderAfterScan = text.compare(0, 2, "1\n") == 0;
    for (size_t start = 2, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
      result.walk.emplace_back(std::stoi(text.substr(start)), text.substr(start + 2, end - start - 2));
    }
    return SCANNED;
  }
  static const int kCannotDropRoot = 2;
#endif

  ScratchFolder m_scratch{"unenterable"};
};

TEST_F(UnenterableFolder, StaysEmptyAndTheScanComesBack) {
  ScanResult result;
  LockedScan scan = ScanLocked(result);
  if (scan == CANNOT_LOCK) {
    GTEST_SKIP() << "no way to give up root here, so no folder can be locked";
  }
  ASSERT_EQ(scan, SCANNED) << "the scan without root crashed or could not report";
  std::string locked = std::string(kLockedName) + "\\";
  Walk expected = {{2, ""}, {2, "open\\"}, {1, "open\\in.txt"}, {2, locked}, {1, "z.txt"}};
  EXPECT_EQ(AsSet(result.walk), AsSet(expected));
  EXPECT_TRUE(IsPreOrderWalk(result.walk));
  EXPECT_TRUE(result.sameFolderAfterScan);
}

TEST(TkFileFind, DeliversEveryEntryButDot) {
  struct Case {
    const char* title;
    std::vector<std::string> layout;
    const char* pattern;
    std::set<std::pair<std::string, bool>> expected;  // name, is a directory
  };
  const Case cases[] = {
      {"empty folder", {}, nullptr, {{"..", true}}},
      {"files and folders", {"a.txt", "sub/", "sub/x.txt"}, nullptr, {{"..", true}, {"a.txt", false}, {"sub", true}}},
      {"pattern with a folder", {"sub/x.txt", "sub/y/"}, "sub\\*.*", {{"..", true}, {"x.txt", false}, {"y", true}}},
  };
  ScratchFolder scratch("finder");
  int index = 0;
  for (const Case& row : cases) {
    SCOPED_TRACE(row.title);
    fs::path folder = scratch.Path() / std::to_string(index++);
    fs::create_directories(folder);
    BuildTree(folder, row.layout);
    CurrentFolderGuard inside(folder);

    CTkFileFind finder;
    ASSERT_TRUE(finder.FindFile(row.pattern));
    std::set<std::pair<std::string, bool>> delivered;
    while (finder.FindNextFile()) {
      delivered.emplace(finder.GetFileName(), finder.IsDirectory());
    }
    EXPECT_EQ(delivered, row.expected);
  }
}

TEST(TkFileFind, WithoutASearchThereIsNothing) {
  ScratchFolder scratch("nosearch");
  CurrentFolderGuard inside(scratch.Path());
  CTkFileFind idle;
  EXPECT_EQ(idle.GetFileName(), "");
  EXPECT_FALSE(idle.FindNextFile());

  CTkFileFind missing;
  EXPECT_FALSE(missing.FindFile("missing\\*.*"));
  EXPECT_FALSE(missing.FindNextFile());
  EXPECT_EQ(missing.GetFileName(), "");
}
