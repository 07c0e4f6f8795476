/*
 * The process-wide generator, created on first use and seeded from the
 * processor's time-stamp counter. Draws are not locked: concurrent callers
 * may get equal values, which its users (unique names) tolerate.
 */
#include <tulo/rand.h>
#include <tulo/once.h>
#include <tulo/err.h>

#include "common/misc/atomic-internal.h"

static RTONCE g_RandOnce = RTONCE_INITIALIZER;
static RTRAND volatile g_hRand = NIL_RTRAND;

static int rtRandInitOnce(void *pvUser)
{
    (void)pvUser;
    RTRAND hRand = NIL_RTRAND;
    int rc = RTRandAdvCreateSystemFaster(&hRand);
    if (RT_FAILURE(rc))
        rc = RTRandAdvCreateParkMiller(&hRand);
    if (RT_FAILURE(rc))
        return rc;
    RTRandAdvSeed(hRand, __builtin_ia32_rdtsc() >> 8);
    rtAtomicWrite(&g_hRand, hRand);
    return VINF_SUCCESS;
}

static void rtRandTermOnce(void *pvUser, bool fLazyCleanUpOk)
{
    (void)pvUser;
    /* At process exit the system takes the memory back anyway. */
    if (!fLazyCleanUpOk)
    {
        RTRAND const hRand = rtAtomicXchg(&g_hRand, (RTRAND)NIL_RTRAND);
        RTRandAdvDestroy(hRand);
    }
}

uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last)
{
    int rc = RTOnce(&g_RandOnce, rtRandInitOnce, rtRandTermOnce, nullptr);
    if (RT_FAILURE(rc))
        return UINT32_MAX;
    return RTRandAdvU32Ex(rtAtomicRead(&g_hRand), u32First, u32Last);
}
