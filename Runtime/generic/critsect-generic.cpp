/*
 * Critical sections: a lockers counter decides ownership in one atomic step,
 * and an event semaphore wakes one waiter at a time. Recursive for the owner
 * unless created without nesting; not fair (a thread arriving while the
 * section is free takes it before a woken waiter).
 */
#include <tulo/critsect.h>
#include <tulo/thread.h>
#include <tulo/semaphore.h>
#include <tulo/err.h>

#include "common/misc/thread-internal.h"
#include "common/misc/atomic-internal.h"

int RTCritSectInit(PRTCRITSECT pCritSect)
{
    return RTCritSectInitEx(pCritSect, 0, NIL_RTLOCKVALCLASS, 0, "RTCritSect");
}

int RTCritSectInitEx(PRTCRITSECT pCritSect, uint32_t fFlags, RTLOCKVALCLASS hClass, uint32_t uSubClass,
                     const char *pszNameFmt, ...)
{
    (void)hClass;
    (void)uSubClass;
    (void)pszNameFmt;
    if (!RT_VALID_PTR(pCritSect))
        return VERR_INVALID_POINTER;
    if (fFlags & ~RTCRITSECT_FLAGS_VALID_MASK)
        return VERR_INVALID_PARAMETER;

    pCritSect->u32Magic = RTCRITSECT_MAGIC;
    pCritSect->fFlags = fFlags;
    pCritSect->cNestings = 0;
    pCritSect->cLockers = -1;
    pCritSect->NativeThreadOwner = NIL_RTNATIVETHREAD;
    pCritSect->pValidatorRec = nullptr;
    RTSEMEVENT hEvent = NIL_RTSEMEVENT;
    int rc = RTSemEventCreateEx(&hEvent, RTSEMEVENT_FLAGS_NO_LOCK_VAL | (fFlags & RTCRITSECT_FLAGS_BOOTSTRAP_HACK),
                                NIL_RTLOCKVALCLASS, nullptr);
    if (RT_FAILURE(rc))
    {
        /* The status in the magic makes every later enter fail. */
        pCritSect->EventSem = NIL_RTSEMEVENT;
        pCritSect->u32Magic = (uint32_t)rc;
        return rc;
    }
    rtAtomicWrite(&pCritSect->EventSem, hEvent);
    return VINF_SUCCESS;
}

/** The checks that enter, try-enter and leave start with. False when they
 * decide the call, with its status in *prc: a bad pointer, a deleted section,
 * or one that does nothing by request. */
static bool rtCritSectIsUsable(PRTCRITSECT pCritSect, int *prc)
{
    if (!RT_VALID_PTR(pCritSect))
        *prc = VERR_INVALID_POINTER;
    else if (rtAtomicRead(&pCritSect->u32Magic) != RTCRITSECT_MAGIC)
        *prc = VERR_SEM_DESTROYED;
    else if (pCritSect->fFlags & RTCRITSECT_FLAGS_NOP)
        *prc = VINF_SUCCESS;
    else
        return true;
    return false;
}

static void rtCritSectTakeOwnership(PRTCRITSECT pCritSect, RTNATIVETHREAD NativeThreadSelf)
{
    pCritSect->cNestings = 1;
    rtAtomicXchg(&pCritSect->NativeThreadOwner, NativeThreadSelf);
}

int RTCritSectEnter(PRTCRITSECT pCritSect)
{
    int rc;
    if (!rtCritSectIsUsable(pCritSect, &rc))
        return rc;

    RTNATIVETHREAD const NativeThreadSelf = RTThreadNativeSelf();
    if (rtAtomicInc(&pCritSect->cLockers) > 0)
    {
        /* Only the owner itself can make the owner field equal to it. */
        if (rtAtomicRead(&pCritSect->NativeThreadOwner) == NativeThreadSelf)
        {
            if (pCritSect->fFlags & RTCRITSECT_FLAGS_NO_NESTING)
            {
                rtAtomicDec(&pCritSect->cLockers);
                return VERR_SEM_NESTED;
            }
            pCritSect->cNestings = pCritSect->cNestings + 1;
            return VINF_SUCCESS;
        }

        /* Counted as a waiter: the leaving owner signals once for us. */
        RTTHREAD const hThreadSelf = RTThreadSelf();
        for (;;)
        {
            RTThreadBlocking(hThreadSelf, RTTHREADSTATE_CRITSECT, false);
            rc = RTSemEventWait(rtAtomicRead(&pCritSect->EventSem), RT_INDEFINITE_WAIT);
            RTThreadUnblocked(hThreadSelf, RTTHREADSTATE_CRITSECT);
            /* A destroyed event means the section was deleted, and its
             * memory may be gone already: do not look at it again. */
            if (rc == VERR_SEM_DESTROYED)
                return VERR_SEM_DESTROYED;
            if (rtAtomicRead(&pCritSect->u32Magic) != RTCRITSECT_MAGIC)
                return VERR_SEM_DESTROYED;
            if (RT_SUCCESS(rc))
                break;
        }
    }
    rtCritSectTakeOwnership(pCritSect, NativeThreadSelf);
    return VINF_SUCCESS;
}

int RTCritSectTryEnter(PRTCRITSECT pCritSect)
{
    int rc;
    if (!rtCritSectIsUsable(pCritSect, &rc))
        return rc;

    RTNATIVETHREAD const NativeThreadSelf = RTThreadNativeSelf();
    if (!rtAtomicCmpXchg(&pCritSect->cLockers, (int32_t)0, (int32_t)-1))
    {
        if (rtAtomicRead(&pCritSect->NativeThreadOwner) != NativeThreadSelf)
            return VERR_SEM_BUSY;
        if (pCritSect->fFlags & RTCRITSECT_FLAGS_NO_NESTING)
            return VERR_SEM_NESTED;
        rtAtomicInc(&pCritSect->cLockers);
        pCritSect->cNestings = pCritSect->cNestings + 1;
        return VINF_SUCCESS;
    }
    rtCritSectTakeOwnership(pCritSect, NativeThreadSelf);
    return VINF_SUCCESS;
}

int RTCritSectLeave(PRTCRITSECT pCritSect)
{
    int rc;
    if (!rtCritSectIsUsable(pCritSect, &rc))
        return rc;
    /* A leave by anybody but the owner would hand the section to a second
     * thread while the owner is still inside. */
    if (rtAtomicRead(&pCritSect->NativeThreadOwner) != RTThreadNativeSelf() || pCritSect->cNestings == 0)
        return VERR_NOT_OWNER;

    if (pCritSect->cNestings == 1)
    {
        pCritSect->cNestings = 0;
        rtAtomicXchg(&pCritSect->NativeThreadOwner, NIL_RTNATIVETHREAD);
        if (rtAtomicDec(&pCritSect->cLockers) >= 0)
        {
            rc = RTSemEventSignal(rtAtomicRead(&pCritSect->EventSem));
            if (RT_FAILURE(rc))
                rtThreadFatalAssert("RT_SUCCESS(rc)", __FILE__, __LINE__, __func__, "RTSemEventSignal ->", rc);
        }
    }
    else
    {
        pCritSect->cNestings = pCritSect->cNestings - 1;
        rtAtomicDec(&pCritSect->cLockers);
    }
    return VINF_SUCCESS;
}

int RTCritSectDelete(PRTCRITSECT pCritSect)
{
    if (!RT_VALID_PTR(pCritSect))
        return VERR_INVALID_PARAMETER;
    /* Exactly one deleter; a second one finds nothing left to do. */
    if (rtAtomicXchg(&pCritSect->u32Magic, RTCRITSECT_MAGIC_DEAD) == RTCRITSECT_MAGIC_DEAD)
        return VERR_SEM_DESTROYED;

    RTSEMEVENT const hEvent = rtAtomicXchg(&pCritSect->EventSem, (RTSEMEVENT)NIL_RTSEMEVENT);
    pCritSect->fFlags = 0;
    pCritSect->cNestings = 0;
    rtAtomicXchg(&pCritSect->NativeThreadOwner, NIL_RTNATIVETHREAD);

    /* Destroying the event, rather than signalling it once per waiter,
     * tells every waiter through the event itself, which it holds a
     * reference to; waiters never have to read the section again, so the
     * caller may free it as soon as this returns. */
    int rc = RTSemEventDestroy(hEvent);
    rtAtomicWrite(&pCritSect->cLockers, (int32_t)-1);
    return rc;
}
