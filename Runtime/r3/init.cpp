/*
 * Runtime initialisation of an executable: once per process, with later
 * calls merging their flags and checking that they speak of the same
 * argument vector.
 */
#include "init.h"
#include "../common/misc/atomic-internal.h"
#include "../common/misc/thread-internal.h"
#include "win/internal-r3-win.h"

#include <tulo/process.h>
#include <tulo/time.h>
#include <tulo/err.h>

#include <stdlib.h>
#include <string.h>

int32_t volatile  g_cUsers        = 0;
bool volatile     g_fInitializing = false;
bool volatile     g_fTerminating  = false;
uint32_t volatile g_fInitFlags    = 0;
int32_t           g_crtArgs       = -1;
char            **g_papszArgs     = nullptr;
char            **g_papszOrgArgs  = nullptr;
uint32_t          g_ProcessSelf   = 0;


void rtR3ExitCallback(void)
{
    rtAtomicWrite(&g_fTerminating, true);
    /* The default loggers would be flushed here; nothing in this system
     * creates one, so there is nothing to flush. */
}

/* A program path from the caller replaces the executable's own. */
static int rtR3InitProgramPath(const char *pszProgramPath)
{
    size_t const cch = strlen(pszProgramPath);
    if (cch >= RTR3INIT_PROGRAM_PATH_MAX)
        return VERR_BUFFER_OVERFLOW;
    memcpy(g_szExePath, pszProgramPath, cch + 1);
    rtProcParseExePath();
    return VINF_SUCCESS;
}

/* The first vector is recorded; every later one must be that same vector. */
static int rtR3InitArgs(int cArgs, char ***ppapszArgs)
{
    if (!cArgs)
        return VINF_SUCCESS;
    if (g_crtArgs == -1)
    {
        g_crtArgs      = cArgs;
        g_papszArgs    = *ppapszArgs;
        g_papszOrgArgs = *ppapszArgs;
        return VINF_SUCCESS;
    }
    if (g_crtArgs != cArgs || g_papszArgs != *ppapszArgs)
        return VERR_WRONG_ORDER;
    return VINF_SUCCESS;
}

int rtR3InitBody(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath)
{
    int rc = rtR3InitNativeFirst(fFlags);
    if (RT_FAILURE(rc))
        return rc;

    rtAtomicOrOld(&g_fInitFlags, fFlags);
    g_ProcessSelf = rtR3InitNativeProcessId();

    rc = rtThreadInit();
    if (RT_FAILURE(rc))
        return rc;

    if (pszProgramPath)
        rc = rtR3InitProgramPath(pszProgramPath);
    else
    {
        rc = rtProcInitExePath(g_szExePath, RTR3INIT_PROGRAM_PATH_MAX);
        if (RT_SUCCESS(rc))
            rtProcParseExePath();
    }
    /* No release logger exists to take "Failed to get executable directory path". */
    if (RT_FAILURE(rc))
        return rc;

    rc = rtR3InitArgs(cArgs, ppapszArgs);
    if (RT_FAILURE(rc))
        return rc;

    g_u64ProgramStartNanoTS = RTTimeNanoTS();
    atexit(rtR3ExitCallback);
    return rtR3InitNativeFinal(fFlags);
}

int rtR3Init(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath)
{
    if (cArgs && !RT_VALID_PTR(ppapszArgs))
        return VERR_INVALID_POINTER;

    if (rtAtomicInc(&g_cUsers) != 1)
    {
        /* Initialised already, or being initialised right now: merge and check only. */
        if (fFlags & RTR3INIT_FLAGS_RECORDED_2)
            rtAtomicOrOld(&g_fInitFlags, RTR3INIT_FLAGS_RECORDED_2);
        uint32_t const fStored = rtAtomicRead(&g_fInitFlags);
        if (!(fFlags & RTR3INIT_FLAGS_UNOBTRUSIVE) && (fStored & RTR3INIT_FLAGS_UNOBTRUSIVE))
        {
            /* The first caller wanted the process left alone; this one does not. */
            rtAtomicWrite(&g_fInitFlags,
                          (fStored | (fFlags & RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM)) & ~RTR3INIT_FLAGS_UNOBTRUSIVE);
            rtR3InitNativeObtrusive(fStored | fFlags);
        }
        if (pszProgramPath)
        {
            int const rc = rtR3InitProgramPath(pszProgramPath);
            if (RT_FAILURE(rc))
                return rc;
        }
        return rtR3InitArgs(cArgs, ppapszArgs);
    }

    rtAtomicXchg(&g_fInitializing, true);
    int const rc = rtR3InitBody(fFlags, cArgs, ppapszArgs, pszProgramPath);
    rtAtomicXchg(&g_fInitializing, false);
    if (RT_FAILURE(rc))
    {
        rtAtomicDec(&g_cUsers);
        return rc;
    }
    return VINF_SUCCESS;
}

int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags)
{
    return rtR3Init(fFlags, cArgs, ppapszArgs, nullptr);
}
