/* Run-once initialisation: a lock-free record that runs an initialiser exactly
 * once and hands its status to every caller. */
#ifndef TULO_ONCE_H
#define TULO_ONCE_H

#include <tulo/cdefs.h>
#include <tulo/err.h>
#include <tulo/list.h>
#include <tulo/semaphore.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** The initialiser; its status is what every caller of RTOnce gets. */
typedef int FNRTONCE(void *pvUser);
typedef FNRTONCE *PFNRTONCE;
/** A clean-up registered with a record; fLazyCleanUpOk says the process is
 * ending and the clean-up may leave resources to the system. */
typedef void FNRTONCECLEANUP(void *pvUser, bool fLazyCleanUpOk);
typedef FNRTONCECLEANUP *PFNRTONCECLEANUP;

/** States of RTONCE::iState. */
typedef enum RTONCESTATE
{
    RTONCESTATE_INVALID = 0,
    RTONCESTATE_UNINITIALIZED = 1,      /**< nobody has started the initialiser */
    RTONCESTATE_BUSY_NO_SEM,            /**< it runs; nobody waits */
    RTONCESTATE_BUSY_SPIN,              /**< it runs; a waiter creates the semaphore */
    RTONCESTATE_BUSY_HAVE_SEM,          /**< it runs; waiters sleep on the semaphore */
    RTONCESTATE_BUSY_SPIN_NO_SEM,       /**< it runs; no semaphore could be made, waiters spin */
    RTONCESTATE_DONE_CREATING_SEM,      /**< it finished while the semaphore was being made */
    RTONCESTATE_DONE_HAVE_SEM,          /**< it finished; waiters are being woken */
    RTONCESTATE_DONE = 16               /**< finished; rc holds its status */
} RTONCESTATE;

/** One lazily initialised facility. All fields are accessed atomically. */
typedef struct RTONCE
{
    /** What waiters sleep on; exists only while somebody waits. */
    RTSEMEVENTMULTI volatile    hEventMulti;
    /** Holders of a reference to hEventMulti. */
    int32_t volatile            cEventRefs;
    int32_t volatile            iState;
    int32_t volatile            rc;
    PFNRTONCECLEANUP volatile   pfnCleanUp;
    void * volatile             pvUser;
    RTLISTNODE                  CleanUpNode;
} RTONCE;
typedef RTONCE *PRTONCE;

#define RTONCE_INITIALIZER \
    { NIL_RTSEMEVENTMULTI, 0, RTONCESTATE_UNINITIALIZED, VERR_INTERNAL_ERROR, NULL, NULL, { NULL, NULL } }

/** Runs pfnOnce(pvUser) once for the record and returns its status to every
 * caller, then and later; a failed initialiser is not retried. pfnCleanUp
 * (optional) is registered when the initialiser succeeds. */
int RTOnce(PRTONCE pOnce, PFNRTONCE pfnOnce, PFNRTONCECLEANUP pfnCleanUp, void *pvUser);

/** Returns the record to its first state so that the next RTOnce runs the
 * initialiser again; unregisters its clean-up. Only for a record nobody is
 * using at the same time. */
void RTOnceReset(PRTONCE pOnce);

RT_C_DECLS_END

#endif
