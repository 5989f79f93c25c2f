// CCriticalSection: a recursive lock, like the Windows critical section.
#pragma once

#include "WinTypes.h"

#include <mutex>

class CCriticalSection {
public:
    BOOL Lock() { m_mutex.lock(); return TRUE; }
    BOOL Unlock() { m_mutex.unlock(); return TRUE; }

private:
    std::recursive_mutex m_mutex;
};

// Holds a CCriticalSection for the duration of a scope.
class CSingleLock {
public:
    explicit CSingleLock(CCriticalSection* pSection) : m_pSection(pSection) { m_pSection->Lock(); }
    ~CSingleLock() { m_pSection->Unlock(); }
    CSingleLock(const CSingleLock&) = delete;
    CSingleLock& operator=(const CSingleLock&) = delete;

private:
    CCriticalSection* m_pSection;
};
