// The arithmetic and the fixed colours of the skinned combo box, kept apart from the
// window so they can be checked in tables natively. Portable: no Windows header
// beyond common/WinTypes.h.
#pragma once

#include "common/WinTypes.h"

// The list's fixed look: white text on a dark background, lighter when highlighted.
const COLORREF kComboTextColor = 0x00FFFFFF;
const COLORREF kComboHighlightColor = 0x00494747;
const COLORREF kComboItemColor = 0x002B2929;
// Where the face's text starts, right of the client rectangle's left edge.
const int kComboTextIndent = 3;

// The destination of the face's stretched centre slice along the box: it starts
// right of the left slice and ends where the right slice begins.
struct tComboCenter {
  int x;
  int width;
};
tComboCenter ComboCenterSlice(const RECT& client, int leftWidth, int rightWidth);

// The height of the dropped list's frame: the items' total height plus the frame's
// own edges (the border it took from the list; window height less client height)
// when that is less than the dropped rectangle's height less 2, else that height
// less 2. With the edges counted, a short list shows its last item whole.
int ComboFrameHeight(int itemCount, int itemHeight, int frameEdges, int droppedHeight);

// The background of a list item: the highlight for a selected item of the list
// (not the selection field of the closed box), else the plain item colour.
COLORREF ComboItemBackground(bool selected, bool comboBoxEdit);
