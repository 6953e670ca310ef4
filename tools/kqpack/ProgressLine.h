// A one-line progress display on stderr, redrawn in place at most a few times a
// second, and only when stderr is a terminal (never in logs or tests).
#pragma once

#include <chrono>
#include <cstdint>

class CProgressLine {
 public:
  explicit CProgressLine(const char* verb);
  ~CProgressLine();

  void Update(int done, int total, uint64_t bytes);
  // Removes the line, so that what follows starts on a clean line.
  void Clear();

 private:
  const char* m_szVerb;
  bool m_bEnabled;
  bool m_bShown = false;
  std::chrono::steady_clock::time_point m_last;
};
