#include "ZipFileHeader.h"

#include <cstring>

#include "ZipFormat.h"
#include "ZipHeaderKeys.h"
#include "ZipPlatform.h"
#include "ZipStorage.h"

using namespace zipfmt;

namespace {

// Unix mode bits in the high word of the external attributes.
const uint32_t kUnixDirectory = 0x40000000;
const uint32_t kUnixOwnerRead = 0x01000000;
const uint32_t kUnixOwnerWrite = 0x00800000;
const uint32_t kUnixOwnerExecute = 0x00400000;

// Defaults for entries whose attributes say nothing: rwxr-xr-x folder, rw-r--r-- file.
const uint32_t kDefaultDirectoryAttr = 0x41FF0010;
const uint32_t kDefaultFileAttr = 0x81A40020;

bool EndsWithSeparator(const char* name, size_t length) {
  return length > 0 && (name[length - 1] == '\\' || name[length - 1] == '/');
}

uint32_t UnixToWindowsAttr(uint32_t external) {
  uint32_t attr = 0;
  if (external & kUnixDirectory) attr |= kAttrDirectory;
  if (!(external & kUnixOwnerExecute)) attr |= kAttrArchive;
  if (!(external & kUnixOwnerWrite)) attr |= kAttrReadOnly;
  if (!(external & kUnixOwnerRead)) attr |= kAttrHidden;
  return attr;
}

}  // namespace

bool CZipFileHeader::ReadCentral(CZipStorage& storage, uint64_t& bytesLeft) {
  unsigned char fixed[kCentralSize];
  if (bytesLeft < kCentralSize || !storage.Read(fixed, kCentralSize)) return false;

  unsigned char descrambled[kCentralSize];
  std::memcpy(descrambled, fixed, kCentralSize);
  ZipApplyHeaderKeys(descrambled, kCentralSize);
  if (Get32(descrambled, kCentralSignatureOfs) == kCentralSignature) {
    std::memcpy(fixed, descrambled, kCentralSize);
    m_bScrambled = true;
  } else if (Get32(fixed, kCentralSignatureOfs) == kCentralSignature) {
    m_bScrambled = false;
  } else {
    return false;
  }

  m_uVersionMadeBy = Get16(fixed, kCentralMadeByOfs);
  m_uVersionNeeded = Get16(fixed, kCentralNeededOfs);
  m_uFlag = Get16(fixed, kCentralFlagsOfs);
  m_uMethod = Get16(fixed, kCentralMethodOfs);
  m_uModTime = Get16(fixed, kCentralTimeOfs);
  m_uModDate = Get16(fixed, kCentralDateOfs);
  m_uCrc32 = Get32(fixed, kCentralCrcOfs);
  m_uComprSize = Get32(fixed, kCentralCompSizeOfs);
  m_uUncomprSize = Get32(fixed, kCentralSizeOfs);
  uint16_t nameLength = Get16(fixed, kCentralNameLenOfs);
  uint16_t extraLength = Get16(fixed, kCentralExtraLenOfs);
  uint16_t commentLength = Get16(fixed, kCentralCommentLenOfs);
  m_uDiskStart = Get16(fixed, kCentralDiskStartOfs);
  m_uInternalAttr = Get16(fixed, kCentralIntAttrOfs);
  m_uExternalAttr = Get32(fixed, kCentralExtAttrOfs);
  m_uOffset = Get32(fixed, kCentralLocalOfs);

  uint64_t variable = (uint64_t)nameLength + extraLength + commentLength;
  if (bytesLeft - kCentralSize < variable) return false;

  if (!m_pszFileName.Allocate(nameLength + 1u)) return false;
  if (!storage.Read(m_pszFileName.GetBuffer(), nameLength)) return false;
  if (m_bScrambled) ZipApplyHeaderKeys(m_pszFileName.GetBytes(), nameLength);
  m_iNameLength = nameLength;

  if (!m_pExtraField.Allocate(extraLength) || !storage.Read(m_pExtraField.GetBuffer(), extraLength)) return false;
  if (!m_pszComment.Allocate(commentLength) || !storage.Read(m_pszComment.GetBuffer(), commentLength)) return false;

  bytesLeft -= kCentralSize + variable;
  ConvertFileName();
  return true;
}

void CZipFileHeader::ConvertFileName() {
  char* name = m_pszFileName.GetBuffer();
  for (size_t i = 0; i < m_iNameLength; ++i) {
    if (name[i] == '/') name[i] = '\\';
  }
  if (GetSystemCompatibility() == kSystemDos) ZipPlatform::ConvertOemToAnsi(name, m_iNameLength);
}

const char* CZipFileHeader::GetFileName() const {
  return m_pszFileName.IsAllocated() ? m_pszFileName.GetBuffer() : "";
}

uint32_t CZipFileHeader::GetSystemAttr() const {
  int system = GetSystemCompatibility();
  bool known = system == kSystemDos || system == kSystemUnix || system == kSystemOs2 || system == kSystemMac ||
               system == kSystemNtfs;
  if (!known || m_uExternalAttr == 0) {
    return EndsWithSeparator(GetFileName(), m_iNameLength) ? kDefaultDirectoryAttr : kDefaultFileAttr;
  }
  switch (system) {
    case kSystemUnix: return UnixToWindowsAttr(m_uExternalAttr);
    case kSystemMac: return m_uExternalAttr & (kAttrDirectory | kAttrReadOnly);
    default: return m_uExternalAttr;
  }
}

bool CZipFileHeader::IsDirectory() const {
  return (GetSystemAttr() & kAttrDirectory) != 0 || EndsWithSeparator(GetFileName(), m_iNameLength);
}

bool CZipFileHeader::IsEncrypted() const { return (m_uFlag & kFlagEncrypted) != 0; }

time_t CZipFileHeader::GetTime() const {
  struct tm when = {};
  when.tm_year = ((m_uModDate >> 9) & 0x7F) + 80;
  when.tm_mon = ((m_uModDate >> 5) & 0x0F) - 1;
  when.tm_mday = m_uModDate & 0x1F;
  when.tm_hour = (m_uModTime >> 11) & 0x1F;
  when.tm_min = (m_uModTime >> 5) & 0x3F;
  when.tm_sec = (m_uModTime & 0x1F) * 2;
  when.tm_isdst = -1;
  return mktime(&when);
}
