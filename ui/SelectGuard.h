// CSelectGuard: selects a GDI object into a DC for one scope and puts the previous
// object back when the scope ends. Declare it after the owner of the object, so the
// object is deselected before it is deleted.
#pragma once

#include <windows.h>

namespace ui {

class CSelectGuard {
public:
  CSelectGuard(HDC dc, HGDIOBJ object);
  ~CSelectGuard();
  CSelectGuard(const CSelectGuard&) = delete;
  CSelectGuard& operator=(const CSelectGuard&) = delete;

  // False when the object could not be selected (nothing is restored then).
  bool IsSelected() const { return m_previous != nullptr; }

private:
  HDC m_hDC;
  HGDIOBJ m_previous;
};

}  // namespace ui
