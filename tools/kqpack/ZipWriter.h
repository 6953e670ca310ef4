// Writes a patch archive: local headers and data (deflated, or stored when deflate
// does not make an entry smaller), then the central directory, scrambled with the
// header key table unless plain output is asked for, and the end record. No zip64:
// entries, sizes and offsets must fit the classic 16- and 32-bit fields. Entries are
// marked as made by Windows NTFS with their names in the players' code page
// (NameCodePage.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "NameCodePage.h"
#include "zip/ZipFile.h"

class CZipWriter {
 public:
  CZipWriter() = default;
  ~CZipWriter();
  CZipWriter(const CZipWriter&) = delete;
  CZipWriter& operator=(const CZipWriter&) = delete;

  // Starts an archive for path. It is written under a temporary name beside path
  // (GetWritingPath) and takes path's place only when Finish succeeds, so a failure
  // leaves whatever was at path.
  bool Create(const std::string& path, bool scrambled, const CNameCodePage& names = CNameCodePage());
  // Adds a folder entry; name uses "/" and ends with it.
  bool AddFolder(const std::string& name, uint32_t attributes, time_t modified);
  // Adds the file at diskPath under name ("/" separators).
  bool AddFile(const std::string& diskPath, const std::string& name, uint32_t attributes, time_t modified);
  // Writes the central directory and the end record, closes the archive and moves
  // it to the path given to Create, replacing a file there.
  bool Finish();
  // Closes and deletes an unfinished archive; the file at the path is untouched.
  void Abandon();
  // The temporary file being written, for leaving it out of a folder being packed.
  const std::string& GetWritingPath() const { return m_szWriting; }

  // What went wrong, for the error line.
  const std::string& GetError() const { return m_szError; }

  // True when name ("/" separators) can be stored in the code page and the reader
  // accepts what is stored for extraction; kqpack never stores a name that a player's
  // launcher would refuse or show under another name. False with reason set.
  static bool CheckName(const std::string& name, const CNameCodePage& names, std::string& reason);
  // The stored form of a name that passed CheckName, with "\" separators, as the
  // launcher's reader hands it out.
  static std::string ReaderName(const std::string& name, const CNameCodePage& names);

 private:
  struct Entry {
    std::string name;  // as stored
    uint16_t method = 0;
    uint16_t dosTime = 0;
    uint16_t dosDate = 0;
    uint32_t crc = 0;
    uint32_t compressedSize = 0;
    uint32_t size = 0;
    uint32_t attributes = 0;
    uint32_t offset = 0;
  };

  bool Fail(const std::string& reason);
  bool OpenWritingFile(const std::string& path);
  bool StartEntry(Entry& entry, const std::string& name, uint32_t attributes, time_t modified);
  bool WriteLocalHeader(const Entry& entry);
  bool WriteDeflated(CZipFile& source, Entry& entry, bool& shrank);
  bool WriteStored(CZipFile& source, Entry& entry);
  bool WriteCentralHeader(const Entry& entry);

  CZipFile m_file;
  std::string m_szPath;
  std::string m_szWriting;
  std::string m_szError;
  bool m_bScrambled = true;
  CNameCodePage m_names;
  bool m_bOpen = false;
  int64_t m_iPosition = 0;
  std::vector<Entry> m_entries;
};
