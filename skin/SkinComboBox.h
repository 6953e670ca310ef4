// cSkinComboBox: a drop-down list whose closed face is drawn from three slices of a
// skin image (left and right copied, the centre stretched between them) and whose
// list is drawn in fixed dark colours with white text. The first time the list asks
// for its colours it is wrapped in a skinned scroll frame (cSkinScrollWnd) with the
// resource's "imageScroll" image; the frame is then placed under the box on every
// drop-down and hidden on every close-up. Items are added, selected and read with
// the ordinary combo-box calls.
#pragma once

#include "skin/SkinComboBoxResource.h"
#include "ui/ComboBox.h"

#include <string>

class cSkinComboBox : public ui::CComboBox {
public:
  // WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_HASSTRINGS | CBS_OWNERDRAWVARIABLE |
  // CBS_DROPDOWNLIST.
  static const DWORD kStyle = 0x50200223;
  // DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS.
  static const UINT kTextFormat = 0x8024;

  cSkinComboBox();
  ~cSkinComboBox() override;

  // Creates the box at the resource's rect in parent with that id. The resource is
  // not owned and must outlive the window. FALSE without a resource or parent, when
  // the window exists already or cannot be created.
  BOOL Create(const cSkinComboBoxResource* pResource, ui::CWnd* pParent, UINT id);
  // Opens and at once closes the list, so that the list window exists, asks for its
  // colours and is wrapped before the user first opens it.
  void InitDropDown();
  // The wrapped list window; null before the wrap or without a scroll image.
  HWND GetListWindow() const { return m_list; }

  // Paints the closed face into dc over client: the three slices, then the selected
  // item's text (none without a selection).
  void DrawFace(HDC dc, const RECT& client) const;
  void DrawItem(DRAWITEMSTRUCT* item) override;
  // Leaves every item the height that the system proposes.
  void MeasureItem(MEASUREITEMSTRUCT* item) override;

protected:
  void OnPaint() override;
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT ctlType) override;
  bool OnControlReflect(UINT notifyCode) override;

private:
  std::string GetItemText(int index) const;
  void DrawText(HDC dc, RECT rect, const std::string& text) const;
  void DrawSlices(HDC dc, const RECT& client) const;
  void ShowListFrame();
  void HideListFrame();
  HWND GetListFrame() const;

  const cSkinComboBoxResource* m_pResource;
  HWND m_list;
  HBITMAP m_scrollBitmap;
  RECT m_rect;
  SkinSlice m_left;
  SkinSlice m_center;
  SkinSlice m_right;
};
