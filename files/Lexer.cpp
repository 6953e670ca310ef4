// The scanner is a small state machine over GetChar/UngetChar with one case per
// state and a fixed token buffer. A byte 0xFF, which GetChar also returns at the
// end of the text, stops a token with the kind reached so far, so a token cut short
// by the end keeps its text but may have kind TOKEN_NONE.
#include "files/Lexer.h"

#include "files/MemFileToRead.h"

namespace {

const int kEndOfText = 0xFF;
const int kTokenBufferSize = TOKEN_MAX_TEXT + 1;

enum {
  STATE_START = 1,
  STATE_FINAL = 2,
  STATE_INTEGER = 3,
  STATE_FRACTION = 4,
  STATE_NAME = 5,
  STATE_STRING = 6,
  STATE_MINUS = 7,
  STATE_SLASH = 8,
  STATE_COMMENT = 9,
};

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

bool IsLetter(int c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsNameStart(int c) { return IsLetter(c) || c == '_'; }

bool IsNameChar(int c) { return IsNameStart(c) || IsDigit(c) || c == '.'; }

// The token kind of a punctuation character, or TOKEN_NONE.
int PunctuationKind(int c) {
  switch (c) {
    case '!': return TOKEN_EXCLAMATION;
    case '#': return TOKEN_HASH;
    case '$': return TOKEN_DOLLAR;
    case '%': return TOKEN_PERCENT;
    case '&': return TOKEN_AMPERSAND;
    case '(': return TOKEN_LEFT_PAREN;
    case ')': return TOKEN_RIGHT_PAREN;
    case '*': return TOKEN_ASTERISK;
    case '+': return TOKEN_PLUS;
    case ',': return TOKEN_COMMA;
    case '.': return TOKEN_PERIOD;
    case ':': return TOKEN_COLON;
    case ';': return TOKEN_SEMICOLON;
    case '<': return TOKEN_LESS;
    case '=': return TOKEN_EQUAL;
    case '>': return TOKEN_GREATER;
    case '?': return TOKEN_QUESTION;
    case '@': return TOKEN_AT;
    case '[': return TOKEN_LEFT_BRACKET;
    case ']': return TOKEN_RIGHT_BRACKET;
    case '^': return TOKEN_CARET;
    case '{': return TOKEN_LEFT_BRACE;
    case '|': return TOKEN_BAR;
    case '}': return TOKEN_RIGHT_BRACE;
    case '~': return TOKEN_TILDE;
    default: return TOKEN_NONE;
  }
}

}  // namespace

cLexer::cLexer() : m_text(nullptr), m_size(0), m_position(0), m_line(1), m_endedWithoutToken(false) {}

cLexer::cLexer(const char* text, uint32_t size) : cLexer() { cLexer::SetText(text, size); }

cLexer::cLexer(cMemFileToRead* stream) : cLexer() { cLexer::SetStream(stream); }

cLexer::~cLexer() = default;

void cLexer::SetText(const char* text, uint32_t size) {
  m_text = reinterpret_cast<const unsigned char*>(text);
  m_size = text != nullptr ? size : 0;
  m_position = 0;
  m_line = 1;
  m_endedWithoutToken = false;
}

void cLexer::SetStream(cMemFileToRead* stream) {
  if (stream == nullptr) {
    SetText(nullptr, 0);
    return;
  }
  SetText(stream->GetBuffer(), (uint32_t)stream->GetSize());
}

void cLexer::AddKeyword(const std::string& name, int id) { m_keywords.emplace(name, id); }

int cLexer::LookupKeyword(const std::string& name) const {
  auto found = m_keywords.find(name);
  return found != m_keywords.end() ? found->second : TOKEN_NAME;
}

int cLexer::GetChar() {
  if (m_position >= m_size) {
    return kEndOfText;
  }
  int c = m_text[m_position++];
  if (c == '\n') {
    ++m_line;
  }
  return c;
}

void cLexer::UngetChar() {
  if (m_position == 0) {
    return;
  }
  --m_position;
  if (m_text[m_position] == '\n') {
    --m_line;
  }
}

bool cLexer::SkipSpaces() {
  while (m_position < m_size) {
    unsigned char c = m_text[m_position];
    if (c == '\n') {
      ++m_line;
    } else if (c != ' ' && c != '\t' && c != '\r') {
      break;
    }
    ++m_position;
  }
  return m_position >= m_size;
}

int cLexer::NextToken(cToken& token) {
  int kind = ReadToken(token);
  if (kind == TOKEN_NAME) {
    kind = LookupKeyword(token.text);
    token.kind = kind;
  }
  return kind;
}

int cLexer::ReadToken(cToken& token) {
  char buffer[kTokenBufferSize];
  int count = 0;
  int state = STATE_START;
  int kind = TOKEN_NONE;
  m_endedWithoutToken = false;

  while (state != STATE_FINAL) {
    int c = GetChar();
    if (c == kEndOfText) {
      // In the start state the buffer holds at most a finished comment's first
      // character; inside a comment, the comment's.
      m_endedWithoutToken = (state == STATE_START || state == STATE_COMMENT) && m_position >= m_size;
      break;
    }
    bool store = false;
    switch (state) {
      case STATE_START:
        // Punctuation -> final with its kind; digit -> integer; letter or "_" ->
        // name; either quote (dropped) -> string; "-" -> minus; "/" -> slash. Any
        // other byte, including 128-254, is skipped: such bytes belong inside
        // strings and comments, and a stray one must not spoil the rest of a text.
        count = 0;
        if (PunctuationKind(c) != TOKEN_NONE) {
          store = true;
          kind = PunctuationKind(c);
          state = STATE_FINAL;
        } else if (IsDigit(c)) {
          store = true;
          state = STATE_INTEGER;
        } else if (IsNameStart(c)) {
          store = true;
          state = STATE_NAME;
        } else if (c == '"' || c == '\'') {
          state = STATE_STRING;
        } else if (c == '-') {
          store = true;
          state = STATE_MINUS;
        } else if (c == '/') {
          store = true;
          state = STATE_SLASH;
        }
        break;

      case STATE_INTEGER:
        // Digits stay; "." -> fraction as a real; anything else is put back and
        // ends an integer.
        if (IsDigit(c)) {
          store = true;
          if (kind == TOKEN_NONE) {
            kind = TOKEN_INTEGER;
          }
        } else if (c == '.') {
          store = true;
          kind = TOKEN_REAL;
          state = STATE_FRACTION;
        } else {
          UngetChar();
          kind = TOKEN_INTEGER;
          state = STATE_FINAL;
        }
        break;

      case STATE_FRACTION:
        // Digits stay; anything else is put back and ends a real.
        if (IsDigit(c)) {
          store = true;
        } else {
          UngetChar();
          kind = TOKEN_REAL;
          state = STATE_FINAL;
        }
        break;

      case STATE_NAME:
        // Letters, digits, "_" and "." stay; anything else is put back and ends a
        // name.
        if (IsNameChar(c)) {
          store = true;
        } else {
          UngetChar();
          kind = TOKEN_NAME;
          state = STATE_FINAL;
        }
        break;

      case STATE_STRING:
        // Everything up to a double quote stays, line feeds and single quotes
        // included; the double quote (dropped) ends a string. No escapes.
        if (c == '"') {
          kind = TOKEN_STRING;
          state = STATE_FINAL;
        } else {
          store = true;
        }
        break;

      case STATE_MINUS:
        // A digit -> integer (a negative number); a second "-" -> comment; any
        // other byte is dropped and the state stays.
        if (IsDigit(c)) {
          store = true;
          state = STATE_INTEGER;
        } else if (c == '-') {
          state = STATE_COMMENT;
        }
        break;

      case STATE_SLASH:
        // A second "/" -> comment; any other byte is kept and ends the token with
        // kind TOKEN_NONE.
        if (c == '/') {
          state = STATE_COMMENT;
        } else {
          store = true;
          state = STATE_FINAL;
        }
        break;

      case STATE_COMMENT:
        // Everything up to and including a line feed is skipped -> start.
        if (c == '\n') {
          state = STATE_START;
        }
        break;

      default:
        // No rule for this state.
        store = true;
        kind = TOKEN_ERROR;
        state = STATE_FINAL;
        break;
    }
    if (store && count < TOKEN_MAX_TEXT) {
      buffer[count++] = (char)c;
    }
  }

  token.text.assign(buffer, (size_t)count);
  token.kind = kind;
  token.line = m_line;
  return kind;
}
