#include "framework/Thread.h"

#include "framework/Sync.h"

#include <process.h>

// What the thread and its object share: the thread reads it after its
// function returns, when the object may already be gone.
struct CWinThread::Control {
    AFX_THREADPROC pfn = nullptr;
    LPVOID pParam = nullptr;
    CCriticalSection lock;
    CWinThread* pOwner = nullptr; // null once the object has been deleted
    LONG nRefs = 2;               // the object's and the thread's

    void Release()
    {
        if (::InterlockedDecrement(&nRefs) == 0)
            delete this;
    }
};

unsigned __stdcall CWinThread::Entry(void* pControl)
{
    Control* control = static_cast<Control*>(pControl);
    const UINT rc = control->pfn(control->pParam);
    CWinThread* toDelete = nullptr;
    {
        CSingleLock hold(&control->lock);
        if (control->pOwner && control->pOwner->m_bAutoDelete)
            toDelete = control->pOwner;
    }
    delete toDelete;
    control->Release();
    return rc;
}

CWinThread::~CWinThread()
{
    {
        CSingleLock hold(&m_pControl->lock);
        m_pControl->pOwner = nullptr;
    }
    m_pControl->Release();
    if (m_hThread)
        ::CloseHandle(m_hThread);
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::Join(DWORD nMilliseconds)
{
    return ::WaitForSingleObject(m_hThread, nMilliseconds) == WAIT_OBJECT_0;
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    CWinThread::Control* control = new CWinThread::Control;
    control->pfn = pfnThreadProc;
    control->pParam = pParam;
    CWinThread* pThread = new CWinThread(control);
    control->pOwner = pThread;
    // Always created suspended, so the handle is stored before the thread can
    // end. _beginthreadex gives the C runtime its per-thread data.
    unsigned id = 0;
    pThread->m_hThread = reinterpret_cast<HANDLE>(
        _beginthreadex(lpSecurityAttrs, nStackSize, &CWinThread::Entry, control, CREATE_SUSPENDED, &id));
    if (!pThread->m_hThread) {
        control->Release(); // the thread's share
        delete pThread;
        return nullptr;
    }
    if (nPriority != THREAD_PRIORITY_NORMAL)
        ::SetThreadPriority(pThread->m_hThread, nPriority);
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        pThread->ResumeThread();
    return pThread;
}
