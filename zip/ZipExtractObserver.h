// Told about each chunk that an extraction has written, so that a caller can show
// progress inside a large entry and stop it part-way.
#pragma once

#include <cstddef>

class CZipExtractObserver {
 public:
  virtual ~CZipExtractObserver() = default;
  // bytes: what the entry has written so far. Returning false stops the entry: it
  // fails with the cause "cancelled" and leaves nothing behind.
  virtual bool OnExtracted(size_t bytes) = 0;
};
