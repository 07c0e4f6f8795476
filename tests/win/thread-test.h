/*
 * Helpers for Windows-side tests with real threads: a thread that is always
 * joined within a bound, a bounded wait for a condition another thread
 * establishes, and a check that an adopted thread is asleep in a wait.
 */
#ifndef TULO_TESTS_THREAD_TEST_H
#define TULO_TESTS_THREAD_TEST_H

#include <tulo/thread.h>
#include <tulo/err.h>

#include "common/misc/thread-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

/** Upper bound for anything a test waits for; far above what a correct run needs. */
constexpr DWORD TST_TIMEOUT_MS = 20000;

/** Polls cond until it holds, at most cMsTimeout; true when it held. Used
 * only to observe a state another thread reaches, never to order threads. */
inline bool tstWaitUntil(const std::function<bool()> &cond, DWORD cMsTimeout = TST_TIMEOUT_MS)
{
    ULONGLONG const uStart = GetTickCount64();
    while (!cond())
    {
        if (GetTickCount64() - uStart > cMsTimeout)
            return false;
        Sleep(1);
    }
    return true;
}

/** A native thread running a function; the destructor joins it (bounded). */
class TstThread
{
public:
    explicit TstThread(std::function<void()> fn) : m_fn(std::move(fn))
    {
        m_hThread = CreateThread(nullptr, 0, trampoline, this, 0, &m_idThread);
        EXPECT_NE(m_hThread, nullptr);
    }
    ~TstThread()
    {
        join();
        if (m_hThread)
            CloseHandle(m_hThread);
    }
    TstThread(const TstThread &) = delete;
    TstThread &operator=(const TstThread &) = delete;

    /** True when the thread ended within the bound. A thread that does not
     * end fails the test and is killed so the program itself still ends. */
    bool join(DWORD cMsTimeout = TST_TIMEOUT_MS)
    {
        if (!m_hThread || m_fJoined)
            return m_fJoined;
        if (WaitForSingleObject(m_hThread, cMsTimeout) != WAIT_OBJECT_0)
        {
            ADD_FAILURE() << "thread " << m_idThread << " did not end within " << cMsTimeout << " ms";
            TerminateThread(m_hThread, 1);
            WaitForSingleObject(m_hThread, INFINITE);
        }
        m_fJoined = true;
        return true;
    }
    /** Whether the thread ended within cMs. */
    bool hasEnded(DWORD cMs = 0) const { return WaitForSingleObject(m_hThread, cMs) == WAIT_OBJECT_0; }
    HANDLE handle() const { return m_hThread; }
    DWORD id() const { return m_idThread; }

private:
    static DWORD WINAPI trampoline(void *pvThis)
    {
        static_cast<TstThread *>(pvThis)->m_fn();
        return 0;
    }
    std::function<void()> m_fn;
    HANDLE m_hThread = nullptr;
    DWORD m_idThread = 0;
    bool m_fJoined = false;
};

/** Joins threads that count their steps in cProgress. A lost wake-up or a
 * deadlock shows as no progress; a loaded machine only as slow progress, so
 * the bound is on the time without progress rather than on the total. */
inline void tstJoinWhileProgressing(std::vector<std::unique_ptr<TstThread>> &vecThreads,
                                    std::atomic<unsigned> &cProgress, DWORD cMsStall = 30000)
{
    unsigned uLast = cProgress;
    ULONGLONG uLastChange = GetTickCount64();
    for (auto &pThread : vecThreads)
    {
        while (!pThread->hasEnded(250))
        {
            unsigned const uNow = cProgress;
            if (uNow != uLast)
            {
                uLast = uNow;
                uLastChange = GetTickCount64();
            }
            else if (GetTickCount64() - uLastChange > cMsStall)
            {
                ADD_FAILURE() << "no progress for " << cMsStall << " ms after " << uNow << " steps: lost wake-up or deadlock";
                break;
            }
        }
        pThread->join(0);
    }
}

/** Makes the thread subsystem exist; the first call adopts the caller as "main". */
inline void tstThreadInit()
{
    int rc = rtThreadInit();
    ASSERT_TRUE(rc == VINF_SUCCESS || rc == VINF_ALREADY_INITIALIZED) << rc;
}

/** Adopts the calling thread so that others can see what it is blocked on. */
inline RTTHREAD tstAdoptSelf(const char *pszName)
{
    EXPECT_EQ(rtThreadAdopt(RTTHREADTYPE_DEFAULT, 0, 0, pszName), VINF_SUCCESS);
    return RTThreadSelf();
}

/** Whether the adopted thread is marked blocked in enmState and is inside the wait itself. */
inline bool tstIsAsleepIn(RTTHREAD hThread, RTTHREADSTATE enmState)
{
    return RTThreadGetState(hThread) == enmState && RTThreadIsReallySleeping(hThread);
}

/** A one-shot gate for releasing threads at a chosen point. */
class TstGate
{
public:
    TstGate() : m_hEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~TstGate() { CloseHandle(m_hEvent); }
    void open() { SetEvent(m_hEvent); }
    bool wait(DWORD cMs = TST_TIMEOUT_MS) { return WaitForSingleObject(m_hEvent, cMs) == WAIT_OBJECT_0; }
private:
    HANDLE m_hEvent;
};

#endif
