#include "ProgressLine.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define KQ_ISATTY _isatty
#define KQ_FILENO _fileno
#else
#include <unistd.h>
#define KQ_ISATTY isatty
#define KQ_FILENO fileno
#endif

namespace {
const std::chrono::milliseconds kRedrawInterval(200);
}

CProgressLine::CProgressLine(const char* verb)
    : m_szVerb(verb), m_bEnabled(KQ_ISATTY(KQ_FILENO(stderr)) != 0), m_last(std::chrono::steady_clock::now()) {}

CProgressLine::~CProgressLine() { Clear(); }

void CProgressLine::Update(int done, int total, uint64_t bytes) {
  if (!m_bEnabled) return;
  auto now = std::chrono::steady_clock::now();
  if (now - m_last < kRedrawInterval) return;
  m_last = now;
  std::fprintf(stderr, "\rkqpack: %s %d/%d entries, %llu MiB ", m_szVerb, done, total,
               (unsigned long long)(bytes >> 20));
  std::fflush(stderr);
  m_bShown = true;
}

void CProgressLine::Clear() {
  if (!m_bShown) return;
  std::fprintf(stderr, "\r%60s\r", "");
  std::fflush(stderr);
  m_bShown = false;
}
