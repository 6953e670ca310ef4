// Release signatures checked with the platform's CNG on Windows (sign/CngSignature.h).
#include "ReleaseSigner.h"

#include "sign/CngSignature.h"

FileSignature CheckFileSignature(const unsigned char key[RELEASE_KEY_SIZE], const std::string& path,
                                 const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  switch (VerifyReleaseFile(key, path.c_str(), signature)) {
    case SIGNATURE_VALID:
      return FileSignature::kValid;
    case SIGNATURE_INVALID:
      return FileSignature::kInvalid;
    default:
      return FileSignature::kUnreadable;
  }
}
