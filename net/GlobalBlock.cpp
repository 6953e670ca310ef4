#include "net/GlobalBlock.h"

GlobalBlock::~GlobalBlock() { Release(); }

char** GlobalBlock::Receive() {
  Release();
  return &m_block;
}

void GlobalBlock::Release() {
  if (m_block) GlobalFree(m_block);
  m_block = nullptr;
}
