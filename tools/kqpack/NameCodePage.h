// Entry names in the code page of the players' systems. kqpack marks its entries as
// made by Windows NTFS, so the launcher's reader takes each name's bytes as they are,
// as text in the player's ANSI code page, without the OEM-to-ANSI conversion it runs
// over names made by DOS. A name must therefore be stored in that code page: 949 for
// the Korean edition ("KR"), another one when asked. Natively the publisher's file
// names are UTF-8 (converted with iconv); on Windows they come in this system's ANSI
// code page and go through UTF-16.
#pragma once

#include <string>

class CNameCodePage {
 public:
  static const int kDefault = 949;

  explicit CNameCodePage(int codePage = kDefault) : m_iCodePage(codePage) {}

  int GetCodePage() const { return m_iCodePage; }
  // True when this system can convert names to the code page.
  bool IsKnown() const;
  // Converts name ("/" separators, as the publisher's system names the file) to the
  // bytes stored in an archive. False with reason set when a character cannot be held
  // by the code page, when a character is one that Windows file names cannot hold, or
  // when a converted character has a byte the reader would take for a separator.
  bool Convert(const std::string& name, std::string& stored, std::string& reason) const;

 private:
  bool ConvertPart(const std::string& part, std::string& stored) const;

  int m_iCodePage;
};
