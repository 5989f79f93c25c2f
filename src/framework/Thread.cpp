#include "Thread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

struct CWinThread::State {
    std::mutex mutex;
    std::condition_variable changed;
    CWinThread* owner = nullptr; // null once the object has been deleted
    bool started = false;
    bool done = false;
};

CWinThread::CWinThread() : m_state(std::make_shared<State>()) {}

CWinThread::~CWinThread()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->owner = nullptr;
}

DWORD CWinThread::ResumeThread()
{
    std::lock_guard<std::mutex> lock(m_state->mutex);
    const DWORD wasSuspended = m_state->started ? 0 : 1;
    m_state->started = true;
    m_state->changed.notify_all();
    return wasSuspended;
}

BOOL CWinThread::Join(DWORD nMilliseconds)
{
    std::unique_lock<std::mutex> lock(m_state->mutex);
    auto done = [this] { return m_state->done; };
    if (nMilliseconds == INFINITE) {
        m_state->changed.wait(lock, done);
        return TRUE;
    }
    return m_state->changed.wait_for(lock, std::chrono::milliseconds(nMilliseconds), done);
}

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int /*nPriority*/, UINT /*nStackSize*/,
                           DWORD dwCreateFlags, void* /*lpSecurityAttrs*/)
{
    CWinThread* pThread = new CWinThread();
    std::shared_ptr<CWinThread::State> state = pThread->m_state;
    state->owner = pThread;
    state->started = (dwCreateFlags & CREATE_SUSPENDED) == 0;

    std::thread([state, pfnThreadProc, pParam] {
        {
            std::unique_lock<std::mutex> lock(state->mutex);
            state->changed.wait(lock, [&] { return state->started; });
        }
        pfnThreadProc(pParam);
        CWinThread* toDelete = nullptr;
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->done = true;
            if (state->owner && state->owner->m_bAutoDelete)
                toDelete = state->owner;
            state->changed.notify_all();
        }
        delete toDelete;
    }).detach();
    return pThread;
}
