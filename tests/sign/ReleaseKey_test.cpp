// The public key's text form: 128 hexadecimal digits, nothing else.
#include "sign/ReleaseKey.h"
#include "tests/sign/TestKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ReleaseKey, ReadsAndWritesTheHexadecimalForm) {
  unsigned char key[RELEASE_KEY_SIZE];
  ASSERT_TRUE(ParseReleaseKey(TEST_RELEASE_PUBLIC_KEY, key));
  EXPECT_EQ(key[0], 0xfe);
  EXPECT_EQ(key[63], 0x6c);
  char hex[2 * RELEASE_KEY_SIZE + 1];
  FormatReleaseKey(key, hex);
  EXPECT_EQ(std::string(hex), TEST_RELEASE_PUBLIC_KEY);

  std::string upper = TEST_RELEASE_PUBLIC_KEY;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  unsigned char again[RELEASE_KEY_SIZE];
  ASSERT_TRUE(ParseReleaseKey(upper.c_str(), again));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(again), 64), std::string(reinterpret_cast<char*>(key), 64));
}

TEST(ReleaseKey, RefusesEverythingElseAndKeepsTheKeyAsItWas) {
  const std::string good = TEST_RELEASE_PUBLIC_KEY;
  const std::string cases[] = {
      "",
      good.substr(0, 127),
      good + "0",
      good.substr(0, 126) + "g0",
      " " + good.substr(1),
      good.substr(0, 64) + " " + good.substr(65),
      "0x" + good.substr(2),
  };
  for (const std::string& text : cases) {
    SCOPED_TRACE(text);
    unsigned char key[RELEASE_KEY_SIZE] = {7};
    EXPECT_FALSE(ParseReleaseKey(text.c_str(), key));
    EXPECT_EQ(key[0], 7);
  }
}

}  // namespace
