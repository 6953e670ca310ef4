// The loaded skin: the dialogs of a skin script by name, each owning its components
// and their bitmaps. Built once at start-up and read-only afterwards; windows keep
// plain pointers into it, so it must outlive them.
//
// Script: repeated entries "dialog NAME { ... }" (cSkinDialogResource reads the
// block). An empty script, or one of comments only, defines no dialog.
#pragma once

#include "skin/SkinDialogResource.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

class cSkinManager {
public:
  typedef std::map<std::string, std::unique_ptr<cSkinDialogResource>> tDialogMap;

  // An empty skin; sets the process-wide skin folder (ending in "/") that every
  // image name is appended to.
  explicit cSkinManager(const char* skinFolder);
  virtual ~cSkinManager();
  cSkinManager(const cSkinManager&) = delete;
  cSkinManager& operator=(const cSkinManager&) = delete;

  // Reads the script at path (through the file loader, whole into memory) and adds
  // its dialogs. True when the whole input was read; false on the first error,
  // keeping the dialogs completed before it.
  bool Load(const char* path);
  // As Load, over a script held in memory; sourceName names it in GetErrorText.
  bool LoadText(const char* text, uint32_t size, const char* sourceName);

  // The dialog of that name, or null (also for a null name).
  cSkinDialogResource* FindDialog(const char* name) const;
  const tDialogMap& GetDialogs() const { return m_dialogs; }

  // The first failure of the last load: reason, the script line (0 when the
  // failure belongs to no line) and "SOURCE:LINE: reason". Empty after a success.
  const std::string& GetErrorReason() const { return m_errorReason; }
  int GetErrorLine() const { return m_errorLine; }
  std::string GetErrorText() const;

private:
  bool Fail(const std::string& source, int line, const std::string& reason);
  void ClearError();

  tDialogMap m_dialogs;
  std::string m_errorSource;
  int m_errorLine;
  std::string m_errorReason;
};
