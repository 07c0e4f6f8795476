/*
 * Assertion reports. Each part is kept in a process-wide buffer for
 * post-mortem inspection, handed to the hook and written to standard error in
 * one write. Reporting must not disturb the caller: the platform's error
 * values are saved before any output and restored afterwards.
 */
#include <tulo/assert.h>
#include <tulo/format.h>

#include "common/misc/assert-internal.h"

char            g_szAssertMsg1[RTASSERT_MSG1_SIZE];
char            g_szAssertMsg2[RTASSERT_MSG2_SIZE];
uint32_t        g_cchAssertMsg2;
const char     *g_pszAssertExpr;
const char     *g_pszAssertFile;
uint32_t        g_uAssertLine;
const char     *g_pszAssertFunction;
bool            g_fAssertQuiet    = false;
bool            g_fAssertMayPanic = true;
PFNRTASSERTHOOK g_pfnAssertMsg1Hook;
PFNRTASSERTHOOK g_pfnAssertMsg2Hook;

/** Size of the stack buffer for the first part on standard error. */
#define RTASSERT_MSG1_OUT_SIZE  2048u
/** Size of the stack buffer for the second part on standard error. */
#define RTASSERT_MSG2_OUT_SIZE  4100u
/** Appending stops once the second part leaves less room than this. */
#define RTASSERT_MSG2_ADD_LIMIT (RTASSERT_MSG2_SIZE - 4u)

static const char g_szMsg1Format[] = "\n!!Assertion Failed!!\nExpression: %s\nLocation  : %s(%u) %s\n";

static void rtAssertCallHook(PFNRTASSERTHOOK pfnHook, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    pfnHook(pszFormat, va);
    va_end(va);
}

void RTAssertMsg1(const char *pszExpr, uint32_t uLine, const char *pszFile, const char *pszFunction)
{
    g_pszAssertExpr     = pszExpr;
    g_pszAssertFile     = pszFile;
    g_uAssertLine       = uLine;
    g_pszAssertFunction = pszFunction;
    /* The buffer gets the engine's own rendering of bad pointers, so that a
     * post-mortem reader sees exactly what was passed. */
    RTFmtBuf(g_szAssertMsg1, sizeof(g_szAssertMsg1), g_szMsg1Format, pszExpr, pszFile, uLine, pszFunction);
    if (g_fAssertQuiet)
        return;

    RTLASTERRORS SavedErrors;
    rtLastErrorsSave(&SavedErrors);

    PFNRTASSERTHOOK const pfnHook = g_pfnAssertMsg1Hook;
    if (pfnHook)
        rtAssertCallHook(pfnHook, g_szMsg1Format, pszExpr, pszFile, uLine, pszFunction);

    char szOut[RTASSERT_MSG1_OUT_SIZE];
    size_t const cch = RTFmtBuf(szOut, sizeof(szOut), g_szMsg1Format,
                                RT_VALID_PTR(pszExpr) ? pszExpr : "<none>",
                                RT_VALID_PTR(pszFile) ? pszFile : "<none>",
                                uLine,
                                RT_VALID_PTR(pszFunction) ? pszFunction : "");
    rtAssertWriteStdErr(szOut, cch);

    rtLastErrorsRestore(&SavedErrors);
}

static void rtAssertMsg2Worker(bool fAppend, const char *pszFormat, va_list va)
{
    va_list vaCopy;
    if (!fAppend)
    {
        va_copy(vaCopy, va);
        g_cchAssertMsg2 = (uint32_t)RTFmtBufV(g_szAssertMsg2, sizeof(g_szAssertMsg2), pszFormat, vaCopy);
        va_end(vaCopy);
    }
    else
    {
        uint32_t const off = g_cchAssertMsg2;
        if (off < RTASSERT_MSG2_ADD_LIMIT)
        {
            va_copy(vaCopy, va);
            size_t const cch = RTFmtBufV(&g_szAssertMsg2[off], sizeof(g_szAssertMsg2) - off, pszFormat, vaCopy);
            va_end(vaCopy);
            g_cchAssertMsg2 = off + (uint32_t)cch;
        }
    }
    if (g_fAssertQuiet)
        return;

    RTLASTERRORS SavedErrors;
    rtLastErrorsSave(&SavedErrors);

    PFNRTASSERTHOOK const pfnHook = g_pfnAssertMsg2Hook;
    if (pfnHook)
    {
        va_copy(vaCopy, va);
        pfnHook(pszFormat, vaCopy);
        va_end(vaCopy);
    }

    char szOut[RTASSERT_MSG2_OUT_SIZE];
    va_copy(vaCopy, va);
    size_t const cch = RTFmtBufV(szOut, sizeof(szOut), pszFormat, vaCopy);
    va_end(vaCopy);
    rtAssertWriteStdErr(szOut, cch);

    rtLastErrorsRestore(&SavedErrors);
}

void RTAssertMsg2V(const char *pszFormat, va_list va)
{
    rtAssertMsg2Worker(false, pszFormat, va);
}

void RTAssertMsg2(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtAssertMsg2Worker(false, pszFormat, va);
    va_end(va);
}

void RTAssertMsg2AddV(const char *pszFormat, va_list va)
{
    rtAssertMsg2Worker(true, pszFormat, va);
}

void RTAssertMsg2Add(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtAssertMsg2Worker(true, pszFormat, va);
    va_end(va);
}

static bool rtAssertStrEq(const char *psz1, const char *psz2)
{
    while (*psz1 && *psz1 == *psz2)
    {
        psz1++;
        psz2++;
    }
    return *psz1 == *psz2;
}

bool rtAssertShouldPanicForValue(const char *pszValue)
{
    return !pszValue || rtAssertStrEq(pszValue, "breakpoint") || rtAssertStrEq(pszValue, "panic");
}

bool RTAssertShouldPanic(void)
{
    if (!g_fAssertMayPanic)
        return false;
    /* The lookup may touch the error state of a caller that is still
     * reporting; keep it as it was. */
    RTLASTERRORS SavedErrors;
    rtLastErrorsSave(&SavedErrors);
    bool const fPanic = rtAssertShouldPanicForValue(rtAssertQueryEnv("KELB_ASSERT"));
    rtLastErrorsRestore(&SavedErrors);
    return fPanic;
}
