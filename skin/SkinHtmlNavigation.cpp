#include "skin/SkinHtmlNavigation.h"

#include <cctype>

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  for (size_t i = 0; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    if (std::tolower((unsigned char)text[i]) != std::tolower((unsigned char)prefix[i])) return false;
  }
  return true;
}

bool IsWebAddress(const std::string& address) {
  return StartsWithNoCase(address, "http://") || StartsWithNoCase(address, "https://");
}

}  // namespace

eHtmlNavigation DecideHtmlNavigation(const std::string& target, const std::string& home) {
  if (target != home) return IsWebAddress(target) ? HTML_NAV_EXTERNAL : HTML_NAV_DROP;
  return target.compare(0, 3, "res") == 0 ? HTML_NAV_ALLOW_AND_HIDE : HTML_NAV_ALLOW;
}

std::string ExternalBrowserProgram(const std::string& browserPath) {
  return browserPath.empty() ? std::string("Iexplore.exe") : browserPath;
}

// Backslashes count only before a quote: there each stands doubled, and the quote
// gets one of its own. Before the closing quote the run is doubled too.
std::string QuoteCommandLineArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}
