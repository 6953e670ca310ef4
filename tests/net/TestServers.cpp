#include "tests/net/TestServers.h"

#include "net/TransferThread.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

TestServers LoadServers() {
  TestServers servers;
  const char* file = std::getenv("KQ_TEST_SERVERS");
  if (!file) return servers;
  std::ifstream in(file);
  std::string line;
  while (std::getline(in, line)) {
    size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    std::string value = line.substr(equals + 1);
    if (key == "nginx_port") servers.nginxPort = std::atoi(value.c_str());
    if (key == "fault_port") servers.faultPort = std::atoi(value.c_str());
    if (key == "docroot") servers.docroot = value;
    if (key == "nginx_access_log") servers.nginxAccessLog = value;
  }
  return servers;
}

// One HTTP/1.0 GET on a plain socket; the whole answer, headers included.
std::string HttpGetHere(int port, const std::string& target) {
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  if (!started) return "";
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return "";
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string answer;
  if (connect(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
    std::string request = "GET " + target + " HTTP/1.0\r\n\r\n";
    send(s, request.data(), static_cast<int>(request.size()), 0);
    char buffer[4096];
    for (int n; (n = recv(s, buffer, sizeof(buffer), 0)) > 0;) answer.append(buffer, static_cast<size_t>(n));
  }
  closesocket(s);
  return answer;
}

// On a thread of its own, started for this request: under 32-bit Wine through qemu
// only a thread started after the process's last thread start keeps its sockets (see
// tests/emulation/socket_after_thread.c), and the test's thread has started threads
// (the engine's worker, GoogleTest's thread-local watcher).
std::string HttpGet(int port, const std::string& target) {
  std::string answer;
  auto get = [&] { answer = HttpGetHere(port, target); };
  RunOnTransferThread(get);
  return answer;
}

std::string AccessLog() { return ReadBytes(Servers().nginxAccessLog); }

}  // namespace

const TestServers& Servers() {
  static const TestServers servers = LoadServers();
  EXPECT_NE(servers.nginxPort, 0) << "no servers: run through ctest, which starts them (KQ_TEST_SERVERS)";
  return servers;
}

std::string FaultControl(const std::string& command) {
  std::string answer = HttpGet(Servers().faultPort, "/_control/" + command);
  size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? "" : answer.substr(body + 4);
}

std::vector<std::string> FaultRequests(const std::string& text) { return SplitLines(FaultControl("requests?" + text)); }

void FaultReset(const std::string& text) { FaultControl("reset?" + text); }

size_t NginxLogLines() { return SplitLines(AccessLog()).size(); }

// Splits an access-log line (... "GET /path HTTP/1.0" 206 12345 "-" "-") into the
// requested path and what follows the request; false for any other line.
static bool ParseAccessLine(const std::string& line, std::string* path, std::string* rest) {
  size_t start = line.find("\"GET /");
  size_t end = line.find(" HTTP/", start);
  if (start == std::string::npos || end == std::string::npos) return false;
  *path = line.substr(start + 6, end - start - 6);
  size_t quote = line.find("\" ", end);
  *rest = quote == std::string::npos ? "" : line.substr(quote + 2);
  return true;
}

std::vector<std::string> NginxRequests(const std::string& text, size_t firstLine) {
  std::vector<std::string> lines = SplitLines(AccessLog());
  std::vector<std::string> paths;
  std::string path, rest;
  for (size_t i = firstLine; i < lines.size(); ++i) {
    if (ParseAccessLine(lines[i], &path, &rest) && path.find(text) != std::string::npos) paths.push_back(path);
  }
  return paths;
}

std::vector<std::string> NginxAnswers(const std::string& text, size_t firstLine) {
  std::vector<std::string> lines = SplitLines(AccessLog());
  std::vector<std::string> answers;
  std::string path, rest;
  for (size_t i = firstLine; i < lines.size(); ++i) {
    if (!ParseAccessLine(lines[i], &path, &rest) || path.find(text) == std::string::npos) continue;
    std::istringstream fields(rest);
    std::string status, bytes;
    fields >> status >> bytes;
    answers.push_back(status + " " + bytes);
  }
  return answers;
}

std::vector<std::string> FaultAnswers(const std::string& path) { return SplitLines(FaultControl("answers?" + path)); }

void ServeFile(const std::string& relative, const std::string& bytes) {
  fs::path path = fs::path(Servers().docroot) / relative;
  fs::create_directories(path.parent_path());
  WriteBytes(path.string(), bytes);
}

void RemoveServedFiles(const std::string& folder, const std::string& prefix) {
  fs::path root = fs::path(Servers().docroot) / folder;
  std::error_code ignored;
  for (const fs::directory_entry& entry : fs::directory_iterator(root, ignored)) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) fs::remove_all(entry.path(), ignored);
  }
}

std::string ServedFile(const std::string& relative) {
  return ReadBytes((fs::path(Servers().docroot) / relative).string());
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

std::string PatternBytes(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (char& byte : bytes) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<char>(1 + (state >> 16) % 255);
  }
  return bytes;
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}
