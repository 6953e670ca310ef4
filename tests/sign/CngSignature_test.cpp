// Release signatures through the platform's CNG under Wine: a signature made by
// OpenSSL verifies, so the byte order of keys and signatures is the one the native
// tools write; everything that is not exactly that signature over exactly those
// bytes by exactly that key is refused.
#include "sign/CngSignature.h"
#include "tests/net/GameFolder.h"
#include "tests/net/TestServers.h"
#include "tests/sign/TestKeys.h"
#include "tests/sign/TestSigning.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kRecord = "KQZV00000101 00000000";

std::string Key(const char* hex) {
  unsigned char key[RELEASE_KEY_SIZE];
  EXPECT_TRUE(ParseReleaseKey(hex, key));
  return std::string(reinterpret_cast<char*>(key), sizeof(key));
}

SignatureCheck Verify(const std::string& key, const std::string& data, const std::string& signature) {
  if (signature.size() != RELEASE_SIGNATURE_SIZE) return SIGNATURE_INVALID;
  return VerifyReleaseBytes(reinterpret_cast<const unsigned char*>(key.data()), data.data(), data.size(),
                            reinterpret_cast<const unsigned char*>(signature.data()));
}

std::string Flipped(std::string bytes, size_t at) {
  bytes[at] = static_cast<char>(bytes[at] ^ 0x01);
  return bytes;
}

TEST(CngSignature, ChecksExactlyTheSignedBytesAgainstExactlyTheKey) {
  const std::string key = Key(TEST_RELEASE_PUBLIC_KEY);
  const std::string openssl = FromHex(OPENSSL_RECORD_SIGNATURE);
  const std::string ours = SignWith(TEST_RELEASE_PUBLIC_KEY, TEST_RELEASE_SECRET, kRecord);
  ASSERT_EQ(ours.size(), RELEASE_SIGNATURE_SIZE);
  const struct {
    const char* name;
    std::string key, data, signature;
    SignatureCheck expected;
  } cases[] = {
      {"OpenSSL's signature", key, kRecord, openssl, SIGNATURE_VALID},
      {"CNG's own signature", key, kRecord, ours, SIGNATURE_VALID},
      {"a flipped byte in the data", key, Flipped(kRecord, 20), openssl, SIGNATURE_INVALID},
      {"one byte more data", key, kRecord + " ", openssl, SIGNATURE_INVALID},
      {"a flipped byte in r", key, kRecord, Flipped(openssl, 5), SIGNATURE_INVALID},
      {"a flipped byte in s", key, kRecord, Flipped(openssl, 63), SIGNATURE_INVALID},
      {"r and s swapped", key, kRecord, openssl.substr(32) + openssl.substr(0, 32), SIGNATURE_INVALID},
      {"all zero", key, kRecord, std::string(64, '\0'), SIGNATURE_INVALID},
      {"another key's signature", key, kRecord, SignWith(OTHER_RELEASE_PUBLIC_KEY, OTHER_RELEASE_SECRET, kRecord),
       SIGNATURE_INVALID},
      {"checked against another key", Key(OTHER_RELEASE_PUBLIC_KEY), kRecord, openssl, SIGNATURE_INVALID},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Verify(c.key, c.data, c.signature), c.expected);
  }
}

TEST(CngSignature, APointOffTheCurveIsNoKey) {
  std::string key = Key(TEST_RELEASE_PUBLIC_KEY);
  key[63] = static_cast<char>(key[63] ^ 0x01);
  EXPECT_NE(Verify(key, kRecord, FromHex(OPENSSL_RECORD_SIGNATURE)), SIGNATURE_VALID);
}

TEST(CngSignature, FilesAreHashedInChunks) {
  GameFolder folder("sign files");
  // Larger than one chunk, so the hash spans several reads.
  const std::string bytes = PatternBytes(3 * 1048576 + 5, 12);
  WriteBytes("archive.kqp", bytes);
  const std::string key = Key(TEST_RELEASE_PUBLIC_KEY);
  const std::string signature = SignWith(TEST_RELEASE_PUBLIC_KEY, TEST_RELEASE_SECRET, bytes);
  auto verifyFile = [&](const char* name) {
    return VerifyReleaseFile(reinterpret_cast<const unsigned char*>(key.data()), name,
                             reinterpret_cast<const unsigned char*>(signature.data()));
  };
  EXPECT_EQ(verifyFile("archive.kqp"), SIGNATURE_VALID);
  WriteBytes("archive.kqp", Flipped(bytes, 2 * 1048576));
  EXPECT_EQ(verifyFile("archive.kqp"), SIGNATURE_INVALID);
  EXPECT_EQ(verifyFile("missing.kqp"), SIGNATURE_UNREADABLE);
}

}  // namespace
