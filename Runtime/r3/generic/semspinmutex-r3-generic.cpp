/*
 * Spin mutex in user mode: a non-recursive critical section in a record of
 * its own. Interrupt safety only matters in kernel mode, so its flag is
 * accepted and has no effect.
 */
#include <tulo/semaphore.h>
#include <tulo/critsect.h>
#include <tulo/mem.h>
#include <tulo/err.h>

static bool rtSemSpinMutexIsValid(RTSEMSPINMUTEX hSpinMtx)
{
    PRTCRITSECT pCritSect = (PRTCRITSECT)hSpinMtx;
    return RT_VALID_PTR(pCritSect) && pCritSect->u32Magic == RTCRITSECT_MAGIC;
}

int RTSemSpinMutexCreate(PRTSEMSPINMUTEX phSpinMtx, uint32_t fFlags)
{
    if (!RT_VALID_PTR(phSpinMtx))
        return VERR_INVALID_POINTER;
    if (fFlags & ~RTSEMSPINMUTEX_FLAGS_IRQ_SAFE)
        return VERR_INVALID_PARAMETER;
    PRTCRITSECT pCritSect = (PRTCRITSECT)RTMemAlloc(sizeof(*pCritSect));
    if (!pCritSect)
        return VERR_NO_MEMORY;
    int rc = RTCritSectInitEx(pCritSect, RTCRITSECT_FLAGS_NO_NESTING | RTCRITSECT_FLAGS_NO_LOCK_VAL,
                              NIL_RTLOCKVALCLASS, 0, "RTSemSpinMutex");
    if (RT_FAILURE(rc))
    {
        RTMemFree(pCritSect);
        return rc;
    }
    *phSpinMtx = (RTSEMSPINMUTEX)pCritSect;
    return VINF_SUCCESS;
}

int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx)
{
    if (hSpinMtx == NIL_RTSEMSPINMUTEX)
        return VINF_SUCCESS;
    if (!rtSemSpinMutexIsValid(hSpinMtx))
        return VERR_INVALID_HANDLE;
    PRTCRITSECT pCritSect = (PRTCRITSECT)hSpinMtx;
    int rc = RTCritSectDelete(pCritSect);
    /* A racing destroyer got there first and frees the record. */
    if (rc == VERR_SEM_DESTROYED)
        return VERR_INVALID_HANDLE;
    RTMemFree(pCritSect);
    return rc;
}

int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx)
{
    if (!RT_VALID_PTR(hSpinMtx))
        return VERR_INVALID_HANDLE;
    return RTCritSectEnter((PRTCRITSECT)hSpinMtx);
}

int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx)
{
    if (!RT_VALID_PTR(hSpinMtx))
        return VERR_INVALID_HANDLE;
    return RTCritSectLeave((PRTCRITSECT)hSpinMtx);
}
