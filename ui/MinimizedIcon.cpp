#include "ui/MinimizedIcon.h"

#include "ui/Dc.h"

namespace ui {

void PaintMinimizedIcon(CWnd& window, HICON icon) {
  CDC dc;
  if (!dc.BeginPaint(window.GetSafeHwnd())) return;
  window.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  RECT client;
  window.GetClientRect(&client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
}

}  // namespace ui
