// CDC: a move-only owner of one device context, released the way it was obtained:
// a window DC (GetDC) with ReleaseDC, a paint DC (BeginPaint) with EndPaint, a
// memory DC (CreateCompatibleDC) with DeleteDC. Objects selected into a memory DC
// that must outlive a drawing step are put back by the caller (or CSelectGuard)
// before the DC is released.
#pragma once

#include <windows.h>

namespace ui {

class CDC {
public:
  CDC();
  ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;
  CDC(CDC&& other) noexcept;
  CDC& operator=(CDC&& other) noexcept;

  // Each returns false and owns nothing when the system gives no DC.
  BOOL GetDC(HWND hwnd);
  BOOL BeginPaint(HWND hwnd);
  BOOL CreateCompatibleDC(HDC dc);
  // Releases the DC now; the owner is empty afterwards.
  void Release();

  HDC GetSafeHdc() const { return m_hDC; }
  operator HDC() const { return m_hDC; }
  // Selects an object and returns the one it replaced (null on failure).
  HGDIOBJ SelectObject(HGDIOBJ object);
  // The paint request of a paint DC.
  const PAINTSTRUCT& GetPaintStruct() const { return m_paint; }

private:
  enum class Kind { None, Window, Paint, Memory };
  void TakeFrom(CDC& other);

  HDC m_hDC;
  HWND m_hWnd;
  Kind m_kind;
  PAINTSTRUCT m_paint;
};

}  // namespace ui
