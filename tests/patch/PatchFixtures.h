// Game folders, archives and packs for the archive application tests: real archives
// made by kqpack, hand-made archives for names kqpack refuses to store, the stand-in
// executive's packs and journal read back.
#pragma once

#include <map>
#include <string>
#include <vector>

using FileMap = std::map<std::string, std::string>;  // path -> bytes

// Writes every file of files below folder (creating folders).
void WriteTree(const std::string& folder, const FileMap& files);
// Every file below folder, with paths relative to it ("a\b.txt"); empty when absent.
FileMap ReadTree(const std::string& folder);
// Runs "kqpack create archive folder" from KQ_BIN_DIR; true when it exited with 0.
bool MakeArchive(const std::string& archive, const std::string& folder);
// An archive of stored entries with the names and contents given, as they are.
std::string HandMadeArchive(const std::vector<std::pair<std::string, std::string>>& entries);
// The entries of a stand-in pack; empty when the pack is missing or damaged.
FileMap ReadPack(const std::string& path);
// The stand-in executive's journal, line by line (empty when it was not loaded).
std::vector<std::string> Journal();
// Asks the stand-in executive for failures (its control file); "" removes the file.
void ControlStandIn(const std::string& words);
// Copies the two graphics-module builds from KQ_BIN_DIR into the current folder.
bool CopyGraphicsBuilds();
// Runs the program with the command line in the current folder and returns its exit
// status, or -1 when it cannot be started or does not end within timeoutMs.
int RunProgram(const std::string& program, const std::string& arguments, unsigned timeoutMs);
// KQ_BIN_DIR + "/" + name.
std::string BinFile(const std::string& name);
