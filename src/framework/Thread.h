// CWinThread and AfxBeginThread: worker threads as the framework starts them.
// The thread object deletes itself when its function returns unless
// m_bAutoDelete was cleared; Join lets an owner wait a bounded time, and an
// owner that gives up may delete the object while the thread still runs.
#pragma once

#include "framework/WinTypes.h"

typedef UINT (*AFX_THREADPROC)(LPVOID);

class CWinThread {
public:
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;
    virtual ~CWinThread();

    BOOL m_bAutoDelete = TRUE;
    HANDLE m_hThread = nullptr;

    // Lets a thread created with CREATE_SUSPENDED run.
    DWORD ResumeThread();
    // TRUE when the thread has ended within nMilliseconds (INFINITE waits for ever).
    BOOL Join(DWORD nMilliseconds);

private:
    friend CWinThread* AfxBeginThread(AFX_THREADPROC, LPVOID, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
    struct Control;
    explicit CWinThread(Control* pControl) : m_pControl(pControl) {}
    static unsigned __stdcall Entry(void* pControl);

    // Shared with the running thread, which may outlive this object.
    Control* m_pControl;
};

// Null when the system could not create the thread.
CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority = THREAD_PRIORITY_NORMAL,
                           UINT nStackSize = 0, DWORD dwCreateFlags = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
