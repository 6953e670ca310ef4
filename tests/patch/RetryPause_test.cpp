// The pauses between the record fetch's attempts: growing, spread, bounded.
#include "patch/RetryPause.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

TEST(RetryPause, EachPauseLiesInTheUpperHalfOfItsStep) {
  const struct {
    const char* kind;
    unsigned (*pause)(int, uint32_t);
    int count;  // retries before (record), or failures in a row (archive)
    unsigned step;
  } cases[] = {
      {"record", RecordRetryPauseMs, 0, 250},    {"record", RecordRetryPauseMs, 1, 500},
      {"record", RecordRetryPauseMs, 2, 1000},   {"record", RecordRetryPauseMs, 3, 2000},
      {"record", RecordRetryPauseMs, 4, 3500},   {"record", RecordRetryPauseMs, 5, 3500},
      {"record", RecordRetryPauseMs, 10, 3500},  {"record", RecordRetryPauseMs, 40, 3500},
      {"archive", ArchiveRetryPauseMs, 0, 500},  {"archive", ArchiveRetryPauseMs, 1, 1000},
      {"archive", ArchiveRetryPauseMs, 2, 2000}, {"archive", ArchiveRetryPauseMs, 3, 4000},
      {"archive", ArchiveRetryPauseMs, 4, 8000}, {"archive", ArchiveRetryPauseMs, 5, 8000},
      {"archive", ArchiveRetryPauseMs, 40, 8000},
  };
  const uint32_t randoms[] = {0, 1, 124, 125, 126, 249, 250, 251, 999, 3999, 0x7FFFFFFFu, 0xFFFFFFFFu};
  for (const auto& c : cases) {
    for (uint32_t random : randoms) {
      unsigned pause = c.pause(c.count, random);
      EXPECT_GE(pause, c.step / 2) << c.kind << " " << c.count << ", random " << random;
      EXPECT_LE(pause, c.step) << c.kind << " " << c.count << ", random " << random;
    }
  }
}

TEST(RecordRetryPause, ARunsElevenPausesStayWithinThirtySeconds) {
  uint32_t state = 12345;
  for (int run = 0; run < 1000; ++run) {
    unsigned total = 0;
    for (int retry = 0; retry < 11; ++retry) total += RecordRetryPauseMs(retry, NextJitter(&state));
    EXPECT_LE(total, 28250u);
    EXPECT_GE(total, 28250u / 2);
  }
}

TEST(RecordRetryPause, LaunchersStartedTogetherSpreadOut) {
  // Launchers seeded differently (their clocks and process numbers) pause differently.
  std::set<unsigned> firstLongPauses;
  for (uint32_t seed = 1; seed <= 100; ++seed) {
    uint32_t state = seed * 2654435761u;
    firstLongPauses.insert(RecordRetryPauseMs(4, NextJitter(&state)));
  }
  EXPECT_GT(firstLongPauses.size(), 50u);
  uint32_t zero = 0;
  EXPECT_NE(NextJitter(&zero), 0u) << "a zero state does not stay zero";
}

}  // namespace
