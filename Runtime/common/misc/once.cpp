/*
 * Run-once initialisation without a lock: compare-and-swap on the state word
 * decides who runs the initialiser, who creates the waiters' semaphore and
 * who destroys it. The semaphore exists only while a second thread actually
 * waits, and a reference count on it keeps it alive for everyone still
 * signalling or waiting.
 */
#include <tulo/once.h>
#include <tulo/critsect.h>
#include <tulo/semaphore.h>
#include <tulo/thread.h>
#include <tulo/list.h>
#include <tulo/err.h>

#include "common/misc/atomic-internal.h"

/** Records with a registered clean-up, guarded by g_CleanUpCritSect. */
static RTLISTANCHOR g_CleanUpList;
static RTCRITSECT   g_CleanUpCritSect;
static RTONCE       g_CleanUpListOnce = RTONCE_INITIALIZER;

/* Sets up the clean-up list. Termination callbacks do not exist in this
 * runtime, so the list only records the clean-ups; none is run at exit. */
static int rtOnceInitCleanUpList(void *pvUser)
{
    (void)pvUser;
    RTListInit(&g_CleanUpList);
    return RTCritSectInit(&g_CleanUpCritSect);
}

static bool rtOnceStateIsDone(int32_t iState)
{
    return iState == RTONCESTATE_DONE || iState == RTONCESTATE_DONE_HAVE_SEM
        || iState == RTONCESTATE_DONE_CREATING_SEM;
}

/* Drops a reference to the waiters' semaphore; the last holder clears and
 * destroys it. */
static void rtOnceReleaseSem(PRTONCE pOnce, RTSEMEVENTMULTI hEventMulti)
{
    if (rtAtomicDec(&pOnce->cEventRefs) == 0)
    {
        rtAtomicCmpXchg(&pOnce->hEventMulti, (RTSEMEVENTMULTI)NIL_RTSEMEVENTMULTI, hEventMulti);
        rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE, (int32_t)RTONCESTATE_DONE_HAVE_SEM);
        RTSemEventMultiDestroy(hEventMulti);
    }
}

/* Sleeps on the semaphore for as long as the initialiser runs. */
static int rtOnceSleep(PRTONCE pOnce, RTSEMEVENTMULTI hEventMulti)
{
    int rc = VINF_SUCCESS;
    while (rtAtomicRead(&pOnce->iState) == RTONCESTATE_BUSY_HAVE_SEM)
    {
        rc = RTSemEventMultiWait(hEventMulti, RT_INDEFINITE_WAIT);
        if (RT_FAILURE(rc))
            break;
    }
    return rc;
}

/*
 * Waits for another thread's initialiser. On return *phEventMulti is the
 * semaphore this caller holds a reference to, or NIL.
 */
static int rtOnceWait(PRTONCE pOnce, RTSEMEVENTMULTI *phEventMulti)
{
    RTSEMEVENTMULTI hEventMulti = NIL_RTSEMEVENTMULTI;
    uint32_t cSpins = 0;
    int rc;
    for (;;)
    {
        rtAtomicFullFence();
        int32_t const iState = rtAtomicRead(&pOnce->iState);
        switch (iState)
        {
            case RTONCESTATE_BUSY_NO_SEM:
            {
                /* Only the winner creates the semaphore; losers look again. */
                if (!rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_BUSY_SPIN, (int32_t)RTONCESTATE_BUSY_NO_SEM))
                    continue;
                RTSEMEVENTMULTI hNew = NIL_RTSEMEVENTMULTI;
                rc = RTSemEventMultiCreate(&hNew);
                if (RT_SUCCESS(rc))
                {
                    rtAtomicWrite(&pOnce->hEventMulti, hNew);
                    rtAtomicInc(&pOnce->cEventRefs);
                    if (rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_BUSY_HAVE_SEM, (int32_t)RTONCESTATE_BUSY_SPIN))
                    {
                        hEventMulti = hNew;
                        continue;
                    }
                    /* The initialiser finished meanwhile; nobody else knows the semaphore. */
                    if (!rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE, (int32_t)RTONCESTATE_DONE_CREATING_SEM))
                    {
                        /* The caller's release of our reference disposes of the semaphore. */
                        *phEventMulti = hNew;
                        return VERR_INTERNAL_ERROR_5;
                    }
                    rtAtomicWrite(&pOnce->hEventMulti, (RTSEMEVENTMULTI)NIL_RTSEMEVENTMULTI);
                    rtAtomicDec(&pOnce->cEventRefs);
                    RTSemEventMultiDestroy(hNew);
                }
                else if (   !rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_BUSY_SPIN_NO_SEM,
                                             (int32_t)RTONCESTATE_BUSY_SPIN)
                         && !rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE,
                                             (int32_t)RTONCESTATE_DONE_CREATING_SEM))
                {
                    *phEventMulti = NIL_RTSEMEVENTMULTI;
                    return VERR_INTERNAL_ERROR_4;
                }
                continue;
            }

            case RTONCESTATE_BUSY_SPIN:
            case RTONCESTATE_BUSY_SPIN_NO_SEM:
                /* Somebody creates the semaphore, or none could be made:
                 * give up the processor, and every fourth pass sleep. */
                cSpins += 2;
                if (cSpins & 7)
                    RTThreadYield();
                else
                    RTThreadSleep(1);
                continue;

            case RTONCESTATE_BUSY_HAVE_SEM:
            {
                if (hEventMulti == NIL_RTSEMEVENTMULTI)
                {
                    /* Join only while the semaphore demonstrably lives: a
                     * count of 0 means its last holder is destroying it. */
                    bool fJoined = false;
                    for (;;)
                    {
                        int32_t const cRefs = rtAtomicRead(&pOnce->cEventRefs);
                        if (cRefs <= 0 || rtAtomicRead(&pOnce->iState) != RTONCESTATE_BUSY_HAVE_SEM)
                            break;
                        if (rtAtomicCmpXchg(&pOnce->cEventRefs, cRefs + 1, cRefs))
                        {
                            fJoined = true;
                            break;
                        }
                        rtAtomicPause();
                    }
                    if (!fJoined)
                        continue;
                    hEventMulti = rtAtomicRead(&pOnce->hEventMulti);
                    if (hEventMulti == NIL_RTSEMEVENTMULTI)
                    {
                        /* The count was raised: undo it so the semaphore is not kept for ever. */
                        rtAtomicDec(&pOnce->cEventRefs);
                        *phEventMulti = NIL_RTSEMEVENTMULTI;
                        return VERR_INTERNAL_ERROR_2;
                    }
                }
                rc = rtOnceSleep(pOnce, hEventMulti);
                if (RT_FAILURE(rc))
                {
                    *phEventMulti = hEventMulti;
                    return rc;
                }
                continue;
            }

            case RTONCESTATE_DONE_CREATING_SEM:
            case RTONCESTATE_DONE:
                *phEventMulti = hEventMulti;
                return VINF_SUCCESS;

            case RTONCESTATE_DONE_HAVE_SEM:
                if (hEventMulti != NIL_RTSEMEVENTMULTI)
                {
                    rc = rtOnceSleep(pOnce, hEventMulti);
                    if (RT_FAILURE(rc))
                    {
                        *phEventMulti = hEventMulti;
                        return rc;
                    }
                    /* The initialiser sets the final state right after this one. */
                    RTThreadYield();
                    continue;
                }
                *phEventMulti = NIL_RTSEMEVENTMULTI;
                return VINF_SUCCESS;

            default:
                *phEventMulti = hEventMulti;
                return VERR_INTERNAL_ERROR_3;
        }
    }
}

int RTOnce(PRTONCE pOnce, PFNRTONCE pfnOnce, PFNRTONCECLEANUP pfnCleanUp, void *pvUser)
{
    if (!RT_VALID_PTR(pOnce) || !RT_VALID_PTR(pfnOnce) || (pfnCleanUp && !RT_VALID_PTR(pfnCleanUp)))
        return VERR_INVALID_POINTER;

    /* The finished path: one read of the state, one of the status. */
    int32_t const iState = rtAtomicRead(&pOnce->iState);
    if (rtOnceStateIsDone(iState))
        return rtAtomicRead(&pOnce->rc);
    if (iState < RTONCESTATE_UNINITIALIZED || iState > RTONCESTATE_BUSY_SPIN_NO_SEM)
        return VERR_INTERNAL_ERROR;

    if (pfnCleanUp)
    {
        int rcList;
        if (rtOnceStateIsDone(rtAtomicRead(&g_CleanUpListOnce.iState)))
            rcList = rtAtomicRead(&g_CleanUpListOnce.rc);
        else
            rcList = RTOnce(&g_CleanUpListOnce, rtOnceInitCleanUpList, nullptr, nullptr);
        if (RT_FAILURE(rcList))
            return rcList;
    }

    if (   iState == RTONCESTATE_UNINITIALIZED
        && rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_BUSY_NO_SEM, (int32_t)RTONCESTATE_UNINITIALIZED))
    {
        /* This caller runs the initialiser, without any lock held. */
        int const rcOnce = pfnOnce(pvUser);
        rtAtomicWrite(&pOnce->rc, (int32_t)rcOnce);

        if (pfnCleanUp && RT_SUCCESS(rcOnce))
        {
            RTCritSectEnter(&g_CleanUpCritSect);
            rtAtomicWrite(&pOnce->pfnCleanUp, pfnCleanUp);
            rtAtomicWrite(&pOnce->pvUser, pvUser);
            RTListAppend(&g_CleanUpList, &pOnce->CleanUpNode);
            RTCritSectLeave(&g_CleanUpCritSect);
        }

        if (   rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE, (int32_t)RTONCESTATE_BUSY_NO_SEM)
            || rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE, (int32_t)RTONCESTATE_BUSY_SPIN_NO_SEM)
            || rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE_CREATING_SEM, (int32_t)RTONCESTATE_BUSY_SPIN))
            return rcOnce;

        if (!rtAtomicCmpXchg(&pOnce->iState, (int32_t)RTONCESTATE_DONE_HAVE_SEM, (int32_t)RTONCESTATE_BUSY_HAVE_SEM))
            return VERR_INTERNAL_ERROR_2;
        /* Waiters sleep on the semaphore; a reference of our own keeps it
         * alive until the signal is out, then the last holder destroys it. */
        rtAtomicInc(&pOnce->cEventRefs);
        rtAtomicFullFence();
        RTSEMEVENTMULTI const hEventMulti = rtAtomicRead(&pOnce->hEventMulti);
        rtAtomicWrite(&pOnce->iState, (int32_t)RTONCESTATE_DONE);
        RTSemEventMultiSignal(hEventMulti);
        rtOnceReleaseSem(pOnce, hEventMulti);
        return rcOnce;
    }

    RTSEMEVENTMULTI hEventMulti = NIL_RTSEMEVENTMULTI;
    int rc = rtOnceWait(pOnce, &hEventMulti);
    if (hEventMulti != NIL_RTSEMEVENTMULTI)
        rtOnceReleaseSem(pOnce, hEventMulti);
    if (RT_FAILURE(rc))
        return rc;
    return rtAtomicRead(&pOnce->rc);
}

void RTOnceReset(PRTONCE pOnce)
{
    if (!RT_VALID_PTR(pOnce))
        return;
    if (rtAtomicRead(&pOnce->pfnCleanUp))
    {
        RTCritSectEnter(&g_CleanUpCritSect);
        RTListNodeRemove(&pOnce->CleanUpNode);
        RTCritSectLeave(&g_CleanUpCritSect);
    }
    rtAtomicWrite(&pOnce->pfnCleanUp, (PFNRTONCECLEANUP)nullptr);
    rtAtomicWrite(&pOnce->pvUser, (void *)nullptr);
    rtAtomicWrite(&pOnce->rc, (int32_t)VERR_INTERNAL_ERROR);
    rtAtomicWrite(&pOnce->iState, (int32_t)RTONCESTATE_UNINITIALIZED);
}
