#include "framework/InternetCall.h"

#include "framework/Thread.h"

#include <algorithm>

CInternetCall::CInternetCall()
    : m_hDone(::CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_hReplied(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

CInternetCall::~CInternetCall()
{
    for (HANDLE h : {m_hDone, m_hReplied})
        if (h)
            ::CloseHandle(h);
}

void CInternetCall::Release()
{
    if (::InterlockedDecrement(&m_nRefs) == 0)
        delete this;
}

UINT CInternetCall::Entry(LPVOID pParam)
{
    auto* call = static_cast<CInternetCall*>(pParam);
    call->Exchange(); // its handles are closed by the time it returns
    ::SetEvent(call->m_hDone);
    call->Release();
    return 0;
}

bool CInternetCall::Run(DWORD dwReplyMs, DWORD dwTotalMs, HANDLE hStop)
{
    if (!m_hDone || !m_hReplied)
        return false;
    ::InterlockedIncrement(&m_nRefs); // the thread's share
    if (!AfxBeginThread(&CInternetCall::Entry, this)) {
        Release();
        return false;
    }
    const DWORD start = ::GetTickCount();
    bool replied = false;
    for (;;) {
        HANDLE events[3];
        DWORD count = 0;
        events[count++] = m_hDone;
        if (hStop)
            events[count++] = hStop;
        if (!replied)
            events[count++] = m_hReplied;
        const DWORD bound = replied ? dwTotalMs : std::min(dwReplyMs, dwTotalMs);
        const DWORD spent = ::GetTickCount() - start;
        DWORD wait = INFINITE;
        if (bound != INFINITE)
            wait = spent < bound ? bound - spent : 0;
        const DWORD r = ::WaitForMultipleObjects(count, events, FALSE, wait);
        if (r == WAIT_OBJECT_0)
            return true;
        if (!replied && r == WAIT_OBJECT_0 + count - 1) {
            replied = true;
            continue;
        }
        CloseAll();
        return false;
    }
}

CInternetHandle CInternetCall::Hold(HINTERNET h)
{
    if (!h)
        return CInternetHandle();
    CSingleLock hold(&m_lock);
    if (m_bClosed) {
        WinInet().InternetCloseHandle(h);
        return CInternetHandle();
    }
    m_handles.push_back(h);
    return CInternetHandle(h, InternetHandleCloser{this});
}

void CInternetCall::Forget(HINTERNET h)
{
    CSingleLock hold(&m_lock);
    const auto it = std::find(m_handles.begin(), m_handles.end(), h);
    if (it == m_handles.end())
        return;
    m_handles.erase(it);
    WinInet().InternetCloseHandle(h);
}

void CInternetCall::CloseAll()
{
    CSingleLock hold(&m_lock);
    m_bClosed = true;
    // A request before its connection, a connection before its session.
    for (auto it = m_handles.rbegin(); it != m_handles.rend(); ++it)
        WinInet().InternetCloseHandle(*it);
    m_handles.clear();
}
