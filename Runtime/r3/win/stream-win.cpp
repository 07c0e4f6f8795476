/*
 * The native side of the streams on Windows: standard handles and the
 * console test, files through the file layer, critical sections as stream
 * locks, the run-once record of the list of opened streams, and the
 * registration of the stream termination at process exit.
 */
#include "r3/internal-stream.h"

#include <tulo/critsect.h>
#include <tulo/err.h>
#include <tulo/mem.h>
#include <tulo/once.h>

#include <windows.h>

#include "r3/internal-codepage.h"

int rtStrmNativeStdHandle(int32_t iStream, RTFILE *phFile, bool *pfConsole)
{
    static DWORD const s_adwStd[3] = { STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE };
    if (iStream < 0 || iStream > 2)
        return VERR_INVALID_HANDLE;
    HANDLE const hNative = GetStdHandle(s_adwStd[iStream]);
    if (hNative == INVALID_HANDLE_VALUE || !hNative)
        return VERR_INVALID_HANDLE;
    int const rc = RTFileFromNative(phFile, (intptr_t)hNative);
    if (RT_FAILURE(rc))
        return rc;
    DWORD fMode = 0;
    *pfConsole = GetConsoleMode(hNative, &fMode) != FALSE;
    return VINF_SUCCESS;
}

int rtStrmNativeToConsoleCodePage(char **ppszDst, const char *pszSrc)
{
    /* 0: the process has no console after all; its ANSI code page is then the best guess. */
    return rtStrToCodePageTag(GetConsoleOutputCP(), ppszDst, pszSrc, "stream");
}

int rtStrmNativeOpen(const char *pszFilename, uint64_t fOpen, RTFILE *phFile)
{
    return RTFileOpen(phFile, pszFilename, fOpen);
}

int rtStrmNativeWrite(RTFILE hFile, const void *pv, size_t cb, size_t *pcbWritten)
{
    return RTFileWrite(hFile, pv, cb, pcbWritten);
}

void rtStrmNativeClose(RTFILE hFile)
{
    RTFileClose(hFile);
}

int rtStrmNativeLockCreate(RTSTRMLOCK **ppLock)
{
    PRTCRITSECT pCritSect = (PRTCRITSECT)RTMemAlloc(sizeof(*pCritSect));
    if (!pCritSect)
        return VERR_NO_MEMORY;
    int const rc = RTCritSectInitEx(pCritSect, 0, NIL_RTLOCKVALCLASS, 0, "RTSemSpinMutex");
    if (RT_FAILURE(rc))
    {
        RTMemFree(pCritSect);
        return rc;
    }
    *ppLock = pCritSect;
    return VINF_SUCCESS;
}

void rtStrmNativeLockDestroy(RTSTRMLOCK *pLock)
{
    RTCritSectDelete(pLock);
    RTMemFree(pLock);
}

void rtStrmNativeLockEnter(RTSTRMLOCK *pLock)
{
    RTCritSectEnter(pLock);
}

void rtStrmNativeLockLeave(RTSTRMLOCK *pLock)
{
    RTCritSectLeave(pLock);
}

static RTONCE g_StrmListOnce = RTONCE_INITIALIZER;

int rtStrmNativeOnce(int (*pfnInit)(void *pvUser))
{
    return RTOnce(&g_StrmListOnce, pfnInit, nullptr, nullptr);
}

void rtStrmNativeOnceReset(void)
{
    RTOnceReset(&g_StrmListOnce);
}

/*
 * Process exit. Executables without the C runtime walk the terminator table;
 * those with it do not, but run the .dtors entries, which the start-up code
 * without the C runtime leaves alone. Either way it runs once per exit, and a
 * second run would find nothing left to do.
 */
__attribute__((section(".CRT$XTU"), used)) static void (* const g_pfnStrmTerm)(void) = rtStrmTerm;

__attribute__((destructor)) static void rtStrmTermAtCrtExit(void)
{
    rtStrmTerm();
}
