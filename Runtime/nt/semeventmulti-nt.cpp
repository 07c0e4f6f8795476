/*
 * Multiple-release event semaphore on a native notification event: a signal
 * releases every waiter and stays signalled until reset.
 *
 * References make destruction safe while other threads are still inside a
 * call, as for the single-release kind; the destroyer's signal releases
 * every waiter at once.
 */
#include <tulo/semaphore.h>
#include <tulo/thread.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include "nt/semwait-nt.h"
#include "common/misc/atomic-internal.h"

#define RTSEMEVENTMULTI_MAGIC UINT32_C(0x19200102)

struct RTSEMEVENTMULTIINTERNAL
{
    /** RTSEMEVENTMULTI_MAGIC while alive, one more once destroyed. */
    uint32_t volatile   u32Magic;
    int32_t volatile    cRefs;
    void               *hEvent;
};

static void rtSemEventMultiRelease(RTSEMEVENTMULTIINTERNAL *pThis)
{
    if (rtAtomicDec(&pThis->cRefs) == 0)
    {
        rtSemNtCloseEvent(pThis->hEvent);
        pThis->hEvent = nullptr;
        RTMemFree(pThis);
    }
}

static bool rtSemEventMultiIsValid(RTSEMEVENTMULTIINTERNAL *pThis)
{
    return RT_VALID_PTR(pThis) && rtAtomicRead(&pThis->u32Magic) == RTSEMEVENTMULTI_MAGIC;
}

int RTSemEventMultiCreate(PRTSEMEVENTMULTI phEventMultiSem)
{
    return RTSemEventMultiCreateEx(phEventMultiSem, 0, NIL_RTLOCKVALCLASS, nullptr);
}

int RTSemEventMultiCreateEx(PRTSEMEVENTMULTI phEventMultiSem, uint32_t fFlags, RTLOCKVALCLASS hClass,
                            const char *pszNameFmt, ...)
{
    (void)hClass;
    (void)pszNameFmt;
    if (!RT_VALID_PTR(phEventMultiSem))
        return VERR_INVALID_POINTER;
    if (fFlags & ~RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL)
        return VERR_INVALID_PARAMETER;

    RTSEMEVENTMULTIINTERNAL *pThis = (RTSEMEVENTMULTIINTERNAL *)RTMemAlloc(sizeof(*pThis));
    if (!pThis)
        return VERR_NO_MEMORY;
    pThis->u32Magic = RTSEMEVENTMULTI_MAGIC;
    pThis->cRefs = 1;
    int rc = rtSemNtCreateEvent(&pThis->hEvent, false /*fAutoReset*/);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pThis);
        return rc;
    }
    *phEventMultiSem = pThis;
    return VINF_SUCCESS;
}

int RTSemEventMultiDestroy(RTSEMEVENTMULTI hEventMultiSem)
{
    RTSEMEVENTMULTIINTERNAL *pThis = hEventMultiSem;
    if (pThis == NIL_RTSEMEVENTMULTI)
        return VINF_SUCCESS;
    if (!RT_VALID_PTR(pThis))
        return VERR_INVALID_PARAMETER;
    /* Only one destroyer may drop the creation reference. */
    if (!rtAtomicCmpXchg(&pThis->u32Magic, RTSEMEVENTMULTI_MAGIC + 1, RTSEMEVENTMULTI_MAGIC))
        return VERR_INVALID_PARAMETER;
    rtSemNtSetEvent(pThis->hEvent);
    rtSemEventMultiRelease(pThis);
    return VINF_SUCCESS;
}

int RTSemEventMultiSignal(RTSEMEVENTMULTI hEventMultiSem)
{
    RTSEMEVENTMULTIINTERNAL *pThis = hEventMultiSem;
    if (!rtSemEventMultiIsValid(pThis))
        return VERR_INVALID_PARAMETER;
    rtAtomicInc(&pThis->cRefs);
    int rc = rtSemNtSetEvent(pThis->hEvent);
    rtSemEventMultiRelease(pThis);
    return rc;
}

int RTSemEventMultiReset(RTSEMEVENTMULTI hEventMultiSem)
{
    RTSEMEVENTMULTIINTERNAL *pThis = hEventMultiSem;
    if (!rtSemEventMultiIsValid(pThis))
        return VERR_INVALID_PARAMETER;
    rtAtomicInc(&pThis->cRefs);
    int rc = rtSemNtResetEvent(pThis->hEvent);
    rtSemEventMultiRelease(pThis);
    return rc;
}

int RTSemEventMultiWaitEx(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout)
{
    RTSEMEVENTMULTIINTERNAL *pThis = hEventMultiSem;
    if (!RT_VALID_PTR(pThis))
        return VERR_INVALID_PARAMETER;
    uint32_t const u32Magic = rtAtomicRead(&pThis->u32Magic);
    if (u32Magic != RTSEMEVENTMULTI_MAGIC)
        return u32Magic == RTSEMEVENTMULTI_MAGIC + 1 ? VERR_SEM_DESTROYED : VERR_INVALID_PARAMETER;
    if (!RTSEMWAIT_FLAGS_ARE_VALID(fFlags))
        return VERR_INVALID_PARAMETER;

    rtAtomicInc(&pThis->cRefs);
    int rc = rtSemNtWait(pThis->hEvent, &pThis->u32Magic, RTSEMEVENTMULTI_MAGIC, fFlags, uTimeout,
                         RTTHREADSTATE_EVENT_MULTI);
    rtSemEventMultiRelease(pThis);
    return rc;
}

int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, RTMSINTERVAL cMillies)
{
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventMultiWaitEx(hEventMultiSem, RTSEMWAIT_FLAGS_INDEFINITE | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE, 0);
    return RTSemEventMultiWaitEx(hEventMultiSem,
                                 RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                                 cMillies);
}

int RTSemEventMultiWaitInterruptible(RTSEMEVENTMULTI hEventMultiSem, RTMSINTERVAL cMillies)
{
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventMultiWaitEx(hEventMultiSem, RTSEMWAIT_FLAGS_INDEFINITE | RTSEMWAIT_FLAGS_INTERRUPTIBLE, 0);
    return RTSemEventMultiWaitEx(hEventMultiSem,
                                 RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_INTERRUPTIBLE,
                                 cMillies);
}
