// A combo box of the skin: the face of the closed box cut into a left, a center
// (stretched) and a right slice, and the scroll-bar image of its drop-down list
// (9 x 3 square tiles).
//   image FILE | imageScroll FILE | left SX SY W H | center SX SY W H
//   right SX SY W H | pos X Y | size W H
#pragma once

#include "skin/SkinBitmap.h"
#include "skin/SkinComponentResource.h"

// A source rectangle in the face image: x, y, width, height.
struct SkinSlice {
  int x;
  int y;
  int width;
  int height;
};

class cSkinComboBoxResource : public cSkinComponentResource {
public:
  cSkinComboBoxResource();
  ~cSkinComboBoxResource() override;

  const SkinSlice& GetLeft() const { return m_left; }
  const SkinSlice& GetCenter() const { return m_center; }
  const SkinSlice& GetRight() const { return m_right; }
  // The scroll-bar image; empty when the block names none.
  const cSkinBitmap& GetScrollBitmap() const { return m_scrollBitmap; }
  int GetScrollWidth() const { return m_scrollWidth; }
  int GetScrollHeight() const { return m_scrollHeight; }

protected:
  eKeyResult ParseKey(const std::string& key, cSkinParser& parser) override;

private:
  static void ReadSlice(cSkinParser& parser, SkinSlice& slice);

  SkinSlice m_left;
  SkinSlice m_center;
  SkinSlice m_right;
  cSkinBitmap m_scrollBitmap;
  int m_scrollWidth;
  int m_scrollHeight;
};
