// CCriticalSection and CEvent: the Windows primitives with the framework's
// names, and CSingleLock to hold a section for a scope.
#pragma once

#include "framework/WinTypes.h"

class CCriticalSection {
public:
    CCriticalSection() { ::InitializeCriticalSection(&m_sect); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_sect); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    BOOL Lock() { ::EnterCriticalSection(&m_sect); return TRUE; }
    BOOL Unlock() { ::LeaveCriticalSection(&m_sect); return TRUE; }

private:
    CRITICAL_SECTION m_sect;
};

// A manual- or auto-reset event; Lock waits for it a bounded time.
class CEvent {
public:
    explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE)
        : m_hObject(::CreateEventA(nullptr, bManualReset, bInitiallyOwn, nullptr)) {}
    ~CEvent() { if (m_hObject) ::CloseHandle(m_hObject); }
    CEvent(const CEvent&) = delete;
    CEvent& operator=(const CEvent&) = delete;

    BOOL SetEvent() { return ::SetEvent(m_hObject); }
    BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
    // TRUE when the event was signalled within nTimeout milliseconds.
    BOOL Lock(DWORD nTimeout = INFINITE) { return ::WaitForSingleObject(m_hObject, nTimeout) == WAIT_OBJECT_0; }

    HANDLE m_hObject;
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
