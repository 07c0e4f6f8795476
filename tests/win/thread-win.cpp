/* Thread records, the thread tree, the blocking marks, sleep and thread-local storage. */
#include <tulo/thread.h>
#include <tulo/err.h>

#include "common/misc/thread-internal.h"
#include "thread-test.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

typedef HRESULT (WINAPI *PFNGETTHREADDESCRIPTION)(HANDLE hThread, PWSTR *ppwszDescription);

/* The description the system keeps for a thread, or "<n/a>" where the
 * platform has none. */
std::string threadDescription(HANDLE hThread)
{
    PFNGETTHREADDESCRIPTION pfn = (PFNGETTHREADDESCRIPTION)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                                                                  "GetThreadDescription");
    if (!pfn)
        return "<n/a>";
    PWSTR pwsz = nullptr;
    if (FAILED(pfn(hThread, &pwsz)) || !pwsz)
        return "<failed>";
    std::string str;
    for (PWSTR pwc = pwsz; *pwc; pwc++)
        str += *pwc < 0x80 ? (char)*pwc : '?';
    LocalFree(pwsz);
    return str;
}

/* Must run first: nothing else in this program initialises the subsystem before it. */
TEST(ThreadInit, FirstInitAdoptsTheCallerAsMainAndSecondDoesNothing)
{
    ASSERT_EQ(RTThreadSelf(), NIL_RTTHREAD);
    ASSERT_EQ(RTThreadSelfName(), nullptr);
    ASSERT_EQ(rtThreadCount(), 0u);

    ASSERT_EQ(rtThreadInit(), VINF_SUCCESS);
    RTTHREAD const hSelf = RTThreadSelf();
    ASSERT_NE(hSelf, NIL_RTTHREAD);
    EXPECT_STREQ(RTThreadSelfName(), "main");
    EXPECT_EQ(hSelf->u32Magic, RTTHREADINT_MAGIC);
    EXPECT_EQ(hSelf->enmType, RTTHREADTYPE_DEFAULT);
    EXPECT_EQ(hSelf->fIntFlags, RTTHREADINT_FLAGS_ALIEN | RTTHREADINT_FLAGS_IN_TREE | RTTHREADINT_FLAGS_MAIN);
    EXPECT_EQ(hSelf->fFlags, 0u);
    EXPECT_EQ(hSelf->enmState, (uint32_t)RTTHREADSTATE_RUNNING);
    /* Two at creation; the tree keeps one after adoption. */
    EXPECT_EQ(hSelf->cRefs, 1);
    EXPECT_EQ(hSelf->rc, VERR_THREAD_STILL_RUNNING);
    EXPECT_EQ(hSelf->Key, (RTNATIVETHREAD)GetCurrentThreadId());
    EXPECT_EQ(hSelf->LockValidator.iPending, -1);
    EXPECT_NE(hSelf->EventUser, NIL_RTSEMEVENTMULTI);
    EXPECT_NE(hSelf->EventTerminated, NIL_RTSEMEVENTMULTI);
    EXPECT_EQ(rtThreadCount(), 1u);
    EXPECT_EQ(rtThreadCountOfType(RTTHREADTYPE_DEFAULT), 1u);

    PRTTHREADINT pFound = rtThreadGetByNative(GetCurrentThreadId());
    EXPECT_EQ(pFound, hSelf);
    if (pFound)
        rtThreadRelease(pFound);
    std::string const strDesc = threadDescription(GetCurrentThread());
    if (strDesc != "<n/a>")
    {
        EXPECT_EQ(strDesc, "main");
    }

    EXPECT_EQ(rtThreadInit(), VINF_ALREADY_INITIALIZED);
    EXPECT_EQ(RTThreadSelf(), hSelf);
    EXPECT_EQ(rtThreadCount(), 1u);
    EXPECT_EQ(hSelf->cRefs, 1);
}

class Thread : public testing::Test
{
protected:
    void SetUp() override { tstThreadInit(); }
};

TEST_F(Thread, AdoptionKeepsAtMostFifteenCharactersOfTheName)
{
    static const struct { const char *pszName, *pszStored; } s_aCases[] =
    {
        { "",                     "" },
        { "w",                    "w" },
        { "fifteen-chars-x",      "fifteen-chars-x" },
        { "sixteen-chars-xy",     "sixteen-chars-x" },
        { "twenty-characters-ab", "twenty-characte" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszName);
        std::string strSelfName, strDesc;
        RTTHREAD hThread = NIL_RTTHREAD;
        TstGate Done;
        TstGate Checked;
        TstThread Worker([&]
        {
            hThread = tstAdoptSelf(Case.pszName);
            const char *psz = RTThreadSelfName();
            strSelfName = psz ? psz : "<null>";
            strDesc = threadDescription(GetCurrentThread());
            Done.open();
            Checked.wait();
        });
        ASSERT_TRUE(Done.wait());
        EXPECT_EQ(strSelfName, Case.pszStored);
        if (strDesc != "<n/a>")
        {
            EXPECT_EQ(strDesc, Case.pszStored);
        }
        ASSERT_NE(hThread, NIL_RTTHREAD);
        EXPECT_STREQ(hThread->szName, Case.pszStored);
        EXPECT_EQ(hThread->fIntFlags, RTTHREADINT_FLAGS_ALIEN | RTTHREADINT_FLAGS_IN_TREE);

        PRTTHREADINT pFound = rtThreadGetByNative(Worker.id());
        EXPECT_EQ(pFound, hThread);
        if (pFound)
            rtThreadRelease(pFound);
        Checked.open();
    }
}

TEST_F(Thread, WaitableFlagIsDroppedForAdoptedThreads)
{
    RTTHREAD hThread = NIL_RTTHREAD;
    TstThread Worker([&]
    {
        EXPECT_EQ(rtThreadAdopt(RTTHREADTYPE_DEFAULT, RTTHREADFLAGS_WAITABLE | 0x10, 0, "waitable"), VINF_SUCCESS);
        hThread = RTThreadSelf();
    });
    ASSERT_TRUE(Worker.join());
    ASSERT_NE(hThread, NIL_RTTHREAD);
    EXPECT_EQ(hThread->fFlags, 0x10u);
    /* Nobody waits for an adopted thread, so only the tree's reference is left. */
    EXPECT_EQ(hThread->cRefs, 1);
}

TEST_F(Thread, AdoptRejectsBadArguments)
{
    EXPECT_EQ(rtThreadAdopt(RTTHREADTYPE_END, 0, 0, "x"), VERR_INVALID_PARAMETER);
    EXPECT_EQ(rtThreadAdopt(RTTHREADTYPE_DEFAULT, 0, 0, nullptr), VERR_INVALID_PARAMETER);
}

/* Many threads adopting at once: every record lands in the tree, under its
 * own identifier, with the tree lock serialising the inserts. */
TEST_F(Thread, ConcurrentAdoptionsAllLandInTheTree)
{
    constexpr unsigned cThreads = 16;
    uint32_t const cIoBefore = rtThreadCountOfType(RTTHREADTYPE_IO);
    TstGate Start, Leave;
    std::atomic<unsigned> cAdopted{0};
    RTTHREAD ahThreads[cThreads] = {};
    std::vector<std::unique_ptr<TstThread>> vecThreads;
    for (unsigned i = 0; i < cThreads; i++)
        vecThreads.push_back(std::make_unique<TstThread>([&, i]
        {
            Start.wait();
            char szName[16];
            snprintf(szName, sizeof(szName), "adopt-%u", i);
            EXPECT_EQ(rtThreadAdopt(RTTHREADTYPE_IO, 0, 0, szName), VINF_SUCCESS);
            ahThreads[i] = RTThreadSelf();
            EXPECT_STREQ(RTThreadSelfName(), szName);
            cAdopted++;
            Leave.wait();
        }));
    Start.open();
    ASSERT_TRUE(tstWaitUntil([&] { return cAdopted == cThreads; }));

    EXPECT_EQ(rtThreadCountOfType(RTTHREADTYPE_IO), cIoBefore + cThreads);
    for (unsigned i = 0; i < cThreads; i++)
    {
        PRTTHREADINT pFound = rtThreadGetByNative(vecThreads[i]->id());
        EXPECT_EQ(pFound, ahThreads[i]) << i;
        if (pFound)
            rtThreadRelease(pFound);
    }
    Leave.open();
}

/* A record still filed under an identifier that the system has handed to a
 * new thread is replaced, and loses the tree's reference. */
TEST_F(Thread, InsertReplacesAStaleRecordOfTheSameIdentifier)
{
    RTTHREAD hOld = NIL_RTTHREAD;
    TstGate Done, Leave;
    TstThread Worker([&]
    {
        hOld = tstAdoptSelf("stale");
        Done.open();
        Leave.wait();
    });
    ASSERT_TRUE(Done.wait());
    ASSERT_NE(hOld, NIL_RTTHREAD);
    ASSERT_EQ(rtThreadRetain(hOld), hOld);
    EXPECT_EQ(hOld->cRefs, 2);

    uint32_t const cBefore = rtThreadCount();
    uint32_t const cTimerBefore = rtThreadCountOfType(RTTHREADTYPE_TIMER);
    PRTTHREADINT pNew = rtThreadAlloc(RTTHREADTYPE_TIMER, 0, 0, "fresh");
    ASSERT_NE(pNew, nullptr);
    rtThreadInsert(pNew, Worker.id());

    EXPECT_EQ(hOld->fIntFlags & RTTHREADINT_FLAGS_IN_TREE, 0u);
    EXPECT_EQ(hOld->cRefs, 1) << "the tree's reference was not released";
    EXPECT_NE(pNew->fIntFlags & RTTHREADINT_FLAGS_IN_TREE, 0u);
    EXPECT_EQ(rtThreadCount(), cBefore);
    EXPECT_EQ(rtThreadCountOfType(RTTHREADTYPE_TIMER), cTimerBefore + 1);
    PRTTHREADINT pFound = rtThreadGetByNative(Worker.id());
    EXPECT_EQ(pFound, pNew);
    if (pFound)
        rtThreadRelease(pFound);

    /* Removing takes it out of the tree and leaves the references alone. */
    rtThreadRemove(pNew);
    EXPECT_EQ(pNew->fIntFlags & RTTHREADINT_FLAGS_IN_TREE, 0u);
    EXPECT_EQ(rtThreadCount(), cBefore - 1);
    EXPECT_EQ(rtThreadCountOfType(RTTHREADTYPE_TIMER), cTimerBefore);
    EXPECT_EQ(rtThreadGetByNative(Worker.id()), nullptr);
    EXPECT_EQ(rtThreadRelease(pNew), 1u);
    EXPECT_EQ(rtThreadRelease(pNew), 0u);
    EXPECT_EQ(rtThreadRelease(hOld), 0u);
    Leave.open();
}

/* The last release of a record still in the tree takes it out of the tree. */
TEST_F(Thread, DestroyingARecordInTheTreeRemovesIt)
{
    RTNATIVETHREAD const FakeId = (RTNATIVETHREAD)0x7ffffff0;
    uint32_t const cBefore = rtThreadCount();
    PRTTHREADINT pThread = rtThreadAlloc(RTTHREADTYPE_GUI, 0, 0, "doomed");
    ASSERT_NE(pThread, nullptr);
    EXPECT_EQ(pThread->cRefs, 2);
    rtThreadInsert(pThread, FakeId);
    EXPECT_EQ(rtThreadCount(), cBefore + 1);
    EXPECT_EQ(rtThreadRelease(pThread), 1u);
    EXPECT_EQ(rtThreadRelease(pThread), 0u);
    EXPECT_EQ(rtThreadCount(), cBefore);
    EXPECT_EQ(rtThreadCountOfType(RTTHREADTYPE_GUI), 0u);
    EXPECT_EQ(rtThreadGetByNative(FakeId), nullptr);
}

/* Inserting many keys in order and removing them in another order keeps
 * every remaining key findable. */
TEST_F(Thread, TreeStaysSearchableThroughInsertsAndRemovals)
{
    constexpr unsigned cRecords = 200;
    PRTTHREADINT apThreads[cRecords];
    uint32_t const cBefore = rtThreadCount();
    for (unsigned i = 0; i < cRecords; i++)
    {
        apThreads[i] = rtThreadAlloc(RTTHREADTYPE_MSG_PUMP, 0, 0, "tree");
        ASSERT_NE(apThreads[i], nullptr);
        rtThreadInsert(apThreads[i], (RTNATIVETHREAD)0x70000000 + i * 4);
    }
    EXPECT_EQ(rtThreadCount(), cBefore + cRecords);
    for (unsigned i = 0; i < cRecords; i += 3)
        rtThreadRemove(apThreads[i]);
    for (unsigned i = 0; i < cRecords; i++)
    {
        PRTTHREADINT pFound = rtThreadGetByNative((RTNATIVETHREAD)0x70000000 + i * 4);
        if (i % 3 == 0)
        {
            EXPECT_EQ(pFound, nullptr) << i;
        }
        else
        {
            EXPECT_EQ(pFound, apThreads[i]) << i;
        }
        if (pFound)
            rtThreadRelease(pFound);
    }
    for (unsigned i = 0; i < cRecords; i++)
    {
        rtThreadRelease(apThreads[i]);
        rtThreadRelease(apThreads[i]);
    }
    EXPECT_EQ(rtThreadCount(), cBefore);
}

TEST_F(Thread, RetainRefusesWhatIsNotALiveRecord)
{
    /* Record-shaped memory that is not a live record. */
    RTTHREADINT Dead = {};
    Dead.u32Magic = RTTHREADINT_MAGIC_DEAD;
    Dead.cRefs = 1;
    RTTHREADINT NoRefs = {};
    NoRefs.u32Magic = RTTHREADINT_MAGIC;
    NoRefs.cRefs = 0;
    PRTTHREADINT const apBad[] = { nullptr, (PRTTHREADINT)(uintptr_t)0x10, (PRTTHREADINT)(uintptr_t)0xfff,
                                   (PRTTHREADINT)(~(uintptr_t)0 - 15), &Dead, &NoRefs };
    for (PRTTHREADINT pBad : apBad)
    {
        EXPECT_EQ(rtThreadRetain(pBad), nullptr) << pBad;
        EXPECT_EQ(RTThreadGetState(pBad), RTTHREADSTATE_INVALID) << pBad;
    }
    EXPECT_EQ(Dead.cRefs, 1);
    /* Releasing a record without references does nothing. */
    EXPECT_EQ(rtThreadRelease(&NoRefs), 0u);
    EXPECT_EQ(NoRefs.cRefs, 0);
    EXPECT_EQ(NoRefs.u32Magic, RTTHREADINT_MAGIC);

    RTTHREAD const hSelf = RTThreadSelf();
    int32_t const cRefs = hSelf->cRefs;
    EXPECT_EQ(rtThreadRetain(hSelf), hSelf);
    EXPECT_EQ(hSelf->cRefs, cRefs + 1);
    EXPECT_EQ(rtThreadRelease(hSelf), (uint32_t)cRefs);
}

/* The marks waits leave in a record, on a scratch record of our own. */
TEST_F(Thread, BlockingMarksAndWhoseStateWins)
{
    PRTTHREADINT pThread = rtThreadAlloc(RTTHREADTYPE_DEFAULT, 0, 0, "marks");
    ASSERT_NE(pThread, nullptr);
    pThread->enmState = RTTHREADSTATE_RUNNING;

    RTThreadBlocking(pThread, RTTHREADSTATE_CRITSECT, false);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_CRITSECT);
    EXPECT_FALSE(pThread->fReallySleeping);

    /* A nested wait keeps the outer kind but marks the sleep. */
    RTThreadBlocking(pThread, RTTHREADSTATE_EVENT, true);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_CRITSECT);
    EXPECT_TRUE(pThread->fReallySleeping);
    EXPECT_TRUE(RTThreadIsReallySleeping(pThread));
    EXPECT_EQ(RTThreadUnblocked(pThread, RTTHREADSTATE_EVENT), RTTHREADSTATE_CRITSECT);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_CRITSECT);
    EXPECT_FALSE(pThread->fReallySleeping);
    EXPECT_EQ(RTThreadUnblocked(pThread, RTTHREADSTATE_CRITSECT), RTTHREADSTATE_CRITSECT);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_RUNNING);

    /* Somebody else changed the state meanwhile: it is reported and kept. */
    RTThreadBlocking(pThread, RTTHREADSTATE_RW_WRITE, false);
    pThread->enmState = RTTHREADSTATE_EVENT_MULTI;
    EXPECT_EQ(RTThreadUnblocked(pThread, RTTHREADSTATE_RW_WRITE), RTTHREADSTATE_EVENT_MULTI);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_EVENT_MULTI);
    EXPECT_EQ(RTThreadGetState(pThread), RTTHREADSTATE_EVENT_MULTI);

    /* A record that is not running is not marked. */
    pThread->enmState = RTTHREADSTATE_INITIALIZING;
    RTThreadBlocking(pThread, RTTHREADSTATE_EVENT, true);
    EXPECT_EQ(pThread->enmState, (uint32_t)RTTHREADSTATE_INITIALIZING);

    RTThreadBlocking(NIL_RTTHREAD, RTTHREADSTATE_EVENT, true);
    EXPECT_EQ(RTThreadUnblocked(NIL_RTTHREAD, RTTHREADSTATE_EVENT), RTTHREADSTATE_INVALID);

    rtThreadRelease(pThread);
    rtThreadRelease(pThread);
}

TEST_F(Thread, LockCounts)
{
    EXPECT_EQ(RTLockValidatorWriteLockGetCount(NIL_RTTHREAD), 0);
    EXPECT_EQ(RTLockValidatorReadLockGetCount(NIL_RTTHREAD), 0);
    EXPECT_EQ(RTLockValidatorWriteLockGetCount(RTThreadSelf()), 0);
    EXPECT_EQ(RTLockValidatorReadLockGetCount(RTThreadSelf()), 0);

    PRTTHREADINT pThread = rtThreadAlloc(RTTHREADTYPE_DEFAULT, 0, 0, "counts");
    ASSERT_NE(pThread, nullptr);
    pThread->cWriteLocks = 3;
    pThread->cReadLocks = 5;
    EXPECT_EQ(RTLockValidatorWriteLockGetCount(pThread), 3);
    EXPECT_EQ(RTLockValidatorReadLockGetCount(pThread), 5);
    EXPECT_EQ(pThread->cRefs, 2);

    RTTHREADINT Dead = {};
    Dead.u32Magic = RTTHREADINT_MAGIC_DEAD;
    Dead.cRefs = 1;
    EXPECT_EQ(RTLockValidatorWriteLockGetCount(&Dead), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTLockValidatorReadLockGetCount(&Dead), VERR_INVALID_HANDLE);
    rtThreadRelease(pThread);
    rtThreadRelease(pThread);
}

TEST_F(Thread, SelfKeepsTheLastError)
{
    SetLastError(12345);
    EXPECT_NE(RTThreadSelf(), NIL_RTTHREAD);
    EXPECT_EQ(GetLastError(), 12345u);
    /* A thread the runtime does not know has no record and no name. */
    RTTHREAD hOther = (RTTHREAD)(uintptr_t)1;
    const char *pszOther = "x";
    TstThread Worker([&]
    {
        hOther = RTThreadSelf();
        pszOther = RTThreadSelfName();
    });
    ASSERT_TRUE(Worker.join());
    EXPECT_EQ(hOther, NIL_RTTHREAD);
    EXPECT_EQ(pszOther, nullptr);
    EXPECT_EQ(RTThreadNativeSelf(), (RTNATIVETHREAD)GetCurrentThreadId());
}

TEST_F(Thread, SleepWaitsAtLeastTheTime)
{
    LARGE_INTEGER const Start = tstQpcNow();
    EXPECT_EQ(RTThreadSleep(60), VINF_SUCCESS);
    double const dMs = tstMsSince(Start);
    EXPECT_GE(dMs, 55.0);
    EXPECT_LT(dMs, 10000.0);
}

TEST_F(Thread, ThreadLocalStorageIsPerThread)
{
    RTTLS const iTls = RTTlsAlloc();
    ASSERT_NE(iTls, NIL_RTTLS);
    int iMain = 1, iOther = 2;
    EXPECT_EQ(RTTlsGet(iTls), nullptr);
    EXPECT_EQ(RTTlsSet(iTls, &iMain), VINF_SUCCESS);
    void *pvSeenByOther = &iMain;
    void *pvOtherAfterSet = nullptr;
    TstThread Worker([&]
    {
        pvSeenByOther = RTTlsGet(iTls);
        EXPECT_EQ(RTTlsSet(iTls, &iOther), VINF_SUCCESS);
        pvOtherAfterSet = RTTlsGet(iTls);
    });
    ASSERT_TRUE(Worker.join());
    EXPECT_EQ(pvSeenByOther, nullptr);
    EXPECT_EQ(pvOtherAfterSet, &iOther);
    EXPECT_EQ(RTTlsGet(iTls), &iMain);
    EXPECT_EQ(RTTlsFree(iTls), VINF_SUCCESS);

    EXPECT_EQ(RTTlsSet(-5, &iMain), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTTlsGet(NIL_RTTLS), nullptr);
    EXPECT_EQ(RTTlsFree(NIL_RTTLS), VINF_SUCCESS);
}

} /* anonymous namespace */
