/*
 * Static initialiser and terminator tables, process exit and the raw error
 * output of the start-up code, for executables without the C runtime.
 *
 * The tables are sections the GNU linker merges and sorts by name into .CRT:
 * each table is bracketed by a sentinel in its "A" and "Z" sub-section, and
 * everything the compiler or our code puts between them runs in address
 * order. The compiler's own static constructors live in .ctors, behind
 * __CTOR_LIST__ (a -1 sentinel, the entries, a 0 end mark); they run as
 * plain initialisers. Static destructors are registered through atexit.
 */
#include "nocrt-internal.h"

#include <tulo/format.h>

#include <windows.h>

typedef int  FNRTCRTINIT(void);
typedef void FNRTCRTVOID(void);

#define RTNOCRT_SECTION(a_sz) __attribute__((section(a_sz), used))

/* Result-returning initialisers. */
RTNOCRT_SECTION(".CRT$XIA") static FNRTCRTINIT * const g_pfnXIA = nullptr;
RTNOCRT_SECTION(".CRT$XIZ") static FNRTCRTINIT * const g_pfnXIZ = nullptr;
/* Plain initialisers. */
RTNOCRT_SECTION(".CRT$XCA") static FNRTCRTVOID * const g_pfnXCA = nullptr;
RTNOCRT_SECTION(".CRT$XCZ") static FNRTCRTVOID * const g_pfnXCZ = nullptr;
/* Pre-terminators. */
RTNOCRT_SECTION(".CRT$XPA") static FNRTCRTVOID * const g_pfnXPA = nullptr;
RTNOCRT_SECTION(".CRT$XPZ") static FNRTCRTVOID * const g_pfnXPZ = nullptr;
/* Terminators. */
RTNOCRT_SECTION(".CRT$XTA") static FNRTCRTVOID * const g_pfnXTA = nullptr;
RTNOCRT_SECTION(".CRT$XTZ") static FNRTCRTVOID * const g_pfnXTZ = nullptr;

extern "C" FNRTCRTVOID *__CTOR_LIST__[];

/* GCC calls this at the top of main on this target; the constructors have run already. */
extern "C" void __main(void)
{
}

static void rtNoCrtRunTable(FNRTCRTVOID * const *ppfnStart, FNRTCRTVOID * const *ppfnEnd)
{
    for (FNRTCRTVOID * const *ppfn = ppfnStart + 1; ppfn < ppfnEnd; ppfn++)
        if (*ppfn)
            (*ppfn)();
}

int rtNoCrtRunResultInitializers(void)
{
    for (FNRTCRTINIT * const *ppfn = &g_pfnXIA + 1; ppfn < &g_pfnXIZ; ppfn++)
        if (*ppfn)
        {
            int const rc = (*ppfn)();
            if (rc != 0)
                return rc;
        }
    return 0;
}

void rtNoCrtRunInitializers(void)
{
    rtNoCrtRunTable(&g_pfnXCA, &g_pfnXCZ);
    for (FNRTCRTVOID **ppfn = &__CTOR_LIST__[1]; *ppfn; ppfn++)
        (*ppfn)();
}

void rtNoCrtExit(int rcExit, bool fRunTerminators)
{
    if (fRunTerminators)
    {
        rtNoCrtRunExitCallbacks();
        rtNoCrtRunTable(&g_pfnXPA, &g_pfnXPZ);
        rtNoCrtRunTable(&g_pfnXTA, &g_pfnXTZ);
    }
    /* No orderly exit: loaded libraries get no detach notification. */
    for (;;)
        TerminateProcess(GetCurrentProcess(), (UINT)rcExit);
}

void rtNoCrtStdErrWrite(const char *psz)
{
    HANDLE const hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (hStdErr == INVALID_HANDLE_VALUE || !hStdErr)
        return;
    DWORD cbLeft = 0;
    while (psz[cbLeft])
        cbLeft++;
    while (cbLeft > 0)
    {
        DWORD cbWritten = 0;
        if (!WriteFile(hStdErr, psz, cbLeft, &cbWritten, nullptr) || !cbWritten)
            break;
        psz += cbWritten;
        cbLeft -= cbWritten;
    }
}

void rtNoCrtStdErrStatus(int rc)
{
    char szNum[64];
    if (RTFmtNumber32(szNum, sizeof(szNum), (uint32_t)rc, 10, 0, -1, RTFMT_F_VALSIGNED) > 0)
        rtNoCrtStdErrWrite(szNum);
}

void rtNoCrtStdErrErrNo(uint32_t uErr)
{
    char szNum[64];
    if (RTFmtNumber32(szNum, sizeof(szNum), uErr, 10, 0, -1, 0) > 0)
        rtNoCrtStdErrWrite(szNum);
    rtNoCrtStdErrWrite(" (0x");
    if (RTFmtNumber32(szNum, sizeof(szNum), uErr, 16, 0, -1, 0) > 0)
        rtNoCrtStdErrWrite(szNum);
    rtNoCrtStdErrWrite(")");
}
