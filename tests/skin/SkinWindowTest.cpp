#include "tests/skin/SkinWindowTest.h"

#include <gtest/gtest.h>

#include "skin/SkinBitmap.h"

namespace skintest {

std::string PictureTga(const std::vector<std::string>& rows, const tPalette& palette) {
  int height = (int)rows.size();
  int width = height > 0 ? (int)rows[0].size() : 0;
  std::string body;
  for (int y = height - 1; y >= 0; --y) {
    for (char letter : rows[(size_t)y]) {
      auto found = palette.find(letter);
      COLORREF colour = letter == 'K' ? SkinKeyColor : found != palette.end() ? found->second : RGB(0, 0, 0);
      body += Bytes({GetBValue(colour), GetGValue(colour), GetRValue(colour)});
    }
  }
  return MakeTga({2, width, height, 24}, body);
}

std::vector<std::string> Framed(int width, int height, char inside, char border) {
  std::vector<std::string> rows((size_t)height, std::string((size_t)width, inside));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) rows[(size_t)y][(size_t)x] = border;
    }
  }
  return rows;
}

cTestSkin::cTestSkin(const std::string& folderName) : m_scratch(folderName) {
  m_skin.reset(new cSkinManager(m_scratch.Folder().c_str()));
}

void cTestSkin::AddImage(const std::string& fileName, const std::string& tga) {
  WriteFile(m_scratch.Path() / fileName, tga);
}

::testing::AssertionResult cTestSkin::Load(const std::string& script) {
  WriteFile(m_scratch.Path() / "skin.txt", script);
  if (m_skin->Load((m_scratch.Folder() + "skin.txt").c_str())) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << m_skin->GetErrorText();
}

const cSkinDialogResource* cTestSkin::Dialog(const char* name) const { return m_skin->FindDialog(name); }

cCanvas::cCanvas(int width, int height, COLORREF fill) : m_bitmap(nullptr), m_previous(nullptr) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (m_bitmap == nullptr || !m_dc.CreateCompatibleDC(nullptr)) return;
  m_previous = m_dc.SelectObject(m_bitmap);
  HBRUSH brush = ::CreateSolidBrush(fill);
  RECT all = {0, 0, width, height};
  ::FillRect(m_dc, &all, brush);
  ::DeleteObject(brush);
}

cCanvas::~cCanvas() {
  if (m_previous != nullptr) m_dc.SelectObject(m_previous);
  m_dc.Release();
  if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
}

COLORREF cCanvas::At(int x, int y) const {
  ::GdiFlush();
  return ::GetPixel(m_dc, x, y);
}

cParentWindow::cParentWindow(int width, int height) {
  RECT rect = {40, 40, 40 + width, 40 + height};
  CreateEx(0, nullptr, "skin test parent", WS_POPUP | WS_VISIBLE, rect, nullptr, 0);
}

int cParentWindow::Clicks(int id) const {
  auto found = m_clicks.find(id);
  return found != m_clicks.end() ? found->second : 0;
}

BOOL cParentWindow::OnCommand(WPARAM wParam, LPARAM) {
  if (HIWORD(wParam) != BN_CLICKED) return FALSE;
  ++m_clicks[LOWORD(wParam)];
  return TRUE;
}

}  // namespace skintest
