// On-disk layout of the archive records: signatures, record sizes and the offsets of
// every field the reader and the publisher's tool touch, plus little-endian helpers.
// Fields are always read through these helpers at these offsets, never by casting
// file bytes onto a struct.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zipfmt {

// End of central directory record (22 bytes, then the comment).
const uint32_t kEndSignature = 0x06054B50;
const size_t kEndSize = 22;
const size_t kEndSignatureOfs = 0;
const size_t kEndThisDiskOfs = 4;
const size_t kEndCentralDiskOfs = 6;
const size_t kEndDiskEntriesOfs = 8;
const size_t kEndTotalEntriesOfs = 10;
const size_t kEndCentralSizeOfs = 12;
const size_t kEndCentralOffsetOfs = 16;
const size_t kEndCommentLenOfs = 20;
const uint32_t kMaxComment = 0xFFFF;

// Central directory file header (46 bytes, then name, extra field and comment).
const uint32_t kCentralSignature = 0x02014B50;
const size_t kCentralSize = 46;
const size_t kCentralSignatureOfs = 0;
const size_t kCentralMadeByOfs = 4;
const size_t kCentralNeededOfs = 6;
const size_t kCentralFlagsOfs = 8;
const size_t kCentralMethodOfs = 10;
const size_t kCentralTimeOfs = 12;
const size_t kCentralDateOfs = 14;
const size_t kCentralCrcOfs = 16;
const size_t kCentralCompSizeOfs = 20;
const size_t kCentralSizeOfs = 24;
const size_t kCentralNameLenOfs = 28;
const size_t kCentralExtraLenOfs = 30;
const size_t kCentralCommentLenOfs = 32;
const size_t kCentralDiskStartOfs = 34;
const size_t kCentralIntAttrOfs = 36;
const size_t kCentralExtAttrOfs = 38;
const size_t kCentralLocalOfs = 42;

// Local file header (30 bytes, then name and extra field, then the entry data).
const uint32_t kLocalSignature = 0x04034B50;
const size_t kLocalSize = 30;
const size_t kLocalSignatureOfs = 0;
const size_t kLocalNeededOfs = 4;
const size_t kLocalFlagsOfs = 6;
const size_t kLocalMethodOfs = 8;
const size_t kLocalTimeOfs = 10;
const size_t kLocalDateOfs = 12;
const size_t kLocalCrcOfs = 14;
const size_t kLocalCompSizeOfs = 18;
const size_t kLocalSizeOfs = 22;
const size_t kLocalNameLenOfs = 26;
const size_t kLocalExtraLenOfs = 28;

// General purpose flags and methods.
const uint16_t kFlagEncrypted = 0x0001;
const uint16_t kFlagDataDescriptor = 0x0008;
const uint16_t kMethodStored = 0;
const uint16_t kMethodDeflated = 8;
const uint32_t kEncryptionHeaderSize = 12;

// "Version made by": the high byte names the system that made the entry.
const int kSystemDos = 0;
const int kSystemUnix = 3;
const int kSystemOs2 = 6;
const int kSystemMac = 7;
const int kSystemNtfs = 10;

// Windows attribute bits as they appear in the external attributes.
const uint32_t kAttrReadOnly = 0x01;
const uint32_t kAttrHidden = 0x02;
const uint32_t kAttrSystem = 0x04;
const uint32_t kAttrDirectory = 0x10;
const uint32_t kAttrArchive = 0x20;

inline uint16_t Get16(const unsigned char* p, size_t ofs) {
  return (uint16_t)(p[ofs] | (p[ofs + 1] << 8));
}

inline uint32_t Get32(const unsigned char* p, size_t ofs) {
  return (uint32_t)p[ofs] | ((uint32_t)p[ofs + 1] << 8) | ((uint32_t)p[ofs + 2] << 16) |
         ((uint32_t)p[ofs + 3] << 24);
}

inline void Put16(unsigned char* p, size_t ofs, uint16_t v) {
  p[ofs] = (unsigned char)v;
  p[ofs + 1] = (unsigned char)(v >> 8);
}

inline void Put32(unsigned char* p, size_t ofs, uint32_t v) {
  p[ofs] = (unsigned char)v;
  p[ofs + 1] = (unsigned char)(v >> 8);
  p[ofs + 2] = (unsigned char)(v >> 16);
  p[ofs + 3] = (unsigned char)(v >> 24);
}

}  // namespace zipfmt
