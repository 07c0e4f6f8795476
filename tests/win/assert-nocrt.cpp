/*
 * A program of the launcher's kind, linked without the C runtime and built
 * with the stack protector, that fails run-time checks and assertions on
 * purpose. The first argument selects what it does:
 *
 *   guard         exit 0 when start-up replaced the stack cookie, 1 if not
 *   smash         overrun a local buffer so that its cookie check fails
 *   smash-nofastfail   the same, with neither fail-fast nor the filters
 *   smash-filter  the same, without fail-fast but with the filter functions
 *   cookie-ok     check the right cookie value: returns, exit 0
 *   cookie-bit    check the cookie with its lowest bit flipped
 *   range         report a failed range check
 *   context       report a damaged exception frame with known registers
 *   assert        fail an assertion, then print "continued" and exit 0
 *                 when the error state survived (3 when it did not)
 *   assert-null   report an assertion without expression and file
 *
 * The smash and cookie modes first set the cookie to a known value so that
 * the report can be matched exactly. An unhandled exception ends the
 * process with the exception code, as the runtime's own filter would.
 */
#include <windows.h>

#include <tulo/assert.h>

#include "common/compiler/vcc/stack-vcc.h"

#define TST_KNOWN_COOKIE ((uintptr_t)UINT64_C(0x0123456789abcdef))

static void out(const char *psz)
{
    DWORD cb;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), psz, lstrlenA(psz), &cb, nullptr);
}

static LONG WINAPI tstUnhandled(EXCEPTION_POINTERS *pXcpt)
{
    TerminateProcess(GetCurrentProcess(), pXcpt->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

/* Writes cbOver bytes past the end of a local array; the compiler cannot see
 * the overrun, so the function is protected and its check fails at return. */
__attribute__((noinline)) static void tstSmash(size_t cbOver)
{
    char ab[16];
    char *pb = ab;
    __asm__ __volatile__("" : "+r"(pb));
    for (size_t i = 0; i < sizeof(ab) + cbOver; i++)
        pb[i] = (char)0xa5;
    __asm__ __volatile__("" : : "r"(pb) : "memory");
}

static bool strEq(const char *psz1, const char *psz2)
{
    return lstrcmpA(psz1, psz2) == 0;
}

/* Changes the cookie under it, so it must not be protected itself. */
__attribute__((no_stack_protector)) int main(int argc, char **argv)
{
    if (argc != 2)
    {
        out("usage: assert-nocrt <mode>\n");
        return 2;
    }
    const char *pszMode = argv[1];
    SetUnhandledExceptionFilter(tstUnhandled);

    if (strEq(pszMode, "guard"))
        return __stack_chk_guard != RTVCC_STACK_GUARD_INITIAL && __stack_chk_guard != 0 ? 0 : 1;

    if (strEq(pszMode, "smash") || strEq(pszMode, "smash-nofastfail") || strEq(pszMode, "smash-filter"))
    {
        if (!strEq(pszMode, "smash"))
            g_pfnrtVccIsProcessorFeaturePresent = nullptr;
        if (strEq(pszMode, "smash-nofastfail"))
        {
            g_pfnrtVccSetUnhandledExceptionFilter = nullptr;
            g_pfnrtVccUnhandledExceptionFilter = nullptr;
        }
        __stack_chk_guard = TST_KNOWN_COOKIE;
        tstSmash(64);
        out("returned from a smashed frame\n");
        return 10;
    }
    if (strEq(pszMode, "cookie-ok") || strEq(pszMode, "cookie-bit"))
    {
        __stack_chk_guard = TST_KNOWN_COOKIE;
        __security_check_cookie(strEq(pszMode, "cookie-ok") ? TST_KNOWN_COOKIE : TST_KNOWN_COOKIE ^ 1);
        return strEq(pszMode, "cookie-ok") ? 0 : 11;
    }
    if (strEq(pszMode, "range"))
        __report_rangecheckfailure();
    if (strEq(pszMode, "context"))
    {
        CONTEXT Ctx;
        RtlZeroMemory(&Ctx, sizeof(Ctx));
        Ctx.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER | CONTEXT_SEGMENTS;
#ifdef _WIN64
        Ctx.Rip = UINT64_C(0x00007ff612345678);
        Ctx.Rsp = UINT64_C(0x000000000012ff00);
        Ctx.Rbp = UINT64_C(0x000000000012ff40);
#else
        Ctx.Eip = 0x00401234;
        Ctx.Esp = 0x0012ff00;
        Ctx.Ebp = 0x0012ff40;
#endif
        rtVccCheckContextFailed(&Ctx);
    }
    if (strEq(pszMode, "assert"))
    {
        int volatile cItems = 3;
        SetLastError(0x2a2a);
        AssertReleaseMsg(cItems == 4, ("cItems=%d\n", (int)cItems));
        DWORD const uErr = GetLastError();
        out("continued\n");
        return uErr == 0x2a2a ? 0 : 3;
    }
    if (strEq(pszMode, "assert-null"))
    {
        g_fAssertMayPanic = false;
        RTAssertMsg1(nullptr, 99, nullptr, "tstFn");
        /* The buffer keeps the engine's rendering, standard error the placeholder. */
        return lstrcmpA(g_szAssertMsg1, "\n!!Assertion Failed!!\nExpression: <NULL>\nLocation  : <NULL>(99) tstFn\n")
               == 0 ? 0 : 4;
    }
    out("unknown mode\n");
    return 2;
}
