/*
 * Event semaphore on a native synchronisation event: a signal releases one
 * waiter, or the next thread to wait.
 *
 * Every operation holds a reference while it uses the native handle, and
 * destruction only invalidates the record and drops the creation reference,
 * so a thread still inside a signal or wait finishes safely and the last
 * one out closes the handle and frees the record.
 */
#include <tulo/semaphore.h>
#include <tulo/thread.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include "nt/semwait-nt.h"
#include "common/misc/atomic-internal.h"

#define RTSEMEVENT_MAGIC UINT32_C(0x19601110)

struct RTSEMEVENTINTERNAL
{
    /** RTSEMEVENT_MAGIC while alive, one more once destroyed. */
    uint32_t volatile   u32Magic;
    int32_t volatile    cRefs;
    void               *hEvent;
};

static void rtSemEventRelease(RTSEMEVENTINTERNAL *pThis)
{
    if (rtAtomicDec(&pThis->cRefs) == 0)
    {
        rtSemNtCloseEvent(pThis->hEvent);
        pThis->hEvent = nullptr;
        RTMemFree(pThis);
    }
}

int RTSemEventCreate(PRTSEMEVENT phEventSem)
{
    return RTSemEventCreateEx(phEventSem, 0, NIL_RTLOCKVALCLASS, nullptr);
}

int RTSemEventCreateEx(PRTSEMEVENT phEventSem, uint32_t fFlags, RTLOCKVALCLASS hClass, const char *pszNameFmt, ...)
{
    (void)hClass;
    (void)pszNameFmt;
    if (!RT_VALID_PTR(phEventSem))
        return VERR_INVALID_POINTER;
    if (fFlags & ~(RTSEMEVENT_FLAGS_NO_LOCK_VAL | RTSEMEVENT_FLAGS_BOOTSTRAP_HACK))
        return VERR_INVALID_PARAMETER;

    RTSEMEVENTINTERNAL *pThis = (RTSEMEVENTINTERNAL *)RTMemAlloc(sizeof(*pThis));
    if (!pThis)
        return VERR_NO_MEMORY;
    pThis->u32Magic = RTSEMEVENT_MAGIC;
    pThis->cRefs = 1;
    int rc = rtSemNtCreateEvent(&pThis->hEvent, true /*fAutoReset*/);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pThis);
        return rc;
    }
    *phEventSem = pThis;
    return VINF_SUCCESS;
}

int RTSemEventDestroy(RTSEMEVENT hEventSem)
{
    RTSEMEVENTINTERNAL *pThis = hEventSem;
    if (pThis == NIL_RTSEMEVENT)
        return VINF_SUCCESS;
    if (!RT_VALID_PTR(pThis))
        return VERR_INVALID_HANDLE;
    /* Only one destroyer may drop the creation reference. */
    if (!rtAtomicCmpXchg(&pThis->u32Magic, RTSEMEVENT_MAGIC + 1, RTSEMEVENT_MAGIC))
        return VERR_INVALID_HANDLE;
    /* Wakes a waiter, which sees the changed magic and passes the wake-up on. */
    rtSemNtSetEvent(pThis->hEvent);
    rtSemEventRelease(pThis);
    return VINF_SUCCESS;
}

int RTSemEventSignal(RTSEMEVENT hEventSem)
{
    RTSEMEVENTINTERNAL *pThis = hEventSem;
    if (!RT_VALID_PTR(pThis) || rtAtomicRead(&pThis->u32Magic) != RTSEMEVENT_MAGIC)
        return VERR_INVALID_HANDLE;
    rtAtomicInc(&pThis->cRefs);
    int rc = rtSemNtSetEvent(pThis->hEvent);
    rtSemEventRelease(pThis);
    return rc;
}

int RTSemEventWaitEx(RTSEMEVENT hEventSem, uint32_t fFlags, uint64_t uTimeout)
{
    RTSEMEVENTINTERNAL *pThis = hEventSem;
    if (pThis == NIL_RTSEMEVENT)
        return VERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pThis))
        return VERR_INVALID_HANDLE;
    uint32_t const u32Magic = rtAtomicRead(&pThis->u32Magic);
    if (u32Magic != RTSEMEVENT_MAGIC)
        return u32Magic == RTSEMEVENT_MAGIC + 1 ? VERR_SEM_DESTROYED : VERR_INVALID_HANDLE;
    if (!RTSEMWAIT_FLAGS_ARE_VALID(fFlags))
        return VERR_INVALID_FLAGS;

    rtAtomicInc(&pThis->cRefs);
    int rc = rtSemNtWait(pThis->hEvent, &pThis->u32Magic, RTSEMEVENT_MAGIC, fFlags, uTimeout, RTTHREADSTATE_EVENT);
    if (rc == VERR_SEM_DESTROYED)
    {
        /* The destroyer's signal released one waiter only: pass it on so
         * that every thread still waiting learns of the destruction. */
        rtSemNtSetEvent(pThis->hEvent);
    }
    rtSemEventRelease(pThis);
    return rc;
}

int RTSemEventWait(RTSEMEVENT hEventSem, RTMSINTERVAL cMillies)
{
    if (cMillies == RT_INDEFINITE_WAIT)
        return RTSemEventWaitEx(hEventSem, RTSEMWAIT_FLAGS_INDEFINITE | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE, 0);
    return RTSemEventWaitEx(hEventSem,
                            RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_MILLISECS | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE,
                            cMillies);
}
