// A fresh game folder per test case below the test's working directory, made the
// current directory while the case runs (the code under test uses relative names).
#pragma once

#include <string>

class GameFolder {
public:
  explicit GameFolder(const std::string& name);
  ~GameFolder();
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  const std::string& Path() const { return m_path; }

private:
  std::string m_previous;
  std::string m_path;
};
