// The server folder "ClientPatchFiles_ZV" that a release writes below its output
// folder. Everything is written into a scratch folder beside it
// ("ClientPatchFiles_ZV.partial") and moved into place only when complete, so a
// failed release leaves the folder that was there before (or none) and no half
// folder. A server folder may serve several editions: on replacing one, the files
// that do not belong to this edition (its record and its "<prefix>NNNNNNNN.kqp"
// archives, and their ".sig" signatures) are carried over; this edition's old files
// go, so no signature of an earlier release stays beside files it does not match.
#pragma once

#include <string>

class CServerFolder {
 public:
  static const char kName[];  // "ClientPatchFiles_ZV"

  CServerFolder() = default;
  // Removes the scratch folder unless Commit succeeded.
  ~CServerFolder();
  CServerFolder(const CServerFolder&) = delete;
  CServerFolder& operator=(const CServerFolder&) = delete;

  // Checks that the output folder and the server folder in it are folders where they
  // exist, creates the output folder when missing and an empty scratch folder. False
  // with GetError() set.
  bool Begin(const std::string& outDir, const std::string& prefix);
  // The path of a file of the new server folder (inside the scratch folder).
  std::string PathOf(const std::string& name) const;
  // The scratch folder that becomes the server folder.
  const std::string& GetScratch() const { return m_szScratch; }
  // Carries over the other editions' files and puts the scratch folder in place of
  // the server folder. False with GetError() set; the old server folder then stays.
  bool Commit();

  const std::string& GetOutDir() const { return m_szOutDir; }
  const std::string& GetError() const { return m_szError; }

  // Removes a folder with everything in it; true when it is gone.
  static bool RemoveTree(const std::string& path);

 private:
  bool Fail(const std::string& where, const std::string& reason);
  bool BelongsToEdition(const std::string& name) const;
  bool CarryOver();

  std::string m_szOutDir;
  std::string m_szPrefix;
  std::string m_szFinal;
  std::string m_szScratch;
  bool m_bStarted = false;
  std::string m_szError;
};
