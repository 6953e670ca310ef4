// The pauses between the record fetch's attempts. A busy server on patch day should
// not see every launcher that started with it retry at once and in step: the pause
// grows from 250 ms, doubling up to 3.5 s, and each is drawn at random from the
// upper half of its step. The eleven pauses of a run add up to at most 28.25 s.
// Portable, no system calls.
#pragma once

#include <cstdint>

const unsigned RECORD_RETRY_FIRST_PAUSE_MS = 250;
const unsigned RECORD_RETRY_LONGEST_PAUSE_MS = 3500;

// The pause before retry number retry (0 before the first retry); random is any value.
unsigned RecordRetryPauseMs(int retry, uint32_t random);

// The next value of a small pseudo-random sequence (xorshift32) kept in *state; a
// zero state is replaced by a fixed non-zero one first.
uint32_t NextJitter(uint32_t* state);
