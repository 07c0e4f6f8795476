/*
 * The monotonic nanosecond clock and the calendar time on Windows.
 *
 * The clock source is chosen once: the interrupt time (the time since boot
 * kept by the kernel, in 100 ns units) where the platform has it, the tick
 * count on systems that predate it.
 */
#include <tulo/time.h>

#include <windows.h>

#include "r3/win/time-win-internal.h"
#include "common/misc/atomic-internal.h"

typedef ULONGLONG (NTAPI *PFNRTLGETINTERRUPTTIMEPRECISE)(PULONGLONG pu64QpcTime);
typedef decltype(&GetSystemTimeAsFileTime) PFNGETSYSTEMTIMEASFILETIME;

static int32_t volatile                       g_iTimeNanoTSMethod = -1;
static PFNRTLGETINTERRUPTTIMEPRECISE volatile g_pfnRtlGetInterruptTimePrecise = nullptr;
/** 0 not looked up, 1 found, -1 missing. */
static int32_t volatile                       g_iGetSystemTimeAsFileTime = 0;
static PFNGETSYSTEMTIMEASFILETIME volatile    g_pfnGetSystemTimeAsFileTime = nullptr;

/* The interrupt time in the shared user data page. The kernel writes the
 * high part twice, around the low part, so a torn read shows as a mismatch. */
static uint64_t rtTimeWinReadInterruptTime(void)
{
    uint32_t volatile const *pu32 = (uint32_t volatile const *)(uintptr_t)0x7ffe0008;
    uint32_t u32High, u32Low;
    do
    {
        u32High = pu32[1];
        u32Low  = pu32[0];
    } while (u32High != pu32[2]);
    return ((uint64_t)u32High << 32) | u32Low;
}

static int rtTimeWinSelectMethod(void)
{
    /* NT 3.1 has no interrupt time in the shared page, the Windows 9x family
     * no shared page at all. */
    DWORD const dwVersion = GetVersion();
    bool const fWin9x = (dwVersion & UINT32_C(0x80000000)) != 0;
    bool const fOldNt = !fWin9x && LOBYTE(LOWORD(dwVersion)) == 3 && HIBYTE(LOWORD(dwVersion)) < 50;
    int iMethod = RTTIMENANOTS_METHOD_TICK_COUNT;
    if (!fWin9x && !fOldNt)
    {
        HMODULE const hModNtDll = GetModuleHandleW(L"ntdll.dll");
        PFNRTLGETINTERRUPTTIMEPRECISE const pfn = hModNtDll
            ? (PFNRTLGETINTERRUPTTIMEPRECISE)(void *)GetProcAddress(hModNtDll, "RtlGetInterruptTimePrecise")
            : nullptr;
        if (pfn)
        {
            rtAtomicWrite(&g_pfnRtlGetInterruptTimePrecise, pfn);
            iMethod = RTTIMENANOTS_METHOD_RTL_PRECISE;
        }
        else
            iMethod = RTTIMENANOTS_METHOD_INTERRUPT_TIME;
    }
    /* Racing first callers choose the same; the pointer is stored first. */
    rtAtomicWrite(&g_iTimeNanoTSMethod, (int32_t)iMethod);
    return iMethod;
}

int rtTimeNanoTSMethod(void)
{
    int32_t const iMethod = rtAtomicRead(&g_iTimeNanoTSMethod);
    return iMethod >= 0 ? iMethod : rtTimeWinSelectMethod();
}

bool rtTimeNanoTSByMethod(int iMethod, uint64_t *pu64Nano)
{
    switch (iMethod)
    {
        case RTTIMENANOTS_METHOD_TICK_COUNT:
            *pu64Nano = (uint64_t)GetTickCount() * RT_NS_1MS;
            return true;
        case RTTIMENANOTS_METHOD_INTERRUPT_TIME:
            *pu64Nano = rtTimeWinReadInterruptTime() * 100;
            return true;
        case RTTIMENANOTS_METHOD_RTL_PRECISE:
        {
            rtTimeNanoTSMethod();
            PFNRTLGETINTERRUPTTIMEPRECISE const pfn = rtAtomicRead(&g_pfnRtlGetInterruptTimePrecise);
            if (!pfn)
                return false;
            ULONGLONG u64Qpc = 0;
            *pu64Nano = (uint64_t)pfn(&u64Qpc) * 100;
            return true;
        }
        default:
            return false;
    }
}

uint64_t RTTimeNanoTS(void)
{
    uint64_t u64Nano = 0;
    rtTimeNanoTSByMethod(rtTimeNanoTSMethod(), &u64Nano);
    return u64Nano;
}

PRTTIMESPEC RTTimeNow(PRTTIMESPEC pTimeSpec)
{
    if (!RT_VALID_PTR(pTimeSpec))
        return nullptr;

    int32_t iFound = rtAtomicRead(&g_iGetSystemTimeAsFileTime);
    if (!iFound)
    {
        HMODULE const hModKernel32 = GetModuleHandleW(L"kernel32.dll");
        PFNGETSYSTEMTIMEASFILETIME const pfn = hModKernel32
            ? (PFNGETSYSTEMTIMEASFILETIME)(void *)GetProcAddress(hModKernel32, "GetSystemTimeAsFileTime")
            : nullptr;
        rtAtomicWrite(&g_pfnGetSystemTimeAsFileTime, pfn);
        iFound = pfn ? 1 : -1;
        rtAtomicWrite(&g_iGetSystemTimeAsFileTime, iFound);
    }

    FILETIME FileTime;
    if (iFound > 0)
        rtAtomicRead(&g_pfnGetSystemTimeAsFileTime)(&FileTime);
    else
    {
        SYSTEMTIME SystemTime;
        GetSystemTime(&SystemTime);
        SystemTimeToFileTime(&SystemTime, &FileTime);
    }
    /* 100 ns units since 1601; moved to 1970 before scaling so that the
     * product stays inside 64 bits. */
    uint64_t const u64Since1601 = ((uint64_t)FileTime.dwHighDateTime << 32) | FileTime.dwLowDateTime;
    int64_t const i64Since1970 = (int64_t)(u64Since1601 - UINT64_C(116444736000000000));
    return RTTimeSpecSetNano(pTimeSpec, i64Since1970 * 100);
}
