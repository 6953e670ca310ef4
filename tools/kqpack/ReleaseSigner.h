// kqpack's release signatures (the format is sign/ReleaseKey.h's): checking a file's
// signature on every platform, with OpenSSL natively (ReleaseSigner.cpp) and with
// CNG on Windows (ReleaseSignerCng.cpp); making keys and signatures natively only,
// because the publisher's private key lives on the publishing machine, in a PEM file.
#pragma once

#include <string>

#include "sign/ReleaseKey.h"

enum class FileSignature {
  kValid,       // made with the key's private half over exactly the file's bytes
  kInvalid,     // another key, other bytes, a damaged signature
  kUnreadable,  // the file could not be read
};

FileSignature CheckFileSignature(const unsigned char key[RELEASE_KEY_SIZE], const std::string& path,
                                 const unsigned char signature[RELEASE_SIGNATURE_SIZE]);

// What signs the files of a release; the release itself stays portable.
class CFileSigner {
 public:
  virtual ~CFileSigner() = default;
  // The signature of the file's bytes; false with error set ("cannot read", ...).
  virtual bool SignFile(const std::string& path, unsigned char signature[RELEASE_SIGNATURE_SIZE],
                        std::string& error) const = 0;
  // The public half of the key that signs.
  virtual const unsigned char* GetPublicKey() const = 0;
};

#ifndef _WIN32

struct evp_pkey_st;

// An ECDSA P-256 private key read from a PEM file.
class CReleaseSigner : public CFileSigner {
 public:
  CReleaseSigner() = default;
  ~CReleaseSigner() override;
  CReleaseSigner(const CReleaseSigner&) = delete;
  CReleaseSigner& operator=(const CReleaseSigner&) = delete;

  // Makes a new key pair and writes its private key to keyFile as PEM, readable by
  // its owner only; an existing file is never replaced. False with error set (one
  // line, naming the file) and no file left behind.
  static bool GenerateKey(const std::string& keyFile, unsigned char publicKey[RELEASE_KEY_SIZE], std::string& error);

  // Reads the private key; anything but an unencrypted P-256 private key is refused.
  // False with error set (one line, naming the file).
  bool Load(const std::string& keyFile, std::string& error);

  bool SignFile(const std::string& path, unsigned char signature[RELEASE_SIGNATURE_SIZE],
                std::string& error) const override;
  const unsigned char* GetPublicKey() const override { return m_publicKey; }

 private:
  evp_pkey_st* m_key = nullptr;
  unsigned char m_publicKey[RELEASE_KEY_SIZE] = {};
};

#endif
