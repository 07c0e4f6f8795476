/*
 * The Park-Miller minimal standard generator (multiplier 16807, modulus
 * 2^31 - 1). One step yields 31 bits at most, so wider draws take spare bits
 * from a reservoir that is refilled with whole steps.
 */
#include <tulo/rand.h>
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include "rand-internal.h"

namespace {

constexpr uint32_t RTRAND_PM_MODULUS    = UINT32_C(2147483647);
constexpr uint32_t RTRAND_PM_MULTIPLIER = 16807;
/* A state of 0 would stay 0 for ever; it is replaced by this seed. */
constexpr uint32_t RTRAND_PM_ZERO_SEED  = 20080806;
constexpr uint32_t RTRAND_PM_INITIAL    = UINT32_C(0x20080806);

uint32_t rtRandParkMillerStep(RTRANDINT *pThis)
{
    uint32_t u32State = pThis->u32State;
    if (!u32State)
        u32State = RTRAND_PM_ZERO_SEED;
    u32State = (uint32_t)((uint64_t)u32State * RTRAND_PM_MULTIPLIER % RTRAND_PM_MODULUS);
    pThis->u32State = u32State;
    return u32State;
}

/* Makes sure at least cNeeded spare bits are there; a refill is one whole
 * step, of which the low 30 bits count. */
void rtRandParkMillerNeedBits(RTRANDINT *pThis, int32_t cNeeded)
{
    if (pThis->cBits < cNeeded)
    {
        pThis->u32Bits = rtRandParkMillerStep(pThis);
        pThis->cBits   = 30;
    }
}

uint32_t rtRandParkMillerTakeBits(RTRANDINT *pThis, unsigned cBits)
{
    uint32_t const u32 = pThis->u32Bits & ((UINT32_C(1) << cBits) - 1);
    pThis->u32Bits >>= cBits;
    pThis->cBits   -= (int32_t)cBits;
    return u32;
}

uint32_t rtRandParkMillerGetU32(RTRANDINT *pThis, uint32_t u32First, uint32_t u32Last)
{
    uint32_t const uRange = u32Last - u32First;
    if (uRange == UINT32_MAX)
    {
        /* 31 bits of the step are not enough: the top two come from the reservoir. */
        uint32_t const u32Step = rtRandParkMillerStep(pThis);
        rtRandParkMillerNeedBits(pThis, 2);
        uint32_t const u32Hi = rtRandParkMillerTakeBits(pThis, 2);
        return u32First + ((u32Hi << 30) | (u32Step >> 1));
    }
    if (uRange == UINT32_C(0x7ffffffe))
        return u32First + rtRandParkMillerStep(pThis);
    if (uRange < UINT32_C(0x7ffffff))
        return u32First + (rtRandParkMillerStep(pThis) >> 1) % (uRange + 1);

    /* Large ranges: 36 bits keep the bias of the modulo small. */
    uint32_t const u32Step = rtRandParkMillerStep(pThis);
    rtRandParkMillerNeedBits(pThis, 6);
    uint64_t const u64 = ((uint64_t)rtRandParkMillerTakeBits(pThis, 6) << 30) | (u32Step >> 1);
    return u32First + (uint32_t)(u64 % ((uint64_t)uRange + 1));
}

uint64_t rtRandParkMillerGetU64(RTRANDINT *pThis, uint64_t u64First, uint64_t u64Last)
{
    uint64_t const uRange = u64Last - u64First;
    if (uRange <= UINT32_MAX)
        return u64First + rtRandParkMillerGetU32(pThis, 0, (uint32_t)uRange);
    uint64_t const u64Hi = rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
    uint64_t const u64 = (u64Hi << 32) | rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
    if (uRange == UINT64_MAX)
        return u64First + u64;
    return u64First + u64 % (uRange + 1);
}

void rtRandParkMillerGetBytes(RTRANDINT *pThis, uint8_t *pb, size_t cb)
{
    while (cb > 0)
    {
        uint32_t u32 = rtRandParkMillerGetU32(pThis, 0, UINT32_MAX);
        for (unsigned i = 0; i < 4 && cb > 0; i++, cb--)
        {
            *pb++ = (uint8_t)u32;
            u32 >>= 8;
        }
    }
}

int rtRandParkMillerSeed(RTRANDINT *pThis, uint64_t u64Seed)
{
    pThis->u32State = (uint32_t)u64Seed;
    pThis->u32Bits  = 0;
    pThis->cBits    = 0;
    return VINF_SUCCESS;
}

void rtRandPutHex(char *pch, uint32_t u32Value, unsigned cDigits)
{
    while (cDigits-- > 0)
    {
        pch[cDigits] = "0123456789abcdef"[u32Value & 0xf];
        u32Value >>= 4;
    }
}

/* "PM:ssssssss,bbbbbbbb,cc;" in lower-case hexadecimal. */
int rtRandParkMillerSaveState(RTRANDINT *pThis, char *pszState, size_t *pcbState)
{
    if (*pcbState < RTRAND_PARK_MILLER_STATE_SIZE)
    {
        *pcbState = RTRAND_PARK_MILLER_STATE_SIZE;
        return VERR_BUFFER_OVERFLOW;
    }
    pszState[0] = 'P';
    pszState[1] = 'M';
    pszState[2] = ':';
    rtRandPutHex(&pszState[3], pThis->u32State, 8);
    pszState[11] = ',';
    rtRandPutHex(&pszState[12], pThis->u32Bits, 8);
    pszState[20] = ',';
    rtRandPutHex(&pszState[21], (uint32_t)pThis->cBits, 2);
    pszState[23] = ';';
    pszState[24] = '\0';
    return VINF_SUCCESS;
}

/* One hexadecimal field that must end exactly at pszEnd. */
bool rtRandParseField(const char *psz, const char *pszEnd, uint32_t *pu32)
{
    char *pszNext = nullptr;
    int rc = RTStrParseU32(psz, &pszNext, 16, pu32);
    return RT_SUCCESS(rc) && pszNext == pszEnd;
}

int rtRandParkMillerRestoreState(RTRANDINT *pThis, const char *pszState)
{
    if (pszState[0] != 'P' || pszState[1] != 'M' || pszState[2] != ':')
        return VERR_PARSE_ERROR;
    /* Nothing is read past a terminator: the fields stop at the first one. */
    uint32_t u32State, u32Bits, u32Count;
    if (!rtRandParseField(&pszState[3], &pszState[11], &u32State) || pszState[11] != ',')
        return VERR_PARSE_ERROR;
    if (!rtRandParseField(&pszState[12], &pszState[20], &u32Bits) || pszState[20] != ',')
        return VERR_PARSE_ERROR;
    if (!rtRandParseField(&pszState[21], &pszState[23], &u32Count) || pszState[23] != ';' || pszState[24] != '\0')
        return VERR_PARSE_ERROR;
    pThis->u32State = u32State;
    pThis->u32Bits  = u32Bits;
    pThis->cBits    = (int32_t)u32Count;
    return VINF_SUCCESS;
}

int rtRandParkMillerDestroy(RTRANDINT *pThis)
{
    pThis->u32Magic = RTRANDINT_MAGIC_DEAD;
    RTMemFree(pThis);
    return VINF_SUCCESS;
}

} /* anonymous namespace */


int RTRandAdvCreateParkMiller(PRTRAND phRand)
{
    if (!RT_VALID_PTR(phRand))
        return VERR_INVALID_POINTER;
    RTRANDINT *pThis = (RTRANDINT *)RTMemAlloc(sizeof(*pThis));
    if (!pThis)
        return VERR_NO_MEMORY;
    pThis->u32Magic        = RTRANDINT_MAGIC;
    pThis->pfnGetBytes     = rtRandParkMillerGetBytes;
    pThis->pfnGetU32       = rtRandParkMillerGetU32;
    pThis->pfnGetU64       = rtRandParkMillerGetU64;
    pThis->pfnSeed         = rtRandParkMillerSeed;
    pThis->pfnSaveState    = rtRandParkMillerSaveState;
    pThis->pfnRestoreState = rtRandParkMillerRestoreState;
    pThis->pfnDestroy      = rtRandParkMillerDestroy;
    pThis->u32State        = RTRAND_PM_INITIAL;
    pThis->u32Bits         = 0;
    pThis->cBits           = 0;
    *phRand = pThis;
    return VINF_SUCCESS;
}
