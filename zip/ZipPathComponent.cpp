#include "ZipPathComponent.h"

#include <cctype>
#include <cstring>
#include <string>

#include "ZipArchive.h"

namespace {

bool SameLetters(const char* text, const char* upper, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (std::toupper((unsigned char)text[i]) != (unsigned char)upper[i]) return false;
  }
  return true;
}

// The digits Windows accepts after COM and LPT: 1-9 and the superscripts 1, 2, 3 of
// the ANSI code page.
bool IsDeviceDigit(unsigned char c) { return (c >= '1' && c <= '9') || c == 0xB9 || c == 0xB2 || c == 0xB3; }

}  // namespace

void CZipPathComponent::SetFullPath(const std::string& path) {
  m_szDrive.clear();
  m_szDirectory.clear();
  m_szFileBase.clear();
  m_szFileExt.clear();

  size_t rest = 0;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // UNC or device prefix: two separators and the next two components.
    size_t end = 2;
    for (int parts = 0; parts < 2 && end < path.size(); ++parts) {
      while (end < path.size() && !IsSeparator(path[end])) ++end;
      if (parts == 0 && end < path.size()) ++end;
    }
    rest = end;
  } else if (path.size() >= 2 && path[1] == ':') {
    rest = 2;
  }
  m_szDrive = path.substr(0, rest);

  size_t lastSeparator = std::string::npos;
  for (size_t i = rest; i < path.size(); ++i) {
    if (IsSeparator(path[i])) lastSeparator = i;
  }
  size_t nameStart = rest;
  if (lastSeparator != std::string::npos) {
    m_szDirectory = path.substr(rest, lastSeparator + 1 - rest);
    nameStart = lastSeparator + 1;
  }
  std::string name = path.substr(nameStart);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) {
    m_szFileBase = name;
  } else {
    m_szFileBase = name.substr(0, dot);
    m_szFileExt = name.substr(dot + 1);
  }
}

std::string CZipPathComponent::GetFileName() const {
  if (m_szFileExt.empty()) return m_szFileBase;
  return m_szFileBase + "." + m_szFileExt;
}

bool CZipPathComponent::IsSafeEntryName(const char* name, size_t length) {
  if (!name || length == 0) return false;
  if (std::memchr(name, '\0', length) || std::memchr(name, ':', length)) return false;
  if (IsSeparator(name[0])) return false;
  size_t start = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && !IsSeparator(name[i])) continue;
    bool lastOfFolder = i == length && start == length;
    if (!lastOfFolder && !IsSafeComponent(name + start, i - start)) return false;
    start = i + 1;
  }
  return true;
}

bool CZipPathComponent::IsSafeFileName(const char* name, size_t length) {
  if (!name) return false;
  for (size_t i = 0; i < length; ++i) {
    const unsigned char c = (unsigned char)name[i];
    if (c < 0x20 || c == 0x7F || IsSeparator((char)c) || std::strchr(":<>\"|?*", c)) return false;
  }
  return IsSafeComponent(name, length);
}

bool CZipPathComponent::IsSafeComponent(const char* component, size_t length) {
  if (length == 0) return false;
  bool onlyDotsAndSpaces = true;
  for (size_t i = 0; i < length && onlyDotsAndSpaces; ++i) {
    onlyDotsAndSpaces = component[i] == '.' || component[i] == ' ';
  }
  if (onlyDotsAndSpaces) return false;
  if (CZipArchive::IsTemporaryName(std::string(component, length))) return false;
  return !IsReservedDeviceName(component, length);
}

// Windows maps these names to devices in every folder and whatever the extension;
// trailing spaces before the extension are ignored too ("CON .txt").
bool CZipPathComponent::IsReservedDeviceName(const char* component, size_t length) {
  size_t base = 0;
  while (base < length && component[base] != '.') ++base;
  while (base > 0 && component[base - 1] == ' ') --base;
  static const char* const kPlain[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kPlain) {
    size_t n = std::strlen(device);
    if (base == n && SameLetters(component, device, n)) return true;
  }
  if (base == 4 && (SameLetters(component, "COM", 3) || SameLetters(component, "LPT", 3)) &&
      IsDeviceDigit((unsigned char)component[3])) {
    return true;
  }
  return false;
}
