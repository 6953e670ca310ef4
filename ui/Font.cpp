#include "ui/Font.h"

namespace ui {

BOOL CFont::CreateFontIndirect(const LOGFONTA* font) { return Own(::CreateFontIndirectA(font)); }

}  // namespace ui
