// The loopback HTTP servers that the test fixture starts (tests/servers/servers.py):
// nginx and the fault server, sharing one document root. The fixture writes their
// ports and paths to the file named by KQ_TEST_SERVERS.
#pragma once

#include <string>
#include <vector>

struct TestServers {
  int nginxPort = 0;
  int faultPort = 0;
  std::string docroot;
  std::string nginxAccessLog;
};

// The servers of this test run; fails the calling test when the file is missing.
const TestServers& Servers();

// Sends GET /_control/<command> to the fault server and returns the answer's body
// ("" when it cannot be reached).
std::string FaultControl(const std::string& command);
// The paths requested from the fault server that contain text, in order.
std::vector<std::string> FaultRequests(const std::string& text);
// Forgets the fault server's counts and requests for paths that contain text.
void FaultReset(const std::string& text);

// The paths requested from nginx that contain text, in order, from line firstLine of
// its access log on.
std::vector<std::string> NginxRequests(const std::string& text, size_t firstLine = 0);
// nginx's answers to the requests whose paths contain text, from line firstLine of its
// access log on: "<status> <body bytes sent>" each, in order.
std::vector<std::string> NginxAnswers(const std::string& text, size_t firstLine = 0);
// The fault server's answers for path (no leading slash): "<status> <first byte>
// <body bytes sent>" each, in order.
std::vector<std::string> FaultAnswers(const std::string& path);
// The number of lines in nginx's access log now.
size_t NginxLogLines();

// Writes bytes to the document root under relative (creating folders).
void ServeFile(const std::string& relative, const std::string& bytes);
// Removes the served files in folder (below the document root) whose names start
// with prefix.
void RemoveServedFiles(const std::string& folder, const std::string& prefix);
// The bytes of the served file relative.
std::string ServedFile(const std::string& relative);

// Byte helpers for the game folder and the served files.
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Deterministic bytes of the given size, with no zero byte; seed tells files apart.
std::string PatternBytes(size_t size, unsigned seed);
// Splits text at line feeds; a last line without a line feed counts too.
std::vector<std::string> SplitLines(const std::string& text);
