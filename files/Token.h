// A token read by cLexer and its kinds. Punctuation tokens are single characters;
// keyword kinds are the ids that callers register with cLexer::AddKeyword.
#pragma once

#include <string>

enum {
  TOKEN_ERROR = -1,   // the scanner reached a state with no rule
  TOKEN_NONE = 0,     // end of text, or a token the end of text cut short
  TOKEN_INTEGER = 1,  // digits, optionally led by a minus sign
  TOKEN_REAL = 2,     // digits with a decimal point, optionally led by a minus sign
  TOKEN_NAME = 3,     // a letter or "_", then letters, digits, "_" and "."
  TOKEN_STRING = 4,   // quoted text, without the quotes

  TOKEN_EXCLAMATION = 5,  // !
  TOKEN_HASH = 6,         // #
  TOKEN_DOLLAR = 7,       // $
  TOKEN_PERCENT = 8,      // %
  TOKEN_AMPERSAND = 9,    // &
  TOKEN_LEFT_PAREN = 10,  // (
  TOKEN_RIGHT_PAREN = 11, // )
  TOKEN_ASTERISK = 12,    // *
  TOKEN_PLUS = 13,        // +
  TOKEN_COMMA = 14,       // ,
  TOKEN_PERIOD = 15,      // .
  TOKEN_COLON = 17,       // :
  TOKEN_SEMICOLON = 18,   // ;
  TOKEN_LESS = 19,        // <
  TOKEN_EQUAL = 20,       // =
  TOKEN_GREATER = 21,     // >
  TOKEN_QUESTION = 22,    // ?
  TOKEN_AT = 23,          // @
  TOKEN_LEFT_BRACKET = 24,  // [
  TOKEN_RIGHT_BRACKET = 25, // ]
  TOKEN_CARET = 26,       // ^
  TOKEN_LEFT_BRACE = 27,  // {
  TOKEN_BAR = 28,         // |
  TOKEN_RIGHT_BRACE = 29, // }
  TOKEN_TILDE = 30,       // ~

  TOKEN_KEYWORD = 100,  // first id for keywords
};

// Longest token text; longer tokens keep their first TOKEN_MAX_TEXT bytes.
const int TOKEN_MAX_TEXT = 511;

class cToken {
public:
  std::string text;  // the stored characters, at most TOKEN_MAX_TEXT bytes
  int kind = TOKEN_NONE;
  int line = 1;  // the lexer's line when the token ended
};
