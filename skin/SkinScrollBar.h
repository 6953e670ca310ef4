// cSkinScrollBar: a scroll bar that keeps its own scroll state and draws every part
// from one skin image of 9 x 3 square tiles (rows: normal, hot, pressed), with
// hover and pressed looks, auto-repeat every 100 ms and thumb dragging.
//
// It is a system scroll bar subclassed, so the standard SBM_SETSCROLLINFO and
// SBM_GETSCROLLINFO calls (CScrollBar::SetScrollInfo, GetScrollInfo) reach it; it
// answers them from its own state and never uses the system's. Notifications go to
// the parent as WM_VSCROLL (SBS_VERT style) or WM_HSCROLL with the bar's handle in
// lParam. Mouse handling repaints only the parts whose look changes, through a
// window DC. Without a bitmap the bar paints nothing.
//
// A press holds the mouse capture until the release and then gives it back to the
// window that held it before (a dropped combo list). When the capture is taken away
// during a press, the press ends as at a release: a drag reports its last position.
#pragma once

#include "skin/SkinScrollGeometry.h"
#include "ui/ScrollBar.h"

class cSkinScrollBar : public ui::CScrollBar {
public:
  // The auto-repeat timer and its period.
  static const UINT_PTR kRepeatTimer = 100;
  static const UINT kRepeatMs = 100;

  cSkinScrollBar();
  ~cSkinScrollBar() override;

  // Uses bitmap (not owned; it must outlive the bar) for every part; the tile side
  // is its width / 9, and the bar is resized in place to that thickness.
  void SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const { return m_bitmap; }
  int GetTileSide() const { return m_a; }
  bool IsVertical() const;

  // The bar as it is laid out now, and its mouse state (for the frame and tests).
  tScrollLayout GetLayout() const;
  int GetPressedPart() const { return m_pressedPart; }
  bool IsPressedInside() const { return m_pressedInside; }
  int GetHotPart() const { return m_hotPart; }
  bool IsDragging() const { return m_dragging; }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
  void OnPaint() override;
  void OnSize(UINT type, int cx, int cy) override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnMouseMove(UINT flags, POINT point) override;
  void OnMouseLeave() override;
  void OnTimer(UINT_PTR id) override;

private:
  LRESULT SetInfo(WPARAM redraw, const SCROLLINFO* info);
  LRESULT GetInfo(SCROLLINFO* info) const;
  tScrollState GetState() const;
  int AlongBar(POINT point) const;
  RECT PartRect(const tScrollLayout& layout, int part) const;
  RECT SpanRect(int start, int end) const;

  void Notify(WPARAM code) const;
  void DrawPart(HDC dc, HDC source, const tScrollLayout& layout, int part, int row) const;
  void RedrawParts(const int* parts, int count, int row) const;
  void RedrawPart(int part, int row) const;
  void RedrawArrowOrThumb(int part, int row) const;

  void RequestLeave();
  void StartDrag(POINT point);
  void StartPress(int part);
  void DragTo(POINT point);
  void Hover(POINT point);
  void FollowPress(POINT point);
  void HandleMove(POINT point);
  void EndPress();
  void EndDrag(POINT point);
  void BorrowCapture();
  void ReturnCapture();
  void OnCaptureChanged(HWND newHolder);

  HBITMAP m_bitmap;
  int m_a;
  int m_length;
  SCROLLINFO m_info;
  bool m_dragging;
  POINT m_dragStart;
  int m_dragStartPos;
  int m_pressedPart;
  bool m_pressedInside;
  int m_hotPart;
  bool m_tracking;
  // The window that held the mouse capture when the press began (not owned).
  HWND m_captureHolder;
};
