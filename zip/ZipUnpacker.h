// Unpacks the entries of an open patch archive into the current folder, the one way
// both the launcher's engine and "kqpack extract" do it, so that what the tool shows
// on the publisher's machine is what a player's launcher does: the entry's name is
// checked, an existing file of that name is let be replaced (read-only, hidden and
// system attributes cleared), and the entry is written through a temporary that
// becomes the target only once it is whole and its CRC is good. After the last entry,
// RemoveLeftovers clears the temporaries that an interrupted earlier run left in the
// folders this archive writes to.
#pragma once

#include <cstddef>
#include <set>
#include <string>

#include "ZipArchive.h"

class CZipUnpacker {
 public:
  // The chunk each entry is read and written in, as the launcher uses it.
  static const size_t kBufferSize = 65536;

  explicit CZipUnpacker(CZipArchive& archive) : m_archive(archive) {}

  // Unpacks entry index below the current folder; the observer (may be null) hears of
  // every chunk. False when the name is unsafe, the entry damaged, a write fails or the
  // observer stopped it; the archive's GetLastFailure says why, and the target keeps
  // what it had.
  bool UnpackEntry(int index, CZipExtractObserver* observer = nullptr);
  // Removes every temporary (CZipArchive::IsTemporaryName) in the folders that the
  // entries unpacked so far were written to; returns how many were removed.
  int RemoveLeftovers();

 private:
  CZipArchive& m_archive;
  std::set<std::string> m_folders;  // disk paths, "" for the current folder
};
