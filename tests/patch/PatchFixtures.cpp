#include "tests/patch/PatchFixtures.h"

#include "tests/net/TestServers.h"

#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>

namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

void Put32(std::string& out, uint32_t value) {
  Put16(out, value & 0xffff);
  Put16(out, value >> 16);
}

uint32_t Get32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
  return value;
}

void MakeParents(const std::string& path) {
  for (size_t at = path.find_first_of("\\/"); at != std::string::npos; at = path.find_first_of("\\/", at + 1)) {
    if (at > 0) CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  }
}

void ReadFolder(const std::string& folder, const std::string& relative, FileMap& out) {
  WIN32_FIND_DATAA found;
  std::string pattern = folder + (relative.empty() ? "" : "\\" + relative) + "\\*";
  HANDLE find = FindFirstFileA(pattern.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = relative.empty() ? name : relative + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      ReadFolder(folder, path, out);
    } else {
      out[path] = ReadBytes(folder + "\\" + path);
    }
  } while (FindNextFileA(find, &found));
  FindClose(find);
}

}  // namespace

void WriteTree(const std::string& folder, const FileMap& files) {
  for (const auto& file : files) {
    std::string path = folder + "\\" + file.first;
    MakeParents(path);
    WriteBytes(path, file.second);
  }
}

FileMap ReadTree(const std::string& folder) {
  FileMap files;
  ReadFolder(folder, "", files);
  return files;
}

std::string BinFile(const std::string& name) {
  const char* bin = std::getenv("KQ_BIN_DIR");
  return std::string(bin ? bin : ".") + "/" + name;
}

int RunProgram(const std::string& program, const std::string& arguments, unsigned timeoutMs) {
  std::string commandLine = "\"" + program + "\" " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  CloseHandle(process.hThread);
  DWORD status = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &status);
  } else {
    TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, INFINITE);
  }
  CloseHandle(process.hProcess);
  return static_cast<int>(status);
}

bool MakeArchive(const std::string& archive, const std::string& folder) {
  return RunProgram(BinFile("kqpack.exe"), "create \"" + archive + "\" \"" + folder + "\"", 120000) == 0;
}

std::string HandMadeArchive(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string local;
  std::string central;
  for (const auto& entry : entries) {
    const std::string& name = entry.first;
    const std::string& data = entry.second;
    uint32_t crc = static_cast<uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    uint32_t offset = static_cast<uint32_t>(local.size());
    Put32(local, 0x04034b50);
    Put16(local, 20);
    Put16(local, 0);
    Put16(local, 0);  // stored
    Put32(local, 0);  // time and date
    Put32(local, crc);
    Put32(local, static_cast<uint32_t>(data.size()));
    Put32(local, static_cast<uint32_t>(data.size()));
    Put16(local, static_cast<unsigned>(name.size()));
    Put16(local, 0);
    local += name + data;
    Put32(central, 0x02014b50);
    Put16(central, 20);
    Put16(central, 20);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, crc);
    Put32(central, static_cast<uint32_t>(data.size()));
    Put32(central, static_cast<uint32_t>(data.size()));
    Put16(central, static_cast<unsigned>(name.size()));
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put16(central, 0);
    Put32(central, 0);
    Put32(central, offset);
    central += name;
  }
  std::string end;
  Put32(end, 0x06054b50);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<unsigned>(entries.size()));
  Put16(end, static_cast<unsigned>(entries.size()));
  Put32(end, static_cast<uint32_t>(central.size()));
  Put32(end, static_cast<uint32_t>(local.size()));
  Put16(end, 0);
  return local + central + end;
}

FileMap ReadPack(const std::string& path) {
  FileMap entries;
  if (!Exists(path)) return entries;
  std::string bytes = ReadBytes(path);
  if (bytes.compare(0, 4, "KQSP") != 0) return entries;
  size_t at = 4;
  while (at + 4 <= bytes.size()) {
    uint32_t nameLength = Get32(bytes, at);
    if (at + 8 + nameLength > bytes.size()) return FileMap();
    std::string name = bytes.substr(at + 4, nameLength);
    uint32_t size = Get32(bytes, at + 4 + nameLength);
    at += 8 + nameLength;
    if (at + size > bytes.size()) return FileMap();
    entries[name] = bytes.substr(at, size);
    at += size;
  }
  return entries;
}

std::vector<std::string> Journal() {
  if (!Exists("NorvStandin.log")) return {};
  return SplitLines(ReadBytes("NorvStandin.log"));
}

void ControlStandIn(const std::string& words) {
  if (words.empty()) {
    DeleteFileA("NorvStandin.fail");
  } else {
    WriteBytes("NorvStandin.fail", words);
  }
}

bool CopyGraphicsBuilds() {
  return CopyFileA(BinFile("NorvGFuncSSE.dll").c_str(), "NorvGFuncSSE.dll", FALSE) &&
         CopyFileA(BinFile("NorvGFuncN.dll").c_str(), "NorvGFuncN.dll", FALSE);
}
