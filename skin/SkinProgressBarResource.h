// A progress bar of the skin: the pattern that fills the done part, the outline
// colour of the done part and the colour of the rest.
//   image FILE | pos X Y | size W H | color R G B | backcolor R G B
#pragma once

#include "common/WinTypes.h"
#include "skin/SkinComponentResource.h"

class cSkinProgressBarResource : public cSkinComponentResource {
public:
  // color white, backColor dark grey.
  cSkinProgressBarResource();
  ~cSkinProgressBarResource() override;

  COLORREF GetColor() const { return m_color; }
  COLORREF GetBackColor() const { return m_backColor; }

protected:
  eKeyResult ParseKey(const std::string& key, cSkinParser& parser) override;

private:
  COLORREF m_color;
  COLORREF m_backColor;
};
