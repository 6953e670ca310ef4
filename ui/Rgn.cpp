#include "ui/Rgn.h"

namespace ui {

BOOL CRgn::CreateRectRgn(int left, int top, int right, int bottom) {
  return Own(::CreateRectRgn(left, top, right, bottom));
}

int CRgn::CombineRgn(HRGN first, HRGN second, int mode) {
  return GetSafeHandle() ? ::CombineRgn(GetSafeHandle(), first, second, mode) : ERROR;
}

}  // namespace ui
