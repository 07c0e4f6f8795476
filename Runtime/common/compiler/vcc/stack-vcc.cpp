/*
 * Run-time check failure reports for executables without the C runtime: the
 * stack protection cookie, the array range check and the exception handler's
 * frame check. Once a check fails nothing in the process can be trusted, so
 * the report goes straight to the standard error handle in small pieces and
 * the process ends at once through fail-fast; no check failure returns.
 *
 * Nothing here may itself be stack protected: this library is built without
 * the protector, and the cookie changes under no protected frame because
 * start-up code calling the initialisers is unprotected as well.
 */
#include <tulo/cdefs.h>

#include "common/compiler/vcc/stack-vcc.h"

/* The feature flag that says the fail-fast instruction is available. */
#define RTVCC_PF_FASTFAIL_AVAILABLE 23

uintptr_t __stack_chk_guard = RTVCC_STACK_GUARD_INITIAL;

decltype(&IsProcessorFeaturePresent)   g_pfnrtVccIsProcessorFeaturePresent;
decltype(&SetUnhandledExceptionFilter) g_pfnrtVccSetUnhandledExceptionFilter;
decltype(&UnhandledExceptionFilter)    g_pfnrtVccUnhandledExceptionFilter;

static uint64_t rtVccReadTsc(void)
{
    uint32_t uLo, uHi;
    __asm__ __volatile__("rdtsc" : "=a"(uLo), "=d"(uHi));
    return ((uint64_t)uHi << 32) | uLo;
}

/*
 * Runs among the first result-returning initialisers, before any static
 * constructor. The time-stamp counter XOR the cookie's address (which moves
 * with the image base) is the base; the performance counter, process and
 * thread identifiers add what a guesser would also have to know.
 */
static int rtVccStackInit(void)
{
    uint64_t u64 = rtVccReadTsc() ^ (uint64_t)(uintptr_t)&__stack_chk_guard;
    LARGE_INTEGER Perf;
    if (QueryPerformanceCounter(&Perf))
        u64 ^= (uint64_t)Perf.QuadPart << 21 | (uint64_t)Perf.QuadPart >> 43;
    u64 ^= (uint64_t)GetCurrentProcessId() << 40 ^ (uint64_t)GetCurrentThreadId() << 8;
#ifdef _WIN64
    uintptr_t uCookie = (uintptr_t)u64;
#else
    uintptr_t uCookie = (uintptr_t)(uint32_t)(u64 ^ (u64 >> 32));
#endif
    if (!uCookie || uCookie == RTVCC_STACK_GUARD_INITIAL)
        uCookie = RTVCC_STACK_GUARD_INITIAL ^ (uintptr_t)UINT32_C(0x5a5a0f0f);
    __stack_chk_guard = uCookie;

    HMODULE const hKernel32 = GetModuleHandleW(L"kernel32.dll");
    if (hKernel32)
    {
        g_pfnrtVccIsProcessorFeaturePresent = (decltype(&IsProcessorFeaturePresent))(void *)
            GetProcAddress(hKernel32, "IsProcessorFeaturePresent");
        g_pfnrtVccSetUnhandledExceptionFilter = (decltype(&SetUnhandledExceptionFilter))(void *)
            GetProcAddress(hKernel32, "SetUnhandledExceptionFilter");
        g_pfnrtVccUnhandledExceptionFilter = (decltype(&UnhandledExceptionFilter))(void *)
            GetProcAddress(hKernel32, "UnhandledExceptionFilter");
    }
    return 0;
}
__attribute__((section(".CRT$XIB"), used)) static int (* const g_pfnrtVccStackInit)(void) = rtVccStackInit;

/** One piece of a report; what was written is not looked at. */
static void rtVccWrite(const char *psz)
{
    HANDLE const hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (!hStdErr || hStdErr == INVALID_HANDLE_VALUE)
        return;
    DWORD cch = 0;
    while (psz[cch])
        cch++;
    DWORD cbIgnored;
    WriteFile(hStdErr, psz, cch, &cbIgnored, nullptr);
}

/** A pointer-sized value as exactly that many lower-case hex digits. */
static void rtVccWriteHex(uintptr_t uValue)
{
    char szHex[sizeof(uintptr_t) * 2 + 1];
    for (size_t i = sizeof(uintptr_t) * 2; i-- > 0; uValue >>= 4)
        szHex[i] = "0123456789abcdef"[uValue & 0xf];
    szHex[sizeof(uintptr_t) * 2] = '\0';
    rtVccWrite(szHex);
}

/*
 * The caller's registers as they were at the call: pvFrame is the failing
 * routine's frame address (saved frame pointer, then the return address).
 * On x86 the general registers are already the failing routine's own by the
 * time we get here, so only control and segment registers are recorded.
 */
__attribute__((noinline)) static void rtVccCaptureCallerContext(PCONTEXT pCtx, void *pvFrame, void *pvReturn)
{
    for (size_t i = 0; i < sizeof(*pCtx); i++)
        ((volatile uint8_t *)pCtx)[i] = 0;
    uintptr_t const uSp = (uintptr_t)pvFrame + 2 * sizeof(void *);
    uintptr_t const uBp = *(uintptr_t const *)pvFrame;
#ifdef _WIN64
    RtlCaptureContext(pCtx);
    pCtx->Rip = (DWORD64)(uintptr_t)pvReturn;
    pCtx->Rsp = uSp;
    pCtx->Rbp = uBp;
#else
    uint16_t uCs, uSs, uDs, uEs, uFs, uGs;
    uint32_t fEfl;
    __asm__ __volatile__("movw %%cs, %0\n\tmovw %%ss, %1\n\tmovw %%ds, %2"
                         : "=r"(uCs), "=r"(uSs), "=r"(uDs));
    __asm__ __volatile__("movw %%es, %0\n\tmovw %%fs, %1\n\tmovw %%gs, %2"
                         : "=r"(uEs), "=r"(uFs), "=r"(uGs));
    __asm__ __volatile__("pushfl\n\tpopl %0" : "=r"(fEfl));
    pCtx->SegCs = uCs;
    pCtx->SegSs = uSs;
    pCtx->SegDs = uDs;
    pCtx->SegEs = uEs;
    pCtx->SegFs = uFs;
    pCtx->SegGs = uGs;
    pCtx->EFlags = fEfl;
    pCtx->Eip = (DWORD)(uintptr_t)pvReturn;
    pCtx->Esp = (DWORD)uSp;
    pCtx->Ebp = (DWORD)uBp;
#endif
    pCtx->ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS;
}

static uintptr_t rtVccContextPc(PCONTEXT pCtx)
{
#ifdef _WIN64
    return (uintptr_t)pCtx->Rip;
#else
    return pCtx->Eip;
#endif
}

/*
 * Ends the process for a failed check. Fail-fast where the processor and
 * system offer it; otherwise let the system's error reporting see a
 * non-continuable stack buffer overrun, then terminate with that code.
 */
__attribute__((noreturn)) static void rtVccFailFast(uint32_t uCode, PCONTEXT pCtx)
{
    decltype(&IsProcessorFeaturePresent) const pfnFeature = g_pfnrtVccIsProcessorFeaturePresent;
    if (pfnFeature && pfnFeature(RTVCC_PF_FASTFAIL_AVAILABLE))
    {
        __asm__ __volatile__("int $0x29" : : "c"((uintptr_t)uCode) : "memory");
        __builtin_unreachable();
    }

    decltype(&SetUnhandledExceptionFilter) const pfnSetFilter = g_pfnrtVccSetUnhandledExceptionFilter;
    decltype(&UnhandledExceptionFilter) const pfnFilter = g_pfnrtVccUnhandledExceptionFilter;
    if (pfnSetFilter && pfnFilter)
    {
        /* Ours (or anyone's) filter must not handle this: the process is done. */
        pfnSetFilter(nullptr);
        EXCEPTION_RECORD XcptRec;
        for (size_t i = 0; i < sizeof(XcptRec); i++)
            ((volatile uint8_t *)&XcptRec)[i] = 0;
        XcptRec.ExceptionCode    = RTVCC_STATUS_STACK_BUFFER_OVERRUN;
        XcptRec.ExceptionFlags   = EXCEPTION_NONCONTINUABLE;
        XcptRec.ExceptionRecord  = nullptr;
        XcptRec.ExceptionAddress = (PVOID)rtVccContextPc(pCtx);
        XcptRec.NumberParameters = 1;
        XcptRec.ExceptionInformation[0] = uCode;
        EXCEPTION_POINTERS XcptPtrs;
        XcptPtrs.ExceptionRecord = &XcptRec;
        XcptPtrs.ContextRecord   = pCtx;
        pfnFilter(&XcptPtrs);
    }

    for (;;)
        TerminateProcess(GetCurrentProcess(), RTVCC_STATUS_STACK_BUFFER_OVERRUN);
}

__attribute__((noreturn)) static void rtVccStackCookieFailed(uintptr_t uFound, bool fFoundKnown, PCONTEXT pCtx)
{
    rtVccWrite("\r\n\r\n!!Stack cookie corruption!!\r\n\r\nexpected ");
    rtVccWriteHex(*(uintptr_t volatile *)&__stack_chk_guard);
    rtVccWrite(", found ");
    if (fFoundKnown)
        rtVccWriteHex(uFound);
    else
    {
        /* GCC's check does not pass the value it found. */
        char szUnknown[sizeof(uintptr_t) * 2 + 1];
        for (size_t i = 0; i < sizeof(uintptr_t) * 2; i++)
            szUnknown[i] = '?';
        szUnknown[sizeof(uintptr_t) * 2] = '\0';
        rtVccWrite(szUnknown);
    }
    rtVccWrite("\r\n");
    rtVccFailFast(RTVCC_FAST_FAIL_STACK_COOKIE, pCtx);
}

extern "C" __attribute__((noreturn)) void __stack_chk_fail(void)
{
    CONTEXT Ctx;
    rtVccCaptureCallerContext(&Ctx, __builtin_frame_address(0), __builtin_return_address(0));
    rtVccStackCookieFailed(0, false, &Ctx);
}

extern "C" void __security_check_cookie(uintptr_t uCookie)
{
    if (uCookie == *(uintptr_t volatile *)&__stack_chk_guard)
        return;
    CONTEXT Ctx;
    rtVccCaptureCallerContext(&Ctx, __builtin_frame_address(0), __builtin_return_address(0));
    rtVccStackCookieFailed(uCookie, true, &Ctx);
}

extern "C" __attribute__((noreturn)) void __report_rangecheckfailure(void)
{
    CONTEXT Ctx;
    rtVccCaptureCallerContext(&Ctx, __builtin_frame_address(0), __builtin_return_address(0));
    rtVccWrite("\r\n\r\n!!Range check failed at ");
    rtVccWriteHex(rtVccContextPc(&Ctx));
    rtVccWrite("!!\r\n");
    rtVccFailFast(RTVCC_FAST_FAIL_RANGE_CHECK, &Ctx);
}

extern "C" __attribute__((noreturn)) void rtVccCheckContextFailed(PCONTEXT pCtx)
{
    rtVccWrite("\r\n\r\n!!Context (stack) check failed!!\r\n\r\nPC=");
#ifdef _WIN64
    rtVccWriteHex((uintptr_t)pCtx->Rip);
    rtVccWrite(" SP=");
    rtVccWriteHex((uintptr_t)pCtx->Rsp);
    rtVccWrite(" BP=");
    rtVccWriteHex((uintptr_t)pCtx->Rbp);
#else
    rtVccWriteHex(pCtx->Eip);
    rtVccWrite(" SP=");
    rtVccWriteHex(pCtx->Esp);
    rtVccWrite(" BP=");
    rtVccWriteHex(pCtx->Ebp);
#endif
    rtVccWrite("\r\n");
    rtVccFailFast(RTVCC_FAST_FAIL_INVALID_CONTEXT, pCtx);
}
