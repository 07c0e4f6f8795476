/*
 * Text to network address conversion: dotted IPv4 addresses, IPv4 networks
 * in prefix-length notation and MAC addresses. The fields are converted by
 * the integer conversion, so signs and leading zeros behave as they do there.
 */
#include <tulo/string.h>
#include <tulo/err.h>
#include "strtonum-internal.h"


/* Blanks around an address: space and tab through carriage return. */
static bool rtNetStrIsBlank(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

static const char *rtNetStrSkipBlanks(const char *psz)
{
    while (rtNetStrIsBlank(*psz))
        psz++;
    return psz;
}

static bool rtNetStrIsHexDigit(char ch)
{
    return g_abRTStrDigitValues[(uint8_t)ch] < 16;
}

int RTStrParseIPv4(const char *pszAddr, RTNETADDRIPV4 *pAddr, char **ppszNext)
{
    if (!RT_VALID_PTR(pszAddr) || !RT_VALID_PTR(pAddr) || (ppszNext && !RT_VALID_PTR(ppszNext)))
        return VERR_INVALID_PARAMETER;

    RTNETADDRIPV4 Addr;
    const char *psz = pszAddr;
    for (unsigned i = 0; i < 3; i++)
    {
        char *pszEnd;
        int rc = RTStrParseU8(psz, &pszEnd, 10, &Addr.au8[i]);
        if ((rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS) || *pszEnd != '.')
            return VERR_INVALID_PARAMETER;
        psz = pszEnd + 1;
    }

    /* The last field's status tells the caller what follows the address. */
    char *pszEnd;
    int rc = RTStrParseU8(psz, &pszEnd, 10, &Addr.au8[3]);
    if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS && rc != VWRN_TRAILING_SPACES)
        return VERR_INVALID_PARAMETER;

    *pAddr = Addr;
    if (ppszNext)
        *ppszNext = pszEnd;
    return rc;
}

int RTStrParseIPv4Whole(const char *pszAddr, RTNETADDRIPV4 *pAddr)
{
    if (!RT_VALID_PTR(pszAddr) || !RT_VALID_PTR(pAddr))
        return VERR_INVALID_PARAMETER;

    /* Parse into a local so that a rejected text leaves the caller's
     * address alone, as for every other failure. */
    RTNETADDRIPV4 Addr;
    int rc = RTStrParseIPv4(rtNetStrSkipBlanks(pszAddr), &Addr, nullptr);
    if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_SPACES)
        return VERR_INVALID_PARAMETER;
    *pAddr = Addr;
    return VINF_SUCCESS;
}

int RTStrParseIPv4Cidr(const char *pszNet, uint32_t *puAddr, uint32_t *puMask)
{
    if (!RT_VALID_PTR(pszNet) || !RT_VALID_PTR(puAddr) || !RT_VALID_PTR(puMask))
        return VERR_INVALID_PARAMETER;

    /* Prefix length first: it decides how many address fields may be left out. */
    unsigned cPrefixBits = 32;
    for (const char *psz = pszNet; *psz; psz++)
        if (*psz == '/')
        {
            uint8_t u8Bits;
            if (RTStrParseU8(psz + 1, nullptr, 10, &u8Bits) != VINF_SUCCESS || u8Bits > 32)
                return VERR_INVALID_PARAMETER;
            cPrefixBits = u8Bits;
            break;
        }
    unsigned const cMinFields = cPrefixBits <= 8 ? 1 : cPrefixBits <= 16 ? 2 : cPrefixBits <= 24 ? 3 : 4;

    uint8_t abFields[4] = { 0, 0, 0, 0 };
    unsigned cFields = 0;
    const char *psz = pszNet;
    for (;;)
    {
        char *pszEnd;
        int rc = RTStrParseU8(psz, &pszEnd, 10, &abFields[cFields]);
        /* Only a clean field counts; a minus sign (even "-0") or an
         * oversized value is as malformed as a missing field. */
        if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS)
            return VERR_INVALID_PARAMETER;
        cFields++;
        if (*pszEnd == '.')
        {
            if (cFields == 4)
                return VERR_INVALID_PARAMETER;
            psz = pszEnd + 1;
            continue;
        }
        if ((*pszEnd != '\0' && *pszEnd != '/') || cFields < cMinFields)
            return VERR_INVALID_PARAMETER;
        break;
    }

    uint32_t const uAddr = ((uint32_t)abFields[0] << 24) | ((uint32_t)abFields[1] << 16)
                         | ((uint32_t)abFields[2] << 8)  |  (uint32_t)abFields[3];
    uint32_t const uMask = cPrefixBits ? ~(uint32_t)0 << (32 - cPrefixBits) : 0;

    /* 0.x.y.z is no network, and 0.0.0.0 only names one with a real prefix. */
    if (abFields[0] == 0 && ((uAddr & 0x00ffffffu) != 0 || cPrefixBits == 0 || cPrefixBits == 32))
        return VERR_INVALID_PARAMETER;
    if (uAddr & ~uMask)
        return VERR_INVALID_PARAMETER;

    *puAddr = uAddr;
    *puMask = uMask;
    return VINF_SUCCESS;
}

/* Status of one colon-separated MAC field. Errors of the conversion are
 * passed on; a warning the field may not carry means the text is not a MAC
 * address, never success. */
static int rtNetStrMacFieldStatus(int rc)
{
    return RT_FAILURE(rc) ? rc : VERR_INVALID_PARAMETER;
}

int RTStrParseMac(const char *pszMac, RTMAC *pMac)
{
    if (!RT_VALID_PTR(pszMac) || !RT_VALID_PTR(pMac))
        return VERR_INVALID_PARAMETER;

    /* Twelve digits without separators. The scan stops at the terminator,
     * so a shorter text is never read past its end. */
    unsigned cchHead = 0;
    bool fColon = false;
    while (cchHead < 12 && pszMac[cchHead] != '\0')
    {
        if (pszMac[cchHead] == ':')
            fColon = true;
        cchHead++;
    }
    if (cchHead == 12 && !fColon)
    {
        for (unsigned i = 0; i < 12; i++)
            if (!rtNetStrIsHexDigit(pszMac[i]))
                return VERR_INVALID_PARAMETER;
        if (*rtNetStrSkipBlanks(&pszMac[12]) != '\0')
            return VERR_INVALID_PARAMETER;
        for (unsigned i = 0; i < 6; i++)
            pMac->au8[i] = (uint8_t)(  (g_abRTStrDigitValues[(uint8_t)pszMac[i * 2]] << 4)
                                     |  g_abRTStrDigitValues[(uint8_t)pszMac[i * 2 + 1]]);
        return VINF_SUCCESS;
    }

    /* Colon form; fields two to five may be empty and then stand for 0. */
    RTMAC Mac;
    const char *psz = rtNetStrSkipBlanks(pszMac);
    char *pszEnd;
    int rc = RTStrParseU8(psz, &pszEnd, 16, &Mac.au8[0]);
    if ((rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS) || *pszEnd != ':')
        return VERR_INVALID_PARAMETER;
    psz = pszEnd + 1;

    for (unsigned i = 1; i < 5; i++)
    {
        if (*psz == ':')
            Mac.au8[i] = 0;
        else
        {
            rc = RTStrParseU8(psz, &pszEnd, 16, &Mac.au8[i]);
            if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS)
                return rtNetStrMacFieldStatus(rc);
            if (*pszEnd != ':')
                return VERR_INVALID_PARAMETER;
            psz = pszEnd;
        }
        psz++;
    }

    /* The last field may be followed by blanks only; line ends count as
     * blanks here just as they do in front of the address. */
    rc = RTStrParseU8(psz, &pszEnd, 16, &Mac.au8[5]);
    if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_SPACES && rc != VWRN_TRAILING_CHARS)
        return rtNetStrMacFieldStatus(rc);
    if (*rtNetStrSkipBlanks(pszEnd) != '\0')
        return VERR_INVALID_PARAMETER;

    *pMac = Mac;
    return VINF_SUCCESS;
}
