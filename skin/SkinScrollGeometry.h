// The arithmetic of a skinned scroll bar, kept apart from the window so it can be
// checked in tables natively: where the arrows, the page areas and the thumb lie
// along a bar, which part a point hits, which part a press acts on, and the
// position a thumb drag gives. Portable: no Windows header.
//
// A bar is L pixels long and a pixels thick; its arrows are a x a squares at both
// ends and the track between them is L - 2a long. Positions along the bar run from
// 0 (top or left) to L.
#pragma once

#include <cstdint>

// The standard scroll codes, named here so the portable code needs no system header.
const int kScrollNoPart = -1;
const int kScrollLineUp = 0;    // SB_LINEUP / SB_LINELEFT
const int kScrollLineDown = 1;  // SB_LINEDOWN / SB_LINERIGHT
const int kScrollPageUp = 2;    // SB_PAGEUP / SB_PAGELEFT
const int kScrollPageDown = 3;  // SB_PAGEDOWN / SB_PAGERIGHT
const int kScrollThumbPosition = 4;  // SB_THUMBPOSITION
const int kScrollThumb = 5;     // SB_THUMBTRACK

// The scroll state that the geometry reads: the fields of a SCROLLINFO that matter.
// trackPos is -1 while no drag is under way.
struct tScrollState {
  int32_t nMin;
  int32_t nMax;
  uint32_t nPage;
  int32_t nPos;
  int32_t nTrackPos;
};

// One part's extent along the bar: [start, end).
struct tScrollSpan {
  int start;
  int end;
};

// The laid-out bar. thumbLength is the thumb that the hit test finds; drawnLength
// is the thumb that is painted, 0 when the page covers the whole range.
struct tScrollLayout {
  int a;
  int length;
  int thumbStart;
  int thumbLength;
  int drawnStart;
  int drawnLength;
};

// The thumb length for a track: page x track / range (unsigned), at least 6, 0 when
// the track is shorter than 6, never longer than the track. A range of 0 (which
// only a state with nMax below nMin can give) counts as a full-track thumb.
int ScrollThumbLength(uint32_t nPage, int track, int64_t range);

// Lays out a bar of thickness a and length L for the state; the position shown is
// nTrackPos while dragging, else nPos.
tScrollLayout LayOutScrollBar(int a, int length, const tScrollState& state);

// The part a point at c along the bar hits: line up before a (and anywhere before
// the bar), then page up, thumb, page down, line down.
int HitTestScrollBar(const tScrollLayout& layout, int c);

// The part a press at c acts on: the hit, except that a thumb drawn with length 0
// cannot be dragged, so a press there acts as a page press toward c's side of the
// track's middle.
int ScrollPressPart(const tScrollLayout& layout, int c);

// The extent of one part along the bar, with the drawn thumb; an empty span for
// kScrollNoPart.
tScrollSpan ScrollPartSpan(const tScrollLayout& layout, int part);

// The column of the scroll image that draws a part: 0 up arrow, 1 down arrow, 2 thumb,
// 3 track (both page areas), 4 more for a horizontal bar; -1 for kScrollNoPart.
// Column 8 is the frame's corner square.
int ScrollTileColumn(int part, bool vertical);
const int kScrollCornerColumn = 8;
// The rows of the scroll image.
const int kScrollRowNormal = 0;
const int kScrollRowHot = 1;
const int kScrollRowPressed = 2;

// The position a thumb drag gives after the pointer has moved delta pixels along
// the bar since the press at startPos: startPos + (range - page + 1) x delta /
// rest, truncated toward zero, held between nMin and nMax - nMin - nPage + 1.
// False (and *position untouched) when the drag cannot move the thumb: nMax equals
// nMin, or the thumb fills the track.
bool ScrollDragPosition(int a, int length, const tScrollState& state, int startPos, int delta, int* position);
