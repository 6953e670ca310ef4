// cSkinScrollWnd: a frame that gives an existing window (the target) skinned scroll
// bars without touching the target's own scrolling logic.
//
// The system draws a window's scroll bars itself, so a skin cannot reach them. The
// frame takes the target's place in its parent and puts the target inside a
// clipping child window, the viewport ("LIMIT"), sized so that the strip where the
// target draws its system scroll bar falls outside it. Two cSkinScrollBars, siblings
// of the viewport, stand over that strip. The frame replaces the target's window
// procedure to see its scroll state change (erase, non-client size) and drives the
// target with the same WM_VSCROLL / WM_HSCROLL messages its own bars would send; a
// 500 ms timer catches scrolling the target did by itself (keys, wheel).
//
// The frame also keeps the target in place (at the viewport's origin, as large as
// the frame's client area) against moves from elsewhere, and while the target holds
// the mouse capture (a dropped combo list) hands the pointer's messages over the
// skinned bars to the bars.
//
// The frame owns the target's GWLP_USERDATA while it is wrapped (the window
// framework keeps its own link in a window property). It lives on the heap and
// deletes itself when its window is gone; the target's WM_DESTROY unwraps it.
#pragma once

#include "skin/SkinScrollBar.h"
#include "ui/Wnd.h"

class cSkinScrollWnd : public ui::CWnd {
public:
  // The private message that places the viewport after the target's size changed;
  // wParam: the target's WS_VSCROLL bit, lParam: bars on the left.
  static const UINT kLayoutMessage = WM_USER + 100;
  static const UINT kHorizontalId = 100;
  static const UINT kVerticalId = 101;
  static const UINT kViewportId = 200;
  static const UINT_PTR kSyncTimer = 100;
  static const UINT kSyncMs = 500;

  cSkinScrollWnd();
  ~cSkinScrollWnd() override;

  // Builds the frame around target with the scroll image bitmap (not owned). False
  // (target untouched) when the target is not a window, is wrapped already, or the
  // frame cannot be created.
  bool Attach(HWND target, HBITMAP bitmap);

  // The frame of a wrapped target, or null.
  static cSkinScrollWnd* FromTarget(HWND target);

  HWND GetTarget() const { return m_target; }
  cSkinScrollBar& GetHorizontalBar() { return m_horizontal; }
  cSkinScrollBar& GetVerticalBar() { return m_vertical; }
  HWND GetViewport() const { return m_viewport.GetSafeHwnd(); }
  int GetCornerMode() const { return m_cornerMode; }
  int GetTileSide() const { return m_a; }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  void OnSize(UINT type, int cx, int cy) override;
  void OnVScroll(UINT code, UINT pos, HWND scrollBar) override;
  void OnHScroll(UINT code, UINT pos, HWND scrollBar) override;
  void OnPaint() override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  void PostNcDestroy() override;

private:
  friend void UnwrapSkinScroll(HWND target);
  static LRESULT CALLBACK TargetProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleTargetMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateFrame(const RECT& place, DWORD targetStyle, DWORD targetExStyle, HWND parent, UINT id);
  bool CreateChildren();
  void SyncBar(cSkinScrollBar& bar, int which);
  void SyncIfChanged(cSkinScrollBar& bar, int which);
  void PlaceBars(NCCALCSIZE_PARAMS* params, POINT origin);
  void KeepTargetInPlace(WINDOWPOS* pos) const;
  cSkinScrollBar* BarUnder(LPARAM targetPoint);
  LRESULT ForwardToBar(cSkinScrollBar& bar, UINT message, WPARAM wParam, LPARAM targetPoint);
  void PostLayout();
  void Layout(bool vertical, bool left);
  void DriveTarget(UINT message, UINT code, UINT pos, cSkinScrollBar& bar, int which);
  // True while target is still wrapped by this frame and the frame's window exists.
  bool IsWrapping(HWND target) const;
  void Unwrap();

  HWND m_target;
  WNDPROC m_targetProc;
  int m_a;
  cSkinScrollBar m_horizontal;
  cSkinScrollBar m_vertical;
  ui::CWnd m_viewport;
  HBITMAP m_bitmap;
  bool m_busy;
  int m_cornerMode;
  // The target's x in the viewport: 0, or -a with the bars on the left.
  int m_targetX;
  bool m_destroying;
};

// Wraps target in a new frame with the scroll image bitmap; the frame, or null when
// it cannot be built (nothing changed then).
cSkinScrollWnd* WrapWithSkinScroll(HWND target, HBITMAP bitmap);

// Puts the target back in its parent at the frame's place and destroys the frame;
// nothing when target is not wrapped. Runs by itself on the target's WM_DESTROY.
void UnwrapSkinScroll(HWND target);
