/*
 * The Windows stages of runtime initialisation: the core libraries, the
 * platform version, the process-wide settings the runtime insists on and the
 * optional entry points.
 */
#include "internal-r3-win.h"
#include "../init.h"
#include "../../common/ldr/ldr-internal.h"
#include "../../common/misc/assert-internal.h"

#include <tulo/ldr.h>
#include <tulo/err.h>

#include <windows.h>
#include <string.h>

HMODULE              g_hModKernel32 = nullptr;
HMODULE              g_hModNtDll    = nullptr;
RTL_OSVERSIONINFOEXW g_WinOsInfoEx;
RTWINOSTYPE          g_enmWinVer    = RTWINOSTYPE_UNKNOWN;

decltype(&IsDebuggerPresent)            g_pfnIsDebuggerPresent            = nullptr;
decltype(&IsProcessorFeaturePresent)    g_pfnIsProcessorFeaturePresent    = nullptr;
decltype(&GetCurrentThreadStackLimits)  g_pfnGetCurrentThreadStackLimits  = nullptr;
decltype(&SetUnhandledExceptionFilter)  g_pfnSetUnhandledExceptionFilter  = nullptr;
decltype(&UnhandledExceptionFilter)     g_pfnUnhandledExceptionFilter     = nullptr;

/* Kept for runtime services that look for them; nothing here calls them. */
decltype(&SystemTimeToTzSpecificLocalTime)  g_pfnSystemTimeToTzSpecificLocalTime = nullptr;
decltype(&CreateWaitableTimerExW)           g_pfnCreateWaitableTimerExW          = nullptr;
decltype(&GetHandleInformation)             g_pfnGetHandleInformation            = nullptr;
decltype(&SetHandleInformation)             g_pfnSetHandleInformation            = nullptr;
decltype(&GetSystemTimeAsFileTime)          g_pfnGetSystemTimeAsFileTime         = nullptr;
decltype(&GetProcessAffinityMask)           g_pfnGetProcessAffinityMask          = nullptr;
decltype(&SetThreadAffinityMask)            g_pfnSetThreadAffinityMask           = nullptr;
decltype(&CreateIoCompletionPort)           g_pfnCreateIoCompletionPort          = nullptr;
decltype(&GetQueuedCompletionStatus)        g_pfnGetQueuedCompletionStatus       = nullptr;
decltype(&PostQueuedCompletionStatus)       g_pfnPostQueuedCompletionStatus      = nullptr;
void *g_pfnNtQueryFullAttributesFile = nullptr;
void *g_pfnNtDuplicateToken          = nullptr;
void *g_pfnNtAlertThread             = nullptr;

HMODULE g_hModWinSock  = nullptr;
bool    g_fOldWinSock  = false;

/** The socket entry points besides the two above, in lookup order. */
static const char * const g_apszWinSockNames[] =
{
    "WSAStartup", "WSACleanup", "WSACreateEvent", "WSACloseEvent", "WSASetEvent", "WSAEventSelect",
    "WSAEnumNetworkEvents", "WSASocketW", "WSASend", "socket", "closesocket", "recv", "send", "recvfrom",
    "sendto", "bind", "listen", "accept", "connect", "shutdown", "getsockopt", "setsockopt", "ioctlsocket",
    "getpeername", "getsockname", "__WSAFDIsSet", "select", "gethostbyname",
};
void *g_apfnWinSock[RT_ELEMENTS(g_apszWinSockNames)];

/** The filter ours replaced, called for every exception that reaches ours. */
static LPTOP_LEVEL_EXCEPTION_FILTER volatile g_pfnPrevUnhandledXcptFilter = nullptr;

typedef NTSTATUS (NTAPI *PFNRTLGETVERSION)(PRTL_OSVERSIONINFOW pVersionInfo);
typedef BOOLEAN  (NTAPI *PFNRTLGETNTPRODUCTTYPE)(int *penmProductType);


uint32_t rtR3InitNativeProcessId(void)
{
    return GetCurrentProcessId();
}

static void rtR3WinInitVersion(void)
{
    memset(&g_WinOsInfoEx, 0, sizeof(g_WinOsInfoEx));
    g_WinOsInfoEx.dwOSVersionInfoSize = sizeof(g_WinOsInfoEx);

    /* RtlGetVersion tells the truth; GetVersionExW lies to programs without a
     * compatibility manifest. */
    PFNRTLGETVERSION const pfnRtlGetVersion = rtR3WinGetProc<PFNRTLGETVERSION>(g_hModNtDll, "RtlGetVersion");
    if (pfnRtlGetVersion && pfnRtlGetVersion((PRTL_OSVERSIONINFOW)&g_WinOsInfoEx) >= 0)
        return;

    decltype(&GetVersionExW) const pfnGetVersionExW = rtR3WinGetProc<decltype(&GetVersionExW)>(g_hModKernel32,
                                                                                              "GetVersionExW");
    memset(&g_WinOsInfoEx, 0, sizeof(g_WinOsInfoEx));
    g_WinOsInfoEx.dwOSVersionInfoSize = sizeof(g_WinOsInfoEx);
    if (pfnGetVersionExW && pfnGetVersionExW((LPOSVERSIONINFOW)&g_WinOsInfoEx))
        return;

    memset(&g_WinOsInfoEx, 0, sizeof(g_WinOsInfoEx));
    g_WinOsInfoEx.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (!pfnGetVersionExW || !pfnGetVersionExW((LPOSVERSIONINFOW)&g_WinOsInfoEx))
    {
        DWORD const uVer = GetVersion();
        g_WinOsInfoEx.dwMajorVersion = uVer & 0xff;
        g_WinOsInfoEx.dwMinorVersion = (uVer >> 8) & 0xff;
        g_WinOsInfoEx.dwBuildNumber  = uVer & UINT32_C(0x80000000) ? 511 : uVer >> 16;
        g_WinOsInfoEx.dwPlatformId   = VER_PLATFORM_WIN32_NT;
    }

    /* The basic record has no product type; ask for it separately. */
    g_WinOsInfoEx.dwOSVersionInfoSize = sizeof(g_WinOsInfoEx);
    int enmProductType = 0;
    PFNRTLGETNTPRODUCTTYPE const pfnRtlGetNtProductType =
        rtR3WinGetProc<PFNRTLGETNTPRODUCTTYPE>(g_hModNtDll, "RtlGetNtProductType");
    if (pfnRtlGetNtProductType && pfnRtlGetNtProductType(&enmProductType))
        g_WinOsInfoEx.wProductType = (BYTE)enmProductType;
    else
        g_WinOsInfoEx.wProductType = VER_NT_WORKSTATION;
}

/* Passes every exception on: to the filter ours replaced, or back to the
 * system's default handling. There is no logger to report to. */
static LONG WINAPI rtR3WinUnhandledXcptFilter(PEXCEPTION_POINTERS pXcptPtrs)
{
    LPTOP_LEVEL_EXCEPTION_FILTER const pfnPrev = g_pfnPrevUnhandledXcptFilter;
    if (pfnPrev)
        return pfnPrev(pXcptPtrs);
    return EXCEPTION_CONTINUE_SEARCH;
}

LPTOP_LEVEL_EXCEPTION_FILTER rtR3WinGetOwnUnhandledXcptFilter(void)
{
    return rtR3WinUnhandledXcptFilter;
}

int rtR3InitNativeObtrusive(uint32_t fFlags)
{
    int rc = VINF_SUCCESS;

    /* No critical-error or open-file boxes: the runtime reports failures itself. */
    UINT const fOldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    SetErrorMode(fOldMode | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);

    /* The current directory leaves the library search: a planted DLL there must not load. */
    decltype(&SetDllDirectoryW) const pfnSetDllDirectoryW =
        rtR3WinGetProc<decltype(&SetDllDirectoryW)>(g_hModKernel32, "SetDllDirectoryW");
    if (pfnSetDllDirectoryW && !pfnSetDllDirectoryW(L""))
        rc = VERR_INTERNAL_ERROR_3;

    if (g_enmWinVer >= RTWINOSTYPE_W2K8 || (fFlags & RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM))
    {
        decltype(&SetDefaultDllDirectories) const pfnSetDefaultDllDirectories =
            rtR3WinGetProc<decltype(&SetDefaultDllDirectories)>(g_hModKernel32, "SetDefaultDllDirectories");
        if (pfnSetDefaultDllDirectories)
        {
            DWORD const fDirs = fFlags & RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM
                              ? LOAD_LIBRARY_SEARCH_SYSTEM32
                              : LOAD_LIBRARY_SEARCH_SYSTEM32 | LOAD_LIBRARY_SEARCH_APPLICATION_DIR;
            if (!pfnSetDefaultDllDirectories(fDirs) && RT_SUCCESS(rc))
                rc = VERR_INTERNAL_ERROR_4;
        }
    }

    g_pfnGetCurrentThreadStackLimits =
        rtR3WinGetProc<decltype(&GetCurrentThreadStackLimits)>(g_hModKernel32, "GetCurrentThreadStackLimits");
    g_pfnSetUnhandledExceptionFilter =
        rtR3WinGetProc<decltype(&SetUnhandledExceptionFilter)>(g_hModKernel32, "SetUnhandledExceptionFilter");
    g_pfnUnhandledExceptionFilter =
        rtR3WinGetProc<decltype(&UnhandledExceptionFilter)>(g_hModKernel32, "UnhandledExceptionFilter");
    if (g_pfnSetUnhandledExceptionFilter && !g_pfnPrevUnhandledXcptFilter)
    {
        LPTOP_LEVEL_EXCEPTION_FILTER const pfnPrev = g_pfnSetUnhandledExceptionFilter(rtR3WinUnhandledXcptFilter);
        /* Installing twice must not make ours call itself. */
        g_pfnPrevUnhandledXcptFilter = pfnPrev != rtR3WinUnhandledXcptFilter ? pfnPrev : nullptr;
    }
    return rc;
}

static void rtR3WinInitOptionalEntryPoints(void)
{
    HMODULE const hK32 = g_hModKernel32;
    g_pfnIsDebuggerPresent         = rtR3WinGetProc<decltype(&IsDebuggerPresent)>(hK32, "IsDebuggerPresent");
    g_pfnIsProcessorFeaturePresent = rtR3WinGetProc<decltype(&IsProcessorFeaturePresent)>(hK32,
                                                                                         "IsProcessorFeaturePresent");
    g_pfnSystemTimeToTzSpecificLocalTime =
        rtR3WinGetProc<decltype(&SystemTimeToTzSpecificLocalTime)>(hK32, "SystemTimeToTzSpecificLocalTime");
    g_pfnCreateWaitableTimerExW    = rtR3WinGetProc<decltype(&CreateWaitableTimerExW)>(hK32, "CreateWaitableTimerExW");
    g_pfnGetHandleInformation      = rtR3WinGetProc<decltype(&GetHandleInformation)>(hK32, "GetHandleInformation");
    g_pfnSetHandleInformation      = rtR3WinGetProc<decltype(&SetHandleInformation)>(hK32, "SetHandleInformation");
    g_pfnGetSystemTimeAsFileTime   = rtR3WinGetProc<decltype(&GetSystemTimeAsFileTime)>(hK32, "GetSystemTimeAsFileTime");
    g_pfnGetProcessAffinityMask    = rtR3WinGetProc<decltype(&GetProcessAffinityMask)>(hK32, "GetProcessAffinityMask");
    g_pfnSetThreadAffinityMask     = rtR3WinGetProc<decltype(&SetThreadAffinityMask)>(hK32, "SetThreadAffinityMask");
    g_pfnCreateIoCompletionPort    = rtR3WinGetProc<decltype(&CreateIoCompletionPort)>(hK32, "CreateIoCompletionPort");
    g_pfnGetQueuedCompletionStatus = rtR3WinGetProc<decltype(&GetQueuedCompletionStatus)>(hK32,
                                                                                         "GetQueuedCompletionStatus");
    g_pfnPostQueuedCompletionStatus = rtR3WinGetProc<decltype(&PostQueuedCompletionStatus)>(hK32,
                                                                                          "PostQueuedCompletionStatus");
    g_pfnNtQueryFullAttributesFile = rtR3WinGetProc<void *>(g_hModNtDll, "NtQueryFullAttributesFile");
    g_pfnNtDuplicateToken          = rtR3WinGetProc<void *>(g_hModNtDll, "NtDuplicateToken");
    g_pfnNtAlertThread             = rtR3WinGetProc<void *>(g_hModNtDll, "NtAlertThread");
}

/* The socket library comes from the system directory like every library the
 * runtime loads; the old one stands in where the new one is missing. */
static void rtR3WinInitWinSock(void)
{
    HMODULE hMod = GetModuleHandleW(L"ws2_32.dll");
    if (!hMod)
    {
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        int rc = RTLdrLoadSystem("ws2_32.dll", true /*fNoUnloadable*/, &hLdrMod);
        if (RT_FAILURE(rc))
        {
            rc = RTLdrLoadSystem("wsock32.dll", true /*fNoUnloadable*/, &hLdrMod);
            g_fOldWinSock = RT_SUCCESS(rc);
        }
        if (RT_FAILURE(rc))
            return;
        hMod = (HMODULE)hLdrMod->hNative;
        /* The record goes, the library stays: it was loaded never to be unloaded. */
        RTLdrClose(hLdrMod);
    }
    g_hModWinSock = hMod;
    /* The assertion reports save and restore the socket error through these. */
    g_pfnrtWSAGetLastError = rtR3WinGetProc<PFNRTWSAGETLASTERROR>(hMod, "WSAGetLastError");
    g_pfnrtWSASetLastError = rtR3WinGetProc<PFNRTWSASETLASTERROR>(hMod, "WSASetLastError");
    for (size_t i = 0; i < RT_ELEMENTS(g_apszWinSockNames); i++)
        g_apfnWinSock[i] = rtR3WinGetProc<void *>(hMod, g_apszWinSockNames[i]);
}

int rtR3InitNativeFirst(uint32_t fFlags)
{
    g_hModKernel32 = GetModuleHandleW(L"kernel32.dll");
    g_hModNtDll    = GetModuleHandleW(L"ntdll.dll");
    if (!g_hModKernel32 || !g_hModNtDll)
        return VERR_INTERNAL_ERROR_2;

    rtR3WinInitVersion();
    g_enmWinVer = rtR3WinClassifyVersion(g_WinOsInfoEx.dwPlatformId, g_WinOsInfoEx.dwMajorVersion,
                                         g_WinOsInfoEx.dwMinorVersion, g_WinOsInfoEx.dwBuildNumber,
                                         g_WinOsInfoEx.wProductType);

    int rc = VINF_SUCCESS;
    if (!(fFlags & RTR3INIT_FLAGS_UNOBTRUSIVE))
        rc = rtR3InitNativeObtrusive(fFlags);

    rtR3WinInitOptionalEntryPoints();
    rtR3WinInitWinSock();
    return rc;
}

int rtR3InitNativeFinal(uint32_t fFlags)
{
    (void)fFlags;
    return VINF_SUCCESS;
}
