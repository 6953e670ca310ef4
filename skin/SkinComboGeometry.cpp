#include "skin/SkinComboGeometry.h"

tComboCenter ComboCenterSlice(const RECT& client, int leftWidth, int rightWidth) {
  tComboCenter center;
  center.x = client.left + leftWidth;
  center.width = client.right - leftWidth - rightWidth;
  return center;
}

int ComboFrameHeight(int itemCount, int itemHeight, int frameEdges, int droppedHeight) {
  int items = itemCount * itemHeight + frameEdges;
  int room = droppedHeight - 2;
  return items < room ? items : room;
}

COLORREF ComboItemBackground(bool selected, bool comboBoxEdit) {
  return selected && !comboBoxEdit ? kComboHighlightColor : kComboItemColor;
}
