// What the skinned HTML view does with a navigation, kept apart from the browser
// control so it can be checked in a table natively. The view is a display, not a
// browser: it shows only its home address; a link the user follows goes to the
// user's own web browser when it is a web address and is dropped otherwise, and the
// view keeps its page. Portable.
#pragma once

#include <string>

enum eHtmlNavigation {
  HTML_NAV_ALLOW,           // the home address: go on
  HTML_NAV_ALLOW_AND_HIDE,  // the home address on the browser's own "res" protocol:
                            // go on, but hide the view for good
  HTML_NAV_EXTERNAL,        // cancel; open the address in the external browser
  HTML_NAV_DROP,            // cancel; nothing else (not a web address)
};

// The decision for a navigation to target while home is the view's address. The
// home comparison is exact and case-sensitive; the web-address test accepts
// "http://" and "https://" in any case.
eHtmlNavigation DecideHtmlNavigation(const std::string& target, const std::string& home);

// The program that opens an external address: the browser found for ".htm" files,
// or "Iexplore.exe" when none was found.
std::string ExternalBrowserProgram(const std::string& browserPath);

// The address as exactly one argument of a program's command line: in double
// quotes, with the backslashes and quotes inside escaped as the Windows start-up
// code and CommandLineToArgvW read them back. A page's address may hold spaces
// and quotes (a tampered page over plain HTTP), which must not split it.
std::string QuoteCommandLineArgument(const std::string& argument);
