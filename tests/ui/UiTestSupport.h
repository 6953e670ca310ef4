// Helpers shared by the window tests: a message log and pixel reads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace uitest {

// Lines that handlers write, read back by the tests.
class MessageLog {
public:
  void Add(const char* format, ...);
  void Clear() { m_lines.clear(); }
  const std::vector<std::string>& Lines() const { return m_lines; }
  int Count(const std::string& line) const;

private:
  std::vector<std::string> m_lines;
};

// The colour of a client pixel as the screen shows it (CLR_INVALID when unreadable).
COLORREF PixelAt(HWND hwnd, int x, int y);
// The rectangle of a top-level window of the plain class, for tests that need one.
RECT TestRect(int left = 100, int top = 100, int width = 200, int height = 120);

}  // namespace uitest
