// The answer fields that continuing a download depends on: the Content-Range of a
// 206 answer and the validators that may go back to the server.
#include "net/HttpFields.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ContentRange, ReadsWhatServersSendAndRefusesTheRest) {
  const struct {
    const char* text;
    bool ok;
    unsigned first, last, total;
  } cases[] = {
      {"bytes 100-999/1000", true, 100, 999, 1000},
      {"bytes 0-0/1", true, 0, 0, 1},
      {"BYTES 5-9/10", true, 5, 9, 10},
      {"  bytes\t 7 - 8 / 9 ", true, 7, 8, 9},
      {"bytes 0-4294967294/4294967295", true, 0, 4294967294u, 4294967295u},
      {"bytes 0-4294967295/4294967296", false, 0, 0, 0},
      {"bytes 100-999/*", false, 0, 0, 0},
      {"bytes */1000", false, 0, 0, 0},
      {"bytes 100-99/1000", false, 0, 0, 0},
      {"bytes 100-1000/1000", false, 0, 0, 0},
      {"bytes 100-999/1000x", false, 0, 0, 0},
      {"bytes 100-999", false, 0, 0, 0},
      {"bytes=100-999/1000", false, 0, 0, 0},
      {"items 100-999/1000", false, 0, 0, 0},
      {"bytes -999/1000", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    unsigned first = 77, last = 77, total = 77;
    ASSERT_EQ(ParseContentRange(c.text, &first, &last, &total), c.ok);
    if (c.ok) {
      EXPECT_EQ(first, c.first);
      EXPECT_EQ(last, c.last);
      EXPECT_EQ(total, c.total);
    } else {
      EXPECT_EQ(first, 77u) << "nothing is stored from a refused field";
    }
  }
}

TEST(Validator, OnlyWhatCannotAddFieldsGoesBack) {
  const struct {
    std::string text;
    bool usable;
  } cases[] = {
      {"\"5f1e2a-4000000\"", true},
      {"W/\"weak\"", true},
      {"Thu, 10 Dec 2026 18:11:10 GMT", true},
      {"", false},
      {"\"a\"\r\nX-Extra: 1", false},
      {"\"a\"\n", false},
      {"\"tab\there\"", false},
      {"\"\x7f\"", false},
      {"\"\xc3\xa9\"", false},
      {std::string(255, 'a'), true},
      {std::string(256, 'a'), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsUsableValidator(c.text.c_str()), c.usable);
  }
}

}  // namespace
