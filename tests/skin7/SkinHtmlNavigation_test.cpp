// The HTML view's navigation rule and the external browser's program, as tables.
// Portable.
#include <gtest/gtest.h>

#include "skin/SkinHtmlNavigation.h"

namespace {

TEST(SkinHtmlNavigation, Rule) {
  const std::string kHome = "http://board.example/launcher.html";
  struct Case {
    const char* name;
    std::string target;
    std::string home;
    eHtmlNavigation expected;
  };
  const Case cases[] = {
      {"the home address", kHome, kHome, HTML_NAV_ALLOW},
      {"another address", "http://other.example/", kHome, HTML_NAV_EXTERNAL},
      {"a secure address", "https://other.example/x?y=1", kHome, HTML_NAV_EXTERNAL},
      {"a redirect of the home address", "http://board.example/launcher2.html", kHome, HTML_NAV_EXTERNAL},
      {"home in another case is another address", "HTTP://BOARD.EXAMPLE/launcher.html", kHome, HTML_NAV_EXTERNAL},
      {"home with a trailing slash is another address", kHome + "/", kHome, HTML_NAV_EXTERNAL},
      {"a res home hides the view", "res://ieframe.dll/navcancl.htm", "res://ieframe.dll/navcancl.htm",
       HTML_NAV_ALLOW_AND_HIDE},
      {"a res address that is not home is dropped", "res://ieframe.dll/dnserror.htm", kHome, HTML_NAV_DROP},
      {"javascript is dropped", "javascript:alert(1)", kHome, HTML_NAV_DROP},
      {"a file is dropped", "file:///C:/Windows/win.ini", kHome, HTML_NAV_DROP},
      {"about:blank is dropped", "about:blank", kHome, HTML_NAV_DROP},
      {"an empty address is dropped", "", kHome, HTML_NAV_DROP},
      {"a scheme that only looks like http is dropped", "httpx://evil/", kHome, HTML_NAV_DROP},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecideHtmlNavigation(c.target, c.home), c.expected);
  }
}

TEST(SkinHtmlNavigation, ExternalProgram) {
  struct Case {
    std::string found;
    std::string expected;
  };
  const Case cases[] = {
      {"", "Iexplore.exe"},
      {"C:\\Program Files\\Browser\\browser.exe", "C:\\Program Files\\Browser\\browser.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.found);
    EXPECT_EQ(ExternalBrowserProgram(c.found), c.expected);
  }
}

// What the external browser gets as its arguments: always one argument, read back
// by the Windows rules into the address itself.
TEST(SkinHtmlNavigation, AddressIsQuotedAsOneArgument) {
  struct Case {
    std::string address;
    std::string quoted;
  };
  const Case cases[] = {
      {"http://board.example/a.html", "\"http://board.example/a.html\""},
      {"http://board.example/a b.html", "\"http://board.example/a b.html\""},
      {"http://x/\" --flag \"y", "\"http://x/\\\" --flag \\\"y\""},
      {"http://x/a\\b", "\"http://x/a\\b\""},
      {"http://x/a\\\"b", "\"http://x/a\\\\\\\"b\""},
      {"http://x/dir\\", "\"http://x/dir\\\\\""},
      {"http://x/dir\\\\", "\"http://x/dir\\\\\\\\\""},
      {"", "\"\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(QuoteCommandLineArgument(c.address), c.quoted);
  }
}

}  // namespace
