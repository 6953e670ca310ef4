#include "NameCodePage.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

// Characters that no Windows file name holds (":" is the reader's to refuse, with
// drives and streams). On Windows a "?" is also what a name outside the system's
// code page comes back as.
bool IsForbidden(unsigned char c) {
  return c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*';
}

bool HasSeparatorByte(const std::string& bytes) {
  return bytes.find('/') != std::string::npos || bytes.find('\\') != std::string::npos;
}

#ifndef _WIN32
std::string IconvName(int codePage) {
  if (codePage == 65001) return "UTF-8";
  return "CP" + std::to_string(codePage);
}

// An iconv conversion from UTF-8 that is closed when it goes.
class Conversion {
 public:
  explicit Conversion(int codePage) : m_handle(iconv_open(IconvName(codePage).c_str(), "UTF-8")) {}
  ~Conversion() {
    if (IsOpen()) iconv_close(m_handle);
  }
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;
  bool IsOpen() const { return m_handle != (iconv_t)-1; }
  iconv_t Get() const { return m_handle; }

 private:
  iconv_t m_handle;
};
#endif

}  // namespace

#ifdef _WIN32
bool CNameCodePage::IsKnown() const { return IsValidCodePage((UINT)m_iCodePage) != 0; }

bool CNameCodePage::ConvertPart(const std::string& part, std::string& stored) const {
  stored.clear();
  if (part.empty()) return true;
  int wide = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, part.data(), (int)part.size(), nullptr, 0);
  if (wide <= 0) return false;
  std::vector<wchar_t> text((size_t)wide);
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, part.data(), (int)part.size(), text.data(), wide);
  const bool utf8 = m_iCodePage == CP_UTF8;
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* pUsedDefault = utf8 ? nullptr : &usedDefault;
  int length = WideCharToMultiByte((UINT)m_iCodePage, flags, text.data(), wide, nullptr, 0, nullptr, pUsedDefault);
  if (length <= 0 || usedDefault) return false;
  stored.resize((size_t)length);
  WideCharToMultiByte((UINT)m_iCodePage, flags, text.data(), wide, &stored[0], length, nullptr, pUsedDefault);
  return !usedDefault;
}
#else
bool CNameCodePage::IsKnown() const { return Conversion(m_iCodePage).IsOpen(); }

bool CNameCodePage::ConvertPart(const std::string& part, std::string& stored) const {
  stored.clear();
  Conversion conversion(m_iCodePage);
  if (!conversion.IsOpen()) return false;
  std::string input = part;
  std::vector<char> output(part.size() * 4 + 16);
  char* in = &input[0];
  size_t inLeft = input.size();
  char* out = output.data();
  size_t outLeft = output.size();
  if (iconv(conversion.Get(), &in, &inLeft, &out, &outLeft) == (size_t)-1 || inLeft != 0) return false;
  if (iconv(conversion.Get(), nullptr, nullptr, &out, &outLeft) == (size_t)-1) return false;
  stored.assign(output.data(), output.size() - outLeft);
  return true;
}
#endif

bool CNameCodePage::Convert(const std::string& name, std::string& stored, std::string& reason) const {
  for (char c : name) {
    if (IsForbidden((unsigned char)c)) {
      reason = "the name holds a character that Windows file names cannot hold";
      return false;
    }
  }
  stored.clear();
  size_t start = 0;
  for (;;) {
    const size_t slash = name.find('/', start);
    const std::string part = name.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    std::string converted;
    if (!ConvertPart(part, converted)) {
      reason = "the name cannot be written in code page " + std::to_string(m_iCodePage);
      return false;
    }
    if (HasSeparatorByte(converted)) {
      reason = "in code page " + std::to_string(m_iCodePage) + " the name has a byte the launcher reads as a separator";
      return false;
    }
    stored += converted;
    if (slash == std::string::npos) return true;
    stored += '/';
    start = slash + 1;
  }
}
