#include "launcher/LanguageTexts.h"

#include "launcher/LanguageCode.h"
#include "launcher/TextInput.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char PATCH_MSG_PATTERN[] = "./Image/AutoPatch/%s/PatchMsg.txt";
const char ERROR_MSG_PATTERN[] = "./Image/AutoPatch/%s/ErrorMsg.txt";
const char URL_PATTERN[] = "./Image/AutoPatch/%s/url.txt";
const char TEXTPOS_PATTERN[] = "./Image/AutoPatch/%s/textpos.txt";

const int PATH_SIZE = 1024;
const int TEXT_LINE_LIMIT = 255;     // fgets limit of a text slot: 254 characters at most
const int TEXTPOS_LINE_SIZE = 512;   // fgets limit of a textpos line

// Opens the language file that pattern names, in text mode; null when it is missing.
FilePtr OpenLanguageFile(const char* pattern) {
  char path[PATH_SIZE];
  snprintf(path, sizeof(path), pattern, LANGUAGE_CODE);
  return FilePtr(fopen(path, "rt"));
}

// fgets on a stream opened in text mode. The Windows library folds CR LF to LF
// itself; elsewhere the fold is done here, so both builds read the same lines.
char* ReadTextLine(char* buffer, int limit, FILE* file) {
#ifdef _WIN32
  return fgets(buffer, limit, file);
#else
  int length = 0;
  while (length < limit - 1) {
    int c = getc(file);
    if (c == EOF) {
      break;
    }
    if (c == '\r') {
      int next = getc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        ungetc(next, file);
      }
    }
    buffer[length++] = (char)c;
    if (c == '\n') {
      break;
    }
  }
  if (length == 0) {
    return nullptr;
  }
  buffer[length] = '\0';
  return buffer;
#endif
}

// Removes one line feed from the end of text.
void StripLineFeed(char* text) {
  size_t length = strlen(text);
  if (length > 0 && text[length - 1] == '\n') {
    text[length - 1] = '\0';
  }
}

bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\n'; }

bool StartsWith(const char* text, const char* prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

// The number at the start of a textpos token, 0 when it has none.
LONG TokenValue(const char* token) {
  int32_t value = 0;
  ReadDecimal(token, &value);
  return (LONG)value;
}

}  // namespace

cLanguageTexts::cLanguageTexts() { Clear(); }

void cLanguageTexts::Clear() {
  memset(m_szPatchMsg, 0, sizeof(m_szPatchMsg));
  memset(m_szErrorMsg, 0, sizeof(m_szErrorMsg));
  memset(m_szUrl, 0, sizeof(m_szUrl));
  memset(m_szEmptyText, 0, sizeof(m_szEmptyText));
  m_rcVersion = RECT{0, 0, 0, 0};
  m_rcStatus = RECT{0, 0, 0, 0};
  m_rcDataInfo = RECT{0, 0, 0, 0};
}

int cLanguageTexts::LoadLanguageTexts() {
  Clear();
  ReadLineFile(PATCH_MSG_PATTERN, m_szPatchMsg, PATCH_MSG_LINES);
  ReadLineFile(ERROR_MSG_PATTERN, m_szErrorMsg, ERROR_MSG_LINES);
  ReadLineFile(URL_PATTERN, m_szUrl, URL_LINES);
  ReadTextPositions(TEXTPOS_PATTERN);
  return 1;
}

const char* cLanguageTexts::GetPatchMsg(int index) const {
  return index >= 0 && index < PATCH_MSG_LINES ? m_szPatchMsg[index] : m_szEmptyText;
}

const char* cLanguageTexts::GetErrorMsg(int index) const {
  return index >= 0 && index < ERROR_MSG_LINES ? m_szErrorMsg[index] : m_szEmptyText;
}

const char* cLanguageTexts::GetUrl(int index) const {
  return index >= 0 && index < URL_LINES ? m_szUrl[index] : m_szEmptyText;
}

// Line n goes to slot n; a line longer than a slot holds continues in the next slot.
void cLanguageTexts::ReadLineFile(const char* pattern, char (*slots)[TEXT_SIZE], int count) {
  FilePtr file = OpenLanguageFile(pattern);
  if (!file) {
    return;
  }
  for (int i = 0; i < count; ++i) {
    char line[TEXT_SIZE] = {};
    if (ReadTextLine(line, TEXT_LINE_LIMIT, file.get()) == nullptr) {
      return;
    }
    StripLineFeed(line);
    memcpy(slots[i], line, sizeof(line));
  }
}

void cLanguageTexts::ReadTextPositions(const char* pattern) {
  FilePtr file = OpenLanguageFile(pattern);
  if (!file) {
    return;
  }
  char line[TEXTPOS_LINE_SIZE];
  while (ReadTextLine(line, TEXTPOS_LINE_SIZE, file.get()) != nullptr) {
    ReadTextPositionLine(line);
  }
}

// A key takes the next four tokens as left, top, right and bottom. When the line has
// fewer, the token buffer keeps the last token read, so that token's value repeats.
void cLanguageTexts::ReadTextPositionLine(const char* line) {
  char token[TOKEN_SIZE] = {};
  const char* pos = line;
  while ((pos = NextToken(pos, token)) != nullptr) {
    if (StartsWith(token, "//")) {
      return;
    }
    RECT* target = nullptr;
    if (strcmp(token, "*VERSION") == 0) {
      target = &m_rcVersion;
    } else if (strcmp(token, "*STATUS") == 0) {
      target = &m_rcStatus;
    } else if (strcmp(token, "*DATAINFO") == 0) {
      target = &m_rcDataInfo;
    } else {
      continue;
    }
    LONG values[4];
    for (LONG& value : values) {
      pos = NextToken(pos, token);
      value = TokenValue(token);
    }
    *target = RECT{values[0], values[1], values[2], values[3]};
  }
}

const char* cLanguageTexts::NextToken(const char* pos, char* token) {
  if (pos == nullptr) {
    return nullptr;
  }
  while (IsSeparator(*pos)) {
    ++pos;
  }
  if (*pos == '\0') {
    return nullptr;
  }
  int length = 0;
  for (; *pos != '\0' && !IsSeparator(*pos); ++pos) {
    if (length < TOKEN_SIZE - 1) {
      token[length++] = *pos;
    }
  }
  token[length] = '\0';
  return pos;
}
