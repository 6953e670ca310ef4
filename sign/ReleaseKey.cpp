#include "sign/ReleaseKey.h"

const char RELEASE_SIGNATURE_SUFFIX[] = ".sig";

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

bool ParseReleaseKey(const char* hex, unsigned char key[RELEASE_KEY_SIZE]) {
  unsigned char bytes[RELEASE_KEY_SIZE];
  for (unsigned i = 0; i < RELEASE_KEY_SIZE; ++i) {
    int high = HexDigit(hex[2 * i]);
    if (high < 0) return false;
    int low = HexDigit(hex[2 * i + 1]);
    if (low < 0) return false;
    bytes[i] = static_cast<unsigned char>(high * 16 + low);
  }
  if (hex[2 * RELEASE_KEY_SIZE] != '\0') return false;
  for (unsigned i = 0; i < RELEASE_KEY_SIZE; ++i) key[i] = bytes[i];
  return true;
}

void FormatReleaseKey(const unsigned char key[RELEASE_KEY_SIZE], char hex[2 * RELEASE_KEY_SIZE + 1]) {
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned i = 0; i < RELEASE_KEY_SIZE; ++i) {
    hex[2 * i] = kDigits[key[i] >> 4];
    hex[2 * i + 1] = kDigits[key[i] & 15];
  }
  hex[2 * RELEASE_KEY_SIZE] = '\0';
}
