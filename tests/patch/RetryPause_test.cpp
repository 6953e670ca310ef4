// The pauses between the record fetch's attempts: growing, spread, bounded.
#include "patch/RetryPause.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace {

TEST(RecordRetryPause, EachPauseLiesInTheUpperHalfOfItsStep) {
  const struct {
    int retry;
    unsigned step;
  } cases[] = {{0, 250}, {1, 500}, {2, 1000}, {3, 2000}, {4, 3500}, {5, 3500}, {10, 3500}, {40, 3500}};
  const uint32_t randoms[] = {0, 1, 124, 125, 126, 999, 0x7FFFFFFFu, 0xFFFFFFFFu};
  for (const auto& c : cases) {
    for (uint32_t random : randoms) {
      unsigned pause = RecordRetryPauseMs(c.retry, random);
      EXPECT_GE(pause, c.step / 2) << "retry " << c.retry << ", random " << random;
      EXPECT_LE(pause, c.step) << "retry " << c.retry << ", random " << random;
    }
  }
}

TEST(ArchiveRetryPause, EachPauseLiesInTheUpperHalfOfItsStep) {
  const struct {
    int failures;
    unsigned step;
  } cases[] = {{0, 500}, {1, 1000}, {2, 2000}, {3, 4000}, {4, 8000}, {5, 8000}, {40, 8000}};
  const uint32_t randoms[] = {0, 1, 249, 250, 251, 3999, 0x7FFFFFFFu, 0xFFFFFFFFu};
  for (const auto& c : cases) {
    for (uint32_t random : randoms) {
      unsigned pause = ArchiveRetryPauseMs(c.failures, random);
      EXPECT_GE(pause, c.step / 2) << "failures " << c.failures << ", random " << random;
      EXPECT_LE(pause, c.step) << "failures " << c.failures << ", random " << random;
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
