// The framework's threads, events and locks over the Win32 primitives.
#include "framework/Sync.h"
#include "framework/Thread.h"

#include <gtest/gtest.h>

TEST(CWinThread, StartsSuspendedWhenAskedAndDeletesItselfOtherwise)
{
    LONG ran = 0;
    CWinThread* pThread = AfxBeginThread([](LPVOID p) -> UINT {
        ::InterlockedIncrement(static_cast<LONG*>(p));
        return 7;
    }, &ran, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pThread, nullptr);
    pThread->m_bAutoDelete = FALSE;
    EXPECT_EQ(pThread->ResumeThread(), 1u) << "it was suspended";
    EXPECT_TRUE(pThread->Join(10000));
    EXPECT_EQ(ran, 1);
    DWORD code = 0;
    EXPECT_TRUE(::GetExitCodeThread(pThread->m_hThread, &code));
    EXPECT_EQ(code, 7u);
    delete pThread;

    // An auto-deleting thread signals through its argument and goes; nothing
    // of it may be touched after the event.
    CEvent done;
    ASSERT_NE(AfxBeginThread([](LPVOID p) -> UINT { return static_cast<CEvent*>(p)->SetEvent(); }, &done), nullptr);
    EXPECT_TRUE(done.Lock(10000));
}

TEST(CWinThread, ABoundedJoinGivesUpAndTheThreadOutlivesItsObject)
{
    CEvent release(FALSE, TRUE);
    CWinThread* pSlow = AfxBeginThread([](LPVOID p) -> UINT { return static_cast<CEvent*>(p)->Lock(INFINITE); },
                                       &release, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pSlow, nullptr);
    pSlow->m_bAutoDelete = FALSE;
    pSlow->ResumeThread();
    EXPECT_FALSE(pSlow->Join(30)) << "a bounded wait gives up";
    HANDLE hThread = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), pSlow->m_hThread, ::GetCurrentProcess(), &hThread, 0, FALSE,
                                  DUPLICATE_SAME_ACCESS));
    delete pSlow;
    release.SetEvent();
    EXPECT_EQ(::WaitForSingleObject(hThread, 10000), WAIT_OBJECT_0);
    ::CloseHandle(hThread);
}

TEST(CCriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    struct Shared {
        CCriticalSection cs;
        CEvent tried;
        LONG entered = 0;
    } shared;
    shared.cs.Lock();
    shared.cs.Lock();
    CWinThread* pOther = AfxBeginThread([](LPVOID p) -> UINT {
        Shared* s = static_cast<Shared*>(p);
        s->tried.SetEvent();
        CSingleLock lock(&s->cs);
        ::InterlockedIncrement(&s->entered);
        return 0;
    }, &shared, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
    ASSERT_NE(pOther, nullptr);
    pOther->m_bAutoDelete = FALSE;
    pOther->ResumeThread();
    ASSERT_TRUE(shared.tried.Lock(10000));
    shared.cs.Unlock();
    EXPECT_FALSE(pOther->Join(50)) << "still held once by this thread";
    EXPECT_EQ(shared.entered, 0);
    shared.cs.Unlock();
    EXPECT_TRUE(pOther->Join(10000));
    EXPECT_EQ(shared.entered, 1);
    delete pOther;
}
