// Test helpers for the language texts: a scratch folder made current for one test,
// into which the language files are written under "Image/AutoPatch/KR/".
#pragma once

#include "launcher/LanguageTexts.h"
#include "tests/files/ScratchFolder.h"

#include <map>
#include <string>
#include <vector>

class LanguageFolder {
public:
  // A scratch folder named after the running test, current until destruction.
  LanguageFolder();

  // Replaces the language folder by one holding exactly files (name to content) and
  // loads the texts from it.
  cLanguageTexts Load(const std::map<std::string, std::string>& files);

private:
  ScratchFolder m_folder;
  CurrentFolderGuard m_current;
};

// Slots 0 .. count-1 of one table, read through the lookup.
std::vector<std::string> PatchLines(const cLanguageTexts& texts);
std::vector<std::string> ErrorLines(const cLanguageTexts& texts);
std::vector<std::string> UrlLines(const cLanguageTexts& texts);

// lines followed by empty texts up to count.
std::vector<std::string> Padded(std::vector<std::string> lines, size_t count);
