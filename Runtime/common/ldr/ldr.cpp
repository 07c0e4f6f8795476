/* Operations on loaded modules, whatever back end loaded them. */
#include "ldr-internal.h"

#include <tulo/mem.h>
#include <tulo/err.h>

static bool rtldrIsValid(RTLDRMOD hLdrMod)
{
    return RT_VALID_PTR(hLdrMod) && hLdrMod->u32Magic == RTLDRMOD_MAGIC;
}

int RTLdrGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue)
{
    if (!rtldrIsValid(hLdrMod))
        return VERR_INVALID_HANDLE;
    if (!pszSymbol)
        return VERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(ppvValue))
        return VERR_INVALID_POINTER;
    return hLdrMod->pOps->pfnGetSymbol(hLdrMod, pszSymbol, ppvValue);
}

int RTLdrClose(RTLDRMOD hLdrMod)
{
    if (hLdrMod == NIL_RTLDRMOD)
        return VINF_SUCCESS;
    if (!rtldrIsValid(hLdrMod))
        return VERR_INVALID_HANDLE;

    int const rc = hLdrMod->pOps->pfnClose(hLdrMod);
    /* The record dies even when the unload failed: the handle is gone for the
     * caller either way, and a second close must be caught by the magic. */
    hLdrMod->u32Magic = hLdrMod->u32Magic + 1;
    hLdrMod->eState = RTLDRSTATE_INVALID;
    if (hLdrMod->pReader)
    {
        hLdrMod->pReader->pfnDestroy(hLdrMod->pReader);
        hLdrMod->pReader = nullptr;
    }
    RTMemFree(hLdrMod);
    return rc;
}

void *RTLdrGetSystemSymbol(const char *pszFilename, const char *pszSymbol)
{
    void *pvValue = nullptr;
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    int rc = RTLdrLoadSystem(pszFilename, true /*fNoUnloadable*/, &hLdrMod);
    if (RT_SUCCESS(rc))
    {
        rc = RTLdrGetSymbol(hLdrMod, pszSymbol, &pvValue);
        if (RT_FAILURE(rc))
            pvValue = nullptr;
        /* Only the record goes; the library stays loaded for the address. */
        RTLdrClose(hLdrMod);
    }
    return pvValue;
}
