// The HTTP loader against real servers on loopback: nginx for what a web server does,
// the fault server (tests/servers/fault_server.py) for what nginx will not do.
#include "net/Loader.h"
#include "net/TransferThread.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

namespace {

enum Server { NGINX, FAULT };

int PortOf(Server server) { return server == NGINX ? Servers().nginxPort : Servers().faultPort; }

// The progress callbacks are plain functions; they record into this list.
struct ProgressCall {
  unsigned total;
  unsigned done;
  std::string name;
};
std::vector<ProgressCall> g_progress;

int WINAPI CompleteAtEnd(unsigned total, unsigned done, const char* name) {
  g_progress.push_back({total, done, name ? name : "(null)"});
  return done == total ? LOADER_STATUS_COMPLETE : LOADER_STATUS_RUNNING;
}

int WINAPI CompleteAtOnce(unsigned total, unsigned done, const char* name) {
  g_progress.push_back({total, done, name ? name : "(null)"});
  return LOADER_STATUS_COMPLETE;
}

int WINAPI AbortAtOnce(unsigned total, unsigned done, const char* name) {
  g_progress.push_back({total, done, name ? name : "(null)"});
  return LOADER_STATUS_ABORT;
}

std::string PatchLog() { return ReadBytes(PATCH_LOG_NAME); }

std::string NotFoundPage() { return ServedFile("notfound.html"); }

// A page of exactly size bytes that starts with start.
std::string PageOfSize(const std::string& start, size_t size) {
  std::string page = start + "\n<html><body>error</body></html>\n";
  page.resize(size, ' ');
  return page;
}

const std::string kHtml401 =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">";
const std::string kXhtml =
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">";

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

// Runs one transfer on a thread of its own, as the engine does (see
// net/TransferThread.h): this thread has started GoogleTest's thread-local watcher.
template <typename Transfer>
int OnTransferThread(Transfer transfer) {
  int result = -1;
  auto run = [&] { result = transfer(); };
  EXPECT_EQ(RunOnTransferThread(run), 0);
  return result;
}

class LoaderTest : public ::testing::Test {
protected:
  void SetUp() override { g_progress.clear(); }
};

// --- DownloadToMemory --------------------------------------------------------------

struct MemoryCase {
  const char* name;
  Server server;
  std::string file;   // below the document root
  std::string bytes;  // what the server holds
  int result;         // expected result; -1: any non-zero Windows code
  bool block;         // a block is handed out
  unsigned size;      // expected size (777: left as it was)
};

const unsigned kUntouched = 777;

std::vector<MemoryCase> MemoryCases() {
  std::string record = "LDRM00000200 00000100";
  return {
      {"a record", NGINX, "loader/record.ver", record, LOADER_OK, true, 21},
      {"HTML 4.01 error page", FAULT, "loader/page1466.html", PageOfSize(kHtml401, 1466), LOADER_ERROR_PAGE, true, 0},
      {"HTML 4.01 page in lower case", FAULT, "loader/lower1466.html", PageOfSize(Lower(kHtml401), 1466),
       LOADER_ERROR_PAGE, true, 0},
      {"HTML 4.01 page one byte longer", FAULT, "loader/page1467.html", PageOfSize(kHtml401, 1467), LOADER_OK, true,
       1467},
      {"XHTML error page", FAULT, "loader/page345.html", PageOfSize(kXhtml, 345), LOADER_ERROR_PAGE, true, 0},
      {"XHTML page one byte longer", FAULT, "loader/page346.html", PageOfSize(kXhtml, 346), LOADER_OK, true, 346},
      {"XHTML start at the HTML 4.01 size", FAULT, "loader/xhtml1466.html", PageOfSize(kXhtml, 1466), LOADER_OK,
       true, 1466},
      {"no content length", FAULT, "loader/NLRCKQVerInfo_New.ver", record, -1, false, kUntouched},
      {"an absurd content length", FAULT, "loader/ABSDKQVerInfo_New.ver", record, LOADER_ERR_TOO_LARGE, false,
       kUntouched},
      {"at the memory limit", NGINX, "loader/limit.bin", PatternBytes(LOADER_MEMORY_LIMIT, 1), LOADER_OK, true,
       LOADER_MEMORY_LIMIT},
      {"beyond the memory limit", NGINX, "loader/beyond.bin", PatternBytes(LOADER_MEMORY_LIMIT + 1, 2),
       LOADER_ERR_TOO_LARGE, false, kUntouched},
      {"a body cut off", FAULT, "loader/CUTA.kqp", PatternBytes(4000, 3), LOADER_ERR_INCOMPLETE, true, 4000},
  };
}

TEST_F(LoaderTest, DownloadToMemoryTable) {
  GameFolder folder("memory");
  for (const MemoryCase& c : MemoryCases()) {
    SCOPED_TRACE(c.name);
    ServeFile(c.file, c.bytes);
    Loader loader;
    ASSERT_EQ(loader.Connect("127.0.0.1", PortOf(c.server)), 0);
    int status = 0;
    char* block = nullptr;
    unsigned size = kUntouched;
    int result = OnTransferThread(
        [&] { return loader.DownloadToMemory(c.file.c_str(), nullptr, &status, nullptr, &block, &size); });
    if (c.result == -1) {
      EXPECT_NE(result, 0);
    } else {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(block != nullptr, c.block);
    EXPECT_EQ(status, 0);
    if (block) {
      size_t announced = c.bytes.size();
      size_t delivered = result == LOADER_ERR_INCOMPLETE ? announced / 2 : announced;
      EXPECT_EQ(std::string(block, delivered), c.bytes.substr(0, delivered));
      EXPECT_EQ(std::string(block + delivered, announced - delivered + 1), std::string(announced - delivered + 1, '\0'))
          << "the rest of the block and its terminator are zero";
      GlobalFree(block);
    }
  }
  EXPECT_FALSE(Exists(PATCH_LOG_NAME)) << "DownloadToMemory writes no log";
}

TEST_F(LoaderTest, DownloadToMemoryHandsUserDataToTheCallback) {
  GameFolder folder("memory_callback");
  ServeFile("loader/callback.ver", "LDRC00000200 00000100");
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  int status = 0;
  char* block = nullptr;
  unsigned size = 0;
  EXPECT_EQ(OnTransferThread([&] {
              return loader.DownloadToMemory("loader/callback.ver", CompleteAtEnd, &status, "user data", &block, &size);
            }),
            0);
  EXPECT_EQ(status, LOADER_STATUS_COMPLETE);
  ASSERT_FALSE(g_progress.empty());
  EXPECT_EQ(g_progress.back().total, 21u);
  EXPECT_EQ(g_progress.back().done, 21u);
  EXPECT_EQ(g_progress.back().name, "user data");
  GlobalFree(block);
}

// --- DownloadToFile ----------------------------------------------------------------

struct FileCase {
  const char* name;
  Server server;
  std::string file;                   // below the document root
  std::string bytes;                  // what the server holds ("": nothing)
  int result;                         // expected result; -1: any non-zero code except ours
  int status;                         // expected status
  unsigned size;                      // expected size out-parameter
  std::vector<std::string> log;       // expected patch log lines (none: no log file)
  std::string local;                  // expected local file ("-": no file)
};

const char kLocalName[] = "local.kqp";

std::vector<FileCase> FileCases() {
  std::string archive = PatternBytes(300000, 4);
  std::string page = NotFoundPage();
  std::string busy = "<html>\n<body>Busy, try later.</body>\n</html>";
  std::string xml = "<?xml version=\"1.0\"?>\n<error>maintenance</error>";
  return {
      {"an archive", NGINX, "loader/archive.kqp", archive, LOADER_OK, LOADER_STATUS_COMPLETE, 300000, {}, archive},
      {"the server's page for a missing file", NGINX, "loader/missing.kqp", "", LOADER_OK, LOADER_STATUS_WEB_PAGE,
       static_cast<unsigned>(page.size()), SplitLines(page), page},
      {"an application/xml answer", NGINX, "loader/answer.xml", xml, LOADER_OK, LOADER_STATUS_WEB_PAGE,
       static_cast<unsigned>(xml.size()), SplitLines(xml), xml},
      {"text/html with a character set", FAULT, "loader/CHRS00000001.kqp", busy, LOADER_OK, LOADER_STATUS_WEB_PAGE,
       static_cast<unsigned>(busy.size()), SplitLines(busy), busy},
      {"no content length", FAULT, "loader/NOLN.kqp", archive, -1, LOADER_STATUS_RUNNING, 0, {"fileSize == 0"}, "-"},
      {"a body cut off", FAULT, "loader/CUTA.kqp", archive, LOADER_ERR_INCOMPLETE, LOADER_STATUS_RUNNING, 300000, {},
       archive.substr(0, 150000)},
      {"a connection reset while waiting", FAULT, "loader/RSTA.kqp", archive, -1, LOADER_STATUS_RUNNING, 300000,
       {"InternetQueryDataAvailable"}, archive.substr(0, 150000)},
  };
}

TEST_F(LoaderTest, DownloadToFileTable) {
  for (const FileCase& c : FileCases()) {
    SCOPED_TRACE(c.name);
    GameFolder folder(std::string("file ") + c.name);
    g_progress.clear();
    if (!c.bytes.empty()) ServeFile(c.file, c.bytes);
    if (c.server == FAULT) FaultReset(c.file);
    Loader loader;
    ASSERT_EQ(loader.Connect("127.0.0.1", PortOf(c.server)), 0);
    int status = 0;
    unsigned size = kUntouched;
    int result = OnTransferThread(
        [&] { return loader.DownloadToFile(c.file.c_str(), CompleteAtEnd, &status, kLocalName, &size); });
    if (c.result == -1) {
      EXPECT_NE(result, 0);
      EXPECT_LT(result, 0x20000000) << "a Windows error code, not one of ours";
    } else {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(size, c.size);
    EXPECT_EQ(Exists(PATCH_LOG_NAME), !c.log.empty());
    EXPECT_EQ(SplitLines(PatchLog()), c.log);
    if (c.local == "-") {
      EXPECT_FALSE(Exists(kLocalName));
    } else {
      EXPECT_TRUE(ReadBytes(kLocalName) == c.local) << "local file of " << ReadBytes(kLocalName).size() << " bytes";
    }
  }
}

// --- DownloadToFileFrom: continuing a file ------------------------------------------

const char kValidatorName[] = "local.kqp.validator";

enum Validator { SAME_FILE, OTHER_FILE, WITH_FIELDS };

struct ContinueCase {
  const char* name;
  Server server;
  std::string file;    // below the document root
  unsigned offset;     // bytes kept of the first transfer ("Range" asks for the rest)
  Validator validator;  // what the continuing request sends in "If-Range"
  int result;
  int httpStatus;
  bool whole;          // the local file holds the whole file afterwards (else: as it was)
  bool retryable;
};

TEST_F(LoaderTest, DownloadToFileFromTable) {
  const unsigned size = 300000;
  const std::string served = PatternBytes(size, 6);
  const ContinueCase cases[] = {
      {"the rest of the same file", NGINX, "loader/rest.kqp", 100000, SAME_FILE, LOADER_OK, 206, true, false},
      {"the file changed since", NGINX, "loader/changed.kqp", 100000, OTHER_FILE, LOADER_OK, 200, true, false},
      {"a validator that would add header fields is not sent", NGINX, "loader/fields.kqp", 100000, WITH_FIELDS,
       LOADER_OK, 200, true, false},
      {"a range beyond the file", NGINX, "loader/beyond.kqp", size + 10, SAME_FILE, LOADER_ERR_HTTP_STATUS, 416,
       false, true},
      {"a server that ignores Range", FAULT, "loader/NORG.kqp", 100000, SAME_FILE, LOADER_OK, 200, true, false},
      {"a 206 for another range", FAULT, "loader/BDRG.kqp", 100000, SAME_FILE, LOADER_ERR_BAD_RANGE, 206, false,
       true},
  };
  for (const ContinueCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameFolder folder(std::string("continue ") + c.name);
    ServeFile(c.file, served);
    if (c.server == FAULT) FaultReset(c.file);
    Loader loader;
    ASSERT_EQ(loader.Connect("127.0.0.1", PortOf(c.server)), 0);

    // A first transfer learns the validator and keeps it beside the local file.
    FileTransfer first;
    first.validatorName = kValidatorName;
    int status = 0;
    ASSERT_EQ(OnTransferThread([&] {
                return loader.DownloadToFileFrom(c.file.c_str(), CompleteAtEnd, &status, kLocalName, "shown", &first);
              }),
              LOADER_OK);
    ASSERT_EQ(first.httpStatus, 200);
    ASSERT_EQ(first.held, size);
    ASSERT_EQ(ReadBytes(kValidatorName), first.validator);
    ASSERT_TRUE(IsUsableValidator(first.validator));

    // Then as if it had broken at offset.
    const std::string kept = served.substr(0, std::min<size_t>(c.offset, size)) +
                             std::string(c.offset > size ? c.offset - size : 0, 'x');
    WriteBytes(kLocalName, kept);
    FileTransfer next;
    next.offset = c.offset;
    next.validatorName = kValidatorName;
    const std::string validator = c.validator == SAME_FILE    ? std::string(first.validator)
                                  : c.validator == OTHER_FILE ? std::string("\"5f00000-1\"")
                                                              : std::string(first.validator) + "\r\nX-Extra: 1";
    lstrcpynA(next.validator, validator.c_str(), sizeof(next.validator));
    g_progress.clear();
    status = 0;
    int result = OnTransferThread(
        [&] { return loader.DownloadToFileFrom(c.file.c_str(), CompleteAtEnd, &status, kLocalName, "shown", &next); });

    EXPECT_EQ(result, c.result);
    EXPECT_EQ(next.httpStatus, c.httpStatus);
    EXPECT_EQ(next.retryable, c.retryable);
    EXPECT_TRUE(ReadBytes(kLocalName) == (c.whole ? served : kept));
    EXPECT_EQ(next.held, c.whole ? size : c.offset);
    if (c.whole) {
      EXPECT_EQ(status, LOADER_STATUS_COMPLETE);
      EXPECT_EQ(next.total, size);
      ASSERT_FALSE(g_progress.empty());
      EXPECT_EQ(g_progress.front().total, size) << "the whole file's length, also for the rest";
      EXPECT_EQ(g_progress.front().done > c.offset, c.httpStatus == 206) << "progress counts the bytes held";
      EXPECT_EQ(g_progress.back().done, size);
      EXPECT_EQ(g_progress.back().name, "shown");
    } else {
      EXPECT_TRUE(g_progress.empty());
    }
    EXPECT_EQ(ReadBytes(kValidatorName), first.validator) << "the same file, or a new one with the same validator";
  }
}

// An answer without a validator: nothing is kept that would let a later run continue.
TEST_F(LoaderTest, DownloadToFileFromWithoutAValidatorKeepsNone) {
  GameFolder folder("no validator");
  ServeFile("loader/NOVD.kqp", PatternBytes(5000, 7));
  WriteBytes(kValidatorName, "\"left by an earlier answer\"");
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().faultPort), 0);
  FileTransfer transfer;
  transfer.validatorName = kValidatorName;
  int status = 0;
  EXPECT_EQ(OnTransferThread([&] {
              return loader.DownloadToFileFrom("loader/NOVD.kqp", CompleteAtEnd, &status, kLocalName, "n", &transfer);
            }),
            LOADER_OK);
  EXPECT_EQ(std::string(transfer.validator), "");
  EXPECT_FALSE(Exists(kValidatorName));
  EXPECT_EQ(ReadBytes(kLocalName), PatternBytes(5000, 7));
}

TEST_F(LoaderTest, DownloadToFileReportsEveryChunkWithTheLocalName) {
  GameFolder folder("file_progress");
  std::string archive = PatternBytes(3 * 1048576 + 17, 5);
  ServeFile("loader/progress.kqp", archive);
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  int status = 0;
  unsigned size = 0;
  ASSERT_EQ(OnTransferThread([&] {
              return loader.DownloadToFile("loader/progress.kqp", CompleteAtEnd, &status, kLocalName, &size);
            }),
            0);
  ASSERT_FALSE(g_progress.empty());
  unsigned previous = 0;
  for (const ProgressCall& call : g_progress) {
    EXPECT_EQ(call.total, archive.size());
    EXPECT_GT(call.done, previous);
    EXPECT_LE(call.done - previous, LOADER_TRANSFER_BUFFER_SIZE);
    EXPECT_EQ(call.name, kLocalName);
    previous = call.done;
  }
  EXPECT_EQ(previous, archive.size());
  EXPECT_TRUE(ReadBytes(kLocalName) == archive);
}

// A page longer than one read: the log holds the last chunk received and nothing
// after it, so what it shows is always the end of the page itself.
TEST_F(LoaderTest, ALongWebPageLogsItsLastChunkOnly) {
  GameFolder folder("file_long_page");
  std::string page = "<html><body>\n";
  for (int line = 0; page.size() < 19000; ++line) page += "line " + std::to_string(line) + " of the page\n";
  page += std::string(20000 - 15 - page.size(), 'x') + "</body></html>\n";
  ASSERT_EQ(page.size(), 20000u);
  ServeFile("loader/long-page.html", page);
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  int status = 0;
  unsigned size = 0;
  ASSERT_EQ(OnTransferThread([&] {
              return loader.DownloadToFile("loader/long-page.html", CompleteAtEnd, &status, kLocalName, &size);
            }),
            0);
  EXPECT_EQ(status, LOADER_STATUS_WEB_PAGE);
  ASSERT_GT(g_progress.size(), 1u) << "the page arrived in one chunk; it shows nothing here";
  const unsigned lastChunk = g_progress.back().done - g_progress[g_progress.size() - 2].done;
  EXPECT_EQ(PatchLog(), page.substr(page.size() - lastChunk) + "\n");
}

TEST_F(LoaderTest, DownloadToFileCannotCreateTheLocalFile) {
  GameFolder folder("file_create_error");
  ServeFile("loader/create.kqp", PatternBytes(1000, 6));
  CreateDirectoryA(kLocalName, nullptr);
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  int status = 0;
  unsigned size = 0;
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToFile("loader/create.kqp", CompleteAtEnd, &status, kLocalName, &size); }),
            0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(size, 1000u);
  EXPECT_EQ(SplitLines(PatchLog()), std::vector<std::string>{"CreateFile Error"});
  EXPECT_TRUE(g_progress.empty());
}

TEST_F(LoaderTest, TransfersWithoutAConnectionFail) {
  GameFolder folder("not_connected");
  Loader loader;
  int status = 0;
  unsigned size = kUntouched;
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToFile("loader/archive.kqp", CompleteAtEnd, &status, kLocalName, &size); }),
            0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(SplitLines(PatchLog()), std::vector<std::string>{"HttpOpenRequest"});
  char* block = nullptr;
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToMemory("loader/record.ver", nullptr, &status, nullptr, &block, &size); }),
            0);
  EXPECT_EQ(block, nullptr);
  EXPECT_FALSE(Exists(kLocalName));
}

// The server reads the request and closes the connection without a word. Wine's
// HttpSendRequestA reports success for this; the transfers must still fail.
TEST_F(LoaderTest, AConnectionClosedBeforeAnyAnswerFailsBothTransfers) {
  GameFolder folder("no_answer");
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().faultPort), 0);
  int status = 0;
  char* block = nullptr;
  unsigned size = kUntouched;
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToMemory("loader/DROP.ver", nullptr, &status, nullptr, &block, &size); }),
            0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(size, kUntouched);
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToFile("loader/DROP.kqp", CompleteAtEnd, &status, kLocalName, &size); }),
            0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(size, 0u);
  EXPECT_FALSE(Exists(kLocalName));
  EXPECT_TRUE(g_progress.empty());
}

TEST_F(LoaderTest, ANonZeroStatusOnEntrySendsNothing) {
  GameFolder folder("status_on_entry");
  FaultReset("loader/ENTRY");
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().faultPort), 0);
  for (int initial : {LOADER_STATUS_COMPLETE, LOADER_STATUS_ABORT, LOADER_STATUS_WEB_PAGE}) {
    SCOPED_TRACE(initial);
    int status = initial;
    char* block = nullptr;
    unsigned size = kUntouched;
    EXPECT_EQ(OnTransferThread([&] {
                return loader.DownloadToMemory("loader/ENTRY.ver", CompleteAtEnd, &status, nullptr, &block, &size);
              }),
              LOADER_CANCELLED);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, kUntouched);
    EXPECT_EQ(OnTransferThread(
                  [&] { return loader.DownloadToFile("loader/ENTRY.kqp", CompleteAtEnd, &status, kLocalName, &size); }),
              LOADER_CANCELLED);
    EXPECT_EQ(size, kUntouched);
    EXPECT_EQ(status, initial);
  }
  EXPECT_TRUE(FaultRequests("loader/ENTRY").empty()) << "the server saw a request";
  EXPECT_FALSE(Exists(kLocalName));
  EXPECT_FALSE(Exists(PATCH_LOG_NAME));
  EXPECT_TRUE(g_progress.empty());
}

// The slow archive arrives 16 KiB at a time, so the first callback comes long before
// the last byte.
TEST_F(LoaderTest, ACallbackAnswerBeforeTheLastByteStopsTheTransfer) {
  struct StopCase {
    LoaderCallback callback;
    int status;
  };
  ServeFile("loader/SLOW.kqp", PatternBytes(1048576, 7));
  for (const StopCase& c : {StopCase{CompleteAtOnce, LOADER_STATUS_COMPLETE}, StopCase{AbortAtOnce, LOADER_STATUS_ABORT}}) {
    SCOPED_TRACE(c.status);
    GameFolder folder("early_stop");
    g_progress.clear();
    Loader loader;
    ASSERT_EQ(loader.Connect("127.0.0.1", Servers().faultPort), 0);
    int status = 0;
    unsigned size = 0;
    EXPECT_EQ(OnTransferThread(
                  [&] { return loader.DownloadToFile("loader/SLOW.kqp", c.callback, &status, kLocalName, &size); }),
              LOADER_CANCELLED);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(size, 1048576u);
    ASSERT_EQ(g_progress.size(), 1u);
    EXPECT_LT(g_progress[0].done, g_progress[0].total);
    EXPECT_FALSE(Exists(PATCH_LOG_NAME)) << "a stopped transfer is no web page";
  }
}

// --- Connect and the log -----------------------------------------------------------

TEST_F(LoaderTest, ConnectStoresHostAndPortWithPortZeroMeaningEighty) {
  Loader loader;
  EXPECT_EQ(loader.GetPort(), 80);
  EXPECT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  EXPECT_EQ(loader.GetPort(), Servers().nginxPort);
  EXPECT_STREQ(loader.GetHost(), "127.0.0.1");
  EXPECT_EQ(loader.Connect("localhost", 0), 0);
  EXPECT_EQ(loader.GetPort(), 80);
  EXPECT_STREQ(loader.GetHost(), "localhost");
}

TEST_F(LoaderTest, AFailedConnectLeavesNoConnection) {
  GameFolder folder("failed_connect");
  ServeFile("loader/after.ver", "LDRA00000200 00000100");
  Loader loader;
  ASSERT_EQ(loader.Connect("127.0.0.1", Servers().nginxPort), 0);
  EXPECT_NE(loader.Connect("", Servers().nginxPort), 0);
  int status = 0;
  char* block = nullptr;
  unsigned size = 0;
  EXPECT_NE(OnTransferThread(
                [&] { return loader.DownloadToMemory("loader/after.ver", nullptr, &status, nullptr, &block, &size); }),
            0)
      << "the earlier connection was closed";
  EXPECT_EQ(block, nullptr);
}

TEST_F(LoaderTest, TheLogIsAppendedLineByLineAndCleared) {
  GameFolder folder("log");
  Loader loader;
  EXPECT_EQ(loader.ClearLog(), 0) << "no log to delete";
  EXPECT_NE(loader.WriteLog("first"), 0);
  EXPECT_NE(loader.WriteLog("two\nlines"), 0);
  EXPECT_EQ(PatchLog(), "first\ntwo\nlines\n");
  EXPECT_NE(loader.ClearLog(), 0);
  EXPECT_FALSE(Exists(PATCH_LOG_NAME));
  CreateDirectoryA(PATCH_LOG_NAME, nullptr);
  EXPECT_EQ(loader.WriteLog("dropped"), 0) << "a log that cannot be opened";
}

}  // namespace
