// cSkinButton: an owner-drawn push or toggle button whose faces come from one skin
// image, a horizontal strip of faces each GetWidth() x GetHeight() of the resource,
// read from the strip's top row; key-coloured pixels are not painted.
//
//   face  push button (style 0)          toggle button (style not 0)
//   0     normal, and also disabled      unchecked
//   1     hovered (holds the capture)    checked
//   2     pressed                        not used
//
// The button takes the mouse capture while the pointer is over it, which tells the
// hovered face from the normal one, and lets go when the pointer leaves. Clicks reach
// the parent as BN_CLICKED. A toggle button inverts its check state when it is
// clicked (mouse or keyboard), before the parent sees the click.
//
// Beneath the transparent pixels lies the parent's background: the button asks the
// parent to draw it first (WM_PRINTCLIENT), as a parent with WS_CLIPCHILDREN never
// paints under its children.
#pragma once

#include "skin/SkinButtonResource.h"
#include "ui/Button.h"

#include <cstdint>

class cSkinButton : public ui::CButton {
public:
  cSkinButton();
  ~cSkinButton() override;

  // Creates the button (no text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW) at the
  // resource's rect in parent with that control id. The resource is not owned and
  // must outlive the window. FALSE without a resource or parent, when the window
  // exists already or cannot be created.
  BOOL Create(const cSkinButtonResource* pResource, ui::CWnd* pParent, UINT id);
  // Sets the toggle state; does not repaint (the caller invalidates).
  void SetCheck(bool checked) { m_bChecked = checked; }
  bool GetCheck() const { return m_bChecked; }
  bool IsToggle() const { return m_style != 0; }

  // Draws the face that the item state and the mouse capture choose into the
  // item's DC; nothing when the resource has no bitmap.
  void DrawItem(DRAWITEMSTRUCT* item) override;

protected:
  BOOL OnEraseBkgnd(HDC dc) override;
  void OnMouseMove(UINT flags, POINT point) override;
  bool OnControlReflect(UINT notifyCode) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
  int ChooseFaceX(UINT itemState, bool hasCapture, int stripWidth) const;
  void DrawParentBackground(HDC dc);

  const cSkinButtonResource* m_pResource;
  RECT m_rect;
  int m_width;
  int m_height;
  uint32_t m_style;
  bool m_bChecked;
};
