#include "patch/RetryPause.h"

namespace {

// A step that starts at first and doubles count times, up to longest; the pause is
// drawn from its upper half.
unsigned GrowingPauseMs(unsigned first, unsigned longest, int count, uint32_t random) {
  unsigned step = first;
  for (int i = 0; i < count && step < longest; ++i) step *= 2;
  if (step > longest) step = longest;
  unsigned half = step / 2;
  return step - half + random % (half + 1);
}

}  // namespace

unsigned RecordRetryPauseMs(int retry, uint32_t random) {
  return GrowingPauseMs(RECORD_RETRY_FIRST_PAUSE_MS, RECORD_RETRY_LONGEST_PAUSE_MS, retry, random);
}

unsigned ArchiveRetryPauseMs(int failures, uint32_t random) {
  return GrowingPauseMs(ARCHIVE_RETRY_FIRST_PAUSE_MS, ARCHIVE_RETRY_LONGEST_PAUSE_MS, failures, random);
}

uint32_t NextJitter(uint32_t* state) {
  uint32_t x = *state ? *state : 0x9E3779B9u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  *state = x;
  return x;
}
