/*
 * Runtime initialisation on a Unix host. The host carries only the portable
 * modules (no thread layer, no loader), so there is nothing to set up but the
 * program's path, which is the name the caller gave it, as is the custom on
 * Unix.
 */
#include <tulo/initterm.h>
#include <tulo/process.h>
#include <tulo/string.h>
#include <tulo/err.h>

int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags)
{
    (void)fFlags;
    if (cArgs < 0 || (cArgs > 0 && (!ppapszArgs || !*ppapszArgs)))
        return VERR_INVALID_POINTER;
    if (!g_szExePath[0] && cArgs > 0 && (*ppapszArgs)[0])
    {
        int const rc = RTStrCopyTo(g_szExePath, sizeof(g_szExePath), (*ppapszArgs)[0]);
        if (RT_FAILURE(rc))
            return rc;
        rtProcParseExePath();
    }
    return VINF_SUCCESS;
}
