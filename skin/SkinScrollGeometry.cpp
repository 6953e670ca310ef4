#include "skin/SkinScrollGeometry.h"

namespace {

const int kMinThumb = 6;

// nMax - nMin + extra - nPage in the 32-bit unsigned arithmetic of the scroll
// state, so that a page wider than the range wraps instead of going negative.
uint32_t UnsignedSpan(const tScrollState& state, uint32_t extra, uint32_t page) {
  return (uint32_t)state.nMax - (uint32_t)state.nMin + extra - page;
}

// The position the bar shows: the drag position while dragging, else nPos.
int32_t ShownPosition(const tScrollState& state) { return state.nTrackPos == -1 ? state.nPos : state.nTrackPos; }

// Where a thumb of the given length starts: a + rest x t / denom (unsigned), or the
// middle of the track when denom is 0; never beyond the end of the track.
int ThumbStart(int a, int track, int thumb, int32_t shown, uint32_t denom) {
  int rest = track - thumb;
  if (rest < 0) rest = 0;
  if (denom == 0) return a + rest / 2;
  uint64_t offset = (uint64_t)(uint32_t)rest * (uint32_t)shown / denom;
  if (offset > (uint64_t)rest) offset = (uint64_t)rest;
  return a + (int)offset;
}

}  // namespace

int ScrollThumbLength(uint32_t nPage, int track, int64_t range) {
  if (track < kMinThumb) return 0;
  uint32_t divisor = (uint32_t)range;
  int64_t thumb = divisor == 0 ? track : (int64_t)((uint64_t)nPage * (uint32_t)track / divisor);
  if (thumb < kMinThumb) thumb = kMinThumb;
  if (thumb > track) thumb = track;
  return (int)thumb;
}

tScrollLayout LayOutScrollBar(int a, int length, const tScrollState& state) {
  tScrollLayout layout = {};
  layout.a = a;
  layout.length = length;
  int track = length - 2 * a;
  uint32_t denom = UnsignedSpan(state, 1, state.nPage);
  int32_t shown = ShownPosition(state);

  layout.thumbLength = ScrollThumbLength(state.nPage, track, (int64_t)UnsignedSpan(state, 1, 0));
  layout.thumbStart = ThumbStart(a, track, layout.thumbLength, shown, denom);
  layout.drawnLength = denom == 0 ? 0 : layout.thumbLength;
  layout.drawnStart = ThumbStart(a, track, layout.drawnLength, shown, denom);
  return layout;
}

int HitTestScrollBar(const tScrollLayout& layout, int c) {
  if (c < layout.a) return kScrollLineUp;
  if (c < layout.thumbStart) return kScrollPageUp;
  if (c < layout.thumbStart + layout.thumbLength) return kScrollThumb;
  if (c < layout.length - layout.a) return kScrollPageDown;
  return kScrollLineDown;
}

int ScrollPressPart(const tScrollLayout& layout, int c) {
  int hit = HitTestScrollBar(layout, c);
  if (hit != kScrollThumb || layout.drawnLength > 0) return hit;
  return c < layout.drawnStart ? kScrollPageUp : kScrollPageDown;
}

tScrollSpan ScrollPartSpan(const tScrollLayout& layout, int part) {
  int thumbEnd = layout.drawnStart + layout.drawnLength;
  switch (part) {
    case kScrollLineUp:
      return {0, layout.a};
    case kScrollPageUp:
      return {layout.a, layout.drawnStart};
    case kScrollThumb:
      return {layout.drawnStart, thumbEnd};
    case kScrollPageDown:
      return {thumbEnd, layout.length - layout.a};
    case kScrollLineDown:
      return {layout.length - layout.a, layout.length};
    default:
      return {0, 0};
  }
}

int ScrollTileColumn(int part, bool vertical) {
  int column;
  switch (part) {
    case kScrollLineUp: column = 0; break;
    case kScrollLineDown: column = 1; break;
    case kScrollThumb: column = 2; break;
    case kScrollPageUp:
    case kScrollPageDown: column = 3; break;
    default: return -1;
  }
  return vertical ? column : column + 4;
}

bool ScrollDragPosition(int a, int length, const tScrollState& state, int startPos, int delta, int* position) {
  uint32_t range = UnsignedSpan(state, 0, 0);
  if (range == 0) return false;
  int track = length - 2 * a;
  int rest = track - ScrollThumbLength(state.nPage, track, (int64_t)range);
  if (rest <= 0) return false;

  int64_t highest = (int64_t)state.nMax - state.nMin - (int64_t)state.nPage + 1;
  int64_t moved = (int64_t)startPos + highest * delta / rest;
  if (moved < state.nMin)
    moved = state.nMin;
  else if (moved > highest)
    moved = highest;
  *position = (int)moved;
  return true;
}
