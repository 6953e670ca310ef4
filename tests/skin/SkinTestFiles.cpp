#include "tests/skin/SkinTestFiles.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

std::string Bytes(const std::vector<int>& values) {
  std::string out;
  for (int v : values) {
    out += (char)(uint8_t)v;
  }
  return out;
}

std::string Repeat(const std::string& text, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += text;
  }
  return out;
}

std::string MakeTga(const TgaHeader& header, const std::string& body) {
  std::string out(18, '\0');
  out[0] = (char)header.idLength;
  out[2] = (char)header.type;
  out[12] = (char)(header.width & 0xFF);
  out[13] = (char)(header.width >> 8);
  out[14] = (char)(header.height & 0xFF);
  out[15] = (char)(header.height >> 8);
  out[16] = (char)header.depth;
  out[17] = (char)header.descriptor;
  out += std::string((size_t)header.idLength, 'I');
  return out + body;
}

ScratchDir::ScratchDir(const std::string& name) : m_path(fs::current_path() / name) {
  std::error_code error;
  fs::remove_all(m_path, error);
  fs::create_directories(m_path);
}

ScratchDir::~ScratchDir() {
  std::error_code error;
  fs::remove_all(m_path, error);
}

std::string ScratchDir::Folder() const { return m_path.generic_string() + "/"; }

void WriteFile(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) {
    fs::create_directories(path.parent_path());
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
