/* Loading of native modules: argument checks and the module record. */
#include "ldr-internal.h"

#include <tulo/mem.h>
#include <tulo/path.h>
#include <tulo/err.h>

#include <string.h>

static int rtldrNativeOpClose(PRTLDRMODINTERNAL pMod)
{
    return rtldrNativeClose(pMod);
}

static int rtldrNativeOpGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    return rtldrNativeGetSymbol(pMod, pszSymbol, ppvValue);
}

const RTLDROPS g_rtldrNativeOps =
{
    "native",
    rtldrNativeOpClose,
    rtldrNativeOpGetSymbol,
};

int RTLdrLoadSystem(const char *pszFilename, bool fNoUnloadable, PRTLDRMOD phLdrMod)
{
    uint32_t const fFlags = fNoUnloadable ? RTLDRLOAD_FLAGS_NO_UNLOAD : 0;

    if (!RT_VALID_PTR(phLdrMod) || !RT_VALID_PTR(pszFilename))
        return VERR_INVALID_PARAMETER;
    *phLdrMod = NIL_RTLDRMOD;
    /* A bare name only: anything with a path part could leave the system directory. */
    for (const char *psz = pszFilename; *psz; psz++)
        if (*psz == '/' || *psz == '\\' || *psz == ':')
            return VERR_INVALID_PARAMETER;
    if (fFlags & UINT32_C(0xff0))
        return VERR_INVALID_FLAGS;
    if (strlen(pszFilename) >= RTLDR_SYSTEM_NAME_MAX)
        return VERR_INVALID_PARAMETER;

    const char *pszExt = RTPathSuffix(pszFilename) ? nullptr : ".DLL";
    return rtldrNativeLoadSystem(pszFilename, pszExt, fFlags, phLdrMod);
}

int RTLdrLoadEx(const char *pszFilename, PRTLDRMOD phLdrMod, uint32_t fFlags, PRTERRINFO pErrInfo)
{
    RTErrInfoClear(pErrInfo);
    if (!RT_VALID_PTR(phLdrMod) || !RT_VALID_PTR(pszFilename))
        return VERR_INVALID_POINTER;
    *phLdrMod = NIL_RTLDRMOD;
    if (fFlags & ~RTLDRLOAD_FLAGS_VALID_MASK)
        return VERR_INVALID_PARAMETER;

    PRTLDRMODINTERNAL pMod = (PRTLDRMODINTERNAL)RTMemAlloc(sizeof(*pMod));
    if (!pMod)
        return RTErrInfoSetF(pErrInfo, VERR_NO_MEMORY, "Failed to allocate %zu bytes for the module handle",
                             sizeof(*pMod));
    pMod->u32Magic = RTLDRMOD_MAGIC;
    pMod->eState   = RTLDRSTATE_LOADED;
    pMod->pOps     = &g_rtldrNativeOps;
    pMod->pReader  = nullptr;
    pMod->hNative  = NIL_RTLDRNATIVEHANDLE;
    pMod->fFlags   = fFlags;

    int const rc = rtldrNativeLoad(pszFilename, &pMod->hNative, fFlags, pErrInfo);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pMod);
        return rc;
    }
    *phLdrMod = pMod;
    return rc;
}
