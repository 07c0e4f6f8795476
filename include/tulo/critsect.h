/* Critical sections: recursive in-process mutual exclusion on an event semaphore. */
#ifndef TULO_CRITSECT_H
#define TULO_CRITSECT_H

#include <tulo/cdefs.h>
#include <tulo/thread.h>
#include <tulo/semaphore.h>

RT_C_DECLS_BEGIN

/** A critical section; the caller owns the record. */
typedef struct RTCRITSECT
{
    /** RTCRITSECT_MAGIC while usable; the failure status after a failed initialisation. */
    uint32_t volatile       u32Magic;
    /** -1 when free, otherwise the threads that own or wait for it, minus one. */
    int32_t volatile        cLockers;
    /** The owner, NIL_RTNATIVETHREAD when none. */
    RTNATIVETHREAD volatile NativeThreadOwner;
    /** Recursion depth of the owner. */
    uint32_t volatile       cNestings;
    uint32_t                fFlags;
    /** Wakes one waiter at a time. */
    RTSEMEVENT volatile     EventSem;
    /** No lock validation is attached to critical sections. */
    void                   *pValidatorRec;
} RTCRITSECT;
typedef RTCRITSECT *PRTCRITSECT;
typedef const RTCRITSECT *PCRTCRITSECT;

#define RTCRITSECT_MAGIC      UINT32_C(0x19790326)
#define RTCRITSECT_MAGIC_DEAD UINT32_C(0xe686fcd9)

/** A second enter by the owner fails with VERR_SEM_NESTED. */
#define RTCRITSECT_FLAGS_NO_NESTING     UINT32_C(0x00000001)
#define RTCRITSECT_FLAGS_NO_LOCK_VAL    UINT32_C(0x00000002)
/** Passed on to the creation of the event semaphore. */
#define RTCRITSECT_FLAGS_BOOTSTRAP_HACK UINT32_C(0x00000004)
/** Enter, try-enter and leave succeed at once without locking. */
#define RTCRITSECT_FLAGS_NOP            UINT32_C(0x00000008)
#define RTCRITSECT_FLAGS_VALID_MASK     UINT32_C(0x0000000f)

int RTCritSectInit(PRTCRITSECT pCritSect);
/** hClass, uSubClass and the name are for lock validation, which is not attached. */
int RTCritSectInitEx(PRTCRITSECT pCritSect, uint32_t fFlags, RTLOCKVALCLASS hClass, uint32_t uSubClass,
                     const char *pszNameFmt, ...);
/** VERR_SEM_DESTROYED when the section is deleted (also while waiting). */
int RTCritSectEnter(PRTCRITSECT pCritSect);
/** VERR_SEM_BUSY when another thread owns the section. */
int RTCritSectTryEnter(PRTCRITSECT pCritSect);
/** VERR_NOT_OWNER when the caller does not own the section. */
int RTCritSectLeave(PRTCRITSECT pCritSect);
/** Wakes every waiter with VERR_SEM_DESTROYED; returns the status of
 * destroying the event semaphore. */
int RTCritSectDelete(PRTCRITSECT pCritSect);

RT_C_DECLS_END

#endif
