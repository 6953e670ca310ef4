#include "skin/SkinScrollBar.h"

#include "skin/SkinScrollDraw.h"
#include "ui/Dc.h"
#include "ui/SelectGuard.h"

namespace {

// Runs draw(window DC, memory DC holding bitmap) on hwnd; nothing when a DC cannot
// be had or the bitmap cannot be selected.
template <class Draw>
void DrawThroughWindowDc(HWND hwnd, HBITMAP bitmap, Draw draw) {
  if (bitmap == nullptr) return;
  ui::CDC dc;
  if (!dc.GetDC(hwnd)) return;
  ui::CDC source;
  if (!source.CreateCompatibleDC(dc)) return;
  ui::CSelectGuard select(source, bitmap);
  if (!select.IsSelected()) return;
  draw(dc.GetSafeHdc(), source.GetSafeHdc());
}

bool IsArrow(int part) { return part == kScrollLineUp || part == kScrollLineDown; }

WPARAM ScrollCode(int code, int position) { return MAKEWPARAM(code, position); }

}  // namespace

cSkinScrollBar::cSkinScrollBar()
    : m_bitmap(nullptr),
      m_a(0),
      m_length(0),
      m_info(),
      m_dragging(false),
      m_dragStart(),
      m_dragStartPos(0),
      m_pressedPart(kScrollNoPart),
      m_pressedInside(false),
      m_hotPart(kScrollNoPart),
      m_tracking(false),
      m_captureHolder(nullptr) {
  m_info.cbSize = sizeof(m_info);
  m_info.nTrackPos = -1;
}

cSkinScrollBar::~cSkinScrollBar() = default;

bool cSkinScrollBar::IsVertical() const { return (GetStyle() & SBS_VERT) != 0; }

void cSkinScrollBar::SetBitmap(HBITMAP bitmap) {
  m_bitmap = bitmap;
  BITMAP info = {};
  m_a = bitmap != nullptr && ::GetObjectA(bitmap, sizeof(info), &info) != 0 ? info.bmWidth / 9 : 0;
  if (m_hWnd == nullptr) return;
  RECT window;
  GetWindowRect(&window);
  int width = IsVertical() ? m_a : window.right - window.left;
  int height = IsVertical() ? window.bottom - window.top : m_a;
  SetWindowPos(nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client;
  GetClientRect(&client);
  m_length = IsVertical() ? client.bottom : client.right;
  Invalidate();
}

tScrollState cSkinScrollBar::GetState() const {
  return tScrollState{m_info.nMin, m_info.nMax, m_info.nPage, m_info.nPos, m_info.nTrackPos};
}

tScrollLayout cSkinScrollBar::GetLayout() const { return LayOutScrollBar(m_a, m_length, GetState()); }

int cSkinScrollBar::AlongBar(POINT point) const { return IsVertical() ? point.y : point.x; }

RECT cSkinScrollBar::SpanRect(int start, int end) const {
  return IsVertical() ? RECT{0, start, m_a, end} : RECT{start, 0, end, m_a};
}

RECT cSkinScrollBar::PartRect(const tScrollLayout& layout, int part) const {
  tScrollSpan span = ScrollPartSpan(layout, part);
  return SpanRect(span.start, span.end);
}

LRESULT cSkinScrollBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDBLCLK:
      return 1;  // a double click gives no extra press
    case WM_ENABLE:
      // The system control would draw its own look straight away; repaint ours.
      Invalidate(FALSE);
      return 0;
    case WM_CAPTURECHANGED:
      OnCaptureChanged(reinterpret_cast<HWND>(lParam));
      return 0;
    case SBM_SETSCROLLINFO:
      return SetInfo(wParam, reinterpret_cast<const SCROLLINFO*>(lParam));
    case SBM_GETSCROLLINFO:
      return GetInfo(reinterpret_cast<SCROLLINFO*>(lParam));
    default:
      return ui::CScrollBar::WindowProc(message, wParam, lParam);
  }
}

// Takes page, position and range as the caller's mask asks (never the track
// position); redraws the middle of the bar when asked.
LRESULT cSkinScrollBar::SetInfo(WPARAM redraw, const SCROLLINFO* info) {
  if (info == nullptr) return 0;
  if (info->fMask & SIF_PAGE) m_info.nPage = info->nPage;
  if (info->fMask & SIF_POS) m_info.nPos = info->nPos;
  if (info->fMask & SIF_RANGE) {
    m_info.nMin = info->nMin;
    m_info.nMax = info->nMax;
  }
  if (redraw) {
    const int middle[] = {kScrollPageUp, kScrollThumb, kScrollPageDown};
    RedrawParts(middle, 3, kScrollRowNormal);
  }
  return 1;
}

LRESULT cSkinScrollBar::GetInfo(SCROLLINFO* info) const {
  if (info == nullptr) return 0;
  if (info->fMask & SIF_PAGE) info->nPage = m_info.nPage;
  if (info->fMask & SIF_POS) info->nPos = m_info.nPos;
  if (info->fMask & SIF_TRACKPOS) info->nTrackPos = m_info.nTrackPos;
  if (info->fMask & SIF_RANGE) {
    info->nMin = m_info.nMin;
    info->nMax = m_info.nMax;
  }
  return 1;
}

void cSkinScrollBar::Notify(WPARAM code) const {
  ::SendMessageA(GetParent(), IsVertical() ? WM_VSCROLL : WM_HSCROLL, code, reinterpret_cast<LPARAM>(m_hWnd));
}

// Arrows are one tile, the thumb has fixed ends, the page areas are tiled track.
void cSkinScrollBar::DrawPart(HDC dc, HDC source, const tScrollLayout& layout, int part, int row) const {
  int column = ScrollTileColumn(part, IsVertical());
  if (column < 0) return;
  RECT area = PartRect(layout, part);
  RECT tile = ScrollTileRect(m_a, column, row);
  if (part == kScrollThumb)
    DrawScrollThumb(dc, area, source, tile, IsVertical());
  else if (IsArrow(part))
    DrawScrollTile(dc, area, source, tile);
  else
    TileFill(dc, area, source, tile);
}

void cSkinScrollBar::RedrawParts(const int* parts, int count, int row) const {
  tScrollLayout layout = GetLayout();
  DrawThroughWindowDc(m_hWnd, m_bitmap, [&](HDC dc, HDC source) {
    for (int i = 0; i < count; ++i) DrawPart(dc, source, layout, parts[i], row);
  });
}

void cSkinScrollBar::RedrawPart(int part, int row) const { RedrawParts(&part, 1, row); }

// Only the arrows and the thumb have hot and pressed looks.
void cSkinScrollBar::RedrawArrowOrThumb(int part, int row) const {
  if (IsArrow(part) || part == kScrollThumb) RedrawPart(part, row);
}

void cSkinScrollBar::OnPaint() {
  ui::CDC dc;
  if (!dc.BeginPaint(m_hWnd) || m_bitmap == nullptr) return;
  ui::CDC source;
  if (!source.CreateCompatibleDC(dc)) return;
  ui::CSelectGuard select(source, m_bitmap);
  if (!select.IsSelected()) return;
  tScrollLayout layout = GetLayout();
  const int parts[] = {kScrollLineUp, kScrollLineDown, kScrollThumb, kScrollPageUp, kScrollPageDown};
  for (int part : parts) DrawPart(dc, source, layout, part, kScrollRowNormal);
}

void cSkinScrollBar::OnSize(UINT type, int cx, int cy) {
  ui::CScrollBar::OnSize(type, cx, cy);
  m_length = IsVertical() ? cy : cx;
}

void cSkinScrollBar::OnLButtonDown(UINT, POINT point) {
  BorrowCapture();
  int part = ScrollPressPart(GetLayout(), AlongBar(point));
  if (part == kScrollThumb)
    StartDrag(point);
  else
    StartPress(part);
}

// Nothing is sent until the thumb moves.
void cSkinScrollBar::StartDrag(POINT point) {
  m_dragging = true;
  m_dragStart = point;
  m_info.nTrackPos = m_info.nPos;
  m_dragStartPos = m_info.nPos;
}

// One notification at once, then one every 100 ms while the pointer stays on it.
void cSkinScrollBar::StartPress(int part) {
  m_pressedPart = part;
  m_pressedInside = true;
  Notify(ScrollCode(part, 0));
  SetTimer(kRepeatTimer, kRepeatMs);
  if (IsArrow(part)) RedrawPart(part, kScrollRowPressed);
}

void cSkinScrollBar::OnTimer(UINT_PTR id) {
  if (id != kRepeatTimer) {
    ui::CScrollBar::OnTimer(id);
    return;
  }
  // A tick queued before the timer stopped sends nothing.
  if (m_pressedPart != kScrollNoPart && m_pressedInside) Notify(ScrollCode(m_pressedPart, 0));
}

void cSkinScrollBar::RequestLeave() {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_LEAVE;
  track.hwndTrack = m_hWnd;
  track.dwHoverTime = 1;
  m_tracking = ::TrackMouseEvent(&track) != FALSE;
}

void cSkinScrollBar::OnMouseMove(UINT, POINT point) {
  if (!m_tracking) RequestLeave();
  HandleMove(point);
}

void cSkinScrollBar::HandleMove(POINT point) {
  if (m_dragging)
    DragTo(point);
  else if (m_pressedPart == kScrollNoPart)
    Hover(point);
  else
    FollowPress(point);
}

// Moves the thumb to the position the pointer's move gives: the strip it left is
// filled with track, the thumb is drawn pressed, the parent gets SB_THUMBTRACK.
void cSkinScrollBar::DragTo(POINT point) {
  int position = 0;
  int delta = AlongBar(point) - AlongBar(m_dragStart);
  if (!ScrollDragPosition(m_a, m_length, GetState(), m_dragStartPos, delta, &position)) return;
  if (position == m_info.nTrackPos) return;
  tScrollSpan before = ScrollPartSpan(GetLayout(), kScrollThumb);
  m_info.nTrackPos = position;
  tScrollLayout layout = GetLayout();
  tScrollSpan after = ScrollPartSpan(layout, kScrollThumb);
  RECT strip = after.start > before.start ? SpanRect(before.start, after.start) : SpanRect(after.end, before.end);
  RECT track = ScrollTileRect(m_a, ScrollTileColumn(kScrollPageUp, IsVertical()), kScrollRowNormal);
  DrawThroughWindowDc(m_hWnd, m_bitmap, [&](HDC dc, HDC source) {
    TileFill(dc, strip, source, track);
    DrawPart(dc, source, layout, kScrollThumb, kScrollRowPressed);
  });
  Notify(ScrollCode(SB_THUMBTRACK, position));
}

// The page areas have no hover look; the point (-1, -1) of a leave hits nothing.
void cSkinScrollBar::Hover(POINT point) {
  int hit = point.x == -1 && point.y == -1 ? kScrollNoPart : HitTestScrollBar(GetLayout(), AlongBar(point));
  if (hit == m_hotPart) return;
  RedrawArrowOrThumb(m_hotPart, kScrollRowNormal);
  RedrawArrowOrThumb(hit, kScrollRowHot);
  m_hotPart = hit;
}

// Auto-repeat runs only while the pointer is over the pressed part.
void cSkinScrollBar::FollowPress(POINT point) {
  RECT part = PartRect(GetLayout(), m_pressedPart);
  bool inside = ::PtInRect(&part, point) != FALSE;
  if (inside && !m_pressedInside) {
    Notify(ScrollCode(m_pressedPart, 0));
    SetTimer(kRepeatTimer, kRepeatMs);
    m_pressedInside = true;
    if (IsArrow(m_pressedPart)) RedrawPart(m_pressedPart, kScrollRowPressed);
  } else if (!inside && m_pressedInside) {
    KillTimer(kRepeatTimer);
    m_pressedInside = false;
    if (IsArrow(m_pressedPart)) RedrawPart(m_pressedPart, kScrollRowNormal);
  }
}

// A leave during a drag changes nothing: the capture keeps the drag going.
void cSkinScrollBar::OnMouseLeave() {
  m_tracking = false;
  if (!m_dragging) HandleMove(POINT{-1, -1});
}

// The press ends before the capture goes back, so the capture change that follows
// finds nothing under way.
void cSkinScrollBar::OnLButtonUp(UINT, POINT point) {
  if (m_dragging)
    EndDrag(point);
  else
    EndPress();
  ReturnCapture();
}

// Takes the mouse capture for a press, remembering the window of this thread that
// held it: a dropped combo list holds the capture (a click outside it closes it) and
// hands the presses on its scroll bar over to the bar.
void cSkinScrollBar::BorrowCapture() {
  HWND holder = ::GetCapture();
  m_captureHolder = holder != m_hWnd ? holder : nullptr;
  SetCapture();
}

// Gives the capture back to the window that held it before the press, while that
// window is still shown; otherwise lets it go. Nothing when the bar does not hold it.
void cSkinScrollBar::ReturnCapture() {
  HWND holder = m_captureHolder;
  m_captureHolder = nullptr;
  if (::GetCapture() != m_hWnd) return;
  if (holder != nullptr && ::IsWindow(holder) && ::IsWindowVisible(holder))
    ::SetCapture(holder);
  else
    ::ReleaseCapture();
}

// The capture went elsewhere during a press (another window took it, the system
// cancelled it): the press ends as a release would end it, away from the bar; a
// drag keeps the position it reached.
void cSkinScrollBar::OnCaptureChanged(HWND newHolder) {
  if (newHolder == m_hWnd) return;
  m_captureHolder = nullptr;
  if (m_dragging)
    EndDrag(POINT{-1, -1});
  else
    EndPress();
}

void cSkinScrollBar::EndPress() {
  if (m_pressedPart != kScrollNoPart && m_pressedInside) {
    KillTimer(kRepeatTimer);
    m_pressedInside = false;
    if (IsArrow(m_pressedPart)) RedrawPart(m_pressedPart, kScrollRowNormal);
  }
  m_pressedPart = kScrollNoPart;
}

// The parent is expected to set the new position while handling SB_THUMBPOSITION;
// the thumb is then drawn where nPos puts it.
void cSkinScrollBar::EndDrag(POINT point) {
  m_dragging = false;
  Notify(ScrollCode(SB_THUMBPOSITION, m_info.nTrackPos));
  if (m_info.nTrackPos != m_info.nPos) {
    RECT left = PartRect(GetLayout(), kScrollThumb);
    RECT track = ScrollTileRect(m_a, ScrollTileColumn(kScrollPageUp, IsVertical()), kScrollRowNormal);
    DrawThroughWindowDc(m_hWnd, m_bitmap, [&](HDC dc, HDC source) { TileFill(dc, left, source, track); });
  }
  m_info.nTrackPos = -1;
  RECT thumb = PartRect(GetLayout(), kScrollThumb);
  RedrawPart(kScrollThumb, ::PtInRect(&thumb, point) ? kScrollRowHot : kScrollRowNormal);
}
