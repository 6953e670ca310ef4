#include "sign/CngSignature.h"

#include <windows.h>
#include <bcrypt.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

const unsigned kHashSize = 32;
const DWORD kFileChunk = 1 << 20;

bool Succeeded(NTSTATUS status) { return status >= 0; }

// An algorithm provider, closed when it goes.
class Provider {
public:
  explicit Provider(const wchar_t* algorithm) {
    if (!Succeeded(BCryptOpenAlgorithmProvider(&m_handle, algorithm, nullptr, 0))) m_handle = nullptr;
  }
  ~Provider() {
    if (m_handle) BCryptCloseAlgorithmProvider(m_handle, 0);
  }
  Provider(const Provider&) = delete;
  Provider& operator=(const Provider&) = delete;
  BCRYPT_ALG_HANDLE Get() const { return m_handle; }

private:
  BCRYPT_ALG_HANDLE m_handle = nullptr;
};

// SHA-256 over bytes handed in pieces.
class Sha256 {
public:
  Sha256() : m_provider(BCRYPT_SHA256_ALGORITHM) {
    if (m_provider.Get() && !Succeeded(BCryptCreateHash(m_provider.Get(), &m_hash, nullptr, 0, nullptr, 0, 0))) {
      m_hash = nullptr;
    }
  }
  ~Sha256() {
    if (m_hash) BCryptDestroyHash(m_hash);
  }
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  bool Add(const void* data, ULONG size) {
    return m_hash && Succeeded(BCryptHashData(m_hash, static_cast<PUCHAR>(const_cast<void*>(data)), size, 0));
  }
  bool Finish(unsigned char digest[kHashSize]) {
    return m_hash && Succeeded(BCryptFinishHash(m_hash, digest, kHashSize, 0));
  }

private:
  Provider m_provider;
  BCRYPT_HASH_HANDLE m_hash = nullptr;
};

// Hashes size bytes at data; pieces keep each call within ULONG.
bool HashBytes(const void* data, size_t size, unsigned char digest[kHashSize]) {
  Sha256 hash;
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  while (size > 0) {
    ULONG piece = size > 0x40000000u ? 0x40000000u : static_cast<ULONG>(size);
    if (!hash.Add(bytes, piece)) return false;
    bytes += piece;
    size -= piece;
  }
  return hash.Finish(digest);
}

bool HashFile(const char* fileName, unsigned char digest[kHashSize]) {
  HANDLE file = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::unique_ptr<unsigned char[]> buffer(new (std::nothrow) unsigned char[kFileChunk]);
  Sha256 hash;
  bool ok = buffer != nullptr;
  for (DWORD read = 0; ok;) {
    ok = ReadFile(file, buffer.get(), kFileChunk, &read, nullptr) != 0;
    if (!ok || read == 0) break;
    ok = hash.Add(buffer.get(), read);
  }
  CloseHandle(file);
  return ok && hash.Finish(digest);
}

// A P-256 key handle from the public key, and the private key when secret is given.
class EcdsaKey {
public:
  EcdsaKey(const Provider& provider, const unsigned char key[RELEASE_KEY_SIZE], const unsigned char* secret) {
    const bool isPrivate = secret != nullptr;
    std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + RELEASE_KEY_SIZE + (isPrivate ? RELEASE_SECRET_SIZE : 0));
    BCRYPT_ECCKEY_BLOB header;
    header.dwMagic = isPrivate ? BCRYPT_ECDSA_PRIVATE_P256_MAGIC : BCRYPT_ECDSA_PUBLIC_P256_MAGIC;
    header.cbKey = RELEASE_KEY_SIZE / 2;
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), key, RELEASE_KEY_SIZE);
    if (isPrivate) std::memcpy(blob.data() + sizeof(header) + RELEASE_KEY_SIZE, secret, RELEASE_SECRET_SIZE);
    if (!provider.Get() ||
        !Succeeded(BCryptImportKeyPair(provider.Get(), nullptr,
                                       isPrivate ? BCRYPT_ECCPRIVATE_BLOB : BCRYPT_ECCPUBLIC_BLOB, &m_handle,
                                       blob.data(), static_cast<ULONG>(blob.size()), 0))) {
      m_handle = nullptr;
    }
    SecureZeroMemory(blob.data(), blob.size());
  }
  ~EcdsaKey() {
    if (m_handle) BCryptDestroyKey(m_handle);
  }
  EcdsaKey(const EcdsaKey&) = delete;
  EcdsaKey& operator=(const EcdsaKey&) = delete;
  BCRYPT_KEY_HANDLE Get() const { return m_handle; }

private:
  BCRYPT_KEY_HANDLE m_handle = nullptr;
};

SignatureCheck VerifyDigest(const unsigned char key[RELEASE_KEY_SIZE], unsigned char digest[kHashSize],
                            const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  Provider provider(BCRYPT_ECDSA_P256_ALGORITHM);
  EcdsaKey publicKey(provider, key, nullptr);
  if (!publicKey.Get()) return SIGNATURE_UNREADABLE;
  unsigned char copy[RELEASE_SIGNATURE_SIZE];
  std::memcpy(copy, signature, sizeof(copy));
  NTSTATUS status = BCryptVerifySignature(publicKey.Get(), nullptr, digest, kHashSize, copy, sizeof(copy), 0);
  return Succeeded(status) ? SIGNATURE_VALID : SIGNATURE_INVALID;
}

}  // namespace

SignatureCheck VerifyReleaseBytes(const unsigned char key[RELEASE_KEY_SIZE], const void* data, size_t size,
                                  const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  unsigned char digest[kHashSize];
  if (!HashBytes(data, size, digest)) return SIGNATURE_UNREADABLE;
  return VerifyDigest(key, digest, signature);
}

SignatureCheck VerifyReleaseFile(const unsigned char key[RELEASE_KEY_SIZE], const char* fileName,
                                 const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  unsigned char digest[kHashSize];
  if (!HashFile(fileName, digest)) return SIGNATURE_UNREADABLE;
  return VerifyDigest(key, digest, signature);
}

bool SignReleaseBytes(const unsigned char key[RELEASE_KEY_SIZE], const unsigned char secret[RELEASE_SECRET_SIZE],
                      const void* data, size_t size, unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  unsigned char digest[kHashSize];
  if (!HashBytes(data, size, digest)) return false;
  Provider provider(BCRYPT_ECDSA_P256_ALGORITHM);
  EcdsaKey privateKey(provider, key, secret);
  if (!privateKey.Get()) return false;
  ULONG written = 0;
  NTSTATUS status =
      BCryptSignHash(privateKey.Get(), nullptr, digest, kHashSize, signature, RELEASE_SIGNATURE_SIZE, &written, 0);
  return Succeeded(status) && written == RELEASE_SIGNATURE_SIZE;
}
