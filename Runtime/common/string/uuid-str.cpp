/*
 * Text to UUID conversion: "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally
 * in braces, digits in either case.
 */
#include <tulo/string.h>
#include <tulo/err.h>
#include "strtonum-internal.h"


/* Reads cDigits hex digits; false at the first character that is not one,
 * which includes the terminator, so a short text is never read past. */
static bool rtUuidStrHex(const char *psz, unsigned cDigits, uint32_t *pu32)
{
    uint32_t u32 = 0;
    for (unsigned i = 0; i < cDigits; i++)
    {
        unsigned const uDigit = g_abRTStrDigitValues[(uint8_t)psz[i]];
        if (uDigit >= 16)
            return false;
        u32 = (u32 << 4) | uDigit;
    }
    *pu32 = u32;
    return true;
}

static bool rtUuidStrBytes(const char *psz, unsigned cBytes, uint8_t *pab)
{
    for (unsigned i = 0; i < cBytes; i++)
    {
        uint32_t u32;
        if (!rtUuidStrHex(&psz[i * 2], 2, &u32))
            return false;
        pab[i] = (uint8_t)u32;
    }
    return true;
}

int RTStrParseUuid(RTUUID *pUuid, const char *pszUuid)
{
    if (!RT_VALID_PTR(pUuid) || !RT_VALID_PTR(pszUuid))
        return VERR_INVALID_PARAMETER;

    const char *psz = pszUuid;
    bool const fBraces = *psz == '{';
    if (fBraces)
        psz++;

    /* Each check fails on the terminator before anything beyond it is looked at. */
    RTUUID Uuid;
    uint32_t u32;
    if (!rtUuidStrHex(&psz[0], 8, &u32) || psz[8] != '-')
        return VERR_INVALID_UUID_FORMAT;
    Uuid.Gen.u32TimeLow = u32;
    if (!rtUuidStrHex(&psz[9], 4, &u32) || psz[13] != '-')
        return VERR_INVALID_UUID_FORMAT;
    Uuid.Gen.u16TimeMid = (uint16_t)u32;
    if (!rtUuidStrHex(&psz[14], 4, &u32) || psz[18] != '-')
        return VERR_INVALID_UUID_FORMAT;
    Uuid.Gen.u16TimeHiAndVersion = (uint16_t)u32;
    if (!rtUuidStrBytes(&psz[19], 2, &Uuid.au8[8]) || psz[23] != '-')
        return VERR_INVALID_UUID_FORMAT;
    if (!rtUuidStrBytes(&psz[24], 6, &Uuid.au8[10]))
        return VERR_INVALID_UUID_FORMAT;
    psz += 36;

    if (fBraces)
    {
        if (*psz != '}')
            return VERR_INVALID_UUID_FORMAT;
        psz++;
    }
    if (*psz != '\0')
        return VERR_INVALID_UUID_FORMAT;

    *pUuid = Uuid;
    return VINF_SUCCESS;
}
