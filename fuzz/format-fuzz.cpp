/*
 * Fuzz target for the format engine and its front ends. The input is the
 * format string (an exactly sized, terminated heap copy); the arguments are
 * a fixed list in which every argument is the same pointer-sized value, the
 * address of an argument block chosen so that whatever a conversion fetches
 * it is harmless:
 *
 *  - the block lies at an address whose low 32 bits are zero, so an int
 *    fetched from a 64-bit slot (widths and precisions from '*', %c, %d) is 0;
 *  - as a byte string, UTF-16 string or code point string the block is short
 *    and terminated well inside it; %M therefore switches to a harmless format;
 *  - the block begins with a live copy of the fuzzer's own argument list, so
 *    %N (format pointer, list pointer) runs the block as a format on a list
 *    of the same harmless values;
 *  - it is large, so the runtime types that read a counted number of bytes
 *    through the pointer (hex dumps, UUIDs, addresses) stay inside it.
 *
 * A conversion takes at most about one argument per format character, so
 * the list is longer than the longest accepted input. Width and precision
 * digits are limited to three so that padding stays small.
 *
 * Every front end must agree with the engine: RTFmtV with a collecting
 * callback, RTFmtV with a type callback that only skips the conversion
 * character, RTFmtAllocTagV, and RTFmtBuf and RTFmtBufChecked into exactly
 * sized heap buffers of several sizes, which AddressSanitizer guards.
 */
#include <tulo/format.h>
#include <tulo/string.h>

#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

#define FUZZ_CHECK(a_Expr) do { if (!(a_Expr)) __builtin_trap(); } while (0)

namespace {

constexpr size_t g_cbMaxInput = 512;
constexpr size_t g_cbBlock    = 64 * 1024;

/** The block every argument points at. */
struct ARGBLOCK
{
    va_list  vaNested;              /* live while a format runs; see RunFormat */
};

ARGBLOCK *g_pBlock = nullptr;
bool      g_fNestedSafe = false;    /* the block read as a format holds no '%' */
bool      g_fIntsAreZero = false;   /* ints fetched from the arguments are 0 */

void SetUpBlock()
{
    /* Candidate addresses with zero low halves, clear of the sanitizer's
     * shadow and heap regions; any mapping serves if none is free. */
    static const uintptr_t s_auCandidates[] =
    {
        (uintptr_t)0x3a0000000000, (uintptr_t)0x3b0000000000, (uintptr_t)0x2c0000000000, (uintptr_t)0x1d0000000000,
    };
    void *pv = MAP_FAILED;
    for (uintptr_t uAddr : s_auCandidates)
    {
        pv = mmap((void *)uAddr, g_cbBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE,
                  -1, 0);
        if (pv != MAP_FAILED && (uintptr_t)pv == uAddr)
            break;
        if (pv != MAP_FAILED)
            munmap(pv, g_cbBlock);
        pv = MAP_FAILED;
    }
    if (pv == MAP_FAILED)
        pv = mmap(nullptr, g_cbBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    FUZZ_CHECK(pv != MAP_FAILED);
    g_pBlock = (ARGBLOCK *)pv;
    g_fIntsAreZero = ((uintptr_t)pv & UINT32_MAX) == 0;
}

/* ---------------------------------------------------------------------------
 * Output callbacks
 * ------------------------------------------------------------------------- */

struct COLLECTOR
{
    char    *pch;
    size_t   cch;
    size_t   cbAlloc;
    unsigned cEndCalls;
    bool     fLastWasEnd;
};

size_t CollectOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    COLLECTOR *pColl = (COLLECTOR *)pvArg;
    if (!pachChars)
    {
        FUZZ_CHECK(cbChars == 0);
        pColl->cEndCalls++;
        pColl->fLastWasEnd = true;
        return 0;
    }
    pColl->fLastWasEnd = false;
    if (pColl->cch + cbChars > pColl->cbAlloc)
    {
        size_t cbNew = pColl->cbAlloc ? pColl->cbAlloc * 2 : 256;
        while (cbNew < pColl->cch + cbChars)
            cbNew *= 2;
        pColl->pch = (char *)realloc(pColl->pch, cbNew);
        FUZZ_CHECK(pColl->pch != nullptr);
        pColl->cbAlloc = cbNew;
    }
    memcpy(&pColl->pch[pColl->cch], pachChars, cbChars);
    pColl->cch += cbChars;
    return cbChars;
}

/** What the logger's type callback does: skip the character, print nothing. */
size_t SkipType(void *pvArg, PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)pvArg; (void)pfnOutput; (void)pvArgOutput; (void)pArgs;
    (void)cchWidth; (void)cchPrecision; (void)fFlags; (void)chArgSize;
    *ppszFormat += 1;
    return 0;
}

/* ---------------------------------------------------------------------------
 * The checks
 * ------------------------------------------------------------------------- */

void CheckBufferForms(const char *pszFormat, va_list va, const char *pchText, size_t cchText, size_t cbBuf)
{
    /* Exactly sized heap buffers: any write beyond cbBuf is reported. */
    char *pchBuf = (char *)malloc(cbBuf ? cbBuf : 1);
    FUZZ_CHECK(pchBuf != nullptr);

    va_list vaCopy;
    va_copy(vaCopy, va);
    ptrdiff_t const cchChecked = RTFmtBufCheckedV(cbBuf ? pchBuf : nullptr, cbBuf, pszFormat, vaCopy);
    va_end(vaCopy);
    if (cbBuf > cchText)
    {
        FUZZ_CHECK(cchChecked == (ptrdiff_t)cchText);
        FUZZ_CHECK(memcmp(pchBuf, pchText, cchText) == 0 && pchBuf[cchText] == '\0');
    }
    else
    {
        FUZZ_CHECK(cchChecked == -(ptrdiff_t)cchText - 1);
        if (cbBuf)
            FUZZ_CHECK(memcmp(pchBuf, pchText, cbBuf - 1) == 0 && pchBuf[cbBuf - 1] == '\0');
    }

    va_copy(vaCopy, va);
    size_t const cchBuf = RTFmtBufV(cbBuf ? pchBuf : nullptr, cbBuf, pszFormat, vaCopy);
    va_end(vaCopy);
    size_t const cchExpect = cbBuf == 0 ? 0 : cchText < cbBuf - 1 ? cchText : cbBuf - 1;
    FUZZ_CHECK(cchBuf == cchExpect);
    if (cbBuf)
        FUZZ_CHECK(memcmp(pchBuf, pchText, cchExpect) == 0 && pchBuf[cchExpect] == '\0');

    free(pchBuf);
}

void CheckFormat(const char *pszFormat, va_list va, size_t cbSizeHint)
{
    COLLECTOR Coll = {};
    va_list vaCopy;
    va_copy(vaCopy, va);
    size_t const cch = RTFmtV(CollectOutput, &Coll, nullptr, nullptr, pszFormat, vaCopy);
    va_end(vaCopy);
    FUZZ_CHECK(cch == Coll.cch);
    FUZZ_CHECK(Coll.cEndCalls >= 1 && Coll.fLastWasEnd);

    /* A type callback that only skips prints the same as none. */
    COLLECTOR Skip = {};
    va_copy(vaCopy, va);
    size_t const cchSkip = RTFmtV(CollectOutput, &Skip, SkipType, nullptr, pszFormat, vaCopy);
    va_end(vaCopy);
    FUZZ_CHECK(cchSkip == cch && Skip.cch == cch);
    FUZZ_CHECK(cch == 0 || memcmp(Skip.pch, Coll.pch, cch) == 0);
    FUZZ_CHECK(Skip.cEndCalls == Coll.cEndCalls);
    free(Skip.pch);

    char *psz = nullptr;
    va_copy(vaCopy, va);
    ptrdiff_t const cchAlloc = RTFmtAllocTagV(&psz, pszFormat, vaCopy, "format-fuzz");
    va_end(vaCopy);
    FUZZ_CHECK(cchAlloc == (ptrdiff_t)cch && psz != nullptr);
    FUZZ_CHECK(memcmp(psz, Coll.pch ? Coll.pch : "", cch) == 0 && psz[cch] == '\0');
    RTStrRelease(psz);

    const char *pchText = Coll.pch ? Coll.pch : "";
    size_t const acbBufs[] = { 0, 1, 2, cch / 2, cch, cch + 1, cch + 2, cbSizeHint % (cch + 2) };
    for (size_t cbBuf : acbBufs)
        CheckBufferForms(pszFormat, va, pchText, cch, cbBuf);
    free(Coll.pch);
}

/** Runs the checks with the list of this call. The block's nested list is a
 * copy of it, live exactly as long as this frame. */
void RunFormat(const char *pszFormat, size_t cbSizeHint, ...)
{
    va_list va;
    va_start(va, cbSizeHint);
    va_copy(g_pBlock->vaNested, va);
    CheckFormat(pszFormat, va, cbSizeHint);
    va_end(g_pBlock->vaNested);
    va_end(va);
}

/** Accepts only formats the fixed list can feed without harm. */
bool PrepareFormat(char *psz, size_t cch)
{
    unsigned cDigits = 0;
    for (size_t i = 0; i < cch; i++)
    {
        char const ch = psz[i];
        if (ch >= '0' && ch <= '9')
        {
            if (++cDigits > 3)
                return false;
        }
        else
            cDigits = 0;
        /* Without a harmless nested format or zero ints these conversions
         * would follow the block's bytes or pad without end. */
        if (ch == 'N' && !g_fNestedSafe)
            psz[i] = 'n';
        if (ch == '*' && !g_fIntsAreZero)
            psz[i] = '-';
    }
    return true;
}

} /* namespace */

#define ARG8   pv, pv, pv, pv, pv, pv, pv, pv
#define ARG64  ARG8, ARG8, ARG8, ARG8, ARG8, ARG8, ARG8, ARG8

extern "C" int LLVMFuzzerInitialize(int *pcArgs, char ***ppapszArgs)
{
    (void)pcArgs; (void)ppapszArgs;
    SetUpBlock();
    /* The block holds the list copy first; read as a format, as UTF-16 or
     * as code points it must end within the block without a conversion. */
    void *pv = g_pBlock;
    struct PROBE
    {
        static void Run(int iDummy, ...)
        {
            va_list va;
            va_start(va, iDummy);
            va_copy(g_pBlock->vaNested, va);
            const char *psz = (const char *)g_pBlock;
            size_t const cch = strnlen(psz, sizeof(va_list));
            g_fNestedSafe = cch < sizeof(va_list) && memchr(psz, '%', cch) == nullptr;
            va_end(g_pBlock->vaNested);
            va_end(va);
        }
    };
    PROBE::Run(0, ARG8);
    fprintf(stderr, "format-fuzz: arguments at %p; %%N %s, '*' %s\n", pv,
            g_fNestedSafe ? "fuzzed" : "filtered out", g_fIntsAreZero ? "fuzzed" : "filtered out");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    if (cbData > g_cbMaxInput)
        return 0;
    char *pszFormat = (char *)malloc(cbData + 1);
    FUZZ_CHECK(pszFormat != nullptr);
    memcpy(pszFormat, pbData, cbData);
    pszFormat[cbData] = '\0';
    if (PrepareFormat(pszFormat, cbData))
    {
        void *pv = g_pBlock;
        size_t const cbSizeHint = cbData ? pbData[0] * 7u + pbData[cbData - 1] : 0;
        /* 576 arguments: more than the longest format can take. */
        RunFormat(pszFormat, cbSizeHint, ARG64, ARG64, ARG64, ARG64, ARG64, ARG64, ARG64, ARG64, ARG64);
    }
    free(pszFormat);
    return 0;
}
