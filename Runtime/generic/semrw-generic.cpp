/*
 * Read/write semaphore, writer side: a recursive writer lock whose counters
 * are guarded by a critical section of its own. Waiting writers sleep on an
 * event semaphore that is never waited on while the section is held; a
 * release signals it once per waiting writer, so no wake-up is lost.
 */
#include <tulo/semaphore.h>
#include <tulo/critsect.h>
#include <tulo/thread.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include "common/misc/atomic-internal.h"

#define RTSEMRW_MAGIC      UINT32_C(0x19640707)
#define RTSEMRW_MAGIC_DEAD UINT32_C(0xe69bf8f8)

struct RTSEMRWINTERNAL
{
    uint32_t volatile       u32Magic;
    /** Makes the record recognisable in a memory dump. */
    uint32_t                u32Padding;
    /** Guards every field below. */
    RTCRITSECT              CritSect;
    /** No reader side exists: 0 while alive, -1 once destroyed. */
    int32_t volatile        cReaders;
    /** Recursion depth of the writer. */
    uint32_t                cWrites;
    /** Reads taken by the writer (none can be taken here). */
    uint32_t                cWriterReads;
    uint32_t                cWritesWaiting;
    RTNATIVETHREAD volatile hWriter;
    /** Signalled while nobody writes (the readers' gate). */
    RTSEMEVENTMULTI         ReadEvent;
    /** Wakes one waiting writer per signal. */
    RTSEMEVENT              WriteEvent;
    /** The read event is signalled and must be reset before the next writer owns the lock. */
    bool                    fNeedResetReadEvent;
};

static bool rtSemRWIsValid(RTSEMRWINTERNAL *pThis)
{
    return RT_VALID_PTR(pThis) && rtAtomicRead(&pThis->u32Magic) == RTSEMRW_MAGIC;
}

/** Checks the handle and enters the section that guards the counters. */
static int rtSemRWEnterSection(RTSEMRWINTERNAL *pThis)
{
    if (!rtSemRWIsValid(pThis))
        return VERR_INVALID_HANDLE;
    return RTCritSectEnter(&pThis->CritSect);
}

int RTSemRWCreate(PRTSEMRW phRWSem, uint32_t fFlags)
{
    if (!RT_VALID_PTR(phRWSem))
        return VERR_INVALID_POINTER;
    if (fFlags & ~RTSEMRW_FLAGS_NO_LOCK_VAL)
        return VERR_INVALID_PARAMETER;

    RTSEMRWINTERNAL *pThis = (RTSEMRWINTERNAL *)RTMemAllocZ(sizeof(*pThis));
    if (!pThis)
        return VERR_NO_MEMORY;

    int rc = RTSemEventCreateEx(&pThis->WriteEvent, RTSEMEVENT_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS, nullptr);
    if (RT_SUCCESS(rc))
    {
        rc = RTSemEventMultiCreateEx(&pThis->ReadEvent, RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS,
                                     nullptr);
        if (RT_SUCCESS(rc))
        {
            rc = RTCritSectInitEx(&pThis->CritSect, RTCRITSECT_FLAGS_NO_LOCK_VAL, NIL_RTLOCKVALCLASS, 0, nullptr);
            if (RT_SUCCESS(rc))
            {
                rc = RTSemEventMultiSignal(pThis->ReadEvent);
                if (RT_SUCCESS(rc))
                {
                    pThis->u32Padding = UINT32_C(0xa5a55a5a);
                    pThis->cReaders = 0;
                    pThis->cWrites = 0;
                    pThis->cWriterReads = 0;
                    pThis->cWritesWaiting = 0;
                    pThis->hWriter = NIL_RTNATIVETHREAD;
                    pThis->fNeedResetReadEvent = true;
                    rtAtomicWrite(&pThis->u32Magic, RTSEMRW_MAGIC);
                    *phRWSem = pThis;
                    return VINF_SUCCESS;
                }
                RTCritSectDelete(&pThis->CritSect);
            }
            RTSemEventMultiDestroy(pThis->ReadEvent);
        }
        RTSemEventDestroy(pThis->WriteEvent);
    }
    RTMemFree(pThis);
    return rc;
}

/* Under the section: makes the caller the writer. */
static void rtSemRWTakeWrite(RTSEMRWINTERNAL *pThis, RTNATIVETHREAD NativeThreadSelf)
{
    if (pThis->fNeedResetReadEvent)
    {
        RTSemEventMultiReset(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = false;
    }
    rtAtomicWrite(&pThis->hWriter, NativeThreadSelf);
    pThis->cWrites++;
}

int RTSemRWRequestWrite(RTSEMRW hRWSem, RTMSINTERVAL cMillies)
{
    RTSEMRWINTERNAL *pThis = hRWSem;
    int rc = rtSemRWEnterSection(pThis);
    if (RT_FAILURE(rc))
        return rc;

    RTNATIVETHREAD const NativeThreadSelf = RTThreadNativeSelf();
    RTNATIVETHREAD const hWriter = rtAtomicRead(&pThis->hWriter);
    /* Waiting writers go first, unless the caller will not wait at all. */
    if (   !pThis->cReaders
        && (   hWriter == NativeThreadSelf
            || (hWriter == NIL_RTNATIVETHREAD && (!pThis->cWritesWaiting || !cMillies))))
    {
        rtSemRWTakeWrite(pThis, NativeThreadSelf);
        RTCritSectLeave(&pThis->CritSect);
        return VINF_SUCCESS;
    }
    if (!cMillies)
    {
        RTCritSectLeave(&pThis->CritSect);
        return VERR_TIMEOUT;
    }
    pThis->cWritesWaiting++;
    RTCritSectLeave(&pThis->CritSect);

    RTTHREAD const hThreadSelf = RTThreadSelf();
    for (;;)
    {
        RTThreadBlocking(hThreadSelf, RTTHREADSTATE_RW_WRITE, false);
        rc = RTSemEventWait(pThis->WriteEvent, cMillies);
        RTThreadUnblocked(hThreadSelf, RTTHREADSTATE_RW_WRITE);
        if (RT_FAILURE(rc) && rc != VERR_TIMEOUT)
            break;
        if (rtAtomicRead(&pThis->u32Magic) != RTSEMRW_MAGIC)
        {
            rc = VERR_SEM_DESTROYED;
            break;
        }

        /* A timed-out wait still gets one look: the lock may have come free
         * just as the time ran out. */
        int rc2 = RTCritSectEnter(&pThis->CritSect);
        if (RT_FAILURE(rc2))
        {
            rc = rc2;
            break;
        }
        RTNATIVETHREAD const hWriterNow = rtAtomicRead(&pThis->hWriter);
        if (!pThis->cReaders && (hWriterNow == NIL_RTNATIVETHREAD || hWriterNow == NativeThreadSelf))
        {
            pThis->cWritesWaiting--;
            rtSemRWTakeWrite(pThis, NativeThreadSelf);
            RTCritSectLeave(&pThis->CritSect);
            return VINF_SUCCESS;
        }
        RTCritSectLeave(&pThis->CritSect);
        if (rc == VERR_TIMEOUT)
            break;
    }

    /* A destroyed semaphore may be freed already; otherwise stop counting
     * this caller as a waiting writer. */
    if (rc != VERR_SEM_DESTROYED && rtAtomicRead(&pThis->u32Magic) == RTSEMRW_MAGIC)
    {
        if (RT_SUCCESS(RTCritSectEnter(&pThis->CritSect)))
        {
            pThis->cWritesWaiting--;
            RTCritSectLeave(&pThis->CritSect);
        }
    }
    return rc;
}

int RTSemRWReleaseWrite(RTSEMRW hRWSem)
{
    RTSEMRWINTERNAL *pThis = hRWSem;
    int rc = rtSemRWEnterSection(pThis);
    if (RT_FAILURE(rc))
        return rc;
    if (rtAtomicRead(&pThis->hWriter) != RTThreadNativeSelf())
    {
        RTCritSectLeave(&pThis->CritSect);
        return VERR_NOT_OWNER;
    }
    if (--pThis->cWrites == 0)
    {
        if (pThis->cWriterReads)
        {
            pThis->cWrites++;
            RTCritSectLeave(&pThis->CritSect);
            return VERR_WRONG_ORDER;
        }
        rtAtomicWrite(&pThis->hWriter, NIL_RTNATIVETHREAD);
    }

    /* A waiting writer that finds the lock still taken (a nested release)
     * simply waits again; the final release signals once more. */
    if (pThis->cWritesWaiting)
        rc = RTSemEventSignal(pThis->WriteEvent);
    else
    {
        rc = RTSemEventMultiSignal(pThis->ReadEvent);
        pThis->fNeedResetReadEvent = true;
    }
    RTCritSectLeave(&pThis->CritSect);
    return rc;
}

int RTSemRWDestroy(RTSEMRW hRWSem)
{
    RTSEMRWINTERNAL *pThis = hRWSem;
    if (pThis == NIL_RTSEMRW)
        return VINF_SUCCESS;
    if (!rtSemRWIsValid(pThis))
        return VERR_INVALID_HANDLE;

    if (RT_FAILURE(RTCritSectTryEnter(&pThis->CritSect)))
        return VERR_SEM_BUSY;
    /* A waiting writer would touch the record after it is freed, so it
     * counts as a user as much as the writer does. */
    if (pThis->cReaders || pThis->cWrites || pThis->cWritesWaiting)
    {
        RTCritSectLeave(&pThis->CritSect);
        return VERR_SEM_BUSY;
    }

    rtAtomicWrite(&pThis->u32Magic, RTSEMRW_MAGIC_DEAD);
    pThis->cReaders = -1;
    RTSemEventMultiDestroy(pThis->ReadEvent);
    pThis->ReadEvent = NIL_RTSEMEVENTMULTI;
    RTSemEventDestroy(pThis->WriteEvent);
    pThis->WriteEvent = NIL_RTSEMEVENT;
    RTCritSectLeave(&pThis->CritSect);
    RTCritSectDelete(&pThis->CritSect);
    RTMemFree(pThis);
    return VINF_SUCCESS;
}
