#include "ui/SelectGuard.h"

namespace ui {

CSelectGuard::CSelectGuard(HDC dc, HGDIOBJ object) : m_hDC(dc), m_previous(nullptr) {
  HGDIOBJ previous = ::SelectObject(dc, object);
  if (previous && previous != HGDI_ERROR) m_previous = previous;
}

CSelectGuard::~CSelectGuard() {
  if (m_previous) ::SelectObject(m_hDC, m_previous);
}

}  // namespace ui
