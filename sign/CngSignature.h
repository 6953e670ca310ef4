// Release signatures checked (and, for tools and tests, made) with the platform's
// cryptography (CNG, bcrypt.dll): SHA-256 and ECDSA P-256. Windows only.
#pragma once

#include "sign/ReleaseKey.h"

#include <cstddef>

enum SignatureCheck {
  SIGNATURE_VALID,       // made with the key's private half over exactly these bytes
  SIGNATURE_INVALID,     // anything else: another key, other bytes, a damaged signature
  SIGNATURE_UNREADABLE,  // the file could not be read, or the platform refused the key
};

SignatureCheck VerifyReleaseBytes(const unsigned char key[RELEASE_KEY_SIZE], const void* data, size_t size,
                                  const unsigned char signature[RELEASE_SIGNATURE_SIZE]);
// Hashes the file in chunks, so an archive of any size needs little memory.
SignatureCheck VerifyReleaseFile(const unsigned char key[RELEASE_KEY_SIZE], const char* fileName,
                                 const unsigned char signature[RELEASE_SIGNATURE_SIZE]);

// Signs data with the private key secret (d, 32 bytes big-endian) whose public half is
// key. False when the platform refuses the key.
bool SignReleaseBytes(const unsigned char key[RELEASE_KEY_SIZE], const unsigned char secret[RELEASE_SECRET_SIZE],
                      const void* data, size_t size, unsigned char signature[RELEASE_SIGNATURE_SIZE]);
