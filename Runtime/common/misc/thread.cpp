/*
 * Thread records: one per thread the runtime knows, found by the thread
 * itself through its thread-local slot and by anybody else through the
 * thread tree, which is keyed by the native thread identifier and guarded by
 * a read/write semaphore. Records are reference counted; the tree holds one
 * reference of every adopted record.
 */
#include <tulo/thread.h>
#include <tulo/semaphore.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

#include "common/misc/thread-internal.h"
#include "common/misc/atomic-internal.h"

/** The tree's lock; its existence means the thread subsystem is (being) set up. */
static RTSEMRW volatile g_hThreadRWSem = NIL_RTSEMRW;
static PRTTHREADINT     g_pThreadTree = nullptr;
static uint32_t volatile g_cThreadInTree = 0;
static uint32_t volatile g_acThreadTypeStats[RTTHREADTYPE_END];


/*
 * The height-balanced tree. Records are few, so plain recursion is fine.
 */

static unsigned rtThreadAvlHeight(PRTTHREADINT pNode)
{
    return pNode ? pNode->uchHeight : 0;
}

static void rtThreadAvlFixHeight(PRTTHREADINT pNode)
{
    unsigned const uLeft = rtThreadAvlHeight(pNode->pLeft);
    unsigned const uRight = rtThreadAvlHeight(pNode->pRight);
    pNode->uchHeight = (uint8_t)((uLeft > uRight ? uLeft : uRight) + 1);
}

static PRTTHREADINT rtThreadAvlRotateRight(PRTTHREADINT pNode)
{
    PRTTHREADINT const pLeft = pNode->pLeft;
    pNode->pLeft = pLeft->pRight;
    pLeft->pRight = pNode;
    rtThreadAvlFixHeight(pNode);
    rtThreadAvlFixHeight(pLeft);
    return pLeft;
}

static PRTTHREADINT rtThreadAvlRotateLeft(PRTTHREADINT pNode)
{
    PRTTHREADINT const pRight = pNode->pRight;
    pNode->pRight = pRight->pLeft;
    pRight->pLeft = pNode;
    rtThreadAvlFixHeight(pNode);
    rtThreadAvlFixHeight(pRight);
    return pRight;
}

static PRTTHREADINT rtThreadAvlBalance(PRTTHREADINT pNode)
{
    rtThreadAvlFixHeight(pNode);
    int const iBalance = (int)rtThreadAvlHeight(pNode->pLeft) - (int)rtThreadAvlHeight(pNode->pRight);
    if (iBalance > 1)
    {
        if (rtThreadAvlHeight(pNode->pLeft->pLeft) < rtThreadAvlHeight(pNode->pLeft->pRight))
            pNode->pLeft = rtThreadAvlRotateLeft(pNode->pLeft);
        return rtThreadAvlRotateRight(pNode);
    }
    if (iBalance < -1)
    {
        if (rtThreadAvlHeight(pNode->pRight->pRight) < rtThreadAvlHeight(pNode->pRight->pLeft))
            pNode->pRight = rtThreadAvlRotateRight(pNode->pRight);
        return rtThreadAvlRotateLeft(pNode);
    }
    return pNode;
}

/** Inserts pNew; refuses a key that is present (returns false). */
static PRTTHREADINT rtThreadAvlInsert(PRTTHREADINT pNode, PRTTHREADINT pNew, bool *pfInserted)
{
    if (!pNode)
    {
        pNew->pLeft = pNew->pRight = nullptr;
        pNew->uchHeight = 1;
        *pfInserted = true;
        return pNew;
    }
    if (pNew->Key == pNode->Key)
    {
        *pfInserted = false;
        return pNode;
    }
    if (pNew->Key < pNode->Key)
        pNode->pLeft = rtThreadAvlInsert(pNode->pLeft, pNew, pfInserted);
    else
        pNode->pRight = rtThreadAvlInsert(pNode->pRight, pNew, pfInserted);
    return rtThreadAvlBalance(pNode);
}

static PRTTHREADINT rtThreadAvlRemoveMin(PRTTHREADINT pNode, PRTTHREADINT *ppMin)
{
    if (!pNode->pLeft)
    {
        *ppMin = pNode;
        return pNode->pRight;
    }
    pNode->pLeft = rtThreadAvlRemoveMin(pNode->pLeft, ppMin);
    return rtThreadAvlBalance(pNode);
}

/** Removes the node with the key; *ppRemoved gets it (NULL when absent). */
static PRTTHREADINT rtThreadAvlRemove(PRTTHREADINT pNode, RTNATIVETHREAD Key, PRTTHREADINT *ppRemoved)
{
    if (!pNode)
        return nullptr;
    if (Key < pNode->Key)
        pNode->pLeft = rtThreadAvlRemove(pNode->pLeft, Key, ppRemoved);
    else if (Key > pNode->Key)
        pNode->pRight = rtThreadAvlRemove(pNode->pRight, Key, ppRemoved);
    else
    {
        *ppRemoved = pNode;
        PRTTHREADINT const pLeft = pNode->pLeft;
        PRTTHREADINT const pRight = pNode->pRight;
        pNode->pLeft = pNode->pRight = nullptr;
        pNode->uchHeight = 0;
        if (!pRight)
            return pLeft;
        PRTTHREADINT pMin = nullptr;
        PRTTHREADINT const pRest = rtThreadAvlRemoveMin(pRight, &pMin);
        pMin->pLeft = pLeft;
        pMin->pRight = pRest;
        return rtThreadAvlBalance(pMin);
    }
    return rtThreadAvlBalance(pNode);
}

static PRTTHREADINT rtThreadAvlGet(PRTTHREADINT pNode, RTNATIVETHREAD Key)
{
    while (pNode && pNode->Key != Key)
        pNode = Key < pNode->Key ? pNode->pLeft : pNode->pRight;
    return pNode;
}


/*
 * Subsystem set-up and the tree lock.
 */

int rtThreadInit(void)
{
    if (rtAtomicRead(&g_hThreadRWSem) != NIL_RTSEMRW)
        return VINF_ALREADY_INITIALIZED;

    RTSEMRW hRWSem = NIL_RTSEMRW;
    int rc = RTSemRWCreate(&hRWSem, RTSEMRW_FLAGS_NO_LOCK_VAL);
    if (RT_FAILURE(rc))
        return rc;
    /* Two racing initialisers must not both set up (and adopt) as "main". */
    if (!rtAtomicCmpXchg(&g_hThreadRWSem, hRWSem, (RTSEMRW)NIL_RTSEMRW))
    {
        RTSemRWDestroy(hRWSem);
        return VINF_ALREADY_INITIALIZED;
    }

    rc = rtThreadNativeInit();
    if (RT_SUCCESS(rc))
        rc = rtThreadAdopt(RTTHREADTYPE_DEFAULT, 0, RTTHREADINT_FLAGS_MAIN, "main");
    if (RT_SUCCESS(rc))
        return VINF_SUCCESS;

    rtAtomicWrite(&g_hThreadRWSem, (RTSEMRW)NIL_RTSEMRW);
    RTSemRWDestroy(hRWSem);
    return rc;
}

void rtThreadLockRW(void)
{
    if (rtAtomicRead(&g_hThreadRWSem) == NIL_RTSEMRW)
        rtThreadInit();
    int rc = RTSemRWRequestWrite(rtAtomicRead(&g_hThreadRWSem), RT_INDEFINITE_WAIT);
    RTTHREAD_ASSERT_FATAL_RC(rc, "RTSemRWRequestWrite ->");
}

void rtThreadUnLockRW(void)
{
    int rc = RTSemRWReleaseWrite(rtAtomicRead(&g_hThreadRWSem));
    RTTHREAD_ASSERT_FATAL_RC(rc, "RTSemRWReleaseWrite ->");
}


/*
 * Records.
 */

PRTTHREADINT rtThreadAlloc(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName)
{
    PRTTHREADINT pThread = (PRTTHREADINT)RTMemAllocZ(sizeof(*pThread));
    if (!pThread)
        return nullptr;

    pThread->u32Magic = RTTHREADINT_MAGIC;
    size_t cchName = strlen(pszName);
    if (cchName > RTTHREAD_NAME_LEN)
        cchName = RTTHREAD_NAME_LEN;
    memcpy(pThread->szName, pszName, cchName);
    pThread->szName[cchName] = '\0';
    pThread->rc = VERR_THREAD_STILL_RUNNING;
    /* One reference for the creator, one for the thread itself, and one
     * more for whoever will wait for a waitable thread. */
    pThread->cRefs = fFlags & RTTHREADFLAGS_WAITABLE ? 3 : 2;
    pThread->enmType = enmType;
    pThread->fFlags = fFlags;
    pThread->fIntFlags = fIntFlags;
    pThread->enmState = RTTHREADSTATE_INITIALIZING;
    pThread->fReallySleeping = false;
    pThread->hThread = ~(uintptr_t)0;
    pThread->LockValidator.iPending = -1;

    int rc = RTSemEventMultiCreateEx(&pThread->EventUser, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS, nullptr);
    if (RT_SUCCESS(rc))
    {
        rc = RTSemEventMultiCreateEx(&pThread->EventTerminated, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS,
                                     nullptr);
        if (RT_SUCCESS(rc))
            return pThread;
        RTSemEventMultiDestroy(pThread->EventUser);
    }
    pThread->u32Magic = RTTHREADINT_MAGIC_DEAD;
    RTMemFree(pThread);
    return nullptr;
}

int rtThreadAdopt(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName)
{
    if ((unsigned)enmType >= RTTHREADTYPE_END || !RT_VALID_PTR(pszName))
        return VERR_INVALID_PARAMETER;

    /* Nobody can wait for the end of a thread the runtime did not start. */
    PRTTHREADINT pThread = rtThreadAlloc(enmType, fFlags & ~RTTHREADFLAGS_WAITABLE, fIntFlags | RTTHREADINT_FLAGS_ALIEN,
                                         pszName);
    if (!pThread)
        return VERR_NO_MEMORY;

    int rc = rtThreadNativeAdopt(pThread);
    if (RT_FAILURE(rc))
    {
        /* Nothing else knows the record: drop both references at once. */
        rtAtomicWrite(&pThread->cRefs, (int32_t)0);
        rtThreadDestroy(pThread);
        return rc;
    }

    rtThreadInsert(pThread, RTThreadNativeSelf());
    rtAtomicWrite(&pThread->enmState, (uint32_t)RTTHREADSTATE_RUNNING);
    rtThreadRelease(pThread);
    return VINF_SUCCESS;
}

void rtThreadInsert(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread)
{
    rtThreadLockRW();
    if (rtAtomicRead(&pThread->enmState) != RTTHREADSTATE_TERMINATED)
    {
        /* A record still filed under this identifier belongs to a thread
         * that ended without the runtime noticing; the identifier has been
         * given to a new thread since. */
        PRTTHREADINT pOld = rtThreadAvlGet(g_pThreadTree, NativeThread);
        if (pOld && pOld != pThread)
        {
            uint32_t const fOldFlags = rtAtomicAndOld(&pOld->fIntFlags, ~RTTHREADINT_FLAGS_IN_TREE);
            PRTTHREADINT pRemoved = nullptr;
            g_pThreadTree = rtThreadAvlRemove(g_pThreadTree, NativeThread, &pRemoved);
            if (pRemoved)
            {
                rtAtomicDec(&g_cThreadInTree);
                rtAtomicDec(&g_acThreadTypeStats[pOld->enmType]);
            }
            if (fOldFlags & RTTHREADINT_FLAGS_ALIEN)
                rtThreadRelease(pOld);
        }

        pThread->Key = NativeThread;
        bool fInserted = false;
        g_pThreadTree = rtThreadAvlInsert(g_pThreadTree, pThread, &fInserted);
        if (!fInserted)
            rtThreadFatalAssert("fRc", __FILE__, __LINE__, __func__, "Lock problem? identifier still in the tree, status",
                                (int)VERR_INTERNAL_ERROR);
        rtAtomicOrOld(&pThread->fIntFlags, RTTHREADINT_FLAGS_IN_TREE);
        rtAtomicInc(&g_cThreadInTree);
        rtAtomicInc(&g_acThreadTypeStats[pThread->enmType]);
    }
    rtThreadUnLockRW();
}

void rtThreadRemove(PRTTHREADINT pThread)
{
    rtThreadLockRW();
    if (rtAtomicAndOld(&pThread->fIntFlags, ~RTTHREADINT_FLAGS_IN_TREE) & RTTHREADINT_FLAGS_IN_TREE)
    {
        /* Only this very record: the key may have been taken over meanwhile. */
        if (rtThreadAvlGet(g_pThreadTree, pThread->Key) == pThread)
        {
            PRTTHREADINT pRemoved = nullptr;
            g_pThreadTree = rtThreadAvlRemove(g_pThreadTree, pThread->Key, &pRemoved);
            rtAtomicDec(&g_cThreadInTree);
            rtAtomicDec(&g_acThreadTypeStats[pThread->enmType]);
        }
    }
    rtThreadUnLockRW();
}

void rtThreadDestroy(PRTTHREADINT pThread)
{
    if (rtAtomicRead(&pThread->fIntFlags) & RTTHREADINT_FLAGS_IN_TREE)
    {
        /* The tree code may release references; this one keeps the record alive meanwhile. */
        rtAtomicInc(&pThread->cRefs);
        rtThreadRemove(pThread);
        rtAtomicDec(&pThread->cRefs);
    }

    rtAtomicWrite(&pThread->u32Magic, RTTHREADINT_MAGIC_DEAD);
    pThread->Key = 0;
    RTSEMEVENTMULTI const hEvt1 = rtAtomicXchg(&pThread->EventUser, (RTSEMEVENTMULTI)NIL_RTSEMEVENTMULTI);
    RTSEMEVENTMULTI const hEvt2 = rtAtomicXchg(&pThread->EventTerminated, (RTSEMEVENTMULTI)NIL_RTSEMEVENTMULTI);
    pThread->enmType = RTTHREADTYPE_INVALID;
    RTSemEventMultiDestroy(hEvt1);
    RTSemEventMultiDestroy(hEvt2);
    rtThreadNativeDestroy(pThread);
    if (pThread->hThread != ~(uintptr_t)0)
        rtThreadNativeCloseHandle(pThread->hThread);
    RTMemFree(pThread);
}

static bool rtThreadIsLive(PRTTHREADINT pThread)
{
    return RT_VALID_PTR(pThread)
        && rtAtomicRead(&pThread->u32Magic) == RTTHREADINT_MAGIC
        && rtAtomicRead(&pThread->cRefs) > 0;
}

PRTTHREADINT rtThreadRetain(PRTTHREADINT pThread)
{
    if (!rtThreadIsLive(pThread))
        return nullptr;
    rtAtomicInc(&pThread->cRefs);
    return pThread;
}

uint32_t rtThreadRelease(PRTTHREADINT pThread)
{
    if (rtAtomicRead(&pThread->cRefs) <= 0)
        return 0;
    int32_t const cRefs = rtAtomicDec(&pThread->cRefs);
    if (cRefs == 0)
        rtThreadDestroy(pThread);
    return cRefs > 0 ? (uint32_t)cRefs : 0;
}

PRTTHREADINT rtThreadGetByNative(RTNATIVETHREAD NativeThread)
{
    rtThreadLockRW();
    PRTTHREADINT pThread = rtThreadRetain(rtThreadAvlGet(g_pThreadTree, NativeThread));
    rtThreadUnLockRW();
    return pThread;
}

uint32_t rtThreadCount(void)
{
    return rtAtomicRead(&g_cThreadInTree);
}

uint32_t rtThreadCountOfType(RTTHREADTYPE enmType)
{
    if ((unsigned)enmType >= RTTHREADTYPE_END)
        return 0;
    return rtAtomicRead(&g_acThreadTypeStats[enmType]);
}


/*
 * Public services on records.
 */

const char *RTThreadSelfName(void)
{
    PRTTHREADINT pThread = rtThreadRetain(RTThreadSelf());
    if (!pThread)
        return nullptr;
    /* The calling thread's own record cannot go away under it. */
    const char *pszName = pThread->szName;
    rtThreadRelease(pThread);
    return pszName;
}

void RTThreadBlocking(RTTHREAD hThread, RTTHREADSTATE enmState, bool fReallySleeping)
{
    if (hThread == NIL_RTTHREAD)
        return;
    /* Nested waits (a critical section waiting on its event) keep the outer kind. */
    rtAtomicCmpXchg(&hThread->enmState, (uint32_t)enmState, (uint32_t)RTTHREADSTATE_RUNNING);
    rtAtomicWrite(&hThread->fReallySleeping, fReallySleeping);
}

RTTHREADSTATE RTThreadUnblocked(RTTHREAD hThread, RTTHREADSTATE enmCurState)
{
    if (hThread == NIL_RTTHREAD)
        return RTTHREADSTATE_INVALID;
    rtAtomicWrite(&hThread->fReallySleeping, false);
    uint32_t uExpected = (uint32_t)enmCurState;
    if (__atomic_compare_exchange_n(&hThread->enmState, &uExpected, (uint32_t)RTTHREADSTATE_RUNNING, false,
                                    __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST))
        return enmCurState;
    return (RTTHREADSTATE)uExpected;
}

/** A field of the record, read while a reference keeps the record alive;
 * tDead when the handle is not a live record. a_fFence puts a full fence
 * before the read. */
template<bool a_fFence, typename T>
static T rtThreadReadField(RTTHREAD hThread, T volatile RTTHREADINT::*pmField, T tDead)
{
    PRTTHREADINT pThread = rtThreadRetain(hThread);
    if (!pThread)
        return tDead;
    if constexpr (a_fFence)
        rtAtomicFullFence();
    T const tValue = rtAtomicRead(&(pThread->*pmField));
    rtThreadRelease(pThread);
    return tValue;
}

RTTHREADSTATE RTThreadGetState(RTTHREAD hThread)
{
    return (RTTHREADSTATE)rtThreadReadField<false>(hThread, &RTTHREADINT::enmState, (uint32_t)RTTHREADSTATE_INVALID);
}

bool RTThreadIsReallySleeping(RTTHREAD hThread)
{
    return rtThreadReadField<false>(hThread, &RTTHREADINT::fReallySleeping, false);
}

int32_t RTLockValidatorWriteLockGetCount(RTTHREAD hThread)
{
    if (hThread == NIL_RTTHREAD)
        return 0;
    return rtThreadReadField<true>(hThread, &RTTHREADINT::cWriteLocks, (int32_t)VERR_INVALID_HANDLE);
}

int32_t RTLockValidatorReadLockGetCount(RTTHREAD hThread)
{
    if (hThread == NIL_RTTHREAD)
        return 0;
    return rtThreadReadField<true>(hThread, &RTTHREADINT::cReadLocks, (int32_t)VERR_INVALID_HANDLE);
}
