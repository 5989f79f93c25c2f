// CWinThread and AfxBeginThread: worker threads as the framework starts them.
// The thread object deletes itself when its function returns unless
// m_bAutoDelete was cleared; Join lets an owner wait a bounded time.
#pragma once

#include "WinTypes.h"

#include <memory>

typedef UINT (*AFX_THREADPROC)(LPVOID);

#ifndef CREATE_SUSPENDED
#define CREATE_SUSPENDED 0x00000004
#endif
#ifndef THREAD_PRIORITY_NORMAL
#define THREAD_PRIORITY_NORMAL 0
#endif

class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();

    BOOL m_bAutoDelete = TRUE;

    // Lets a thread created with CREATE_SUSPENDED run.
    DWORD ResumeThread();
    // TRUE when the thread has ended within nMilliseconds (INFINITE waits for ever).
    BOOL Join(DWORD nMilliseconds);

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, void*);
    struct State;
    CWinThread();
    std::shared_ptr<State> m_state;
};

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, void* lpSecurityAttrs = nullptr);
