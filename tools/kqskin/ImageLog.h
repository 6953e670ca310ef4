// The file system of "kqskin check": the launcher's own, noting every file that the
// skin load reads whole (the script and its images), so that the images can be
// looked at again for what the launcher draws differently from an image viewer.
#pragma once

#include "files/FileSystem.h"

#include <string>
#include <vector>

class cImageLog : public cFileSystem {
public:
  std::unique_ptr<cMemFileToRead> OpenMemRead(const char* path) override;

  // The paths read, in order, each once.
  const std::vector<std::string>& GetPaths() const { return m_paths; }

private:
  std::vector<std::string> m_paths;
};

// What the launcher makes differently of the TGA file at path than an image viewer:
// a top-left origin (shown upside down), a colour map (read as pixels), 8 bits per
// pixel in a colour image (drawn in grey). One text per finding; none for a file that
// is not a TGA image the launcher loads.
std::vector<std::string> FindImageSurprises(const std::string& path);
