// The one decimal reader of the launcher's text files, as the language texts and
// the option file use it.
#include "launcher/TextInput.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TextInput, ReadDecimalReadsAsAtoiAndHoldsTheRangeEnds) {
  struct Case {
    const char* text;
    bool found;
    int32_t value;
    const char* rest;  // what follows the number
  };
  const Case cases[] = {
      {"42", true, 42, ""},
      {"  \t\r\n-17 x", true, -17, " x"},
      {"+5,", true, 5, ","},
      {"007", true, 7, ""},
      {"2147483647", true, 2147483647, ""},
      {"2147483648", true, 2147483647, ""},
      {"-2147483648", true, -2147483647 - 1, ""},
      {"-2147483649", true, -2147483647 - 1, ""},
      {"99999999999999999999999 1", true, 2147483647, " 1"},
      {"12abc", true, 12, "abc"},
      {"", false, 0, nullptr},
      {"   ", false, 0, nullptr},
      {"-", false, 0, nullptr},
      {"- 5", false, 0, nullptr},
      {"x1", false, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    int32_t value = 99;
    const char* rest = ReadDecimal(c.text, &value);
    EXPECT_EQ(rest != nullptr, c.found);
    EXPECT_EQ(value, c.value);
    if (rest != nullptr && c.rest != nullptr) {
      EXPECT_STREQ(rest, c.rest);
    }
  }
}

}  // namespace
