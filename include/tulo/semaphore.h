/* Event semaphores, the read/write semaphore, spin and fast mutexes. */
#ifndef TULO_SEMAPHORE_H
#define TULO_SEMAPHORE_H

#include <tulo/cdefs.h>
#include <tulo/time.h>

RT_C_DECLS_BEGIN

/** A lock class for lock validation; no validator is attached in this runtime. */
typedef struct RTLOCKVALCLASSINT *RTLOCKVALCLASS;
#define NIL_RTLOCKVALCLASS ((RTLOCKVALCLASS)0)

/*
 * Wait flags of the extended waits.
 */
#define RTSEMWAIT_FLAGS_RELATIVE        UINT32_C(0x00000001)
/** The timeout is a point in time on the RTTimeNanoTS clock. */
#define RTSEMWAIT_FLAGS_ABSOLUTE        UINT32_C(0x00000002)
#define RTSEMWAIT_FLAGS_NANOSECS        UINT32_C(0x00000004)
#define RTSEMWAIT_FLAGS_MILLISECS       UINT32_C(0x00000008)
#define RTSEMWAIT_FLAGS_INDEFINITE      UINT32_C(0x00000010)
/** An alert or asynchronous procedure call ends the wait with VERR_INTERRUPTED. */
#define RTSEMWAIT_FLAGS_INTERRUPTIBLE   UINT32_C(0x00000020)
/** After an alert the wait goes on for the time left. */
#define RTSEMWAIT_FLAGS_UNINTERRUPTIBLE UINT32_C(0x00000040)
#define RTSEMWAIT_FLAGS_VALID_MASK      UINT32_C(0x0000007f)

/** Exactly one of the interruptible kinds and, unless indefinite, exactly
 * one of relative/absolute and one of the units. */
#define RTSEMWAIT_FLAGS_ARE_VALID(a_fFlags) \
    (   !((a_fFlags) & ~RTSEMWAIT_FLAGS_VALID_MASK) \
     && (   ((a_fFlags) & (RTSEMWAIT_FLAGS_INTERRUPTIBLE | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE)) == RTSEMWAIT_FLAGS_INTERRUPTIBLE \
         || ((a_fFlags) & (RTSEMWAIT_FLAGS_INTERRUPTIBLE | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE)) == RTSEMWAIT_FLAGS_UNINTERRUPTIBLE) \
     && (   ((a_fFlags) & RTSEMWAIT_FLAGS_INDEFINITE) \
         || (   (   ((a_fFlags) & (RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_ABSOLUTE)) == RTSEMWAIT_FLAGS_RELATIVE \
                 || ((a_fFlags) & (RTSEMWAIT_FLAGS_RELATIVE | RTSEMWAIT_FLAGS_ABSOLUTE)) == RTSEMWAIT_FLAGS_ABSOLUTE) \
             && (   ((a_fFlags) & (RTSEMWAIT_FLAGS_NANOSECS | RTSEMWAIT_FLAGS_MILLISECS)) == RTSEMWAIT_FLAGS_NANOSECS \
                 || ((a_fFlags) & (RTSEMWAIT_FLAGS_NANOSECS | RTSEMWAIT_FLAGS_MILLISECS)) == RTSEMWAIT_FLAGS_MILLISECS))))

/*
 * Event semaphore: a signal releases one waiter (or the next one to come).
 */
typedef struct RTSEMEVENTINTERNAL *RTSEMEVENT;
typedef RTSEMEVENT *PRTSEMEVENT;
#define NIL_RTSEMEVENT ((RTSEMEVENT)0)

/** No lock validation for this semaphore. */
#define RTSEMEVENT_FLAGS_NO_LOCK_VAL    UINT32_C(0x00000001)
/** Created while the runtime is still being set up. */
#define RTSEMEVENT_FLAGS_BOOTSTRAP_HACK UINT32_C(0x00000004)

int RTSemEventCreate(PRTSEMEVENT phEventSem);
/** The name and class are kept for lock validation only, which is not attached. */
int RTSemEventCreateEx(PRTSEMEVENT phEventSem, uint32_t fFlags, RTLOCKVALCLASS hClass, const char *pszNameFmt, ...);
int RTSemEventSignal(RTSEMEVENT hEventSem);
/** Waits cMillies milliseconds (RT_INDEFINITE_WAIT: no timeout); alerts do not end it. */
int RTSemEventWait(RTSEMEVENT hEventSem, RTMSINTERVAL cMillies);
int RTSemEventWaitEx(RTSEMEVENT hEventSem, uint32_t fFlags, uint64_t uTimeout);
/** Invalidates the semaphore; threads still waiting on it get VERR_SEM_DESTROYED.
 * NIL_RTSEMEVENT is accepted. */
int RTSemEventDestroy(RTSEMEVENT hEventSem);

/*
 * Multiple-release event semaphore: a signal releases every waiter until reset.
 */
typedef struct RTSEMEVENTMULTIINTERNAL *RTSEMEVENTMULTI;
typedef RTSEMEVENTMULTI *PRTSEMEVENTMULTI;
#define NIL_RTSEMEVENTMULTI ((RTSEMEVENTMULTI)0)

#define RTSEMEVENTMULTI_FLAGS_NO_LOCK_VAL UINT32_C(0x00000001)

int RTSemEventMultiCreate(PRTSEMEVENTMULTI phEventMultiSem);
int RTSemEventMultiCreateEx(PRTSEMEVENTMULTI phEventMultiSem, uint32_t fFlags, RTLOCKVALCLASS hClass,
                            const char *pszNameFmt, ...);
int RTSemEventMultiSignal(RTSEMEVENTMULTI hEventMultiSem);
int RTSemEventMultiReset(RTSEMEVENTMULTI hEventMultiSem);
/** Waits cMillies milliseconds (RT_INDEFINITE_WAIT: no timeout); alerts do not end it. */
int RTSemEventMultiWait(RTSEMEVENTMULTI hEventMultiSem, RTMSINTERVAL cMillies);
/** As RTSemEventMultiWait, but an alert ends the wait with VERR_INTERRUPTED. */
int RTSemEventMultiWaitInterruptible(RTSEMEVENTMULTI hEventMultiSem, RTMSINTERVAL cMillies);
int RTSemEventMultiWaitEx(RTSEMEVENTMULTI hEventMultiSem, uint32_t fFlags, uint64_t uTimeout);
/** Invalidates the semaphore and releases every waiter with VERR_SEM_DESTROYED.
 * NIL_RTSEMEVENTMULTI is accepted. */
int RTSemEventMultiDestroy(RTSEMEVENTMULTI hEventMultiSem);

/*
 * Read/write semaphore; only the writer side exists. The writer may nest.
 */
typedef struct RTSEMRWINTERNAL *RTSEMRW;
typedef RTSEMRW *PRTSEMRW;
#define NIL_RTSEMRW ((RTSEMRW)0)

#define RTSEMRW_FLAGS_NO_LOCK_VAL UINT32_C(0x00000001)

/** fFlags: 0 or RTSEMRW_FLAGS_NO_LOCK_VAL. */
int RTSemRWCreate(PRTSEMRW phRWSem, uint32_t fFlags);
/** cMillies: RT_INDEFINITE_WAIT waits for ever, 0 does not wait. */
int RTSemRWRequestWrite(RTSEMRW hRWSem, RTMSINTERVAL cMillies);
int RTSemRWReleaseWrite(RTSEMRW hRWSem);
/** VERR_SEM_BUSY while anybody writes or waits to write. NIL_RTSEMRW is accepted. */
int RTSemRWDestroy(RTSEMRW hRWSem);

/*
 * Spin mutex and fast mutex: non-recursive mutual exclusion.
 */
typedef struct RTSEMSPINMUTEXINTERNAL *RTSEMSPINMUTEX;
typedef RTSEMSPINMUTEX *PRTSEMSPINMUTEX;
#define NIL_RTSEMSPINMUTEX ((RTSEMSPINMUTEX)0)

/** Safe against interrupts in kernel mode; no effect in user mode. */
#define RTSEMSPINMUTEX_FLAGS_IRQ_SAFE UINT32_C(0x00000001)

int RTSemSpinMutexCreate(PRTSEMSPINMUTEX phSpinMtx, uint32_t fFlags);
int RTSemSpinMutexRequest(RTSEMSPINMUTEX hSpinMtx);
int RTSemSpinMutexRelease(RTSEMSPINMUTEX hSpinMtx);
/** NIL_RTSEMSPINMUTEX is accepted. */
int RTSemSpinMutexDestroy(RTSEMSPINMUTEX hSpinMtx);

typedef struct RTSEMFASTMUTEXINTERNAL *RTSEMFASTMUTEX;
typedef RTSEMFASTMUTEX *PRTSEMFASTMUTEX;
#define NIL_RTSEMFASTMUTEX ((RTSEMFASTMUTEX)0)

int RTSemFastMutexCreate(PRTSEMFASTMUTEX phFastMtx);
int RTSemFastMutexRequest(RTSEMFASTMUTEX hFastMtx);
int RTSemFastMutexRelease(RTSEMFASTMUTEX hFastMtx);
/** NIL_RTSEMFASTMUTEX is accepted. */
int RTSemFastMutexDestroy(RTSEMFASTMUTEX hFastMtx);

RT_C_DECLS_END

#endif
