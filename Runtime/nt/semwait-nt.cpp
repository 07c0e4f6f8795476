/*
 * Native events through ntdll, and the timed wait of the event semaphores.
 *
 * The entry points are looked up at run time rather than imported: the
 * import libraries do not declare all of them, and the runtime must not
 * depend on its own run-once machinery, which is built on these events.
 */
#include <tulo/semaphore.h>
#include <tulo/thread.h>
#include <tulo/time.h>
#include <tulo/errconv.h>
#include <tulo/err.h>

#include <windows.h>
#include <winternl.h>

#include "nt/semwait-nt.h"
#include "common/misc/atomic-internal.h"

namespace {

/* The native event kinds (the EVENT_TYPE of the native API). */
enum RTNTEVENTTYPE { kRtNtNotificationEvent = 0, kRtNtSynchronizationEvent = 1 };

typedef NTSTATUS (NTAPI *PFNNTCREATEEVENT)(PHANDLE phEvent, ACCESS_MASK fDesiredAccess, POBJECT_ATTRIBUTES pObjAttr,
                                           RTNTEVENTTYPE enmType, BOOLEAN fInitialState);
typedef NTSTATUS (NTAPI *PFNNTSETEVENT)(HANDLE hEvent, PLONG plPreviousState);
typedef NTSTATUS (NTAPI *PFNNTRESETEVENT)(HANDLE hEvent, PLONG plPreviousState);
typedef decltype(&NtWaitForSingleObject) PFNNTWAITFORSINGLEOBJECT;
typedef decltype(&NtClose) PFNNTCLOSE;

constexpr ACCESS_MASK RTNT_EVENT_ALL_ACCESS   = 0x1f0003;
constexpr NTSTATUS    RTNT_STATUS_WAIT_0      = 0x00000000;
constexpr NTSTATUS    RTNT_STATUS_ABANDONED_0 = 0x00000080;
constexpr NTSTATUS    RTNT_STATUS_USER_APC    = 0x000000c0;
constexpr NTSTATUS    RTNT_STATUS_ALERTED     = 0x00000101;
constexpr NTSTATUS    RTNT_STATUS_TIMEOUT     = 0x00000102;

PFNNTCREATEEVENT volatile          g_pfnNtCreateEvent = nullptr;
PFNNTSETEVENT volatile             g_pfnNtSetEvent = nullptr;
PFNNTRESETEVENT volatile           g_pfnNtResetEvent = nullptr;
PFNNTWAITFORSINGLEOBJECT volatile  g_pfnNtWaitForSingleObject = nullptr;
PFNNTCLOSE volatile                g_pfnNtClose = nullptr;
/** 0 not looked up, 1 all present, -1 something missing. */
int32_t volatile                   g_iNtResolved = 0;

/* Threads that race here store the same values; the flag is written last. */
bool rtSemNtResolve(void)
{
    int32_t const iResolved = rtAtomicRead(&g_iNtResolved);
    if (iResolved)
        return iResolved > 0;

    HMODULE const hModNtDll = GetModuleHandleW(L"ntdll.dll");
    if (hModNtDll)
    {
        rtAtomicWrite(&g_pfnNtCreateEvent, (PFNNTCREATEEVENT)(void *)GetProcAddress(hModNtDll, "NtCreateEvent"));
        rtAtomicWrite(&g_pfnNtSetEvent, (PFNNTSETEVENT)(void *)GetProcAddress(hModNtDll, "NtSetEvent"));
        rtAtomicWrite(&g_pfnNtResetEvent, (PFNNTRESETEVENT)(void *)GetProcAddress(hModNtDll, "NtResetEvent"));
        rtAtomicWrite(&g_pfnNtWaitForSingleObject,
                      (PFNNTWAITFORSINGLEOBJECT)(void *)GetProcAddress(hModNtDll, "NtWaitForSingleObject"));
        rtAtomicWrite(&g_pfnNtClose, (PFNNTCLOSE)(void *)GetProcAddress(hModNtDll, "NtClose"));
    }
    bool const fOk = g_pfnNtCreateEvent && g_pfnNtSetEvent && g_pfnNtResetEvent && g_pfnNtWaitForSingleObject
                  && g_pfnNtClose;
    rtAtomicWrite(&g_iNtResolved, fOk ? (int32_t)1 : (int32_t)-1);
    return fOk;
}

} /* anonymous namespace */


int rtSemNtCreateEvent(void **phEvent, bool fAutoReset)
{
    *phEvent = nullptr;
    if (!rtSemNtResolve())
        return VERR_NOT_SUPPORTED;
    HANDLE hEvent = nullptr;
    NTSTATUS const rcNt = g_pfnNtCreateEvent(&hEvent, RTNT_EVENT_ALL_ACCESS, nullptr,
                                             fAutoReset ? kRtNtSynchronizationEvent : kRtNtNotificationEvent, FALSE);
    if (rcNt < 0)
        return RTErrConvertFromNtStatus(rcNt);
    *phEvent = hEvent;
    return VINF_SUCCESS;
}

/* Handles only exist after a successful create, so the entry points are there. */
int rtSemNtSetEvent(void *hEvent)
{
    NTSTATUS const rcNt = g_pfnNtSetEvent((HANDLE)hEvent, nullptr);
    return rcNt < 0 ? RTErrConvertFromNtStatus(rcNt) : VINF_SUCCESS;
}

int rtSemNtResetEvent(void *hEvent)
{
    NTSTATUS const rcNt = g_pfnNtResetEvent((HANDLE)hEvent, nullptr);
    return rcNt < 0 ? RTErrConvertFromNtStatus(rcNt) : VINF_SUCCESS;
}

void rtSemNtCloseEvent(void *hEvent)
{
    g_pfnNtClose((HANDLE)hEvent);
}

int rtSemNtWait(void *hEvent, uint32_t const volatile *pu32Magic, uint32_t u32Magic, uint32_t fFlags,
                uint64_t uTimeout, RTTHREADSTATE enmState)
{
    /* The time left in nanoseconds; none when indefinite. */
    bool fIndefinite = (fFlags & RTSEMWAIT_FLAGS_INDEFINITE) != 0;
    uint64_t cNsLeft = 0;
    if (!fIndefinite)
    {
        if (fFlags & RTSEMWAIT_FLAGS_MILLISECS)
        {
            if (uTimeout >= UINT64_MAX / RT_NS_1MS)
                fIndefinite = true;
            else
                cNsLeft = uTimeout * RT_NS_1MS;
        }
        else if (uTimeout == UINT64_MAX)
            fIndefinite = true;
        else
            cNsLeft = uTimeout;
    }
    uint64_t u64Start = 0;
    if (!fIndefinite && (fFlags & (RTSEMWAIT_FLAGS_ABSOLUTE | RTSEMWAIT_FLAGS_UNINTERRUPTIBLE)))
    {
        u64Start = RTTimeNanoTS();
        if (fFlags & RTSEMWAIT_FLAGS_ABSOLUTE)
            cNsLeft = cNsLeft > u64Start ? cNsLeft - u64Start : 0;
    }

    RTTHREAD const hThreadSelf = RTThreadSelf();
    int rc;
    for (;;)
    {
        /* Negative means relative to now, in 100 ns units. */
        LARGE_INTEGER Timeout;
        Timeout.QuadPart = -(LONGLONG)(cNsLeft / 100);

        RTThreadBlocking(hThreadSelf, enmState, true);
        NTSTATUS const rcNt = g_pfnNtWaitForSingleObject((HANDLE)hEvent, TRUE, fIndefinite ? nullptr : &Timeout);
        RTThreadUnblocked(hThreadSelf, enmState);

        if (rtAtomicRead(pu32Magic) != u32Magic)
        {
            rc = VERR_SEM_DESTROYED;
            break;
        }
        if (rcNt == RTNT_STATUS_WAIT_0)
            rc = VINF_SUCCESS;
        else if (rcNt == RTNT_STATUS_ABANDONED_0)
            rc = VERR_SEM_OWNER_DIED;
        else if (rcNt == RTNT_STATUS_TIMEOUT)
            rc = VERR_TIMEOUT;
        else if (rcNt == RTNT_STATUS_USER_APC || rcNt == RTNT_STATUS_ALERTED)
        {
            if (!(fFlags & RTSEMWAIT_FLAGS_UNINTERRUPTIBLE))
                rc = VERR_INTERRUPTED;
            else
            {
                /* The alert was served; wait on for what is left of the time. */
                if (!fIndefinite && cNsLeft)
                {
                    uint64_t const u64Now = RTTimeNanoTS();
                    uint64_t const cNsElapsed = u64Now - u64Start;
                    cNsLeft = cNsLeft > cNsElapsed ? cNsLeft - cNsElapsed : 0;
                    u64Start = u64Now;
                }
                continue;
            }
        }
        else
            rc = VERR_INTERNAL_ERROR_4;
        break;
    }
    return rc;
}
