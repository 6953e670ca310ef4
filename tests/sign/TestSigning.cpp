#include "tests/sign/TestSigning.h"

#include "sign/CngSignature.h"

#include <cstdlib>

std::string FromHex(const std::string& hex) {
  std::string bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
  }
  return bytes;
}

std::string SignWith(const char* publicKeyHex, const char* secretHex, const std::string& data) {
  unsigned char key[RELEASE_KEY_SIZE];
  if (!ParseReleaseKey(publicKeyHex, key)) return "";
  const std::string secret = FromHex(secretHex);
  if (secret.size() != RELEASE_SECRET_SIZE) return "";
  unsigned char signature[RELEASE_SIGNATURE_SIZE];
  if (!SignReleaseBytes(key, reinterpret_cast<const unsigned char*>(secret.data()), data.data(), data.size(),
                        signature)) {
    return "";
  }
  return std::string(reinterpret_cast<const char*>(signature), sizeof(signature));
}
