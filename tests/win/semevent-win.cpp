/* Event semaphores of both kinds over native events, with real waiting threads. */
#include <tulo/semaphore.h>
#include <tulo/time.h>
#include <tulo/err.h>

#include "thread-test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

std::atomic<unsigned> g_cApcs{0};
void CALLBACK tstApc(ULONG_PTR) { g_cApcs++; }

/* Both kinds behind one table, so that what they share is tested once. */
struct EVENTOPS
{
    const char   *pszName;
    bool          fMulti;
    RTTHREADSTATE enmWaitState;
    int         (*pfnCreate)(void **ppv);
    int         (*pfnSignal)(void *pv);
    int         (*pfnWait)(void *pv, RTMSINTERVAL cMillies);
    int         (*pfnWaitEx)(void *pv, uint32_t fFlags, uint64_t uTimeout);
    int         (*pfnDestroy)(void *pv);
    /** Takes back a pending signal. */
    int         (*pfnReset)(void *pv);
    int           rcBadHandle;      /* a record that is not a semaphore */
    int           rcBadFlags;
};

const EVENTOPS g_aEvents[] =
{
    { "single", false, RTTHREADSTATE_EVENT,
      [](void **ppv) { return RTSemEventCreate((PRTSEMEVENT)ppv); },
      [](void *pv) { return RTSemEventSignal((RTSEMEVENT)pv); },
      [](void *pv, RTMSINTERVAL c) { return RTSemEventWait((RTSEMEVENT)pv, c); },
      [](void *pv, uint32_t f, uint64_t u) { return RTSemEventWaitEx((RTSEMEVENT)pv, f, u); },
      [](void *pv) { return RTSemEventDestroy((RTSEMEVENT)pv); },
      [](void *pv) { int rc = RTSemEventWait((RTSEMEVENT)pv, 0); return rc == VERR_TIMEOUT ? VINF_SUCCESS : rc; },
      VERR_INVALID_HANDLE, VERR_INVALID_FLAGS },
    { "multi", true, RTTHREADSTATE_EVENT_MULTI,
      [](void **ppv) { return RTSemEventMultiCreate((PRTSEMEVENTMULTI)ppv); },
      [](void *pv) { return RTSemEventMultiSignal((RTSEMEVENTMULTI)pv); },
      [](void *pv, RTMSINTERVAL c) { return RTSemEventMultiWait((RTSEMEVENTMULTI)pv, c); },
      [](void *pv, uint32_t f, uint64_t u) { return RTSemEventMultiWaitEx((RTSEMEVENTMULTI)pv, f, u); },
      [](void *pv) { return RTSemEventMultiDestroy((RTSEMEVENTMULTI)pv); },
      [](void *pv) { return RTSemEventMultiReset((RTSEMEVENTMULTI)pv); },
      VERR_INVALID_PARAMETER, VERR_INVALID_PARAMETER },
};

class Event : public testing::TestWithParam<EVENTOPS>
{
protected:
    const EVENTOPS &m_Ops = GetParam();
    void *m_pvSem = nullptr;
    bool m_fDestroyed = false;

    void SetUp() override
    {
        tstThreadInit();
        ASSERT_EQ(m_Ops.pfnCreate(&m_pvSem), VINF_SUCCESS);
    }
    void TearDown() override
    {
        if (!m_fDestroyed)
        {
            EXPECT_EQ(m_Ops.pfnDestroy(m_pvSem), VINF_SUCCESS);
        }
    }
};

TEST_P(Event, SignalBeforeTheWait)
{
    EXPECT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
    EXPECT_EQ(m_Ops.pfnWait(m_pvSem, 0), VINF_SUCCESS);
    /* The single-release kind resets itself; the other stays signalled. */
    EXPECT_EQ(m_Ops.pfnWait(m_pvSem, 0), m_Ops.fMulti ? VINF_SUCCESS : VERR_TIMEOUT);
}

TEST_P(Event, RelativeTimeoutExpires)
{
    LARGE_INTEGER const Start = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWait(m_pvSem, 10), VERR_TIMEOUT);
    double const dMs = tstMsSince(Start);
    EXPECT_GE(dMs, 9.0);
    EXPECT_LT(dMs, 5000.0);

    /* The same in nanoseconds through the extended wait. */
    LARGE_INTEGER const Start2 = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_NANOSECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                              30 * RT_NS_1MS), VERR_TIMEOUT);
    EXPECT_GE(tstMsSince(Start2), 29.0);
}

/* Deadlines are read on the monotonic clock, whose steps may be coarse;
 * the bounds leave room for one step. */
TEST_P(Event, AbsoluteDeadline)
{
    uint64_t const u64Deadline = RTTimeNanoTS() + 80 * RT_NS_1MS;
    LARGE_INTEGER const Start = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_ABSOLUTE | RTSEMWAIT_FLAGS_NANOSECS | RTSEMWAIT_FLAGS_INTERRUPTIBLE,
                              u64Deadline), VERR_TIMEOUT);
    double const dMs = tstMsSince(Start);
    EXPECT_GE(dMs, 50.0);
    EXPECT_LT(dMs, 5000.0);

    /* A deadline in the past is a poll. */
    LARGE_INTEGER const Start2 = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_ABSOLUTE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                              1), VERR_TIMEOUT);
    EXPECT_LT(tstMsSince(Start2), 1000.0);
    ASSERT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_ABSOLUTE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                              1), VINF_SUCCESS);
}

TEST_P(Event, FlagCombinations)
{
    static const struct { uint32_t fFlags; bool fValid; } s_aCases[] =
    {
        { 0x50, true },  { 0x30, true },  { 0x49, true },  { 0x45, true },  { 0x4a, true },  { 0x29, true },
        { 0x56, true },  /* indefinite ignores the other bits */
        { 0x00, false }, { 0x10, false }, { 0x70, false }, { 0x09, false }, { 0x41, false }, { 0x44, false },
        { 0x4b, false }, { 0x4d, false }, { 0x47, false }, { 0xd0, false }, { 0x100 | 0x49, false },
    };
    for (const auto &Case : s_aCases)
    {
        bool const fIndefinite = Case.fValid && (Case.fFlags & RTSEMWAIT_FLAGS_INDEFINITE);
        /* An indefinite wait is only made with a signal pending, so that it returns. */
        if (fIndefinite)
        {
            ASSERT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
        }
        int const rc = m_Ops.pfnWaitEx(m_pvSem, Case.fFlags, 0);
        if (!Case.fValid)
        {
            EXPECT_EQ(rc, m_Ops.rcBadFlags) << Case.fFlags;
        }
        else
        {
            EXPECT_EQ(rc, fIndefinite ? VINF_SUCCESS : VERR_TIMEOUT) << Case.fFlags;
        }
        ASSERT_EQ(m_Ops.pfnReset(m_pvSem), VINF_SUCCESS);
    }
}

TEST_P(Event, IndefiniteWaitsNeedASignal)
{
    for (uint32_t fFlags : { 0x50u, 0x30u })
    {
        ASSERT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
        EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, fFlags, 0), VINF_SUCCESS) << fFlags;
    }
    /* Millisecond counts too large for nanoseconds are indefinite as well. */
    ASSERT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, 0x49, UINT64_C(18446744073709)), VINF_SUCCESS);
    ASSERT_EQ(m_Ops.pfnSignal(m_pvSem), VINF_SUCCESS);
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, 0x45, UINT64_MAX), VINF_SUCCESS);
}

TEST_P(Event, BadHandles)
{
    struct { uint32_t u32Magic; int32_t cRefs; void *pv; } Fake = { 0x12345678, 1, nullptr };
    EXPECT_EQ(m_Ops.pfnWait(&Fake, 0), m_Ops.rcBadHandle);
    EXPECT_EQ(m_Ops.pfnSignal(&Fake), m_Ops.rcBadHandle);
    EXPECT_EQ(m_Ops.pfnDestroy(&Fake), m_Ops.rcBadHandle);
    EXPECT_EQ(m_Ops.pfnWait(nullptr, 0), VERR_INVALID_PARAMETER);
    EXPECT_EQ(m_Ops.pfnSignal((void *)(uintptr_t)0x20), m_Ops.rcBadHandle);
    EXPECT_EQ(m_Ops.pfnDestroy(nullptr), VINF_SUCCESS);
    EXPECT_EQ(Fake.u32Magic, 0x12345678u);
    EXPECT_EQ(m_Ops.pfnCreate(nullptr), VERR_INVALID_POINTER);
}

/* An asynchronous procedure call ends an interruptible wait at once and is
 * served without ending an uninterruptible one. */
TEST_P(Event, AlertsAndUninterruptibleWaits)
{
    unsigned const cBefore = g_cApcs;
    ASSERT_NE(QueueUserAPC(tstApc, GetCurrentThread(), 0), 0u);
    LARGE_INTEGER const Start = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                              150), VERR_TIMEOUT);
    EXPECT_EQ(g_cApcs, cBefore + 1);
    EXPECT_GE(tstMsSince(Start), 120.0) << "the alert cut the wait short";

    ASSERT_NE(QueueUserAPC(tstApc, GetCurrentThread(), 0), 0u);
    LARGE_INTEGER const Start2 = tstQpcNow();
    EXPECT_EQ(m_Ops.pfnWaitEx(m_pvSem, RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_INTERRUPTIBLE,
                              10000), VERR_INTERRUPTED);
    EXPECT_EQ(g_cApcs, cBefore + 2);
    EXPECT_LT(tstMsSince(Start2), 5000.0);

    /* An indefinite uninterruptible wait serves the alert and goes back to
     * sleep; the signal comes once it is asleep again. */
    RTTHREAD const hSelf = RTThreadSelf();
    ASSERT_NE(QueueUserAPC(tstApc, GetCurrentThread(), 0), 0u);
    int rcSignal = VERR_INTERNAL_ERROR;
    TstThread Signaller([&]
    {
        if (tstWaitUntil([&] { return g_cApcs == cBefore + 3 && tstIsAsleepIn(hSelf, m_Ops.enmWaitState); }))
            rcSignal = m_Ops.pfnSignal(m_pvSem);
        else
        {
            /* Ends the wait so that the failure shows instead of a hang. */
            m_fDestroyed = true;
            rcSignal = m_Ops.pfnDestroy(m_pvSem);
        }
    });
    EXPECT_EQ(m_Ops.pfnWait(m_pvSem, RT_INDEFINITE_WAIT), VINF_SUCCESS);
    ASSERT_TRUE(Signaller.join());
    EXPECT_EQ(rcSignal, VINF_SUCCESS);
    EXPECT_EQ(g_cApcs, cBefore + 3);
}

/* Destroying a semaphore wakes every sleeping waiter with VERR_SEM_DESTROYED. */
TEST_P(Event, DestroyWakesEverySleeper)
{
    TstSleepers Sleepers(3, "ev-waiter", [&] { return m_Ops.pfnWait(m_pvSem, RT_INDEFINITE_WAIT); });
    /* Goes on after a failure: the destroy below is what ends the waits. */
    EXPECT_TRUE(Sleepers.allAsleepIn(m_Ops.enmWaitState));
    EXPECT_EQ(Sleepers.cReturned(), 0u);
    EXPECT_EQ(m_Ops.pfnDestroy(m_pvSem), VINF_SUCCESS);
    m_fDestroyed = true;
    for (unsigned i = 0; i < Sleepers.size(); i++)
    {
        ASSERT_TRUE(Sleepers.join(i));
        EXPECT_EQ(Sleepers.rc(i), VERR_SEM_DESTROYED) << i;
        EXPECT_EQ(RTThreadGetState(Sleepers.handle(i)), RTTHREADSTATE_RUNNING);
        EXPECT_FALSE(RTThreadIsReallySleeping(Sleepers.handle(i)));
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, Event, testing::ValuesIn(g_aEvents),
                         [](const testing::TestParamInfo<EVENTOPS> &Info) { return std::string(Info.param.pszName); });


/*
 * What differs: one waiter per signal, or all of them until reset.
 */
class SingleEvent : public testing::Test
{
protected:
    void SetUp() override { tstThreadInit(); }
};

TEST_F(SingleEvent, EachSignalReleasesExactlyOneSleeper)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    ASSERT_EQ(RTSemEventCreate(&hEvent), VINF_SUCCESS);
    constexpr unsigned cWaiters = 3;
    TstSleepers Sleepers(cWaiters, "ev-one", [&] { return RTSemEventWait(hEvent, RT_INDEFINITE_WAIT); });
    ASSERT_TRUE(Sleepers.allAsleepIn(RTTHREADSTATE_EVENT));

    for (unsigned cSignals = 1; cSignals <= cWaiters; cSignals++)
    {
        ASSERT_EQ(RTSemEventSignal(hEvent), VINF_SUCCESS);
        ASSERT_TRUE(tstWaitUntil([&] { return Sleepers.cReturned() >= cSignals; }));
        /* Give a wrongly woken second thread time to show itself. */
        Sleep(100);
        EXPECT_EQ(Sleepers.cReturned(), cSignals) << "one signal released more than one waiter";
        for (unsigned i = 0; i < cWaiters; i++)
            if (!Sleepers.hasReturned(i))
            {
                EXPECT_TRUE(tstIsAsleepIn(Sleepers.handle(i), RTTHREADSTATE_EVENT)) << i;
            }
    }
    for (unsigned i = 0; i < cWaiters; i++)
    {
        ASSERT_TRUE(Sleepers.join(i));
        EXPECT_EQ(Sleepers.rc(i), VINF_SUCCESS);
    }
    EXPECT_EQ(RTSemEventWait(hEvent, 0), VERR_TIMEOUT);
    EXPECT_EQ(RTSemEventDestroy(hEvent), VINF_SUCCESS);
}

TEST_F(SingleEvent, CreationFlags)
{
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    for (uint32_t fFlags : { 2u, 8u, 0x80000000u })
    {
        EXPECT_EQ(RTSemEventCreateEx(&hEvent, fFlags, NIL_RTLOCKVALCLASS, nullptr), VERR_INVALID_PARAMETER) << fFlags;
    }
    for (uint32_t fFlags : { 0u, 1u, 4u, 5u })
    {
        ASSERT_EQ(RTSemEventCreateEx(&hEvent, fFlags, NIL_RTLOCKVALCLASS, "ev-%u", fFlags), VINF_SUCCESS) << fFlags;
        EXPECT_EQ(RTSemEventDestroy(hEvent), VINF_SUCCESS);
    }
}

class MultiEvent : public testing::Test
{
protected:
    void SetUp() override { tstThreadInit(); }
};

TEST_F(MultiEvent, OneSignalReleasesEverySleeperUntilReset)
{
    RTSEMEVENTMULTI hEvent = NIL_RTSEMEVENTMULTI;
    ASSERT_EQ(RTSemEventMultiCreate(&hEvent), VINF_SUCCESS);
    constexpr unsigned cWaiters = 4;
    TstSleepers Sleepers(cWaiters, "evm-all", [&] { return RTSemEventMultiWait(hEvent, RT_INDEFINITE_WAIT); });
    ASSERT_TRUE(Sleepers.allAsleepIn(RTTHREADSTATE_EVENT_MULTI));
    ASSERT_EQ(RTSemEventMultiSignal(hEvent), VINF_SUCCESS);
    for (unsigned i = 0; i < cWaiters; i++)
    {
        ASSERT_TRUE(Sleepers.join(i));
        EXPECT_EQ(Sleepers.rc(i), VINF_SUCCESS) << i;
    }
    EXPECT_EQ(RTSemEventMultiWait(hEvent, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemEventMultiWaitInterruptible(hEvent, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemEventMultiReset(hEvent), VINF_SUCCESS);
    EXPECT_EQ(RTSemEventMultiWait(hEvent, 0), VERR_TIMEOUT);
    EXPECT_EQ(RTSemEventMultiDestroy(hEvent), VINF_SUCCESS);
}

TEST_F(MultiEvent, CreationFlagsAndResetOfBadHandles)
{
    RTSEMEVENTMULTI hEvent = NIL_RTSEMEVENTMULTI;
    for (uint32_t fFlags : { 2u, 4u, 0x80000000u })
    {
        EXPECT_EQ(RTSemEventMultiCreateEx(&hEvent, fFlags, NIL_RTLOCKVALCLASS, nullptr), VERR_INVALID_PARAMETER) << fFlags;
    }
    ASSERT_EQ(RTSemEventMultiCreateEx(&hEvent, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTSemEventMultiDestroy(hEvent), VINF_SUCCESS);
    EXPECT_EQ(RTSemEventMultiReset(NIL_RTSEMEVENTMULTI), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTSemEventMultiSignal(NIL_RTSEMEVENTMULTI), VERR_INVALID_PARAMETER);
}

} /* anonymous namespace */
