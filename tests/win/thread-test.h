/*
 * Helpers for Windows-side tests with real threads: a thread that is always
 * joined within a bound, a bounded wait for a condition another thread
 * establishes, a check that an adopted thread is asleep in a wait, groups
 * of such sleepers, a contention run for locks, and elapsed time on the
 * performance counter.
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

/** The performance counter now, for tstMsSince. */
inline LARGE_INTEGER tstQpcNow()
{
    LARGE_INTEGER Now;
    QueryPerformanceCounter(&Now);
    return Now;
}

/** Milliseconds from Start (read with tstQpcNow) until now. */
inline double tstMsSince(const LARGE_INTEGER &Start)
{
    LARGE_INTEGER Freq, Now;
    QueryPerformanceFrequency(&Freq);
    QueryPerformanceCounter(&Now);
    return (double)(Now.QuadPart - Start.QuadPart) * 1000.0 / (double)Freq.QuadPart;
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

/** Waits until a thread that stores its handle in hThread once it has adopted
 * itself is asleep in enmState. */
inline bool tstWaitAsleep(const std::atomic<RTTHREAD> &hThread, RTTHREADSTATE enmState)
{
    return tstWaitUntil([&] { return hThread != NIL_RTTHREAD && tstIsAsleepIn(hThread, enmState); });
}

/** Threads that each adopt themselves under one name and then make one
 * blocking call; each call's status is kept, and whether it has returned. */
class TstSleepers
{
public:
    TstSleepers(unsigned cThreads, const char *pszName, std::function<int()> fnCall)
        : m_cThreads(cThreads), m_pszName(pszName), m_fnCall(std::move(fnCall)),
          m_pahThreads(new std::atomic<RTTHREAD>[cThreads]), m_parc(new std::atomic<int>[cThreads]),
          m_pafDone(new std::atomic<bool>[cThreads])
    {
        for (unsigned i = 0; i < cThreads; i++)
        {
            m_pahThreads[i] = NIL_RTTHREAD;
            m_parc[i] = VERR_INTERNAL_ERROR;
            m_pafDone[i] = false;
        }
        for (unsigned i = 0; i < cThreads; i++)
            m_vecThreads.push_back(std::make_unique<TstThread>([this, i]
            {
                m_pahThreads[i] = tstAdoptSelf(m_pszName);
                m_parc[i] = m_fnCall();
                m_pafDone[i] = true;
            }));
    }
    TstSleepers(const TstSleepers &) = delete;
    TstSleepers &operator=(const TstSleepers &) = delete;

    /** Waits until every thread is asleep in enmState; a thread that never
     * gets there fails the test, naming it, and the answer is false. */
    bool allAsleepIn(RTTHREADSTATE enmState)
    {
        for (unsigned i = 0; i < m_cThreads; i++)
            if (!tstWaitAsleep(m_pahThreads[i], enmState))
            {
                ADD_FAILURE() << m_pszName << " " << i << " never fell asleep";
                return false;
            }
        return true;
    }
    /** Joins thread i within the bound. */
    bool join(unsigned i) { return m_vecThreads[i]->join(); }
    unsigned size() const { return m_cThreads; }
    int rc(unsigned i) const { return m_parc[i]; }
    RTTHREAD handle(unsigned i) const { return m_pahThreads[i]; }
    bool hasReturned(unsigned i) const { return m_pafDone[i]; }
    unsigned cReturned() const
    {
        unsigned c = 0;
        for (unsigned i = 0; i < m_cThreads; i++)
            c += m_pafDone[i];
        return c;
    }

private:
    unsigned const                           m_cThreads;
    const char                              *m_pszName;
    std::function<int()>                     m_fnCall;
    std::unique_ptr<std::atomic<RTTHREAD>[]> m_pahThreads;
    std::unique_ptr<std::atomic<int>[]>      m_parc;
    std::unique_ptr<std::atomic<bool>[]>     m_pafDone;
    /* Last, so that the threads are joined before what they write to goes. */
    std::vector<std::unique_ptr<TstThread>>  m_vecThreads;
};

/** Lets cThreads threads take a lock cIterations times each and raise a
 * counter nothing else protects, yielding inside every cYieldEvery rounds.
 * fnEnter and fnLeave take and give back the lock and say whether that
 * worked. Checks that every call worked, that never two threads were inside
 * at once and that no increment was lost. */
inline void tstCheckMutualExclusion(unsigned cThreads, unsigned cIterations, unsigned cYieldEvery,
                                    const std::function<bool()> &fnEnter, const std::function<bool()> &fnLeave)
{
    TstGate Start;
    std::atomic<int> cInside{0}, cMaxInside{0};
    unsigned volatile uCounter = 0;     /* deliberately not atomic */
    std::atomic<unsigned> cFailures{0};
    std::atomic<unsigned> cSteps{0};
    std::vector<std::unique_ptr<TstThread>> vecThreads;
    for (unsigned i = 0; i < cThreads; i++)
        vecThreads.push_back(std::make_unique<TstThread>([&]
        {
            Start.wait();
            for (unsigned j = 0; j < cIterations; j++)
            {
                if (!fnEnter())
                    cFailures++;
                int const c = ++cInside;
                if (c > cMaxInside)
                    cMaxInside = c;
                unsigned const u = uCounter;
                if (j % cYieldEvery == 0)
                    SwitchToThread();
                uCounter = u + 1;
                --cInside;
                cSteps++;
                if (!fnLeave())
                    cFailures++;
            }
        }));
    Start.open();
    tstJoinWhileProgressing(vecThreads, cSteps);
    EXPECT_EQ(cFailures, 0u);
    EXPECT_EQ(cMaxInside, 1);
    EXPECT_EQ(uCounter, cThreads * cIterations);
}

#endif
