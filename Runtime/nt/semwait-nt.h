/*
 * Native event objects for the event semaphores: the ntdll entry points,
 * resolved once at run time, and the timed, alertable wait both semaphore
 * kinds share.
 */
#ifndef TULO_SEMWAIT_NT_H
#define TULO_SEMWAIT_NT_H

#include <tulo/thread.h>

/** Creates a native event, not signalled, with full access. */
int  rtSemNtCreateEvent(void **phEvent, bool fAutoReset);
int  rtSemNtSetEvent(void *hEvent);
int  rtSemNtResetEvent(void *hEvent);
void rtSemNtCloseEvent(void *hEvent);

/**
 * Waits on a native event under the wait flags (validated by the caller).
 * The record's magic is read after every wake-up: when it no longer holds
 * u32Magic the semaphore was destroyed meanwhile and the result is
 * VERR_SEM_DESTROYED. The caller holds a reference so the handle stays open.
 */
int  rtSemNtWait(void *hEvent, uint32_t const volatile *pu32Magic, uint32_t u32Magic, uint32_t fFlags,
                 uint64_t uTimeout, RTTHREADSTATE enmState);

#endif
