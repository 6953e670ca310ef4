// One published version of the game as the publisher keeps it for a release: the
// installed game folder with its version file "KQVerInfo.ver", except that each pack
// file's content lies unpacked under "3DData/<pack>/" instead of in "<pack>.pak".
// That is the place where the launcher stages files before it folds them into the
// pack of the same name, so a file's place in the folder is also its place in an
// archive: pack members need no other marking.
#pragma once

#include <string>
#include <vector>

#include "FolderWalk.h"

class CVersionFolder {
 public:
  static const char kVersionFileName[];  // "KQVerInfo.ver"
  static const char kStagingFolder[];    // "3DData"

  // Reads the version string and lists the game files; false with GetError() set
  // ("<where>: <reason>") when the version file is missing, shorter than 12 bytes or
  // not a version string, when the folder cannot be read, when a file lies directly
  // in "3DData" (it would belong to no pack) or when a pack folder holds a folder.
  bool Load(const std::string& folder);

  const std::string& GetFolder() const { return m_szFolder; }
  // The 12-character version string: a 4-character prefix and 8 decimal digits.
  const std::string& GetVersion() const { return m_szVersion; }
  std::string GetPrefix() const { return m_szVersion.substr(0, 4); }
  int GetNumber() const { return m_iNumber; }

  // The game files, sorted by name ("/" separators). Left out: the version file and
  // a record file ("<prefix>KQVerInfo_New.ver") at the top, which a release writes
  // anew, and the player's own files (IsPlayerLocal).
  const std::vector<PackItem>& GetFiles() const { return m_files; }
  // The game file of exactly that name, or null.
  const PackItem* Find(const std::string& name) const;

  const std::string& GetError() const { return m_szError; }

  // The server record's name for a prefix: prefix + "KQVerInfo_New.ver".
  static std::string RecordName(const std::string& prefix);
  // Names compared as Windows compares them: ASCII letters without case.
  static bool SameName(const std::string& a, const std::string& b);
  // Compares two files byte for byte into same; false when either cannot be read.
  static bool SameBytes(const std::string& a, const std::string& b, bool& same);
  // True for a file that an installed game folder holds for its player alone and that
  // a release never ships: at the top "AutopatchOption.opt", "ZVPatchLog.txt",
  // "NorvGFunc.dll", "NorvGFunc.new", downloaded "*.kqp" archives and interrupted
  // downloads ("*.kqp.partial", "*.kqp.validator"); anywhere an
  // extraction's temporary "*.kqpart" or "*.kqpartN". name uses "/".
  static bool IsPlayerLocal(const std::string& name);
  // The number of path components after "3DData/": 1 for "3DData/x" and a pack folder
  // "3DData/<pack>/", 2 for "3DData/<pack>/x" or "3DData/<pack>/x/"; 0 outside.
  static int StagingDepth(const std::string& name);

 private:
  bool Fail(const std::string& where, const std::string& reason);
  bool ReadVersion();
  bool ListFiles();
  bool FailNestedPack(const PackItem& folder);

  std::string m_szFolder;
  std::string m_szVersion;
  int m_iNumber = 0;
  std::vector<PackItem> m_files;
  std::string m_szError;
};
