// "kqpack verify": checks a server folder as the launcher will see it, before any
// player downloads from it. Per edition (one record "<prefix>KQVerInfo_New.ver"):
// - the record is 21 bytes: this edition's version string, a separator and an
//   8-digit base number no higher than the current version's;
// - the full archive "<prefix>00000000.kqp" exists, and no archive is named after a
//   version the launcher never asks for (below the base, or not below the current
//   version);
// - every archive opens with the launcher's reader, every entry's name is one the
//   launcher unpacks where its place says (no unsafe name, no file directly in
//   "3DData", no folder inside a pack folder, no running launcher, no file of the
//   player's own), every entry's data matches its CRC, and the root holds the record
//   with the server's bytes.
// Given version folders, it also applies to each older one what the launcher would
// apply (its own archive or the full one, packs as their "3DData/<pack>/" folders,
// the record as version file, "KQAutoPatch.new" swapped in by the update finisher)
// and compares the result with the current version folder byte for byte, naming the
// first difference. Given the publisher's public key, the record and every archive
// must have beside them "<file>.sig", 64 bytes that verify with the key, as a
// launcher built with that key requires. The result is worked out from the folders and the archives
// without writing anything. Files that a newer version no longer has stay on the
// players' machines (an archive cannot remove files): they are notes, not problems.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "NameCodePage.h"
#include "sign/ReleaseKey.h"
#include "VersionFolder.h"

class CZipArchive;

class CServerCheck {
 public:
  // Checks the signatures too, against this public key, from the next Run on.
  void CheckSignatures(const unsigned char key[RELEASE_KEY_SIZE]);

  // folder: the folder that holds records and archives; shownAs: how problem lines
  // name it; prefix: only this edition when not empty; names: the code page that
  // version folders' names are stored in. True when no problem was found.
  bool Run(const std::string& folder, const std::string& shownAs, const std::vector<const CVersionFolder*>& versions,
           const std::string& prefix, const CNameCodePage& names);

  // One line per problem: "<file>: <entry>: <reason>" or "<file>: <reason>".
  const std::vector<std::string>& GetProblems() const { return m_problems; }
  const std::vector<std::string>& GetNotes() const { return m_notes; }

 private:
  struct Edition {
    std::string prefix;
    bool hasRecord = false;  // present, and after CheckRecord usable
    bool recordPresent = false;
    std::string record;  // the record's bytes, when it is usable
    std::string version;
    int number = 0;
    int base = 0;
    std::map<int, std::string> archives;  // version number -> file name
  };
  // Where a file of a patched game folder comes from: a version folder's file or an
  // archive entry.
  struct Source {
    std::string name;  // as shown
    std::string diskPath;
    int entry = -1;
  };
  using Result = std::map<std::string, Source>;  // case-folded stored name -> source

  void Problem(const std::string& file, const std::string& reason);
  void Problem(const std::string& file, const std::string& entry, const std::string& reason);
  std::string Shown(const std::string& name) const;
  bool ListEditions(const std::string& prefix);
  void CheckRecord(Edition& edition);
  void CheckArchiveNames(const Edition& edition);
  void CheckArchive(const Edition& edition, const std::string& name);
  void CheckEntryPlace(const std::string& archive, const std::string& entry);
  void CheckSignature(const std::string& name);
  void CheckChains(const Edition& edition, const std::vector<const CVersionFolder*>& versions);
  void CheckChain(const Edition& edition, const CVersionFolder& older, const CVersionFolder& current);
  bool ApplyArchive(CZipArchive& zip, const CVersionFolder& older, Result& result, std::string& versionFile);
  bool CompareResult(CZipArchive& zip, const std::string& archive, const CVersionFolder& older,
                     const CVersionFolder& current, const Result& result);
  std::string Key(const std::string& folderName) const;

  std::string m_szFolder;
  std::string m_szShownAs;
  CNameCodePage m_names;
  bool m_bCheckSignatures = false;
  unsigned char m_key[RELEASE_KEY_SIZE] = {};
  std::set<std::string> m_topNames;  // the names of the files and folders at the top
  std::map<std::string, Edition> m_editions;
  std::vector<std::string> m_problems;
  std::vector<std::string> m_notes;
};
