// Release signatures with OpenSSL's libcrypto (3.x): ECDSA P-256 over SHA-256. OpenSSL
// hands out signatures in DER; the release format wants r then s, 32 bytes each.
#include "ReleaseSigner.h"

#include <openssl/bio.h>
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/pem.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

const size_t kHalf = RELEASE_KEY_SIZE / 2;  // one coordinate, one of r and s
const size_t kChunk = 65536;
const off_t kMaxKeyFile = 65536;            // a PEM key is a few hundred bytes
const char kCurve[] = "prime256v1";         // OpenSSL's name of P-256

struct PkeyFree {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct PkeyCtxFree {
  void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
};
struct MdCtxFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct BioFree {
  void operator()(BIO* bio) const { BIO_free(bio); }
};
struct BnFree {
  void operator()(BIGNUM* number) const { BN_free(number); }
};
struct SigFree {
  void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
};
struct ParamFree {
  void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
};
struct ParamBldFree {
  void operator()(OSSL_PARAM_BLD* builder) const { OSSL_PARAM_BLD_free(builder); }
};
struct FileClose {
  void operator()(FILE* file) const { std::fclose(file); }
};

using Pkey = std::unique_ptr<EVP_PKEY, PkeyFree>;
using MdCtx = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using Bn = std::unique_ptr<BIGNUM, BnFree>;

// Never asks for a pass phrase: an encrypted key file is refused instead of blocking
// the tool on a terminal prompt.
int NoPassPhrase(char*, int, int, void*) { return -1; }

// X then Y of an EC key, 32 bytes each.
bool PublicKeyOf(EVP_PKEY* key, unsigned char publicKey[RELEASE_KEY_SIZE]) {
  BIGNUM* x = nullptr;
  BIGNUM* y = nullptr;
  const bool got = EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_X, &x) == 1 &&
                   EVP_PKEY_get_bn_param(key, OSSL_PKEY_PARAM_EC_PUB_Y, &y) == 1;
  Bn xOwned(x), yOwned(y);
  return got && BN_bn2binpad(x, publicKey, kHalf) == (int)kHalf &&
         BN_bn2binpad(y, publicKey + kHalf, kHalf) == (int)kHalf;
}

// Feeds the file's bytes to update in chunks; false when it cannot be read.
template <typename Update>
bool ReadInChunks(const std::string& path, Update update) {
  std::unique_ptr<FILE, FileClose> file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  std::vector<unsigned char> buffer(kChunk);
  for (;;) {
    const size_t got = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (got > 0 && !update(buffer.data(), got)) return false;
    if (got < buffer.size()) return std::ferror(file.get()) == 0;
  }
}

// A P-256 public key from X then Y; null when the point is not on the curve.
Pkey PublicKeyFrom(const unsigned char key[RELEASE_KEY_SIZE]) {
  unsigned char point[1 + RELEASE_KEY_SIZE];
  point[0] = 0x04;  // uncompressed
  std::memcpy(point + 1, key, RELEASE_KEY_SIZE);
  std::unique_ptr<OSSL_PARAM_BLD, ParamBldFree> builder(OSSL_PARAM_BLD_new());
  if (!builder || OSSL_PARAM_BLD_push_utf8_string(builder.get(), OSSL_PKEY_PARAM_GROUP_NAME, kCurve, 0) != 1 ||
      OSSL_PARAM_BLD_push_octet_string(builder.get(), OSSL_PKEY_PARAM_PUB_KEY, point, sizeof(point)) != 1) {
    return nullptr;
  }
  std::unique_ptr<OSSL_PARAM, ParamFree> params(OSSL_PARAM_BLD_to_param(builder.get()));
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree> context(EVP_PKEY_CTX_new_from_name(nullptr, "EC", nullptr));
  EVP_PKEY* made = nullptr;
  if (!params || !context || EVP_PKEY_fromdata_init(context.get()) != 1 ||
      EVP_PKEY_fromdata(context.get(), &made, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return nullptr;
  }
  return Pkey(made);
}

// r then s as the DER form OpenSSL verifies.
std::vector<unsigned char> ToDer(const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  std::unique_ptr<ECDSA_SIG, SigFree> sig(ECDSA_SIG_new());
  BIGNUM* r = BN_bin2bn(signature, kHalf, nullptr);
  BIGNUM* s = BN_bin2bn(signature + kHalf, kHalf, nullptr);
  if (!sig || !r || !s || ECDSA_SIG_set0(sig.get(), r, s) != 1) {
    BN_free(r);
    BN_free(s);
    return {};
  }
  const int length = i2d_ECDSA_SIG(sig.get(), nullptr);
  if (length <= 0) return {};
  std::vector<unsigned char> der(length);
  unsigned char* out = der.data();
  i2d_ECDSA_SIG(sig.get(), &out);
  return der;
}

}  // namespace

FileSignature CheckFileSignature(const unsigned char key[RELEASE_KEY_SIZE], const std::string& path,
                                 const unsigned char signature[RELEASE_SIGNATURE_SIZE]) {
  Pkey publicKey = PublicKeyFrom(key);
  const std::vector<unsigned char> der = ToDer(signature);
  MdCtx context(EVP_MD_CTX_new());
  bool usable = publicKey && !der.empty() && context &&
                EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, publicKey.get()) == 1;
  bool updated = true;
  const bool read = ReadInChunks(path, [&](const unsigned char* data, size_t size) {
    if (usable) updated = updated && EVP_DigestVerifyUpdate(context.get(), data, size) == 1;
    return true;
  });
  if (!read) return FileSignature::kUnreadable;
  const bool valid = usable && updated && EVP_DigestVerifyFinal(context.get(), der.data(), der.size()) == 1;
  ERR_clear_error();
  return valid ? FileSignature::kValid : FileSignature::kInvalid;
}

CReleaseSigner::~CReleaseSigner() { EVP_PKEY_free(m_key); }

bool CReleaseSigner::GenerateKey(const std::string& keyFile, unsigned char publicKey[RELEASE_KEY_SIZE],
                                 std::string& error) {
  Pkey key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"));
  if (!key || !PublicKeyOf(key.get(), publicKey)) {
    error = keyFile + ": OpenSSL could not make a P-256 key";
    return false;
  }
  std::unique_ptr<BIO, BioFree> pem(BIO_new(BIO_s_mem()));
  char* text = nullptr;
  long length = 0;
  if (!pem || PEM_write_bio_PrivateKey(pem.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1 ||
      (length = BIO_get_mem_data(pem.get(), &text)) <= 0) {
    error = keyFile + ": OpenSSL could not write the key as PEM";
    return false;
  }
  // O_EXCL: a key file is never replaced, it may be the only copy of a key that
  // launchers out there trust. 0600, then again whatever the umask made of it.
  const int fd = open(keyFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = keyFile + (errno == EEXIST ? ": exists; keygen never replaces a key file"
                                       : ": cannot create: " + std::string(std::strerror(errno)));
    return false;
  }
  bool written = fchmod(fd, 0600) == 0;
  for (long done = 0; written && done < length;) {
    const ssize_t put = write(fd, text + done, length - done);
    if (put < 0 && errno == EINTR) continue;
    written = put > 0;
    if (written) done += put;
  }
  written = fsync(fd) == 0 && written;
  const int writeErrno = errno;
  written = close(fd) == 0 && written;
  OPENSSL_cleanse(text, length);
  if (!written) {
    unlink(keyFile.c_str());
    error = keyFile + ": cannot write: " + std::strerror(writeErrno);
    return false;
  }
  return true;
}

bool CReleaseSigner::Load(const std::string& keyFile, std::string& error) {
  EVP_PKEY_free(m_key);
  m_key = nullptr;
  const int fd = open(keyFile.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = keyFile + ": cannot read the key file" + (fd < 0 ? ": " + std::string(std::strerror(errno)) : "");
    if (fd >= 0) close(fd);
    return false;
  }
  std::vector<char> bytes(info.st_size > kMaxKeyFile ? kMaxKeyFile + 1 : info.st_size);
  ssize_t got = bytes.empty() ? 0 : read(fd, bytes.data(), bytes.size());
  close(fd);
  if (got < 0 || (size_t)got > (size_t)kMaxKeyFile) {
    error = keyFile + (got < 0 ? ": cannot read the key file" : ": too large to be a key file");
    return false;
  }
  std::unique_ptr<BIO, BioFree> pem(BIO_new_mem_buf(bytes.data(), (int)got));
  Pkey key(pem ? PEM_read_bio_PrivateKey(pem.get(), nullptr, NoPassPhrase, nullptr) : nullptr);
  OPENSSL_cleanse(bytes.data(), bytes.size());
  ERR_clear_error();
  if (!key) {
    error = keyFile + ": not a private key in PEM form (kqpack keygen writes one; encrypted keys are not read)";
    return false;
  }
  if (!EVP_PKEY_is_a(key.get(), "EC")) {
    error = keyFile + ": an " + EVP_PKEY_get0_type_name(key.get()) + " key; releases are signed with ECDSA P-256";
    return false;
  }
  char group[64] = "";
  size_t groupLength = 0;
  if (EVP_PKEY_get_group_name(key.get(), group, sizeof(group), &groupLength) != 1 || std::strcmp(group, kCurve) != 0) {
    error = keyFile + ": a key on the curve " + (group[0] ? group : "(unnamed)") +
            "; releases are signed with ECDSA P-256";
    return false;
  }
  BIGNUM* secret = nullptr;
  const bool isPrivate = EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_PRIV_KEY, &secret) == 1;
  BN_clear_free(secret);
  if (!isPrivate || !PublicKeyOf(key.get(), m_publicKey)) {
    error = keyFile + ": holds no P-256 private key";
    return false;
  }
  m_key = key.release();
  return true;
}

bool CReleaseSigner::SignFile(const std::string& path, unsigned char signature[RELEASE_SIGNATURE_SIZE],
                              std::string& error) const {
  MdCtx context(EVP_MD_CTX_new());
  if (!m_key || !context || EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, m_key) != 1) {
    error = "OpenSSL cannot sign with the key";
    return false;
  }
  bool signing = true;
  if (!ReadInChunks(path, [&](const unsigned char* data, size_t size) {
        return signing = EVP_DigestSignUpdate(context.get(), data, size) == 1;
      })) {
    error = signing ? "cannot read" : "OpenSSL cannot sign it";
    return false;
  }
  size_t length = 0;
  std::vector<unsigned char> der;
  if (EVP_DigestSignFinal(context.get(), nullptr, &length) == 1) {
    der.resize(length);
    if (EVP_DigestSignFinal(context.get(), der.data(), &length) != 1) der.clear();
    der.resize(der.empty() ? 0 : length);
  }
  const unsigned char* in = der.data();
  std::unique_ptr<ECDSA_SIG, SigFree> sig(der.empty() ? nullptr : d2i_ECDSA_SIG(nullptr, &in, (long)der.size()));
  const BIGNUM* r = nullptr;
  const BIGNUM* s = nullptr;
  if (sig) ECDSA_SIG_get0(sig.get(), &r, &s);
  ERR_clear_error();
  if (!r || !s || BN_bn2binpad(r, signature, kHalf) != (int)kHalf ||
      BN_bn2binpad(s, signature + kHalf, kHalf) != (int)kHalf) {
    error = "OpenSSL cannot sign it";
    return false;
  }
  return true;
}
