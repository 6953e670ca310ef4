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

// The archive transfer reconnects after a broken transfer and continues it. It gives
// up after this many attempts in a row that brought no byte more; an attempt that
// did resets the count, so a long download survives any number of cuts.
const int ARCHIVE_ATTEMPTS_WITHOUT_PROGRESS = 5;
const unsigned ARCHIVE_RETRY_FIRST_PAUSE_MS = 500;
const unsigned ARCHIVE_RETRY_LONGEST_PAUSE_MS = 8000;

// The pause before the archive transfer's next attempt, after failures attempts in a
// row without progress (0: the last attempt brought bytes): from 500 ms, doubling
// up to 8 s, drawn from the upper half of its step. Four pauses before it gives up
// add up to at most 15 s.
unsigned ArchiveRetryPauseMs(int failures, uint32_t random);

// The next value of a small pseudo-random sequence (xorshift32) kept in *state; a
// zero state is replaced by a fixed non-zero one first.
uint32_t NextJitter(uint32_t* state);
