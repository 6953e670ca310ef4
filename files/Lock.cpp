#include "files/Lock.h"

#ifdef _WIN32

cLock::cLock() { InitializeCriticalSection(&m_section); }
cLock::~cLock() { DeleteCriticalSection(&m_section); }
void cLock::Enter() { EnterCriticalSection(&m_section); }
void cLock::Leave() { LeaveCriticalSection(&m_section); }

#else

cLock::cLock() = default;
cLock::~cLock() = default;
void cLock::Enter() { m_mutex.lock(); }
void cLock::Leave() { m_mutex.unlock(); }

#endif
