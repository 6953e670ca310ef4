// The few file-system operations the archive layer needs beyond reading and writing a
// file, with one implementation per platform. Paths are narrow strings; on Windows they
// are in the ANSI code page and may use either separator, elsewhere they use "/".
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace ZipPlatform {

// The separator used when touching the disk: "\" on Windows, "/" elsewhere.
char DiskSeparator();
// Rewrites the separators of path for the disk (entry names use "\").
void ToDiskPath(std::string& path);

bool IsDirectory(const char* path);
// Creates path and every missing folder above it; true when it exists as a folder.
bool MakeDirectoryTree(const std::string& path);
// The names of the files (not folders) directly in folder ("" for the current one).
// False when the folder cannot be read.
bool ListFiles(const std::string& folder, std::vector<std::string>& names);
// Removes a file, clearing its read-only attribute first where that matters.
bool RemoveFile(const char* path);
// Renames from onto to, replacing a file that is already there.
bool MoveFileOver(const char* from, const char* to);
// Sets the modification time to modTime and the access time to now.
bool SetFileTimes(const char* path, time_t modTime);
// Applies Windows attribute bits to a file or folder. On Windows they are set as they
// are (read-only, hidden, system, archive); elsewhere read-only clears the write bits
// of a file and the rest has no equivalent.
bool SetFileAttrs(const char* path, uint32_t attributes, bool isDirectory);
// Lets an existing file be replaced by an extraction, as the launcher does before
// each entry: on Windows its attributes become normal (MoveFileEx cannot replace a
// read-only file); elsewhere a rename replaces any file and nothing is needed. True
// when the file is missing.
bool PrepareForReplace(const char* path);
// Converts a DOS (OEM code page) name to the ANSI code page in place. Windows only;
// elsewhere the bytes are kept.
void ConvertOemToAnsi(char* text, size_t length);

}  // namespace ZipPlatform
