/* The read/write semaphore's writer side with real competing threads. */
#include <tulo/semaphore.h>
#include <tulo/err.h>

#include "thread-test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>

namespace {

class SemRW : public testing::Test
{
protected:
    RTSEMRW m_hRW = NIL_RTSEMRW;
    void SetUp() override
    {
        tstThreadInit();
        ASSERT_EQ(RTSemRWCreate(&m_hRW, 0), VINF_SUCCESS);
    }
    void TearDown() override { EXPECT_EQ(RTSemRWDestroy(m_hRW), VINF_SUCCESS); }
};

TEST_F(SemRW, WriterNestsOthersTimeOutAtOnce)
{
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, RT_INDEFINITE_WAIT), VINF_SUCCESS);

    int rcTry = VINF_SUCCESS, rcRelease = VINF_SUCCESS;
    double dMs = 0;
    TstThread Other([&]
    {
        LARGE_INTEGER const Start = tstQpcNow();
        rcTry = RTSemRWRequestWrite(m_hRW, 0);
        dMs = tstMsSince(Start);
        rcRelease = RTSemRWReleaseWrite(m_hRW);
    });
    ASSERT_TRUE(Other.join());
    EXPECT_EQ(rcTry, VERR_TIMEOUT);
    EXPECT_LT(dMs, 1000.0);
    EXPECT_EQ(rcRelease, VERR_NOT_OWNER);

    /* Busy while written, and still usable afterwards. */
    EXPECT_EQ(RTSemRWDestroy(m_hRW), VERR_SEM_BUSY);
    for (unsigned i = 0; i < 3; i++)
    {
        EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VINF_SUCCESS) << i;
    }
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VERR_NOT_OWNER);

    int rcFree = VERR_INTERNAL_ERROR, rcFreeRelease = VERR_INTERNAL_ERROR;
    TstThread Later([&]
    {
        rcFree = RTSemRWRequestWrite(m_hRW, 0);
        rcFreeRelease = RTSemRWReleaseWrite(m_hRW);
    });
    ASSERT_TRUE(Later.join());
    EXPECT_EQ(rcFree, VINF_SUCCESS);
    EXPECT_EQ(rcFreeRelease, VINF_SUCCESS);
}

/* A writer asleep in its wait gets the lock when the writer releases it. */
TEST_F(SemRW, ReleaseWakesASleepingWriter)
{
    ASSERT_EQ(RTSemRWRequestWrite(m_hRW, RT_INDEFINITE_WAIT), VINF_SUCCESS);
    std::atomic<RTTHREAD> hWaiter{NIL_RTTHREAD};
    std::atomic<bool> fGotIt{false};
    int rcWait = VERR_INTERNAL_ERROR, rcNested = VERR_INTERNAL_ERROR, rcRelease = VERR_INTERNAL_ERROR;
    TstGate Release;
    TstThread Waiter([&]
    {
        hWaiter = tstAdoptSelf("rw-waiter");
        rcWait = RTSemRWRequestWrite(m_hRW, RT_INDEFINITE_WAIT);
        fGotIt = true;
        rcNested = RTSemRWRequestWrite(m_hRW, 0);
        Release.wait();
        RTSemRWReleaseWrite(m_hRW);
        rcRelease = RTSemRWReleaseWrite(m_hRW);
    });
    ASSERT_TRUE(tstWaitAsleep(hWaiter, RTTHREADSTATE_RW_WRITE));
    EXPECT_FALSE(fGotIt);
    /* A nested release hands nothing over. */
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VINF_SUCCESS);
    ASSERT_TRUE(tstWaitUntil([&] { return tstIsAsleepIn(hWaiter, RTTHREADSTATE_RW_WRITE); }));
    EXPECT_FALSE(fGotIt);
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VINF_SUCCESS);
    ASSERT_TRUE(tstWaitUntil([&] { return fGotIt.load(); }));
    EXPECT_EQ(rcWait, VINF_SUCCESS);
    EXPECT_EQ(rcNested, VINF_SUCCESS);
    /* The new writer owns it now. */
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, 0), VERR_TIMEOUT);
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VERR_NOT_OWNER);
    Release.open();
    ASSERT_TRUE(Waiter.join());
    EXPECT_EQ(rcRelease, VINF_SUCCESS);
}

/* A timed-out writer stops counting as waiting: otherwise the semaphore
 * would stay busy for ever. */
TEST_F(SemRW, TimedRequestGivesUp)
{
    ASSERT_EQ(RTSemRWRequestWrite(m_hRW, RT_INDEFINITE_WAIT), VINF_SUCCESS);
    int rc = VINF_SUCCESS;
    double dMs = 0;
    TstThread Waiter([&]
    {
        LARGE_INTEGER const Start = tstQpcNow();
        rc = RTSemRWRequestWrite(m_hRW, 100);
        dMs = tstMsSince(Start);
    });
    ASSERT_TRUE(Waiter.join());
    EXPECT_EQ(rc, VERR_TIMEOUT);
    EXPECT_GE(dMs, 95.0);
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VINF_SUCCESS);
    /* A stale waiting count would turn this caller away. */
    EXPECT_EQ(RTSemRWRequestWrite(m_hRW, 0), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWReleaseWrite(m_hRW), VINF_SUCCESS);
}

TEST_F(SemRW, ContentionKeepsWritersApart)
{
    /* 8 threads of 150 rounds, yielding inside every 32nd. */
    tstCheckMutualExclusion(8, 150, 32,
        [&] { return RTSemRWRequestWrite(m_hRW, RT_INDEFINITE_WAIT) == VINF_SUCCESS
                     && RTSemRWRequestWrite(m_hRW, 0) == VINF_SUCCESS; },
        [&] { return RTSemRWReleaseWrite(m_hRW) == VINF_SUCCESS && RTSemRWReleaseWrite(m_hRW) == VINF_SUCCESS; });
}

TEST(SemRWHandles, CreateDestroyAndBadHandles)
{
    RTSEMRW hRW = NIL_RTSEMRW;
    EXPECT_EQ(RTSemRWCreate(&hRW, 2), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTSemRWCreate(nullptr, 0), VERR_INVALID_POINTER);
    ASSERT_EQ(RTSemRWCreate(&hRW, RTSEMRW_FLAGS_NO_LOCK_VAL), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWDestroy(hRW), VINF_SUCCESS);
    EXPECT_EQ(RTSemRWDestroy(NIL_RTSEMRW), VINF_SUCCESS);

    struct { uint32_t u32Magic; uint32_t au32[32]; } Fake = { 0xe69bf8f8, {} };
    RTSEMRW const hFake = (RTSEMRW)&Fake;
    EXPECT_EQ(RTSemRWRequestWrite(hFake, 0), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemRWReleaseWrite(hFake), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemRWDestroy(hFake), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTSemRWRequestWrite(NIL_RTSEMRW, 0), VERR_INVALID_HANDLE);
}

} /* anonymous namespace */
