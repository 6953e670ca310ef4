#include "TestFiles.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(const std::string& name) : m_path(name) {
  RemoveTree(m_path);
  fs::create_directories(m_path);
}

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

void RemoveTree(const std::string& path) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(path, error))) return;
  for (auto it = fs::recursive_directory_iterator(path, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, error);
  }
  fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
  fs::remove_all(path, error);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> ListTree(const std::string& root) {
  std::vector<std::string> names;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
       it.increment(error)) {
    std::string name = fs::relative(it->path(), root).generic_string();
    if (it->is_directory()) name += "/";
    names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool IsWritable(const std::string& path) {
  return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

std::string CurrentFolder() { return fs::current_path().generic_string(); }

std::string TestNameFrom(const char* label) {
  std::string name;
  for (const char* p = label; *p; ++p) name += std::isalnum((unsigned char)*p) ? *p : '_';
  return name;
}
