// CInternetCall: one WinINet exchange on a thread of its own, waited for
// within bounds. When a bound passes or the stop event is set, the waiting
// thread closes the handles the exchange holds: the WinINet of Internet
// Explorer 4 and 5 ignores its own timeouts, and a second thread closing the
// handle is its documented way out of a blocked call. The wait then ends
// without the exchange's result. An exchange that stays blocked all the same
// (a name being resolved inside WinINet, or a WinINet that reads on) ends by
// itself later, and nothing it does then reaches anyone.
#pragma once

#include "framework/InternetSession.h"
#include "framework/Sync.h"

#include <vector>

class CInternetCall {
public:
    CInternetCall();
    CInternetCall(const CInternetCall&) = delete;
    CInternetCall& operator=(const CInternetCall&) = delete;

    // Runs Exchange on its thread, once. True when it ended within
    // dwReplyMs until Replied and within dwTotalMs in all, before hStop
    // (may be null) was set; only then are its results there to be read.
    bool Run(DWORD dwReplyMs, DWORD dwTotalMs, HANDLE hStop);
    // The caller's share; the object goes once its thread has let go too.
    void Release();

    // h, owned from now on through this call; once a bound has passed it is
    // closed at once and null returned.
    CInternetHandle Hold(HINTERNET h);

protected:
    virtual ~CInternetCall();
    // On the call's thread: the exchange, keeping its handles with Hold.
    virtual void Exchange() = 0;
    // The reply's header has arrived: only the whole bound counts from now on.
    void Replied() { ::SetEvent(m_hReplied); }

private:
    friend struct InternetHandleCloser;
    static UINT Entry(LPVOID pParam);
    // Closes h unless the waiting thread has closed it already.
    void Forget(HINTERNET h);
    void CloseAll();

    CCriticalSection m_lock;
    std::vector<HINTERNET> m_handles; // oldest first
    bool m_bClosed = false;
    HANDLE m_hDone;
    HANDLE m_hReplied;
    LONG m_nRefs = 1;
};
