#include "ui/Dc.h"

namespace ui {

CDC::CDC() : m_hDC(nullptr), m_hWnd(nullptr), m_kind(Kind::None), m_paint() {}

CDC::~CDC() { Release(); }

CDC::CDC(CDC&& other) noexcept : CDC() { TakeFrom(other); }

CDC& CDC::operator=(CDC&& other) noexcept {
  if (this != &other) {
    Release();
    TakeFrom(other);
  }
  return *this;
}

void CDC::TakeFrom(CDC& other) {
  m_hDC = other.m_hDC;
  m_hWnd = other.m_hWnd;
  m_kind = other.m_kind;
  m_paint = other.m_paint;
  other.m_hDC = nullptr;
  other.m_hWnd = nullptr;
  other.m_kind = Kind::None;
}

BOOL CDC::GetDC(HWND hwnd) {
  Release();
  m_hDC = ::GetDC(hwnd);
  if (!m_hDC) return FALSE;
  m_hWnd = hwnd;
  m_kind = Kind::Window;
  return TRUE;
}

BOOL CDC::BeginPaint(HWND hwnd) {
  Release();
  m_hDC = ::BeginPaint(hwnd, &m_paint);
  if (!m_hDC) return FALSE;
  m_hWnd = hwnd;
  m_kind = Kind::Paint;
  return TRUE;
}

BOOL CDC::CreateCompatibleDC(HDC dc) {
  Release();
  m_hDC = ::CreateCompatibleDC(dc);
  if (!m_hDC) return FALSE;
  m_kind = Kind::Memory;
  return TRUE;
}

void CDC::Release() {
  switch (m_kind) {
    case Kind::Window: ::ReleaseDC(m_hWnd, m_hDC); break;
    case Kind::Paint: ::EndPaint(m_hWnd, &m_paint); break;
    case Kind::Memory: ::DeleteDC(m_hDC); break;
    case Kind::None: break;
  }
  m_hDC = nullptr;
  m_hWnd = nullptr;
  m_kind = Kind::None;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) {
  HGDIOBJ previous = ::SelectObject(m_hDC, object);
  return previous == HGDI_ERROR ? nullptr : previous;
}

}  // namespace ui
