/*
 * Windows half of the thread records: the thread-local slot that finds the
 * calling thread's record, naming threads for debuggers, sleep and yield,
 * thread-local storage, and the fatal report of broken lock invariants.
 */
#include <tulo/thread.h>
#include <tulo/errconv.h>
#include <tulo/err.h>

#include <string.h>

#include <windows.h>

#include "common/misc/thread-internal.h"
#include "common/misc/atomic-internal.h"

/* Not declared by every SDK; exists from Windows 10 1607 on. */
typedef HRESULT (WINAPI *PFNSETTHREADDESCRIPTION)(HANDLE hThread, PCWSTR pwszDescription);
typedef decltype(&IsDebuggerPresent) PFNISDEBUGGERPRESENT;

/** The slot holding each thread's record pointer. */
static DWORD volatile                   g_iThreadSelfTls = TLS_OUT_OF_INDEXES;
static PFNSETTHREADDESCRIPTION volatile g_pfnSetThreadDescription = nullptr;
static PFNISDEBUGGERPRESENT volatile    g_pfnIsDebuggerPresent = nullptr;

/** The exception debuggers take as "this thread has a name". */
#define RTTHREADWIN_XCPT_SET_NAME 0x406d1388u


int rtThreadNativeInit(void)
{
    /* A failed earlier initialisation may have left the slot allocated. */
    if (rtAtomicRead(&g_iThreadSelfTls) == TLS_OUT_OF_INDEXES)
    {
        DWORD const iTls = TlsAlloc();
        if (iTls == TLS_OUT_OF_INDEXES)
            return VERR_NO_TLS_FOR_SELF;
        if (!rtAtomicCmpXchg(&g_iThreadSelfTls, iTls, (DWORD)TLS_OUT_OF_INDEXES))
            TlsFree(iTls);
    }

    HMODULE const hModKernel32 = GetModuleHandleW(L"kernel32.dll");
    if (hModKernel32)
    {
        rtAtomicWrite(&g_pfnSetThreadDescription,
                      (PFNSETTHREADDESCRIPTION)(void *)GetProcAddress(hModKernel32, "SetThreadDescription"));
        rtAtomicWrite(&g_pfnIsDebuggerPresent,
                      (PFNISDEBUGGERPRESENT)(void *)GetProcAddress(hModKernel32, "IsDebuggerPresent"));
    }
    return VINF_SUCCESS;
}

static LONG CALLBACK rtThreadWinNameXcptHandler(PEXCEPTION_POINTERS pXcptPtrs)
{
    if (pXcptPtrs->ExceptionRecord->ExceptionCode == RTTHREADWIN_XCPT_SET_NAME)
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}

/* Names the calling thread for an attached debugger and for the system. */
static void rtThreadWinSetName(PRTTHREADINT pThread)
{
    PFNISDEBUGGERPRESENT const pfnIsDebuggerPresent = rtAtomicRead(&g_pfnIsDebuggerPresent);
    if (pfnIsDebuggerPresent && pfnIsDebuggerPresent())
    {
        /* Without a handler of our own a debugger that passes the exception
         * on would leave it unhandled; the compiler has no __try here. */
        PVOID const pvHandler = AddVectoredExceptionHandler(1, rtThreadWinNameXcptHandler);
        if (pvHandler)
        {
            ULONG_PTR const auArgs[4] = { 0x1000, (ULONG_PTR)pThread->szName, (ULONG_PTR)GetCurrentThreadId(), 0 };
            RaiseException(RTTHREADWIN_XCPT_SET_NAME, 0, RT_ELEMENTS(auArgs), auArgs);
            RemoveVectoredExceptionHandler(pvHandler);
        }
    }

    PFNSETTHREADDESCRIPTION const pfnSetThreadDescription = rtAtomicRead(&g_pfnSetThreadDescription);
    if (pfnSetThreadDescription)
    {
        /* Names are short; widening byte by byte is all they need. */
        WCHAR wszName[sizeof(pThread->szName)];
        for (size_t i = 0; i < RT_ELEMENTS(wszName); i++)
            wszName[i] = (WCHAR)(unsigned char)pThread->szName[i];
        pfnSetThreadDescription(GetCurrentThread(), wszName);
    }
}

int rtThreadNativeAdopt(PRTTHREADINT pThread)
{
    DWORD const iTls = rtAtomicRead(&g_iThreadSelfTls);
    if (iTls == TLS_OUT_OF_INDEXES || !TlsSetValue(iTls, pThread))
        return VERR_FAILED_TO_SET_SELF_TLS;
    rtThreadWinSetName(pThread);
    return VINF_SUCCESS;
}

void rtThreadNativeDestroy(PRTTHREADINT pThread)
{
    DWORD const iTls = rtAtomicRead(&g_iThreadSelfTls);
    if (iTls != TLS_OUT_OF_INDEXES && TlsGetValue(iTls) == pThread)
        TlsSetValue(iTls, nullptr);
}

void rtThreadNativeCloseHandle(uintptr_t hThread)
{
    if (hThread)
        CloseHandle((HANDLE)hThread);
}

RTTHREAD RTThreadSelf(void)
{
    DWORD const iTls = rtAtomicRead(&g_iThreadSelfTls);
    if (iTls == TLS_OUT_OF_INDEXES)
        return NIL_RTTHREAD;
    /* The lookup must not disturb the caller's last error: waits run it
     * between a failing call and the caller's GetLastError. */
    DWORD const dwErr = GetLastError();
    RTTHREAD const hSelf = (RTTHREAD)TlsGetValue(iTls);
    SetLastError(dwErr);
    return hSelf;
}

RTNATIVETHREAD RTThreadNativeSelf(void)
{
    return (RTNATIVETHREAD)GetCurrentThreadId();
}

int RTThreadSleep(RTMSINTERVAL cMillies)
{
    Sleep(cMillies);
    return VINF_SUCCESS;
}

bool RTThreadYield(void)
{
    /* Sleep(0) says nothing about whether another thread ran; the time
     * stamp counter shows whether the call took longer than a bare return. */
    uint64_t const u64Start = __builtin_ia32_rdtsc();
    Sleep(0);
    uint64_t const u64Elapsed = __builtin_ia32_rdtsc() - u64Start;
    return u64Elapsed > 1500 || (u64Elapsed >> 32) != 0;
}


/*
 * Thread-local storage.
 */

RTTLS RTTlsAlloc(void)
{
    DWORD const iTls = TlsAlloc();
    /* Slot numbers fit an int; a slot that would not is as good as none. */
    if (iTls == TLS_OUT_OF_INDEXES || iTls > (DWORD)INT32_MAX)
        return NIL_RTTLS;
    return (RTTLS)iTls;
}

int RTTlsFree(RTTLS iTls)
{
    if (iTls == NIL_RTTLS)
        return VINF_SUCCESS;
    if (iTls < 0)
        return VERR_INVALID_PARAMETER;
    if (!TlsFree((DWORD)iTls))
        return RTErrConvertFromWin32(GetLastError());
    return VINF_SUCCESS;
}

void *RTTlsGet(RTTLS iTls)
{
    if (iTls < 0)
        return nullptr;
    return TlsGetValue((DWORD)iTls);
}

int RTTlsSet(RTTLS iTls, void *pvValue)
{
    if (iTls < 0)
        return VERR_INVALID_PARAMETER;
    if (!TlsSetValue((DWORD)iTls, pvValue))
        return RTErrConvertFromWin32(GetLastError());
    return VINF_SUCCESS;
}


/*
 * Fatal reports.
 */

static size_t rtThreadWinAppend(char *pszBuf, size_t off, size_t cbBuf, const char *psz)
{
    if (!RT_VALID_PTR(psz))
        psz = "<none>";
    size_t cch = strlen(psz);
    if (cch > cbBuf - 1 - off)
        cch = cbBuf - 1 - off;
    memcpy(&pszBuf[off], psz, cch);
    return off + cch;
}

static size_t rtThreadWinAppendInt(char *pszBuf, size_t off, size_t cbBuf, int iValue)
{
    char szNum[16];
    char *psz = &szNum[sizeof(szNum) - 1];
    *psz = '\0';
    uint32_t u = iValue < 0 ? 0u - (uint32_t)iValue : (uint32_t)iValue;
    do
    {
        *--psz = (char)('0' + u % 10);
        u /= 10;
    } while (u);
    if (iValue < 0)
        *--psz = '-';
    return rtThreadWinAppend(pszBuf, off, cbBuf, psz);
}

void rtThreadFatalAssert(const char *pszExpr, const char *pszFile, unsigned uLine, const char *pszFunction,
                         const char *pszMsg, int rc)
{
    /* Formatted by hand: the report must not depend on the locks or the
     * heap of the code whose invariant just broke. */
    char szBuf[1024];
    size_t off = 0;
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), "\n!!Assertion Failed!!\nExpression: ");
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), pszExpr);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), "\nLocation  : ");
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), pszFile);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), "(");
    off = rtThreadWinAppendInt(szBuf, off, sizeof(szBuf), (int)uLine);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), ") ");
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), pszFunction);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), "\n");
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), pszMsg);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), " ");
    off = rtThreadWinAppendInt(szBuf, off, sizeof(szBuf), rc);
    off = rtThreadWinAppend(szBuf, off, sizeof(szBuf), "\n");

    HANDLE const hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (hStdErr && hStdErr != INVALID_HANDLE_VALUE)
    {
        DWORD cbWritten = 0;
        WriteFile(hStdErr, szBuf, (DWORD)off, &cbWritten, nullptr);
    }
    for (;;)
    {
        __asm__ __volatile__("int3");
        TerminateProcess(GetCurrentProcess(), 0xC0000420 /* STATUS_ASSERTION_FAILURE */);
    }
}
