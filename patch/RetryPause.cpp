#include "patch/RetryPause.h"

unsigned RecordRetryPauseMs(int retry, uint32_t random) {
  unsigned step = RECORD_RETRY_FIRST_PAUSE_MS;
  for (int i = 0; i < retry && step < RECORD_RETRY_LONGEST_PAUSE_MS; ++i) step *= 2;
  if (step > RECORD_RETRY_LONGEST_PAUSE_MS) step = RECORD_RETRY_LONGEST_PAUSE_MS;
  unsigned half = step / 2;
  return step - half + random % (half + 1);
}

uint32_t NextJitter(uint32_t* state) {
  uint32_t x = *state ? *state : 0x9E3779B9u;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  *state = x;
  return x;
}
