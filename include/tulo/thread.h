/* Thread records, thread-local storage and the small thread services. */
#ifndef TULO_THREAD_H
#define TULO_THREAD_H

#include <tulo/cdefs.h>
#include <tulo/time.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** A thread record known to the runtime. */
typedef struct RTTHREADINT *RTTHREAD;
typedef RTTHREAD *PRTTHREAD;
#define NIL_RTTHREAD ((RTTHREAD)0)

/** The platform's thread identifier. */
typedef uintptr_t RTNATIVETHREAD;
#define NIL_RTNATIVETHREAD (~(RTNATIVETHREAD)0)

/** What a thread is doing; the blocked states name the kind of lock waited for. */
typedef enum RTTHREADSTATE
{
    RTTHREADSTATE_INVALID = 0,
    RTTHREADSTATE_INITIALIZING,     /**< 1 */
    RTTHREADSTATE_TERMINATED,       /**< 2 */
    RTTHREADSTATE_RUNNING,          /**< 3 */
    RTTHREADSTATE_CRITSECT,         /**< 4: entering a critical section */
    RTTHREADSTATE_EVENT,            /**< 5: waiting on an event semaphore */
    RTTHREADSTATE_EVENT_MULTI,      /**< 6: waiting on a multiple-release event semaphore */
    RTTHREADSTATE_FAST_MUTEX,       /**< 7 */
    RTTHREADSTATE_MUTEX,            /**< 8 */
    RTTHREADSTATE_RW_READ,          /**< 9 */
    RTTHREADSTATE_RW_WRITE,         /**< 10: waiting to write on a read/write semaphore */
    RTTHREADSTATE_SLEEP,            /**< 11 */
    RTTHREADSTATE_SPIN_MUTEX,       /**< 12 */
    RTTHREADSTATE_END
} RTTHREADSTATE;

/** Thread types; each has its own counter of threads in the thread tree. */
typedef enum RTTHREADTYPE
{
    RTTHREADTYPE_INVALID = 0,
    RTTHREADTYPE_INFREQUENT_POLLER,
    RTTHREADTYPE_MAIN_HEAVY_WORKER,
    RTTHREADTYPE_EMULATION,
    RTTHREADTYPE_DEFAULT,           /**< 4: the main thread and ordinary workers */
    RTTHREADTYPE_GUI,
    RTTHREADTYPE_MAIN_WORKER,
    RTTHREADTYPE_VRDP_IO,
    RTTHREADTYPE_DEBUGGER,
    RTTHREADTYPE_MSG_PUMP,
    RTTHREADTYPE_IO,
    RTTHREADTYPE_TIMER,
    RTTHREADTYPE_END                /**< 12 */
} RTTHREADTYPE;

/** Thread flag: another thread may wait for this one to end. */
#define RTTHREADFLAGS_WAITABLE  UINT32_C(0x00000001)

/** Longest thread name kept, without the terminator. */
#define RTTHREAD_NAME_LEN 15

/** The calling thread's record, or NIL_RTTHREAD when the runtime does not know it. */
RTTHREAD RTThreadSelf(void);
/** The calling thread's name, or NULL when the runtime does not know it. */
const char *RTThreadSelfName(void);
/** The platform's identifier of the calling thread. */
RTNATIVETHREAD RTThreadNativeSelf(void);

/** Sleeps for cMillies milliseconds; returns 0. */
int RTThreadSleep(RTMSINTERVAL cMillies);
/** Offers the processor to other threads; true when it was actually given up. */
bool RTThreadYield(void);

/** Marks hThread (NIL allowed) as blocked in enmState, when it is running. */
void RTThreadBlocking(RTTHREAD hThread, RTTHREADSTATE enmState, bool fReallySleeping);
/** Ends the mark of RTThreadBlocking; returns the state found. */
RTTHREADSTATE RTThreadUnblocked(RTTHREAD hThread, RTTHREADSTATE enmCurState);
/** The state of a thread record (RTTHREADSTATE_INVALID for a bad record). */
RTTHREADSTATE RTThreadGetState(RTTHREAD hThread);
/** Whether the thread is inside a blocking wait right now. */
bool RTThreadIsReallySleeping(RTTHREAD hThread);

/** Locks a thread holds, as counted for the logger's prefix: 0 for NIL,
 * VERR_INVALID_HANDLE for a record that is not alive. */
int32_t RTLockValidatorWriteLockGetCount(RTTHREAD hThread);
int32_t RTLockValidatorReadLockGetCount(RTTHREAD hThread);

/** A thread-local storage slot. */
typedef int RTTLS;
#define NIL_RTTLS ((RTTLS)-1)

/** Allocates a slot; NIL_RTTLS when none is left. */
RTTLS RTTlsAlloc(void);
int RTTlsFree(RTTLS iTls);
/** The calling thread's value in the slot (NULL when unset or invalid). */
void *RTTlsGet(RTTLS iTls);
int RTTlsSet(RTTLS iTls, void *pvValue);

RT_C_DECLS_END

#endif
