#include "ZipException.h"

CZipException::CZipException(int cause, const std::string& path) : m_iCause(cause), m_szFileName(path) {}

const char* CZipException::GetCauseText(int cause) {
  switch (cause) {
    case noError: return "no error";
    case cannotOpen: return "cannot open archive";
    case notAnArchive: return "not an archive";
    case badArchive: return "damaged central directory";
    case notOpen: return "archive not open";
    case badIndex: return "no such entry";
    case entryOpen: return "another entry is open";
    case unsafeName: return "unsafe entry name";
    case badLocalHeader: return "bad local header";
    case unsupportedMethod: return "unsupported compression method";
    case encrypted: return "encrypted entry";
    case shortEntry: return "entry data too short";
    case dataError: return "damaged compressed data";
    case badCrc: return "CRC mismatch";
    case cannotWrite: return "cannot write file";
    case cannotSetInfo: return "cannot set file time or attributes";
    case badArgument: return "bad argument";
    case outOfMemory: return "out of memory";
    case cancelled: return "cancelled";
  }
  return "unknown error";
}
