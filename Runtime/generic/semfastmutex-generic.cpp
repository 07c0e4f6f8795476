/*
 * Fast mutex: a non-recursive critical section in a record of its own.
 */
#include <tulo/semaphore.h>
#include <tulo/critsect.h>
#include <tulo/mem.h>
#include <tulo/err.h>

static bool rtSemFastMutexIsValid(RTSEMFASTMUTEX hFastMtx)
{
    PRTCRITSECT pCritSect = (PRTCRITSECT)hFastMtx;
    return RT_VALID_PTR(pCritSect) && pCritSect->u32Magic == RTCRITSECT_MAGIC;
}

int RTSemFastMutexCreate(PRTSEMFASTMUTEX phFastMtx)
{
    if (!RT_VALID_PTR(phFastMtx))
        return VERR_INVALID_POINTER;
    PRTCRITSECT pCritSect = (PRTCRITSECT)RTMemAlloc(sizeof(*pCritSect));
    if (!pCritSect)
        return VERR_NO_MEMORY;
    int rc = RTCritSectInitEx(pCritSect, RTCRITSECT_FLAGS_NO_NESTING, NIL_RTLOCKVALCLASS, 0, "RTSemFastMutex");
    if (RT_FAILURE(rc))
    {
        RTMemFree(pCritSect);
        return rc;
    }
    *phFastMtx = (RTSEMFASTMUTEX)pCritSect;
    return VINF_SUCCESS;
}

int RTSemFastMutexDestroy(RTSEMFASTMUTEX hFastMtx)
{
    if (hFastMtx == NIL_RTSEMFASTMUTEX)
        return VINF_SUCCESS;
    if (!rtSemFastMutexIsValid(hFastMtx))
        return VERR_INVALID_HANDLE;
    PRTCRITSECT pCritSect = (PRTCRITSECT)hFastMtx;
    int rc = RTCritSectDelete(pCritSect);
    /* A racing destroyer got there first and frees the record. */
    if (rc == VERR_SEM_DESTROYED)
        return VERR_INVALID_HANDLE;
    RTMemFree(pCritSect);
    return rc;
}

int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx)
{
    if (!RT_VALID_PTR(hFastMtx))
        return VERR_INVALID_HANDLE;
    return RTCritSectEnter((PRTCRITSECT)hFastMtx);
}

int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx)
{
    if (!RT_VALID_PTR(hFastMtx))
        return VERR_INVALID_HANDLE;
    return RTCritSectLeave((PRTCRITSECT)hFastMtx);
}
