// "kqpack release": writes the server folder "ClientPatchFiles_ZV" for one edition
// from the version folders (see CVersionFolder) of the current version and of the
// older versions that players may still have:
// - the record "<prefix>KQVerInfo_New.ver", 21 bytes: the current version string, a
//   space and the base number ("00000000" unless the publisher gives one);
// - per older version, "<its version string>.kqp" with the files that were added or
//   changed (byte comparison) since that version;
// - the full archive "<prefix>00000000.kqp" with every file of the current version.
// Every archive also holds the record at its root, which the launcher moves to
// "KQVerInfo.ver". A changed "KQAutoPatch.exe" is delivered as "KQAutoPatch.new",
// because the running launcher cannot replace itself; the update finisher swaps it in.
//
// The base number is 0 unless given, because the full archive is always published: a
// client older than every published version, or between two of them, asks for its
// own archive, gets the server's "not found" page and falls back to the full archive.
// A publisher who drops old archives gives a base, and clients below it are told they
// are too old. Before the folder is put in place, what was written is checked as
// "kqpack verify" checks a server folder (ServerCheck.h).
//
// Given a signer, every file written gets "<file>.sig" beside it, the 64 bytes of its
// signature (sign/ReleaseKey.h), written into the new folder before it is checked,
// signatures included, and put in place.
//
// Archives are reproducible: entries sorted by name, each file with its own time and
// attributes, the record with a fixed time. Files removed from the game since an older
// version are not removed from players' folders; an archive can only add and replace.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "NameCodePage.h"
#include "ServerFolder.h"
#include "VersionFolder.h"

class CFileSigner;

class CRelease {
 public:
  static const char kFullArchiveNumber[];  // "00000000", names the full archive
  static const char kLauncherExe[];    // "KQAutoPatch.exe"
  static const char kLauncherNew[];    // "KQAutoPatch.new"

  struct Options {
    int base = 0;          // the record's base number
    CNameCodePage names;   // the code page entry names are written in
    const CFileSigner* signer = nullptr;  // signs every file written; none: unsigned
  };

  // Checks the folders, writes outDir/ClientPatchFiles_ZV and checks what it wrote as
  // "kqpack verify" does; false with GetError() set ("<where>: <reason>", one line
  // per problem) and the server folder as it was before.
  bool Run(const std::string& outDir, const std::string& currentDir, const std::vector<std::string>& olderDirs,
           const Options& options);

  const std::string& GetError() const { return m_szError; }
  // The names written into the server folder, in the order they were written.
  const std::vector<std::string>& GetWritten() const { return m_written; }
  // What the check noted without refusing: files that stay on players' machines.
  const std::vector<std::string>& GetNotes() const { return m_notes; }

 private:
  struct Entry {
    std::string name;  // as stored, "/" separators
    std::string diskPath;
    uint32_t attributes = 0;
    time_t modified = 0;
  };

  bool Fail(const std::string& message);
  bool LoadFolders(const std::string& currentDir, const std::vector<std::string>& olderDirs);
  bool CheckVersions();
  bool CheckBase();
  std::string BaseText() const;
  bool CheckWritten();
  bool CheckCurrentFiles();
  bool CheckOutsideVersionFolders(const std::string& outDir);
  Entry EntryFor(const PackItem& file) const;
  std::vector<Entry> FullEntries() const;
  bool ChangedEntries(const CVersionFolder& older, std::vector<Entry>& entries);
  bool WriteRecord();
  bool WriteArchive(const std::string& name, std::vector<Entry> entries);
  bool Sign(const std::string& name);
  std::string ServedPath(const std::string& name) const;

  CVersionFolder m_current;
  std::vector<CVersionFolder> m_older;
  CServerFolder m_server;
  std::string m_szRecordName;
  std::vector<std::string> m_written;
  std::vector<std::string> m_notes;
  Options m_options;
  std::string m_szError;
};
