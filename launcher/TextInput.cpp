#include "launcher/TextInput.h"

namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const char* ReadDecimal(const char* text, int32_t* value) {
  *value = 0;
  while (IsSpace(*text)) {
    ++text;
  }
  bool negative = false;
  if (*text == '+' || *text == '-') {
    negative = *text == '-';
    ++text;
  }
  if (!IsDigit(*text)) {
    return nullptr;
  }
  // The magnitude stops growing one past INT32_MAX: enough to hold either end.
  const int64_t limit = (int64_t)INT32_MAX + 1;
  int64_t magnitude = 0;
  for (; IsDigit(*text); ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > limit) {
      magnitude = limit;
    }
  }
  if (negative) {
    *value = (int32_t)-magnitude;
  } else {
    *value = (int32_t)(magnitude > INT32_MAX ? INT32_MAX : magnitude);
  }
  return text;
}

bool ReadFileText(FILE* file, size_t limit, std::string* content) {
  content->clear();
  if (file == nullptr) {
    return false;
  }
  char buffer[512];
  while (content->size() < limit) {
    size_t wanted = limit - content->size() < sizeof(buffer) ? limit - content->size() : sizeof(buffer);
    size_t got = fread(buffer, 1, wanted, file);
    content->append(buffer, got);
    if (got < wanted) {
      break;
    }
  }
  return ferror(file) == 0;
}
