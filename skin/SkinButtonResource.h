// A button of the skin: a strip of faces, each "size" wide, read from the strip's
// top row. Style 0 is a push button, any other value a toggle button.
//   image FILE | pos X Y | size W H | style N
#pragma once

#include "skin/SkinComponentResource.h"

#include <cstdint>

class cSkinButtonResource : public cSkinComponentResource {
public:
  cSkinButtonResource();
  ~cSkinButtonResource() override;

  uint32_t GetStyle() const { return m_style; }
  bool IsToggle() const { return m_style != 0; }

protected:
  eKeyResult ParseKey(const std::string& key, cSkinParser& parser) override;

private:
  uint32_t m_style;
};
