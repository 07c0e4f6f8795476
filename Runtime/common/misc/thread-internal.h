/*
 * Thread records and the thread tree, shared by the portable thread code and
 * its platform half.
 */
#ifndef TULO_THREAD_INTERNAL_H
#define TULO_THREAD_INTERNAL_H

#include <tulo/thread.h>
#include <tulo/semaphore.h>

RT_C_DECLS_BEGIN

#define RTTHREADINT_MAGIC      UINT32_C(0x18740529)
#define RTTHREADINT_MAGIC_DEAD UINT32_C(0x19360614)

/** Internal flags. */
#define RTTHREADINT_FLAGS_ALIEN     UINT32_C(0x00000001)   /**< adopted, not created by the runtime */
#define RTTHREADINT_FLAGS_IN_TREE   UINT32_C(0x00000004)
#define RTTHREADINT_FLAGS_MAIN      UINT32_C(0x00000008)

/** Per-thread lock validator data; no validator is attached, the index
 * only says that no record is pending. */
typedef struct RTLOCKVALPERTHREAD
{
    int32_t volatile iPending;
} RTLOCKVALPERTHREAD;

typedef struct RTTHREADINT
{
    /* Membership in the thread tree (height-balanced, keyed by the native identifier). */
    RTNATIVETHREAD          Key;
    struct RTTHREADINT     *pLeft;
    struct RTTHREADINT     *pRight;
    uint8_t                 uchHeight;

    uint32_t volatile       u32Magic;
    int32_t volatile        cRefs;
    /** RTTHREADSTATE, changed atomically so other threads can read it. */
    uint32_t volatile       enmState;
    bool volatile           fReallySleeping;
    /** The platform handle; (uintptr_t)-1 when the runtime holds none. */
    uintptr_t               hThread;
    RTSEMEVENTMULTI         EventUser;
    RTSEMEVENTMULTI         EventTerminated;
    RTTHREADTYPE            enmType;
    uint32_t                fFlags;
    uint32_t volatile       fIntFlags;
    int32_t                 rc;
    RTLOCKVALPERTHREAD      LockValidator;
    int32_t volatile        cWriteLocks;
    int32_t volatile        cReadLocks;
    char                    szName[RTTHREAD_NAME_LEN + 1];
} RTTHREADINT;
typedef RTTHREADINT *PRTTHREADINT;

/* Portable thread code (common/misc/thread.cpp). */
int             rtThreadInit(void);
int             rtThreadAdopt(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName);
PRTTHREADINT    rtThreadAlloc(RTTHREADTYPE enmType, uint32_t fFlags, uint32_t fIntFlags, const char *pszName);
void            rtThreadInsert(PRTTHREADINT pThread, RTNATIVETHREAD NativeThread);
void            rtThreadRemove(PRTTHREADINT pThread);
void            rtThreadDestroy(PRTTHREADINT pThread);
PRTTHREADINT    rtThreadRetain(PRTTHREADINT pThread);
uint32_t        rtThreadRelease(PRTTHREADINT pThread);
/** The live record of a native thread, retained; NULL when none. */
PRTTHREADINT    rtThreadGetByNative(RTNATIVETHREAD NativeThread);
void            rtThreadLockRW(void);
void            rtThreadUnLockRW(void);
/** Threads in the tree, in all and of one type. */
uint32_t        rtThreadCount(void);
uint32_t        rtThreadCountOfType(RTTHREADTYPE enmType);

/* Platform half (r3/win/thread-win.cpp). */
int             rtThreadNativeInit(void);
/** Stores pThread in the calling thread's slot and names the thread for debuggers. */
int             rtThreadNativeAdopt(PRTTHREADINT pThread);
/** Clears the calling thread's slot when it points at pThread. */
void            rtThreadNativeDestroy(PRTTHREADINT pThread);
/** Closes the platform handle of a record. */
void            rtThreadNativeCloseHandle(uintptr_t hThread);

/** Reports a broken invariant of the locking code and stops the process:
 * these states are programming errors, never the result of input. */
#ifdef __GNUC__
__attribute__((noreturn))
#endif
void rtThreadFatalAssert(const char *pszExpr, const char *pszFile, unsigned uLine, const char *pszFunction,
                         const char *pszMsg, int rc);

#define RTTHREAD_ASSERT_FATAL_RC(a_rc, a_pszMsg) \
    do { \
        int const rcAssert_ = (a_rc); \
        if (rcAssert_ < 0) \
            rtThreadFatalAssert("RT_SUCCESS_NP(rc)", __FILE__, __LINE__, __func__, (a_pszMsg), rcAssert_); \
    } while (0)

RT_C_DECLS_END

#endif
