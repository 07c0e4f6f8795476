/*
 * Generator handles: argument checks and dispatch to the generator's own
 * operations, whatever its kind.
 */
#include <tulo/rand.h>
#include <tulo/err.h>

#include "rand-internal.h"

int RTRandAdvCreateSystemFaster(PRTRAND phRand)
{
    if (!RT_VALID_PTR(phRand))
        return VERR_INVALID_POINTER;
    /* The platform offers no user-mode generator of its own to wrap. */
    return VERR_NOT_SUPPORTED;
}

int RTRandAdvDestroy(RTRAND hRand)
{
    if (hRand == NIL_RTRAND)
        return VINF_SUCCESS;
    if (!rtRandIsValid(hRand))
        return VERR_INVALID_HANDLE;
    return hRand->pfnDestroy(hRand);
}

int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed)
{
    if (!rtRandIsValid(hRand))
        return VERR_INVALID_HANDLE;
    return hRand->pfnSeed(hRand, u64Seed);
}

uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last)
{
    if (!rtRandIsValid(hRand))
        return UINT32_MAX;
    return hRand->pfnGetU32(hRand, u32First, u32Last);
}

uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last)
{
    if (!rtRandIsValid(hRand))
        return UINT64_MAX;
    return hRand->pfnGetU64(hRand, u64First, u64Last);
}

void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb)
{
    if (!rtRandIsValid(hRand) || (cb && !RT_VALID_PTR(pv)))
        return;
    hRand->pfnGetBytes(hRand, (uint8_t *)pv, cb);
}

int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState)
{
    if (!rtRandIsValid(hRand))
        return VERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pcbState) || (*pcbState && !RT_VALID_PTR(pszState)))
        return VERR_INVALID_POINTER;
    return hRand->pfnSaveState(hRand, pszState, pcbState);
}

int RTRandAdvRestoreState(RTRAND hRand, const char *pszState)
{
    if (!rtRandIsValid(hRand))
        return VERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pszState))
        return VERR_INVALID_POINTER;
    return hRand->pfnRestoreState(hRand, pszState);
}
