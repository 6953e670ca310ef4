#include "net/ErrorPage.h"

#include <string.h>

namespace {

struct ErrorPageSignature {
  unsigned size;
  const char* start;
};

const ErrorPageSignature kErrorPages[] = {
    {1466, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" \"http://www.w3.org/TR/html4/strict.dtd\">"},
    {345, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n"
          "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN"},
};

}  // namespace

bool IsKnownErrorPage(const char* block, unsigned size) {
  if (!block) return false;
  for (const ErrorPageSignature& page : kErrorPages) {
    if (size == page.size && _strnicmp(block, page.start, strlen(page.start)) == 0) return true;
  }
  return false;
}
