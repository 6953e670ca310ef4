// Splits a path into drive, folder, file base and extension, and decides whether an
// entry name is safe to write below a target folder. Both separators are accepted.
#pragma once

#include <cstddef>
#include <string>

class CZipPathComponent {
 public:
  CZipPathComponent() = default;
  explicit CZipPathComponent(const std::string& path) { SetFullPath(path); }

  void SetFullPath(const std::string& path);

  // "C:" or a UNC/device prefix such as "\\server\share"; empty for relative paths.
  const std::string& GetFileDrive() const { return m_szDrive; }
  // The folders after the drive, with their trailing separator ("data\ui\").
  const std::string& GetFileDir() const { return m_szDirectory; }
  // The name without its last extension ("x" for "x.bmp").
  const std::string& GetFileBase() const { return m_szFileBase; }
  // The last extension without its dot ("bmp").
  const std::string& GetFileExt() const { return m_szFileExt; }
  // Base and extension ("x.bmp").
  std::string GetFileName() const;
  // Drive and folders ("data\ui\").
  std::string GetFilePath() const { return m_szDrive + m_szDirectory; }
  std::string GetFullPath() const { return GetFilePath() + GetFileName(); }

  static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

  // True when name (length bytes, exactly as stored) stays below the folder it is
  // written into: not empty, no zero byte, no ":" anywhere (drives, streams), not
  // starting with a separator (absolute, UNC, "\\?\" and "\\.\" device paths), no
  // empty component except the final one of a folder entry, no component made only of
  // dots and spaces ("..", "." and what Windows trims to them), and no reserved device
  // name (CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$) with or without an
  // extension. A component that ends like the temporary of an entry being written
  // (".kqpart", CZipArchive::TEMP_SUFFIX) is refused too: such a file could be taken
  // for the remains of an interrupted run, and such a folder would block one.
  static bool IsSafeEntryName(const char* name, size_t length);
  // True when name (length bytes) is one plain file name in the folder it is used in:
  // the component rules above, and no separator, no ":", no control byte and none of
  // the characters Windows refuses in names (< > " | ? *).
  static bool IsSafeFileName(const char* name, size_t length);

 private:
  static bool IsSafeComponent(const char* component, size_t length);
  static bool IsReservedDeviceName(const char* component, size_t length);

  std::string m_szDrive;
  std::string m_szDirectory;
  std::string m_szFileBase;
  std::string m_szFileExt;
};
