/*
 * Network addresses and UUIDs for the %R format types: %RTnaipv4, %RTnaipv6
 * (the compressed text form), %RTmac, %RTnaddr and %RTuuid. Records are read
 * through pointers only after the pointer check, and byte-wise, so that they
 * need no particular alignment.
 */
#include "format-rt-internal.h"

namespace {

/** a.b.c.d of four bytes; returns the position after the text. */
char *rtFmtRtWriteDottedQuad(char *pch, const uint8_t *pab)
{
    for (unsigned i = 0; i < 4; i++)
    {
        if (i)
            *pch++ = '.';
        pch = rtFmtRtWriteDec(pch, pab[i]);
    }
    return pch;
}

char *rtFmtRtWriteMac(char *pch, const uint8_t *pab)
{
    for (unsigned i = 0; i < 6; i++)
    {
        if (i)
            *pch++ = ':';
        pch = rtFmtRtWriteHex(pch, pab[i], 2);
    }
    return pch;
}

bool rtFmtRtAllZero(const uint8_t *pab, size_t cb)
{
    for (size_t i = 0; i < cb; i++)
        if (pab[i])
            return false;
    return true;
}

} /* namespace */

size_t rtFmtRtIPv4(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint32_t u32AddrNetOrder)
{
    /* The bytes as they lie in memory are the address in network order. */
    uint8_t ab[4];
    memcpy(ab, &u32AddrNetOrder, sizeof(ab));
    char szBuf[16];
    char *pch = rtFmtRtWriteDottedQuad(szBuf, ab);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
}

size_t rtFmtRtFormatIPv6(char *pszBuf, const uint8_t *pabAddr)
{
    /* The last 32 bits print as a dotted quad for the IPv4-mapped (::ffff:0:0/96),
     * IPv4-translated (::ffff:0:0:0/96) and IPv4-compatible forms; the
     * compatible form excludes :: and ::1, which are not IPv4 addresses. */
    bool fIPv4 = false;
    if (rtFmtRtAllZero(pabAddr, 8))
    {
        const uint8_t *pb = &pabAddr[8];
        if (   (pb[0] == 0x00 && pb[1] == 0x00 && pb[2] == 0xff && pb[3] == 0xff)
            || (pb[0] == 0xff && pb[1] == 0xff && pb[2] == 0x00 && pb[3] == 0x00))
            fIPv4 = true;
        else if (rtFmtRtAllZero(pb, 4))
        {
            const uint8_t *pbLast = &pabAddr[12];
            fIPv4 = !rtFmtRtAllZero(pbLast, 4) && !(pbLast[0] == 0 && pbLast[1] == 0 && pbLast[2] == 0 && pbLast[3] == 1);
        }
    }
    unsigned const cHexGroups = fIPv4 ? 6 : 8;
    uint16_t au16Groups[8];
    for (unsigned i = 0; i < 8; i++)
        au16Groups[i] = (uint16_t)((pabAddr[i * 2] << 8) | pabAddr[i * 2 + 1]);

    /* The longest run of two or more zero groups; the first one wins a tie. */
    unsigned iRunStart = 0;
    unsigned cRunGroups = 0;
    for (unsigned i = 0; i < cHexGroups;)
    {
        if (au16Groups[i])
        {
            i++;
            continue;
        }
        unsigned j = i;
        while (j < cHexGroups && !au16Groups[j])
            j++;
        if (j - i >= 2 && j - i > cRunGroups)
        {
            iRunStart  = i;
            cRunGroups = j - i;
        }
        i = j;
    }

    char *pch = pszBuf;
    if (!cRunGroups)
    {
        for (unsigned i = 0; i < cHexGroups; i++)
        {
            if (i)
                *pch++ = ':';
            pch = rtFmtRtWriteHex(pch, au16Groups[i], 1);
        }
    }
    else
    {
        if (iRunStart == 0)
            *pch++ = ':';
        for (unsigned i = 0; i < iRunStart; i++)
        {
            pch = rtFmtRtWriteHex(pch, au16Groups[i], 1);
            *pch++ = ':';
        }
        unsigned const iRunEnd = iRunStart + cRunGroups;
        if (iRunEnd == cHexGroups)
            *pch++ = ':';
        for (unsigned i = iRunEnd; i < cHexGroups; i++)
        {
            *pch++ = ':';
            pch = rtFmtRtWriteHex(pch, au16Groups[i], 1);
        }
    }
    if (fIPv4)
    {
        if (!(pch - pszBuf >= 2 && pch[-1] == ':' && pch[-2] == ':'))
            *pch++ = ':';
        pch = rtFmtRtWriteDottedQuad(pch, &pabAddr[12]);
    }
    *pch = '\0';
    return (size_t)(pch - pszBuf);
}

size_t rtFmtRtIPv6(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvAddr, int cchWidth, unsigned fFlags)
{
    if (!RT_VALID_PTR(pvAddr))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pvAddr, cchWidth, fFlags, "!BadIPv6");
    uint8_t abAddr[16];
    memcpy(abAddr, pvAddr, sizeof(abAddr));
    char szBuf[RTFMTRT_IPV6_MAX];
    size_t const cch = rtFmtRtFormatIPv6(szBuf, abAddr);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, cch);
}

size_t rtFmtRtMac(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvMac, int cchWidth, unsigned fFlags)
{
    if (!RT_VALID_PTR(pvMac))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pvMac, cchWidth, fFlags, "!BadMac");
    uint8_t abMac[6];
    memcpy(abMac, pvMac, sizeof(abMac));
    char szBuf[20];
    char *pch = rtFmtRtWriteMac(szBuf, abMac);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
}

size_t rtFmtRtNetAddr(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvAddr, int cchWidth,
                      unsigned fFlags)
{
    if (!RT_VALID_PTR(pvAddr))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pvAddr, cchWidth, fFlags, "!BadNetAddr");
    RTNETADDR Addr;
    memcpy(&Addr, pvAddr, sizeof(Addr));

    /* "[" + IPv6 + "]:" + port at most, or the type text. */
    char szBuf[1 + RTFMTRT_IPV6_MAX + 2 + 10 + 1];
    char *pch = szBuf;
    bool const fPort = Addr.uPort != RTNETADDR_PORT_NA;
    switch (Addr.enmType)
    {
        case RTNETADDRTYPE_IPV4:
            pch = rtFmtRtWriteDottedQuad(pch, Addr.abAddr);
            break;
        case RTNETADDRTYPE_IPV6:
            if (fPort)
                *pch++ = '[';
            pch += rtFmtRtFormatIPv6(pch, Addr.abAddr);
            if (fPort)
                *pch++ = ']';
            break;
        case RTNETADDRTYPE_MAC:
            pch = rtFmtRtWriteMac(pch, Addr.abAddr);
            break;
        default:
        {
            static const char s_szUnsupported[] = "unsupported-netaddr-type=";
            memcpy(pch, s_szUnsupported, sizeof(s_szUnsupported) - 1);
            pch = rtFmtRtWriteDec(pch + sizeof(s_szUnsupported) - 1, Addr.enmType);
            return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
        }
    }
    if (fPort && Addr.enmType != RTNETADDRTYPE_MAC)
    {
        *pch++ = ':';
        pch = rtFmtRtWriteDec(pch, Addr.uPort);
    }
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
}

size_t rtFmtRtUuid(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvUuid, int cchWidth, unsigned fFlags)
{
    if (!RT_VALID_PTR(pvUuid))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pvUuid, cchWidth, fFlags, "!BadUuid");
    RTUUID Uuid;
    memcpy(&Uuid, pvUuid, sizeof(Uuid));
    char szBuf[40];
    char *pch = rtFmtRtWriteHex(szBuf, Uuid.Gen.u32TimeLow, 8);
    *pch++ = '-';
    pch = rtFmtRtWriteHex(pch, Uuid.Gen.u16TimeMid, 4);
    *pch++ = '-';
    pch = rtFmtRtWriteHex(pch, Uuid.Gen.u16TimeHiAndVersion, 4);
    *pch++ = '-';
    pch = rtFmtRtWriteHex(pch, Uuid.Gen.u8ClockSeqHiAndReserved, 2);
    pch = rtFmtRtWriteHex(pch, Uuid.Gen.u8ClockSeqLow, 2);
    *pch++ = '-';
    for (unsigned i = 0; i < 6; i++)
        pch = rtFmtRtWriteHex(pch, Uuid.Gen.au8Node[i], 2);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
}
