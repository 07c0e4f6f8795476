/* Run-once initialisation: one run, every caller gets its status, waiters sleep. */
#include <tulo/once.h>
#include <tulo/semaphore.h>
#include <tulo/err.h>

#include "thread-test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

namespace {

/* An initialiser that counts its runs and returns what it is told to. */
struct ONCEARG
{
    std::atomic<unsigned> cCalls{0};
    int rcReturn = VINF_SUCCESS;
    /* When set, the initialiser reports that it runs and waits for the gate. */
    TstGate *pStarted = nullptr;
    TstGate *pRelease = nullptr;
};

int tstOnceInit(void *pvUser)
{
    ONCEARG *pArg = (ONCEARG *)pvUser;
    pArg->cCalls++;
    if (pArg->pStarted)
        pArg->pStarted->open();
    if (pArg->pRelease)
        pArg->pRelease->wait();
    return pArg->rcReturn;
}

std::atomic<unsigned> g_cCleanUps{0};
void tstOnceCleanUp(void *, bool) { g_cCleanUps++; }

class Once : public testing::Test
{
protected:
    RTONCE m_Once = RTONCE_INITIALIZER;
    ONCEARG m_Arg;
    void SetUp() override { tstThreadInit(); }
};

TEST_F(Once, InitializerValues)
{
    EXPECT_EQ(m_Once.iState, RTONCESTATE_UNINITIALIZED);
    EXPECT_EQ(m_Once.rc, VERR_INTERNAL_ERROR);
    EXPECT_EQ(m_Once.hEventMulti, NIL_RTSEMEVENTMULTI);
    EXPECT_EQ(m_Once.cEventRefs, 0);
}

/* Success, informational and failure statuses alike: one run, the same
 * status for every later caller, and another run only after a reset. */
TEST_F(Once, StatusIsKeptForEveryLaterCaller)
{
    for (int rcInit : { VINF_SUCCESS, VINF_ALREADY_INITIALIZED, VERR_NO_MEMORY, VERR_TIMEOUT })
    {
        SCOPED_TRACE(rcInit);
        RTONCE Once = RTONCE_INITIALIZER;
        ONCEARG Arg;
        Arg.rcReturn = rcInit;
        for (unsigned i = 0; i < 4; i++)
        {
            EXPECT_EQ(RTOnce(&Once, tstOnceInit, nullptr, &Arg), rcInit) << i;
        }
        EXPECT_EQ(Arg.cCalls, 1u);
        EXPECT_EQ(Once.iState, RTONCESTATE_DONE);
        EXPECT_EQ(Once.hEventMulti, NIL_RTSEMEVENTMULTI);

        RTOnceReset(&Once);
        EXPECT_EQ(Once.iState, RTONCESTATE_UNINITIALIZED);
        EXPECT_EQ(Once.rc, VERR_INTERNAL_ERROR);
        Arg.rcReturn = VINF_SUCCESS;
        EXPECT_EQ(RTOnce(&Once, tstOnceInit, nullptr, &Arg), VINF_SUCCESS);
        EXPECT_EQ(Arg.cCalls, 2u);
    }
}

TEST_F(Once, CleanUpIsRegisteredOnlyForASuccessfulInitializer)
{
    unsigned const cCleanUpsBefore = g_cCleanUps;
    ONCEARG ArgOk;
    RTONCE OnceOk = RTONCE_INITIALIZER;
    ASSERT_EQ(RTOnce(&OnceOk, tstOnceInit, tstOnceCleanUp, &ArgOk), VINF_SUCCESS);
    EXPECT_EQ(OnceOk.pfnCleanUp, tstOnceCleanUp);
    EXPECT_EQ(OnceOk.pvUser, &ArgOk);
    ASSERT_NE(OnceOk.CleanUpNode.pNext, nullptr);
    ASSERT_NE(OnceOk.CleanUpNode.pPrev, nullptr);
    EXPECT_EQ(OnceOk.CleanUpNode.pNext->pPrev, &OnceOk.CleanUpNode);
    EXPECT_EQ(OnceOk.CleanUpNode.pPrev->pNext, &OnceOk.CleanUpNode);

    /* Appended at the tail: a second record follows the first. */
    RTONCE OnceOk2 = RTONCE_INITIALIZER;
    ONCEARG ArgOk2;
    ASSERT_EQ(RTOnce(&OnceOk2, tstOnceInit, tstOnceCleanUp, &ArgOk2), VINF_SUCCESS);
    EXPECT_EQ(OnceOk.CleanUpNode.pNext, &OnceOk2.CleanUpNode);
    EXPECT_EQ(OnceOk2.CleanUpNode.pPrev, &OnceOk.CleanUpNode);

    RTONCE OnceFail = RTONCE_INITIALIZER;
    ONCEARG ArgFail;
    ArgFail.rcReturn = VERR_NO_MEMORY;
    EXPECT_EQ(RTOnce(&OnceFail, tstOnceInit, tstOnceCleanUp, &ArgFail), VERR_NO_MEMORY);
    EXPECT_EQ(OnceFail.pfnCleanUp, nullptr);
    EXPECT_EQ(OnceFail.pvUser, nullptr);
    EXPECT_EQ(OnceFail.CleanUpNode.pNext, nullptr);

    /* Reset unlinks the record and leaves its neighbours linked to each other. */
    RTLISTNODE *pBefore = OnceOk.CleanUpNode.pPrev;
    RTOnceReset(&OnceOk);
    EXPECT_EQ(OnceOk.pfnCleanUp, nullptr);
    EXPECT_EQ(OnceOk.pvUser, nullptr);
    EXPECT_EQ(OnceOk.CleanUpNode.pNext, nullptr);
    EXPECT_EQ(pBefore->pNext, &OnceOk2.CleanUpNode);
    EXPECT_EQ(OnceOk2.CleanUpNode.pPrev, pBefore);
    RTOnceReset(&OnceOk2);
    EXPECT_EQ(pBefore->pNext->pPrev, pBefore);
    /* Nothing in this runtime runs the clean-ups. */
    EXPECT_EQ(g_cCleanUps, cCleanUpsBefore);
}

/* The finished and the impossible states, without any initialiser run. */
TEST_F(Once, EntryStates)
{
    static const struct { int32_t iState; int32_t rcStored; int rcExpect; } s_aCases[] =
    {
        { RTONCESTATE_DONE,               VERR_NO_MEMORY,   VERR_NO_MEMORY },
        { RTONCESTATE_DONE,               VINF_SUCCESS,     VINF_SUCCESS },
        { RTONCESTATE_DONE_HAVE_SEM,      VERR_TIMEOUT,     VERR_TIMEOUT },
        { RTONCESTATE_DONE_CREATING_SEM,  28,               28 },
        { 0,                              VINF_SUCCESS,     VERR_INTERNAL_ERROR },
        { 8,                              VINF_SUCCESS,     VERR_INTERNAL_ERROR },
        { 15,                             VINF_SUCCESS,     VERR_INTERNAL_ERROR },
        { 17,                             VINF_SUCCESS,     VERR_INTERNAL_ERROR },
        { -1,                             VINF_SUCCESS,     VERR_INTERNAL_ERROR },
    };
    for (const auto &Case : s_aCases)
    {
        RTONCE Once = RTONCE_INITIALIZER;
        Once.iState = Case.iState;
        Once.rc = Case.rcStored;
        ONCEARG Arg;
        EXPECT_EQ(RTOnce(&Once, tstOnceInit, nullptr, &Arg), Case.rcExpect) << Case.iState;
        EXPECT_EQ(Arg.cCalls, 0u);
        EXPECT_EQ(Once.iState, Case.iState);
    }
    EXPECT_EQ(RTOnce(nullptr, tstOnceInit, nullptr, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTOnce(&m_Once, nullptr, nullptr, nullptr), VERR_INVALID_POINTER);
}

/* The second caller arrives while the first runs the initialiser: it
 * creates the semaphore and sleeps on it, and gets the first one's status;
 * the semaphore is gone afterwards. */
TEST_F(Once, LateComerSleepsOnTheSemaphoreAndGetsTheStatus)
{
    TstGate Started, Release;
    m_Arg.rcReturn = VERR_NO_MEMORY;
    m_Arg.pStarted = &Started;
    m_Arg.pRelease = &Release;

    int rcFirst = VINF_SUCCESS, rcSecond = VINF_SUCCESS;
    TstThread First([&] { rcFirst = RTOnce(&m_Once, tstOnceInit, nullptr, &m_Arg); });
    ASSERT_TRUE(Started.wait());
    EXPECT_EQ(m_Once.iState, RTONCESTATE_BUSY_NO_SEM);
    EXPECT_EQ(m_Once.hEventMulti, NIL_RTSEMEVENTMULTI) << "a semaphore exists although nobody waits";

    std::atomic<RTTHREAD> hSecond{NIL_RTTHREAD};
    TstThread Second([&]
    {
        hSecond = tstAdoptSelf("once-waiter");
        rcSecond = RTOnce(&m_Once, tstOnceInit, nullptr, &m_Arg);
    });
    /* Asleep in the multiple-release wait: not spinning. */
    ASSERT_TRUE(tstWaitAsleep(hSecond, RTTHREADSTATE_EVENT_MULTI));
    EXPECT_EQ(m_Once.iState, RTONCESTATE_BUSY_HAVE_SEM);
    EXPECT_NE(m_Once.hEventMulti, NIL_RTSEMEVENTMULTI);
    EXPECT_EQ(m_Once.cEventRefs, 1);
    EXPECT_FALSE(Second.hasEnded());

    Release.open();
    ASSERT_TRUE(First.join());
    ASSERT_TRUE(Second.join());
    EXPECT_EQ(rcFirst, VERR_NO_MEMORY);
    EXPECT_EQ(rcSecond, VERR_NO_MEMORY);
    EXPECT_EQ(m_Arg.cCalls, 1u);
    EXPECT_EQ(m_Once.iState, RTONCESTATE_DONE);
    EXPECT_EQ(m_Once.hEventMulti, NIL_RTSEMEVENTMULTI) << "the waiters' semaphore was not destroyed";
    EXPECT_EQ(m_Once.cEventRefs, 0);
    /* A failed initialiser is not retried. */
    m_Arg.pStarted = m_Arg.pRelease = nullptr;
    EXPECT_EQ(RTOnce(&m_Once, tstOnceInit, nullptr, &m_Arg), VERR_NO_MEMORY);
    EXPECT_EQ(m_Arg.cCalls, 1u);
}

/* Several late-comers share one semaphore, each holding a reference. */
TEST_F(Once, ManyLateComersShareOneSemaphore)
{
    constexpr unsigned cWaiters = 6;
    TstGate Started, Release;
    m_Arg.rcReturn = VINF_ALREADY_INITIALIZED;
    m_Arg.pStarted = &Started;
    m_Arg.pRelease = &Release;
    int rcFirst = VINF_SUCCESS;
    TstThread First([&] { rcFirst = RTOnce(&m_Once, tstOnceInit, nullptr, &m_Arg); });
    ASSERT_TRUE(Started.wait());

    TstSleepers Waiters(cWaiters, "once-many", [&] { return RTOnce(&m_Once, tstOnceInit, nullptr, &m_Arg); });
    ASSERT_TRUE(Waiters.allAsleepIn(RTTHREADSTATE_EVENT_MULTI));
    EXPECT_EQ(m_Once.cEventRefs, (int32_t)cWaiters);
    EXPECT_EQ(m_Once.iState, RTONCESTATE_BUSY_HAVE_SEM);

    Release.open();
    ASSERT_TRUE(First.join());
    EXPECT_EQ(rcFirst, VINF_ALREADY_INITIALIZED);
    for (unsigned i = 0; i < cWaiters; i++)
    {
        ASSERT_TRUE(Waiters.join(i));
        EXPECT_EQ(Waiters.rc(i), VINF_ALREADY_INITIALIZED) << i;
    }
    EXPECT_EQ(m_Arg.cCalls, 1u);
    EXPECT_EQ(m_Once.cEventRefs, 0);
    EXPECT_EQ(m_Once.hEventMulti, NIL_RTSEMEVENTMULTI);
    EXPECT_EQ(m_Once.iState, RTONCESTATE_DONE);
}

/* Waiters spin (and sleep now and then) while the semaphore is being made
 * or could not be made, and leave once the state says done. */
TEST_F(Once, SpinningStatesEndWithTheStoredStatus)
{
    static const struct { int32_t iSpinState, iDoneState; } s_aCases[] =
    {
        { RTONCESTATE_BUSY_SPIN_NO_SEM, RTONCESTATE_DONE },
        { RTONCESTATE_BUSY_SPIN,        RTONCESTATE_DONE_CREATING_SEM },
    };
    for (const auto &Case : s_aCases)
    {
        RTONCE Once = RTONCE_INITIALIZER;
        Once.iState = Case.iSpinState;
        ONCEARG Arg;
        std::atomic<bool> fStarted{false};
        int rc = VERR_INTERNAL_ERROR;
        TstThread Waiter([&]
        {
            fStarted = true;
            rc = RTOnce(&Once, tstOnceInit, nullptr, &Arg);
        });
        ASSERT_TRUE(tstWaitUntil([&] { return fStarted.load(); }));
        /* It cannot leave before the state changes, however long we take. */
        EXPECT_FALSE(Waiter.hasEnded(50)) << Case.iSpinState;
        __atomic_store_n(&Once.rc, (int32_t)VERR_TIMEOUT, __ATOMIC_SEQ_CST);
        __atomic_store_n(&Once.iState, Case.iDoneState, __ATOMIC_SEQ_CST);
        ASSERT_TRUE(Waiter.join());
        EXPECT_EQ(rc, VERR_TIMEOUT) << Case.iSpinState;
        EXPECT_EQ(Arg.cCalls, 0u);
        EXPECT_EQ(Once.hEventMulti, NIL_RTSEMEVENTMULTI);
    }
}

/* An initialiser may itself use run-once records. */
TEST_F(Once, InitializerMayUseAnotherRecord)
{
    static RTONCE s_Inner = RTONCE_INITIALIZER;
    static ONCEARG s_InnerArg;
    s_InnerArg.rcReturn = 28;
    auto pfnOuter = [](void *pvUser) -> int
    {
        ((ONCEARG *)pvUser)->cCalls++;
        return RTOnce(&s_Inner, tstOnceInit, tstOnceCleanUp, &s_InnerArg);
    };
    EXPECT_EQ(RTOnce(&m_Once, pfnOuter, nullptr, &m_Arg), 28);
    EXPECT_EQ(RTOnce(&m_Once, pfnOuter, nullptr, &m_Arg), 28);
    EXPECT_EQ(m_Arg.cCalls, 1u);
    EXPECT_EQ(s_InnerArg.cCalls, 1u);
    RTOnceReset(&s_Inner);
}

/* Threads released together, many rounds: whatever path each one takes,
 * the initialiser runs once, everybody gets its status and no semaphore is
 * left behind. The initialiser keeps running until a waiter shows up, so
 * every round goes through the waiters' paths; which one (semaphore made in
 * time, or finished while it was being made) is up to the scheduler. */
struct RACEARG
{
    PRTONCE pOnce;
    std::atomic<unsigned> cCalls{0};
    int rcReturn = VINF_SUCCESS;
    int32_t iStateSeen = 0;
};

int tstOnceRaceInit(void *pvUser)
{
    RACEARG *pArg = (RACEARG *)pvUser;
    pArg->cCalls++;
    ULONGLONG const uStart = GetTickCount64();
    int32_t iState;
    while (   (iState = __atomic_load_n(&pArg->pOnce->iState, __ATOMIC_SEQ_CST)) == RTONCESTATE_BUSY_NO_SEM
           && GetTickCount64() - uStart < TST_TIMEOUT_MS)
        SwitchToThread();
    pArg->iStateSeen = iState;
    return pArg->rcReturn;
}

TEST_F(Once, RacingCallersManyRounds)
{
    constexpr unsigned cThreads = 6;
    constexpr unsigned cRounds = 25;
    unsigned acSeen[RTONCESTATE_DONE + 1] = {};
    for (unsigned iRound = 0; iRound < cRounds; iRound++)
    {
        RTONCE Once = RTONCE_INITIALIZER;
        RACEARG Arg;
        Arg.pOnce = &Once;
        Arg.rcReturn = iRound % 2 ? VERR_NO_MEMORY : (int)iRound;
        TstGate Start;
        int arc[cThreads];
        std::vector<std::unique_ptr<TstThread>> vecThreads;
        for (unsigned i = 0; i < cThreads; i++)
        {
            arc[i] = VERR_INTERNAL_ERROR;
            vecThreads.push_back(std::make_unique<TstThread>([&, i]
            {
                Start.wait();
                arc[i] = RTOnce(&Once, tstOnceRaceInit, nullptr, &Arg);
            }));
        }
        Start.open();
        for (unsigned i = 0; i < cThreads; i++)
        {
            ASSERT_TRUE(vecThreads[i]->join());
            EXPECT_EQ(arc[i], Arg.rcReturn) << "round " << iRound << " thread " << i;
        }
        ASSERT_EQ(Arg.cCalls, 1u) << iRound;
        ASSERT_EQ(Once.iState, RTONCESTATE_DONE) << iRound;
        ASSERT_EQ(Once.hEventMulti, NIL_RTSEMEVENTMULTI) << iRound;
        ASSERT_EQ(Once.cEventRefs, 0) << iRound;
        /* A waiter turned up while the initialiser ran. */
        ASSERT_TRUE(   Arg.iStateSeen == RTONCESTATE_BUSY_SPIN
                    || Arg.iStateSeen == RTONCESTATE_BUSY_HAVE_SEM) << iRound << " " << Arg.iStateSeen;
        acSeen[Arg.iStateSeen]++;
    }
    RecordProperty("SemaphoreBeingMade", (int)acSeen[RTONCESTATE_BUSY_SPIN]);
    RecordProperty("SemaphoreReady", (int)acSeen[RTONCESTATE_BUSY_HAVE_SEM]);
    printf("initialiser finished while the semaphore was being made: %u, after it was ready: %u\n",
           acSeen[RTONCESTATE_BUSY_SPIN], acSeen[RTONCESTATE_BUSY_HAVE_SEM]);
}

} /* anonymous namespace */
