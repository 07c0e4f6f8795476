/*
 * Fuzz target of the %R format types. The input becomes a format string in
 * which every conversion is a %R one (flags, width, precision and size from
 * the input, then R, then whatever text follows), formatted against a fixed
 * argument list in which every argument is a pointer-sized value pointing at
 * a large zeroed block: numbers, pointers and strings are then all safe to
 * use, whichever type a conversion reads. The format lies in a heap block of
 * its exact size, so reading past its terminator is reported.
 *
 * Checked: the caller-buffer front ends against the allocating one (same
 * text, truncation and overflow results), no write outside the caller's
 * buffer, and that the count returned is the sum of the output callback's
 * results.
 *
 * The first input byte picks the size of the caller's buffer.
 */
#include <tulo/format.h>
#include <tulo/string.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <memory>
#include <string>

namespace {

/** What every argument points at: larger than any precision the format can
 * ask for (three digits), and zeroed, so every text ends at once. */
alignas(16) uint8_t g_abZero[16384];

/** Conversions per format: each takes at most two arguments of the list. */
constexpr unsigned g_cMaxConversions = 16;

#define FUZZ_ARGS8(a)  a, a, a, a, a, a, a, a
#define FUZZ_ARGS(a)   FUZZ_ARGS8(a), FUZZ_ARGS8(a), FUZZ_ARGS8(a), FUZZ_ARGS8(a), FUZZ_ARGS8(a)

ptrdiff_t fuzzAlloc(char **ppsz, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTFmtAllocTagV(ppsz, pszFormat, va, "format-rt-fuzz");
    va_end(va);
    return cch;
}

struct COUNTER
{
    std::string str;
};

/** Reports twice what it was given: a handler that returns a length of its
 * own instead of the callback's sum breaks the expected total. */
size_t fuzzDoubledOutput(void *pvArg, const char *pach, size_t cch)
{
    if (!pach)
    {
        if (cch)
            abort();
        return 0;
    }
    ((COUNTER *)pvArg)->str.append(pach, cch);
    return cch * 2;
}

/** Builds the format: %, then flags, width, precision and size from the input,
 * then R; everything else is literal text (and keyword text). */
std::string fuzzMakeFormat(const uint8_t *pb, size_t cb)
{
    std::string str;
    unsigned cConversions = 0;
    size_t i = 0;
    while (i < cb)
    {
        uint8_t const b = pb[i++];
        if (!b)
            continue;
        if (b != '%')
        {
            str += (char)b;
            continue;
        }
        if (cConversions >= g_cMaxConversions)
            continue;
        cConversions++;
        str += '%';
        /* Flags (no '*': it would take a pointer's low half as a width). */
        while (i < cb && strchr(" #'+-0", pb[i]) && pb[i])
            str += (char)pb[i++];
        for (unsigned cDigits = 0; i < cb && cDigits < 3 && pb[i] >= '0' && pb[i] <= '9'; cDigits++)
            str += (char)pb[i++];
        if (i < cb && pb[i] == '.')
        {
            str += (char)pb[i++];
            for (unsigned cDigits = 0; i < cb && cDigits < 3 && pb[i] >= '0' && pb[i] <= '9'; cDigits++)
                str += (char)pb[i++];
        }
        if (i < cb && pb[i] && strchr("hlLjztq", pb[i]))
            str += (char)pb[i++];
        str += 'R';
    }
    return str;
}

} /* namespace */

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    if (cbData < 1)
        return 0;
    size_t const cbBuf = pbData[0] < 0xf0 ? pbData[0] : (size_t)(pbData[0] - 0xef) * 4096;
    std::string const strFormat = fuzzMakeFormat(pbData + 1, cbData - 1);

    /* The format in a block of its exact size. */
    std::unique_ptr<char[]> pszFormat(new char[strFormat.size() + 1]);
    memcpy(pszFormat.get(), strFormat.c_str(), strFormat.size() + 1);
    void *const pv = g_abZero;

    char *pszAlloc = nullptr;
    ptrdiff_t const cchAlloc = fuzzAlloc(&pszAlloc, pszFormat.get(), FUZZ_ARGS(pv));
    if (cchAlloc < 0)
    {
        if (pszAlloc)
            abort();
        return 0;   /* out of memory */
    }
    if (!pszAlloc || strlen(pszAlloc) != (size_t)cchAlloc)
        abort();

    /* Checked buffer of exactly cbBuf bytes. */
    std::unique_ptr<char[]> pszBuf(new char[cbBuf]);
    ptrdiff_t const cchChecked = RTFmtBufChecked(pszBuf.get(), cbBuf, pszFormat.get(), FUZZ_ARGS(pv));
    if (cchChecked >= 0)
    {
        if (cchChecked != cchAlloc || memcmp(pszBuf.get(), pszAlloc, (size_t)cchAlloc + 1) != 0)
            abort();
    }
    else
    {
        if (~cchChecked != cchAlloc || (size_t)cchAlloc < cbBuf)
            abort();
        if (cbBuf && (memcmp(pszBuf.get(), pszAlloc, cbBuf - 1) != 0 || pszBuf[cbBuf - 1] != '\0'))
            abort();
    }

    /* Truncating buffer: the longest prefix that fits. */
    size_t const cchTrunc = RTFmtBuf(pszBuf.get(), cbBuf, pszFormat.get(), FUZZ_ARGS(pv));
    size_t const cchExpect = cbBuf ? ((size_t)cchAlloc < cbBuf ? (size_t)cchAlloc : cbBuf - 1) : 0;
    if (cchTrunc != cchExpect || (cbBuf && (memcmp(pszBuf.get(), pszAlloc, cchExpect) != 0 || pszBuf[cchExpect])))
        abort();

    /* The engine directly: the count is the sum of the callback's results. */
    COUNTER Counter;
    size_t const cchCounted = RTFmt(fuzzDoubledOutput, &Counter, nullptr, nullptr, pszFormat.get(), FUZZ_ARGS(pv));
    if (cchCounted != 2 * (size_t)cchAlloc || Counter.str != pszAlloc)
        abort();

    RTStrRelease(pszAlloc);
    return 0;
}
