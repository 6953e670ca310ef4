// Release signatures, checked when the build carries the publisher's key
// (KQ_RELEASE_PUBLIC_KEY): the record is used only when "<record>.sig" verifies, an
// archive is unpacked only when "<archive>.sig" verifies and the record it carries
// is the signed record. Each refusal writes one patch-log line naming what failed.
#include "patch/Patcher.h"

#include "net/GlobalBlock.h"
#include "net/WinHandle.h"
#include "sign/CngSignature.h"
#include "zip/ZipArchive.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Where the record carried by an archive is unpacked to be compared.
const char kInnerRecordSuffix[] = ".record";

std::string FileNameOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash ? slash + 1 : path;
}

}  // namespace

bool cPatcher::SetReleaseKey(const char* hex) {
  if (!hex || !*hex) {
    m_checkSignatures = false;
    return true;
  }
  m_checkSignatures = ParseReleaseKey(hex, m_releaseKey);
  return m_checkSignatures;
}

// Fetches the signature of the file at path ("<path>.sig"); false, with a log line,
// when there is none of 64 bytes.
bool cPatcher::FetchSignature(const char* path, unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  const std::string signaturePath = std::string(path) + RELEASE_SIGNATURE_SUFFIX;
  GlobalBlock block;
  unsigned size = 0;
  int result = FetchRecordOnce(signaturePath.c_str(), block, &size);
  if (result == LOADER_CANCELLED) return false;
  char line[300];
  if (result != LOADER_OK || !block.Get()) {
    std::snprintf(line, sizeof(line), "signature of %s: cannot be fetched", FileNameOf(path).c_str());
    m_loader->WriteLog(line);
    return false;
  }
  if (size != RELEASE_SIGNATURE_SIZE) {
    // A server without the file answers with its error page, which lands here too.
    std::snprintf(line, sizeof(line), "signature of %s: missing or damaged (%u bytes, a signature has %u)",
                  FileNameOf(path).c_str(), size, RELEASE_SIGNATURE_SIZE);
    m_loader->WriteLog(line);
    return false;
  }
  std::memcpy(signature, block.Get(), RELEASE_SIGNATURE_SIZE);
  return true;
}

void cPatcher::LogSignatureCheck(const char* path, SignatureCheck check) {
  char line[300];
  std::snprintf(line, sizeof(line), "signature of %s: %s", FileNameOf(path).c_str(),
                check == SIGNATURE_INVALID ? "does not verify" : "cannot be checked");
  m_loader->WriteLog(line);
}

// The record's signature over its 21 bytes.
bool cPatcher::CheckRecordSignature(const char* recordPath, const char* record) {
  unsigned char signature[RELEASE_SIGNATURE_SIZE];
  if (!FetchSignature(recordPath, signature)) return false;
  SignatureCheck check = VerifyReleaseBytes(m_releaseKey, record, VERSION_RECORD_SIZE, signature);
  if (check == SIGNATURE_VALID) return true;
  LogSignatureCheck(recordPath, check);
  return false;
}

// The downloaded archive's signature, and the record it carries against the signed
// one, before anything of it is unpacked.
bool cPatcher::CheckArchiveSignature(const char* archivePath, const char* archiveName, const char* local) {
  unsigned char signature[RELEASE_SIGNATURE_SIZE];
  if (!FetchSignature(archivePath, signature)) return false;
  SignatureCheck check = VerifyReleaseFile(m_releaseKey, archiveName, signature);
  if (check != SIGNATURE_VALID) {
    LogSignatureCheck(archivePath, check);
    return false;
  }
  return CarriesSignedRecord(archiveName, local);
}

// Every entry of the archive under the record's name holds exactly the signed record
// (extraction would put the last of them in place), and there is at least one.
bool cPatcher::CarriesSignedRecord(const char* archiveName, const char* local) {
  char recordName[260] = {};
  MakeRecordName(local, recordName, sizeof(recordName));
  CZipArchive archive;
  const char* problem = nullptr;
  if (!archive.Open(archiveName, CZipArchive::zipOpenReadOnly, 0)) problem = "cannot be read";
  int found = 0;
  CZipFileHeader header;
  for (int index = 0; !problem && index < archive.GetCount(); ++index) {
    if (!archive.GetFileInfo(header, index) || lstrcmpiA(header.GetFileName(), recordName) != 0) continue;
    ++found;
    if (!EntryHoldsSignedRecord(archive, index, archiveName)) problem = "differs from the signed record";
  }
  archive.Close();
  if (!problem && found == 0) problem = "missing";
  if (!problem) return true;
  char line[300];
  std::snprintf(line, sizeof(line), "record in %s: %s", archiveName, problem);
  m_loader->WriteLog(line);
  return false;
}

// Unpacks entry index beside the archive and compares it with the signed record.
bool cPatcher::EntryHoldsSignedRecord(CZipArchive& archive, int index, const char* archiveName) {
  const std::string copy = std::string(archiveName) + kInnerRecordSuffix;
  char bytes[VERSION_RECORD_SIZE + 1] = {};
  DWORD read = 0;
  bool same = false;
  if (archive.ExtractFile(index, ".", false, copy.c_str())) {
    WinHandle file(CreateFileA(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    same = file && ReadFile(file.Get(), bytes, sizeof(bytes), &read, nullptr) && read == VERSION_RECORD_SIZE &&
           std::memcmp(bytes, m_signedRecord, VERSION_RECORD_SIZE) == 0;
  }
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(copy.c_str());
  return same;
}
