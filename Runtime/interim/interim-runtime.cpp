/*
 * Interim runtime services: initialisation, tool messages and the string
 * helpers the launcher's command line needs, built on the C library until the
 * runtime's own versions replace them.
 */
#include <tulo/initterm.h>
#include <tulo/message.h>
#include <tulo/format.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
# include <windows.h>
#endif

#include "interim.h"

const char *g_pszInterimProgName = "";
RTINTERIMBOX g_rtInterimLastBox;

int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags)
{
    (void)fFlags;
    if (cArgs > 0 && ppapszArgs && *ppapszArgs && (*ppapszArgs)[0])
    {
        const char *pszName = (*ppapszArgs)[0];
        for (const char *psz = pszName; *psz; psz++)
            if (*psz == '/' || *psz == '\\' || *psz == ':')
                pszName = psz + 1;
        g_pszInterimProgName = pszName;
    }
    return VINF_SUCCESS;
}

/* One "<program>: <prefix><line>" per line of the formatted text. */
static int rtInterimMsgWorker(FILE *pFile, const char *pszPrefix, const char *pszFormat, va_list va)
{
    if (!*pszFormat || !strcmp(pszFormat, "\n"))
    {
        fputs("\n", pFile);
        fflush(pFile);
        return 0;
    }
    char *pszText = nullptr;
    va_list vaCopy;
    va_copy(vaCopy, va);
    ptrdiff_t cch = RTFmtAllocTagV(&pszText, pszFormat, vaCopy, "interim");
    va_end(vaCopy);
    if (cch < 0)
    {
        fprintf(pFile, "%s: %s", g_pszInterimProgName, pszPrefix);
        va_copy(vaCopy, va);
        rtInterimStreamPrintfV(pFile, pszFormat, vaCopy);
        va_end(vaCopy);
        if (!strchr(pszFormat, '\n'))
            fputs("\n", pFile);
        fflush(pFile);
        return 0;
    }
    const char *pszLine = pszText;
    while (*pszLine)
    {
        const char *pszEnd = strchr(pszLine, '\n');
        size_t const cchLine = pszEnd ? (size_t)(pszEnd - pszLine) : strlen(pszLine);
        if (!cchLine)
            fputs("\n", pFile);
        else
            fprintf(pFile, "%s: %s%.*s\n", g_pszInterimProgName, pszPrefix, (int)cchLine, pszLine);
        if (!pszEnd)
            break;
        pszLine = pszEnd + 1;
    }
    fflush(pFile);
    RTStrRelease(pszText);
    return 0;
}

int RTMsgErrorV(const char *pszFormat, va_list va)
{
    return rtInterimMsgWorker(stderr, "error: ", pszFormat, va);
}

int RTMsgError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    int rc = RTMsgErrorV(pszFormat, va);
    va_end(va);
    return rc;
}

int RTMsgInfo(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    int rc = rtInterimMsgWorker(stdout, "info: ", pszFormat, va);
    va_end(va);
    return rc;
}

static void rtInterimPrintToStderr(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rtInterimStreamPrintfV(stderr, pszFormat, va);
    va_end(va);
}

RTEXITCODE RTMsgInitFailure(int rcRTR3Init)
{
    if (*g_pszInterimProgName)
        rtInterimPrintToStderr("%s: fatal error: RTR3Init: %Rrc\n", g_pszInterimProgName, rcRTR3Init);
    else
        rtInterimPrintToStderr("fatal error: RTR3Init: %Rrc\n", rcRTR3Init);
    return RTEXITCODE_INIT;
}

void rtInterimMessageBox(const char *pszText, const char *pszCaption, unsigned fStyle)
{
#ifdef _WIN32
    /* Interactive runs show a real box; with no display it returns at once. */
    int const cwcText = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, nullptr, 0);
    wchar_t wszCaption[128];
    if (   cwcText > 0
        && MultiByteToWideChar(CP_UTF8, 0, pszCaption, -1, wszCaption, (int)RT_ELEMENTS(wszCaption)) > 0)
    {
        wchar_t *pwszText = (wchar_t *)malloc((size_t)cwcText * sizeof(wchar_t));
        if (pwszText)
        {
            MultiByteToWideChar(CP_UTF8, 0, pszText, -1, pwszText, cwcText);
            MessageBoxW(GetDesktopWindow(), pwszText, wszCaption, fStyle);
            free(pwszText);
            return;
        }
    }
    MessageBoxA(GetDesktopWindow(), pszText, pszCaption, fStyle);
#else
    RTINTERIMBOX *pBox = &g_rtInterimLastBox;
    pBox->cShown++;
    snprintf(pBox->szText, sizeof(pBox->szText), "%s", pszText);
    snprintf(pBox->szCaption, sizeof(pBox->szCaption), "%s", pszCaption);
    pBox->fStyle = fStyle;
#endif
}
