// cSkinDialog: the base of every skinned top-level window. The window takes the
// size of the skin's background image, its shape is the image without its
// key-coloured pixels, the background is painted from the image, the whole
// background drags the window like a title bar, and its font comes from the skin.
// A derived window creates its controls from the same resource after OnCreate.
//
// Enter and Escape reach OnOK and OnCancel from PreTranslateMessage, before the
// dialog manager turns the same key into IDOK or IDCANCEL: one key press reaches
// OnOK or OnCancel twice, and the derived window copes with the second call.
#pragma once

#include "skin/SkinDialogResource.h"
#include "ui/Dc.h"
#include "ui/Dialog.h"
#include "ui/Font.h"

class cSkinDialog : public ui::CDialog {
public:
  // A dialog on the template IDD_SKIN_DIALOG; parent may be null.
  explicit cSkinDialog(ui::CWnd* pParent = nullptr);
  ~cSkinDialog() override;

  // Stores the resource (not owned; it must outlive the window) and takes its rect
  // as the drag rect and its size as the window's. Called before the window exists.
  void SetResource(const cSkinDialogResource* pResource);
  // SetResource, then runs the dialog modally. -1 without a resource or when the
  // window cannot be created, else the value given to EndDialog.
  INT_PTR DoModal(const cSkinDialogResource* pResource);
  using ui::CDialog::DoModal;

  const cSkinDialogResource* GetResource() const { return m_pResource; }
  // The dialog font made from the skin (null before OnCreate and after OnDestroy),
  // for the derived window to hand to its controls.
  HFONT GetSkinFont() const { return m_font.GetSafeHandle(); }

  BOOL PreTranslateMessage(MSG* msg) override;
  // Adds WM_PRINTCLIENT: the background is drawn into the DC given.
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  // Sizes, shapes, fonts and centres the window; -1 (no window) without a resource
  // or when the default creation fails. A derived OnCreate calls this first.
  int OnCreate(CREATESTRUCTA* cs) override;
  // Puts the background DC's bitmap back and frees the DC and the font. A derived
  // OnDestroy calls this last.
  void OnDestroy() override;
  void OnPaint() override;
  // The background is painted only by OnPaint.
  BOOL OnEraseBkgnd(HDC dc) override;
  // A press inside the drag rect moves the window as its caption would.
  void OnLButtonDown(UINT flags, POINT point) override;

private:
  void CreateSkinFont();
  bool SelectBackground();
  void CutWindowRegion();
  void RemoveFrame();
  void DrawBackground(HDC dc);

  const cSkinDialogResource* m_pResource;
  RECT m_dragRect;
  int m_width;
  int m_height;
  // Holds the background bitmap selected for the window's whole life.
  ui::CDC m_backgroundDC;
  // What the background DC held before the background; null when nothing was saved.
  HGDIOBJ m_hPreviousBitmap;
  ui::CFont m_font;
};
