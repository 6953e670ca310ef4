#include "tests/ui/UiTestSupport.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace uitest {

void MessageLog::Add(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof(line), format, args);
  va_end(args);
  m_lines.emplace_back(line);
}

int MessageLog::Count(const std::string& line) const {
  return static_cast<int>(std::count(m_lines.begin(), m_lines.end(), line));
}

COLORREF PixelAt(HWND hwnd, int x, int y) {
  HDC dc = ::GetDC(hwnd);
  if (!dc) return CLR_INVALID;
  COLORREF color = ::GetPixel(dc, x, y);
  ::ReleaseDC(hwnd, dc);
  return color;
}

RECT TestRect(int left, int top, int width, int height) {
  RECT rect = {left, top, left + width, top + height};
  return rect;
}

}  // namespace uitest
