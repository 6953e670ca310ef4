// Owner of a global memory block handed out by the loader; frees it with GlobalFree.
#pragma once

#include <windows.h>

class GlobalBlock {
public:
  GlobalBlock() = default;
  ~GlobalBlock();
  GlobalBlock(const GlobalBlock&) = delete;
  GlobalBlock& operator=(const GlobalBlock&) = delete;

  const char* Get() const { return m_block; }
  // Frees the block held and returns the slot for a transfer to store a new one in.
  char** Receive();
  void Release();

private:
  char* m_block = nullptr;
};
