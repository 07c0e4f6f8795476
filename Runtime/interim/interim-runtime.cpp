/*
 * Interim runtime services: initialisation and message boxes, built on the C
 * library until the runtime's own versions replace them.
 */
#include <tulo/initterm.h>
#include <tulo/process.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
# include <windows.h>
#endif

#include "interim.h"

RTINTERIMBOX g_rtInterimLastBox;

/* Windows builds have the runtime's own initialisation (r3/init.cpp). */
#ifndef _WIN32
int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags)
{
    (void)fFlags;
    /* Start-up without the C runtime has recorded the path already; otherwise
     * the first argument is the best there is. */
    if (!g_szExePath[0] && cArgs > 0 && ppapszArgs && *ppapszArgs && (*ppapszArgs)[0])
    {
        RTStrCopyTo(g_szExePath, sizeof(g_szExePath), (*ppapszArgs)[0]);
        rtProcParseExePath();
    }
    return VINF_SUCCESS;
}
#endif

/* Windows builds show their boxes through the launcher's lazily bound user32,
 * so that the runtime itself never imports it. */
#ifndef _WIN32
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
#endif
