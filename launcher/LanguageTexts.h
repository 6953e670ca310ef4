// The launcher's language texts: the status and caption lines (PatchMsg.txt), the
// error texts (ErrorMsg.txt), the addresses (url.txt) and the rectangles of the
// three text lines (textpos.txt), all read from "./Image/AutoPatch/KR/" relative
// to the current directory. Missing files or lines leave empty texts and rectangles.
#pragma once

#include "common/WinTypes.h"

class cLanguageTexts {
public:
  enum {
    PATCH_MSG_LINES = 15,
    ERROR_MSG_LINES = 7,
    URL_LINES = 5,
    TEXT_SIZE = 256,   // one text slot, terminator included
    TOKEN_SIZE = 256,  // one textpos token, terminator included
  };

  cLanguageTexts();

  // Clears every text and rectangle, then reads PatchMsg, ErrorMsg, url and textpos
  // in this order. A file that cannot be opened leaves its part empty. Returns 1.
  int LoadLanguageTexts();

  // The slot's text; the empty text for an index out of range.
  const char* GetPatchMsg(int index) const;
  const char* GetErrorMsg(int index) const;
  const char* GetUrl(int index) const;

  RECT GetVersionRect() const { return m_rcVersion; }
  RECT GetStatusRect() const { return m_rcStatus; }
  RECT GetDataInfoRect() const { return m_rcDataInfo; }

  // Copies the next run of characters other than space, tab and line feed behind pos
  // into token (at most TOKEN_SIZE - 1 characters; a longer run is cut and its rest
  // skipped) and returns the position just behind the run. Null when pos is null or
  // only separators remain; token is then left unchanged.
  static const char* NextToken(const char* pos, char* token);

private:
  void Clear();
  // Fills slots 0, 1, ... with the lines of the file named by pattern and the language.
  static void ReadLineFile(const char* pattern, char (*slots)[TEXT_SIZE], int count);
  void ReadTextPositions(const char* pattern);
  void ReadTextPositionLine(const char* line);

  char m_szPatchMsg[PATCH_MSG_LINES][TEXT_SIZE];
  char m_szErrorMsg[ERROR_MSG_LINES][TEXT_SIZE];
  char m_szUrl[URL_LINES][TEXT_SIZE];
  char m_szEmptyText[TEXT_SIZE];
  RECT m_rcVersion;
  RECT m_rcStatus;
  RECT m_rcDataInfo;
};
