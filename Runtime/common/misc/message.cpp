/*
 * Tool messages: "<program>: <kind>: <text>" on the standard streams, one
 * such line per line of text, and the fatal message of a failed runtime
 * initialisation.
 */
#include <tulo/message.h>
#include <tulo/stream.h>
#include <tulo/format.h>
#include <tulo/process.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include "common/misc/atomic-internal.h"

/** The program name, the file name in g_szExePath once first asked for. */
static const char * volatile g_pszProgName;

static const char *rtMsgProgName(void)
{
    const char *pszName = rtAtomicRead(&g_pszProgName);
    if (!pszName)
    {
        size_t const off = g_offExeName < sizeof(g_szExePath) ? g_offExeName : 0;
        pszName = &g_szExePath[off];
        /* Before the path is known the name would later turn into the
         * whole path; only a real name is kept. */
        if (*pszName)
            rtAtomicWrite(&g_pszProgName, pszName);
    }
    return pszName;
}

static bool rtMsgHasLineFeed(const char *psz)
{
    for (; *psz; psz++)
        if (*psz == '\n')
            return true;
    return false;
}

static void rtMsgWorker(PRTSTREAM pStream, const char *pszPrefix, const char *pszFormat, va_list va)
{
    if (!RT_VALID_PTR(pszFormat))
        return;
    if (!*pszFormat || (pszFormat[0] == '\n' && !pszFormat[1]))
    {
        RTStrmPrintf(pStream, "\n");
        return;
    }

    const char *pszProgName = rtMsgProgName();
    char *pszText = nullptr;
    va_list vaCopy;
    va_copy(vaCopy, va);
    ptrdiff_t const cch = RTFmtAllocTagV(&pszText, pszFormat, vaCopy, "message");
    va_end(vaCopy);
    if (cch >= 0 && pszText)
    {
        /* One prefixed line per piece; an empty line stays empty, and a
         * trailing line feed ends the last line rather than starting one. */
        const char *psz = pszText;
        for (;;)
        {
            const char *pszEnd = psz;
            while (*pszEnd && *pszEnd != '\n')
                pszEnd++;
            if (pszEnd == psz && *pszEnd == '\n')
                RTStrmPrintf(pStream, "\n");
            else
                RTStrmPrintf(pStream, "%s: %s%.*s\n", pszProgName, pszPrefix, (int)(pszEnd - psz), psz);
            if (!*pszEnd)
                break;
            psz = pszEnd + 1;
            if (!*psz)
                break;
        }
        RTStrRelease(pszText);
        return;
    }

    /* No memory for the text: the message goes straight to the stream, on
     * one prefixed line at least. */
    RTStrmPrintf(pStream, "%s: %s", pszProgName, pszPrefix);
    va_copy(vaCopy, va);
    RTStrmPrintfV(pStream, pszFormat, vaCopy);
    va_end(vaCopy);
    if (!rtMsgHasLineFeed(pszFormat))
        RTStrmPrintf(pStream, "\n");
}

int RTMsgErrorV(const char *pszFormat, va_list va)
{
    rtMsgWorker(g_pStdErr, "error: ", pszFormat, va);
    return 0;
}

int RTMsgError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtMsgWorker(g_pStdErr, "error: ", pszFormat, va);
    va_end(va);
    return 0;
}

int RTMsgInfo(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtMsgWorker(g_pStdOut, "info: ", pszFormat, va);
    va_end(va);
    return 0;
}

RTEXITCODE RTMsgInitFailure(int rcRTR3Init)
{
    /* Initialisation failed, so the path is read as it is, not through the
     * cached name. */
    if (   g_szExePath[0]
        && g_offExeName > 0
        && g_offExeName < sizeof(g_szExePath)
        && g_szExePath[g_offExeName])
        RTStrmPrintf(g_pStdErr, "%s: fatal error: RTR3Init: %Rrc\n", &g_szExePath[g_offExeName], rcRTR3Init);
    else
        RTStrmPrintf(g_pStdErr, "fatal error: RTR3Init: %Rrc\n", rcRTR3Init);
    return RTEXITCODE_INIT;
}
