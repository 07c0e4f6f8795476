/* Critical sections and their two configurations, the fast and the spin mutex. */
#include <tulo/critsect.h>
#include <tulo/semaphore.h>
#include <tulo/err.h>

#include "thread-test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

class CritSect : public testing::Test
{
protected:
    RTCRITSECT m_CritSect;
    bool m_fDeleted = false;
    void SetUp() override
    {
        tstThreadInit();
        ASSERT_EQ(RTCritSectInit(&m_CritSect), VINF_SUCCESS);
    }
    void TearDown() override
    {
        if (!m_fDeleted)
        {
            EXPECT_EQ(RTCritSectDelete(&m_CritSect), VINF_SUCCESS);
        }
    }
    /* Whether the event has a signal pending that nobody consumed. */
    bool eventIsSignalled()
    {
        return RTSemEventWait(m_CritSect.EventSem, 0) == VINF_SUCCESS;
    }
};

TEST_F(CritSect, FreshSection)
{
    EXPECT_EQ(m_CritSect.u32Magic, RTCRITSECT_MAGIC);
    EXPECT_EQ(m_CritSect.cLockers, -1);
    EXPECT_EQ(m_CritSect.cNestings, 0u);
    EXPECT_EQ(m_CritSect.NativeThreadOwner, NIL_RTNATIVETHREAD);
    EXPECT_NE(m_CritSect.EventSem, NIL_RTSEMEVENT);
    EXPECT_EQ(m_CritSect.pValidatorRec, nullptr);
}

TEST_F(CritSect, RecursionCountsWithoutSignalling)
{
    static const struct { bool fEnter; uint32_t cNestings; int32_t cLockers; bool fOwned; } s_aSteps[] =
    {
        { true,  1, 0, true }, { true,  2, 1, true }, { false, 1, 0, true }, { false, 0, -1, false },
    };
    for (const auto &Step : s_aSteps)
    {
        EXPECT_EQ(Step.fEnter ? RTCritSectEnter(&m_CritSect) : RTCritSectLeave(&m_CritSect), VINF_SUCCESS);
        EXPECT_EQ(m_CritSect.cNestings, Step.cNestings);
        EXPECT_EQ(m_CritSect.cLockers, Step.cLockers);
        EXPECT_EQ(m_CritSect.NativeThreadOwner, Step.fOwned ? RTThreadNativeSelf() : NIL_RTNATIVETHREAD);
    }
    EXPECT_FALSE(eventIsSignalled()) << "a leave without waiters signalled the event";

    /* Try-enter nests the same way. */
    EXPECT_EQ(RTCritSectTryEnter(&m_CritSect), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectTryEnter(&m_CritSect), VINF_SUCCESS);
    EXPECT_EQ(m_CritSect.cNestings, 2u);
    EXPECT_EQ(m_CritSect.cLockers, 1);
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VINF_SUCCESS);
    EXPECT_EQ(m_CritSect.cLockers, -1);
    EXPECT_FALSE(eventIsSignalled());
}

TEST_F(CritSect, NoNestingRefusesTheOwnersSecondEnter)
{
    RTCRITSECT CritSect;
    ASSERT_EQ(RTCritSectInitEx(&CritSect, RTCRITSECT_FLAGS_NO_NESTING, NIL_RTLOCKVALCLASS, 0, "nonest"), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectEnter(&CritSect), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectEnter(&CritSect), VERR_SEM_NESTED);
    EXPECT_EQ(CritSect.cLockers, 0);
    EXPECT_EQ(RTCritSectTryEnter(&CritSect), VERR_SEM_NESTED);
    EXPECT_EQ(CritSect.cLockers, 0);
    EXPECT_EQ(CritSect.cNestings, 1u);
    EXPECT_EQ(RTCritSectLeave(&CritSect), VINF_SUCCESS);
    EXPECT_EQ(CritSect.cLockers, -1);
    EXPECT_EQ(RTCritSectDelete(&CritSect), VINF_SUCCESS);
}

TEST_F(CritSect, TryEnterFromAnotherThreadWhileOwned)
{
    ASSERT_EQ(RTCritSectEnter(&m_CritSect), VINF_SUCCESS);
    int rcBusy = VINF_SUCCESS;
    TstThread Busy([&] { rcBusy = RTCritSectTryEnter(&m_CritSect); });
    ASSERT_TRUE(Busy.join());
    EXPECT_EQ(rcBusy, VERR_SEM_BUSY);
    EXPECT_EQ(m_CritSect.cLockers, 0);
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VINF_SUCCESS);

    int rcFree = VERR_INTERNAL_ERROR, rcLeave = VERR_INTERNAL_ERROR;
    RTNATIVETHREAD OwnerSeen = NIL_RTNATIVETHREAD;
    TstThread Free([&]
    {
        rcFree = RTCritSectTryEnter(&m_CritSect);
        OwnerSeen = m_CritSect.NativeThreadOwner;
        rcLeave = RTCritSectLeave(&m_CritSect);
    });
    ASSERT_TRUE(Free.join());
    EXPECT_EQ(rcFree, VINF_SUCCESS);
    EXPECT_EQ(OwnerSeen, (RTNATIVETHREAD)Free.id());
    EXPECT_EQ(rcLeave, VINF_SUCCESS);
}

/* A leave by anybody but the owner must not hand the section on. */
TEST_F(CritSect, LeaveByANonOwnerIsRefusedAndChangesNothing)
{
    int rc = VINF_SUCCESS;
    TstThread NotYet([&] { rc = RTCritSectLeave(&m_CritSect); });
    ASSERT_TRUE(NotYet.join());
    EXPECT_EQ(rc, VERR_NOT_OWNER);
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VERR_NOT_OWNER);
    EXPECT_EQ(m_CritSect.cLockers, -1);

    ASSERT_EQ(RTCritSectEnter(&m_CritSect), VINF_SUCCESS);
    rc = VINF_SUCCESS;
    int rcTry = VINF_SUCCESS;
    TstThread Stranger([&]
    {
        rc = RTCritSectLeave(&m_CritSect);
        rcTry = RTCritSectTryEnter(&m_CritSect);
    });
    ASSERT_TRUE(Stranger.join());
    EXPECT_EQ(rc, VERR_NOT_OWNER);
    EXPECT_EQ(rcTry, VERR_SEM_BUSY) << "the stranger's leave released the section";
    EXPECT_EQ(m_CritSect.cNestings, 1u);
    EXPECT_EQ(m_CritSect.cLockers, 0);
    EXPECT_EQ(m_CritSect.NativeThreadOwner, RTThreadNativeSelf());
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VINF_SUCCESS);
}

/* The owner's leave wakes a thread that is asleep in the section's wait. */
TEST_F(CritSect, LeaveHandsTheSectionToASleepingWaiter)
{
    ASSERT_EQ(RTCritSectEnter(&m_CritSect), VINF_SUCCESS);
    std::atomic<RTTHREAD> hWaiter{NIL_RTTHREAD};
    int rcEnter = VERR_INTERNAL_ERROR, rcLeave = VERR_INTERNAL_ERROR;
    RTNATIVETHREAD OwnerSeen = NIL_RTNATIVETHREAD;
    TstThread Waiter([&]
    {
        hWaiter = tstAdoptSelf("cs-waiter");
        rcEnter = RTCritSectEnter(&m_CritSect);
        OwnerSeen = m_CritSect.NativeThreadOwner;
        rcLeave = RTCritSectLeave(&m_CritSect);
    });
    ASSERT_TRUE(tstWaitAsleep(hWaiter, RTTHREADSTATE_CRITSECT));
    EXPECT_EQ(m_CritSect.cLockers, 1);
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VINF_SUCCESS);
    ASSERT_TRUE(Waiter.join());
    EXPECT_EQ(rcEnter, VINF_SUCCESS);
    EXPECT_EQ(OwnerSeen, (RTNATIVETHREAD)Waiter.id());
    EXPECT_EQ(rcLeave, VINF_SUCCESS);
    EXPECT_EQ(m_CritSect.cLockers, -1);
    EXPECT_EQ(RTThreadGetState(hWaiter), RTTHREADSTATE_RUNNING);
    EXPECT_FALSE(RTThreadIsReallySleeping(hWaiter));
    EXPECT_FALSE(eventIsSignalled());
}

/* Many threads, nested enters: never two inside, no increment lost. */
TEST_F(CritSect, ContentionKeepsMutualExclusion)
{
    /* 8 threads of 600 rounds, yielding inside every 64th. */
    tstCheckMutualExclusion(8, 600, 64,
        [&] { return RTCritSectEnter(&m_CritSect) == VINF_SUCCESS && RTCritSectEnter(&m_CritSect) == VINF_SUCCESS; },
        [&] { return RTCritSectLeave(&m_CritSect) == VINF_SUCCESS && RTCritSectLeave(&m_CritSect) == VINF_SUCCESS; });
    EXPECT_EQ(m_CritSect.cLockers, -1);
    EXPECT_EQ(m_CritSect.NativeThreadOwner, NIL_RTNATIVETHREAD);
}

/* Deleting a held section wakes both sleeping waiters with VERR_SEM_DESTROYED. */
TEST_F(CritSect, DeleteWhileHeldWakesEveryWaiter)
{
    ASSERT_EQ(RTCritSectEnter(&m_CritSect), VINF_SUCCESS);
    constexpr unsigned cWaiters = 2;
    TstSleepers Sleepers(cWaiters, "cs-doomed", [&] { return RTCritSectEnter(&m_CritSect); });
    ASSERT_TRUE(Sleepers.allAsleepIn(RTTHREADSTATE_CRITSECT));
    EXPECT_EQ(m_CritSect.cLockers, 2);

    EXPECT_EQ(RTCritSectDelete(&m_CritSect), VINF_SUCCESS);
    m_fDeleted = true;
    for (unsigned i = 0; i < cWaiters; i++)
    {
        ASSERT_TRUE(Sleepers.join(i));
        EXPECT_EQ(Sleepers.rc(i), VERR_SEM_DESTROYED) << i;
    }
    EXPECT_EQ(m_CritSect.u32Magic, RTCRITSECT_MAGIC_DEAD);
    EXPECT_EQ(m_CritSect.cLockers, -1);
    EXPECT_EQ(m_CritSect.EventSem, NIL_RTSEMEVENT);
    /* The former owner cannot leave or enter again, and a second delete finds nothing to do. */
    EXPECT_EQ(RTCritSectLeave(&m_CritSect), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectEnter(&m_CritSect), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectTryEnter(&m_CritSect), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectDelete(&m_CritSect), VERR_SEM_DESTROYED);
}

TEST_F(CritSect, NeverInitialisedAndBadFlags)
{
    RTCRITSECT Zeroed = {};
    EXPECT_EQ(RTCritSectEnter(&Zeroed), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectTryEnter(&Zeroed), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectLeave(&Zeroed), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTCritSectEnter(nullptr), VERR_INVALID_POINTER);

    RTCRITSECT CritSect;
    for (uint32_t fFlags : { 0x10u, 0x20u, 0x80000000u })
    {
        EXPECT_EQ(RTCritSectInitEx(&CritSect, fFlags, NIL_RTLOCKVALCLASS, 0, "bad"), VERR_INVALID_PARAMETER) << fFlags;
    }
    EXPECT_EQ(RTCritSectInit(nullptr), VERR_INVALID_POINTER);
}

/* The no-op configuration succeeds at once everywhere and locks nothing. */
TEST_F(CritSect, NopSectionDoesNotLock)
{
    RTCRITSECT CritSect;
    ASSERT_EQ(RTCritSectInitEx(&CritSect, RTCRITSECT_FLAGS_NOP, NIL_RTLOCKVALCLASS, 0, "nop"), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectEnter(&CritSect), VINF_SUCCESS);
    int rcEnter = VERR_INTERNAL_ERROR, rcTry = VERR_INTERNAL_ERROR, rcLeave = VERR_INTERNAL_ERROR;
    TstThread Other([&]
    {
        rcEnter = RTCritSectEnter(&CritSect);
        rcTry = RTCritSectTryEnter(&CritSect);
        rcLeave = RTCritSectLeave(&CritSect);
    });
    ASSERT_TRUE(Other.join());
    EXPECT_EQ(rcEnter, VINF_SUCCESS);
    EXPECT_EQ(rcTry, VINF_SUCCESS);
    EXPECT_EQ(rcLeave, VINF_SUCCESS);
    EXPECT_EQ(CritSect.cLockers, -1);
    EXPECT_EQ(RTCritSectLeave(&CritSect), VINF_SUCCESS);
    EXPECT_EQ(RTCritSectDelete(&CritSect), VINF_SUCCESS);
}


/*
 * The mutexes: both are non-recursive critical sections in records of their own.
 */
struct MUTEXOPS
{
    const char *pszName;
    int (*pfnCreate)(void **ppv);
    int (*pfnRequest)(void *pv);
    int (*pfnRelease)(void *pv);
    int (*pfnDestroy)(void *pv);
};

const MUTEXOPS g_aMutexes[] =
{
    { "fast",
      [](void **ppv) { return RTSemFastMutexCreate((PRTSEMFASTMUTEX)ppv); },
      [](void *pv) { return RTSemFastMutexRequest((RTSEMFASTMUTEX)pv); },
      [](void *pv) { return RTSemFastMutexRelease((RTSEMFASTMUTEX)pv); },
      [](void *pv) { return RTSemFastMutexDestroy((RTSEMFASTMUTEX)pv); } },
    { "spin",
      [](void **ppv) { return RTSemSpinMutexCreate((PRTSEMSPINMUTEX)ppv, 0); },
      [](void *pv) { return RTSemSpinMutexRequest((RTSEMSPINMUTEX)pv); },
      [](void *pv) { return RTSemSpinMutexRelease((RTSEMSPINMUTEX)pv); },
      [](void *pv) { return RTSemSpinMutexDestroy((RTSEMSPINMUTEX)pv); } },
};

class Mutex : public testing::TestWithParam<MUTEXOPS>
{
protected:
    void SetUp() override { tstThreadInit(); }
};

TEST_P(Mutex, ExclusiveAndNotRecursive)
{
    const MUTEXOPS &Ops = GetParam();
    void *pvMtx = nullptr;
    ASSERT_EQ(Ops.pfnCreate(&pvMtx), VINF_SUCCESS);
    PRTCRITSECT pCritSect = (PRTCRITSECT)pvMtx;
    EXPECT_NE(pCritSect->fFlags & RTCRITSECT_FLAGS_NO_NESTING, 0u);

    EXPECT_EQ(Ops.pfnRequest(pvMtx), VINF_SUCCESS);
    EXPECT_EQ(Ops.pfnRequest(pvMtx), VERR_SEM_NESTED);

    std::atomic<RTTHREAD> hWaiter{NIL_RTTHREAD};
    int rcWaiter = VERR_INTERNAL_ERROR, rcWaiterRelease = VERR_INTERNAL_ERROR;
    TstThread Waiter([&]
    {
        hWaiter = tstAdoptSelf("mtx-waiter");
        rcWaiter = Ops.pfnRequest(pvMtx);
        rcWaiterRelease = Ops.pfnRelease(pvMtx);
    });
    ASSERT_TRUE(tstWaitAsleep(hWaiter, RTTHREADSTATE_CRITSECT));
    EXPECT_EQ(Ops.pfnRelease(pvMtx), VINF_SUCCESS);
    ASSERT_TRUE(Waiter.join());
    EXPECT_EQ(rcWaiter, VINF_SUCCESS);
    EXPECT_EQ(rcWaiterRelease, VINF_SUCCESS);
    EXPECT_EQ(Ops.pfnRelease(pvMtx), VERR_NOT_OWNER);
    EXPECT_EQ(Ops.pfnDestroy(pvMtx), VINF_SUCCESS);
    EXPECT_EQ(Ops.pfnDestroy(nullptr), VINF_SUCCESS);
}

/* Destroying a mutex frees its record; the sleeping waiter must learn of it
 * without touching the freed record. */
TEST_P(Mutex, DestroyWhileAThreadWaits)
{
    const MUTEXOPS &Ops = GetParam();
    void *pvMtx = nullptr;
    ASSERT_EQ(Ops.pfnCreate(&pvMtx), VINF_SUCCESS);
    EXPECT_EQ(Ops.pfnRequest(pvMtx), VINF_SUCCESS);
    std::atomic<RTTHREAD> hWaiter{NIL_RTTHREAD};
    int rcWaiter = VINF_SUCCESS;
    TstThread Waiter([&]
    {
        hWaiter = tstAdoptSelf("mtx-doomed");
        rcWaiter = Ops.pfnRequest(pvMtx);
    });
    ASSERT_TRUE(tstWaitAsleep(hWaiter, RTTHREADSTATE_CRITSECT));
    EXPECT_EQ(Ops.pfnDestroy(pvMtx), VINF_SUCCESS);
    ASSERT_TRUE(Waiter.join());
    EXPECT_EQ(rcWaiter, VERR_SEM_DESTROYED);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Mutex, testing::ValuesIn(g_aMutexes),
                         [](const testing::TestParamInfo<MUTEXOPS> &Info) { return std::string(Info.param.pszName); });

TEST(SpinMutex, FlagsAndHandles)
{
    RTSEMSPINMUTEX hMtx = NIL_RTSEMSPINMUTEX;
    EXPECT_EQ(RTSemSpinMutexCreate(&hMtx, 2), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTSemSpinMutexCreate(nullptr, 0), VERR_INVALID_POINTER);
    ASSERT_EQ(RTSemSpinMutexCreate(&hMtx, RTSEMSPINMUTEX_FLAGS_IRQ_SAFE), VINF_SUCCESS);
    EXPECT_EQ(((PRTCRITSECT)hMtx)->fFlags, RTCRITSECT_FLAGS_NO_NESTING | RTCRITSECT_FLAGS_NO_LOCK_VAL);
    EXPECT_EQ(RTSemSpinMutexDestroy(hMtx), VINF_SUCCESS);

    RTCRITSECT Dead = {};
    Dead.u32Magic = RTCRITSECT_MAGIC_DEAD;
    EXPECT_EQ(RTSemSpinMutexDestroy((RTSEMSPINMUTEX)&Dead), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemFastMutexDestroy((RTSEMFASTMUTEX)&Dead), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemSpinMutexRequest((RTSEMSPINMUTEX)&Dead), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTSemFastMutexRequest((RTSEMFASTMUTEX)&Dead), VERR_SEM_DESTROYED);
    EXPECT_EQ(RTSemFastMutexRequest(NIL_RTSEMFASTMUTEX), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemFastMutexCreate(nullptr), VERR_INVALID_POINTER);
}

} /* anonymous namespace */
