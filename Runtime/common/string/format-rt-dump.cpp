/*
 * Memory and sizes for the %R format types: the hex dumps %Rhx[dDs] and
 * %RhX[dDs], and the sizes with unit prefixes %Rhc[bBi] and %Rhu[bBi].
 */
#include "format-rt-internal.h"

namespace {

/** Hex digits of a dump's addresses: the natural pointer width for the data
 * pointer itself, otherwise 8 unless the given addresses need 16. */
unsigned rtFmtRtDumpAddrDigits(uint64_t uAddr, size_t cb, bool fAddrGiven)
{
    if (!fAddrGiven)
        return (unsigned)sizeof(void *) * 2;
    return (uAddr >> 32) || uAddr + cb > UINT64_C(0x100000000) ? 16 : 8;
}

/** One line of the d and D forms: address/offset: bytes, printable text. */
void rtFmtRtDumpLine(RTFMTRTOUT *pOut, const uint8_t *pbLine, size_t cbData, size_t cbLine, uint64_t uAddr,
                     size_t off, unsigned cchAddr)
{
    char *pch = rtFmtRtOutReserve(pOut, 16 + 1 + 16 + 1);
    pch = rtFmtRtWriteHex(pch, uAddr + off, cchAddr);
    *pch++ = '/';
    pch = rtFmtRtWriteHex(pch, off, 4);
    *pch++ = ':';
    rtFmtRtOutCommit(pOut, pch);

    for (size_t i = 0; i < cbLine; i++)
    {
        pch = rtFmtRtOutReserve(pOut, 3);
        if (i < cbData)
        {
            *pch++ = i && i % 8 == 0 ? '-' : ' ';
            pch = rtFmtRtWriteHex(pch, pbLine[i], 2);
        }
        else
        {
            *pch++ = ' ';
            *pch++ = ' ';
            *pch++ = ' ';
        }
        rtFmtRtOutCommit(pOut, pch);
    }

    rtFmtRtOutCh(pOut, ' ');
    for (size_t i = 0; i < cbData; i++)
        rtFmtRtOutCh(pOut, pbLine[i] >= 0x20 && pbLine[i] <= 0x7e ? (char)pbLine[i] : '.');
}

/** Exact floor(uLow * uMult / 2^cShift) for uLow below 2^cShift and uMult up
 * to 1000, without the product overflowing 64 bits for the large units. */
uint64_t rtFmtRtMulShift(uint64_t uLow, uint32_t uMult, unsigned cShift)
{
    if (cShift < 32)
        return (uLow * uMult) >> cShift;
    uint64_t const uLo = (uLow & UINT32_MAX) * uMult;
    uint64_t const uHi = (uLow >> 32) * uMult + (uLo >> 32);
    return uHi >> (cShift - 32);
}

} /* namespace */

size_t rtFmtRtHexDump(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvData, uint64_t uAddr, bool fAddrGiven,
                      char chForm, int cchWidth, int cchPrecision, unsigned fFlags)
{
    if (chForm != 'd' && chForm != 'D' && chForm != 's')
        return 0;
    if (!pvData)
        return rtFmtRtPut(pfnOutput, pvArgOutput, "<null>", 6);
    size_t const cb = cchPrecision >= 0 ? (size_t)cchPrecision : 16;
    if (!cb)
        return 0;
    /* Neither the start nor the end of the data may lie in a guard zone. */
    if (!RT_VALID_PTR(pvData) || cb > (uintptr_t)0 - RT_PTR_GUARD_ZONE - (uintptr_t)pvData)
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pvData, -1, 0, "!BadHexDump");
    const uint8_t *pb = (const uint8_t *)pvData;
    if (!fAddrGiven)
        uAddr = (uintptr_t)pvData;
    unsigned const cchAddr = rtFmtRtDumpAddrDigits(uAddr, cb, fAddrGiven);

    RTFMTRTOUT Out;
    rtFmtRtOutInit(&Out, pfnOutput, pvArgOutput);
    if (chForm == 's')
    {
        char *pch = rtFmtRtOutReserve(&Out, 16 + 2 + 2);
        if (fAddrGiven)
        {
            pch = rtFmtRtWriteHex(pch, uAddr, cchAddr);
            *pch++ = ':';
            *pch++ = ' ';
        }
        pch = rtFmtRtWriteHex(pch, pb[0], 2);
        rtFmtRtOutCommit(&Out, pch);
        char const chSep = fFlags & RTFMT_F_SPECIAL ? '\0' : fFlags & RTFMT_F_THOUSAND_GROUP ? ':' : ' ';
        for (size_t i = 1; i < cb; i++)
        {
            pch = rtFmtRtOutReserve(&Out, 3);
            if (chSep)
                *pch++ = chSep;
            pch = rtFmtRtWriteHex(pch, pb[i], 2);
            rtFmtRtOutCommit(&Out, pch);
        }
        return rtFmtRtOutDone(&Out);
    }

    /* Line form. With D, a line equal to the one before it is left out when
     * it continues or opens a run of at least two such lines; the first and
     * the last line always print, so a run is always closed by a printed line. */
    size_t const cbLine = cchWidth > 0 ? (size_t)cchWidth : 16;
    size_t const offLast = cb > cbLine ? cb - cbLine : 0;
    unsigned cRepeats = 0;
    for (size_t off = 0; off < cb; off += cbLine)
    {
        if (   chForm == 'D'
            && off > 0
            && off < offLast
            && memcmp(&pb[off], &pb[off - cbLine], cbLine) == 0
            && (   cRepeats
                || (off + cbLine < offLast && memcmp(&pb[off + cbLine], &pb[off], cbLine) == 0)))
        {
            cRepeats++;
            continue;
        }
        if (cRepeats)
        {
            static const char s_szStars[] = "\n****************";
            rtFmtRtOutPut(&Out, s_szStars, 1 + cchAddr);
            rtFmtRtOutPut(&Out, " ****  <ditto x ", 16);
            char *pch = rtFmtRtOutReserve(&Out, 10 + 1);
            pch = rtFmtRtWriteDec(pch, cRepeats);
            *pch++ = '>';
            rtFmtRtOutCommit(&Out, pch);
            cRepeats = 0;
        }
        if (off)
            rtFmtRtOutCh(&Out, '\n');
        size_t const cbData = cb - off < cbLine ? cb - off : cbLine;
        rtFmtRtDumpLine(&Out, &pb[off], cbData, cbLine, uAddr, off, cchAddr);
        if (cb - off <= cbLine)
            break;      /* off + cbLine could wrap for huge line widths */
    }
    return rtFmtRtOutDone(&Out);
}

size_t rtFmtRtSize(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint64_t cb, char chUnits, bool fByteSuffix,
                   int cchWidth, int cchPrecision, unsigned fFlags)
{
    static const uint32_t s_auMult[4] = { 1, 10, 100, 1000 };
    unsigned const cDigits = cchPrecision < 0 ? 1 : cchPrecision > 3 ? 3 : (unsigned)cchPrecision;
    uint32_t const uMult = s_auMult[cDigits];

    char chUnit = '\0';
    uint64_t uWhole = cb;
    uint64_t uFrac = 0;
    if (chUnits == 'i')
    {
        static const struct { uint64_t uDiv; char chUnit; } s_aUnits[] =
        {
            { UINT64_C(1000000000000000000), 'E' }, { UINT64_C(1000000000000000), 'P' },
            { UINT64_C(1000000000000), 'T' }, { UINT64_C(1000000000), 'G' }, { UINT64_C(1000000), 'M' },
            { UINT64_C(1000), 'k' },
        };
        for (const auto &Unit : s_aUnits)
            if (cb >= Unit.uDiv && (cDigits || cb >= Unit.uDiv + Unit.uDiv / 100))
            {
                chUnit = Unit.chUnit;
                uWhole = cb / Unit.uDiv;
                /* Rounded; dividing the divisor first keeps the product in range. */
                uint64_t const uStep = Unit.uDiv / uMult;
                uFrac = (cb % Unit.uDiv + uStep / 2) / uStep;
                if (cDigits && uFrac >= uMult)
                {
                    /* 1.96k with one digit is 2.0k, not 1.10k. */
                    uWhole++;
                    uFrac -= uMult;
                }
                break;
            }
    }
    else
    {
        static const struct { uint8_t cShift; char chUnit; } s_aUnits[] =
        {
            { 60, 'E' }, { 50, 'P' }, { 40, 'T' }, { 30, 'G' }, { 20, 'M' }, { 10, 'K' },
        };
        for (const auto &Unit : s_aUnits)
            if ((cb >> Unit.cShift) >= (cDigits ? 1u : 2u))
            {
                chUnit = Unit.chUnit;
                uWhole = cb >> Unit.cShift;
                uFrac  = rtFmtRtMulShift(cb & ((UINT64_C(1) << Unit.cShift) - 1), uMult, Unit.cShift);
                break;
            }
    }

    char szBuf[48];
    char *pch = rtFmtRtWriteDec(szBuf, uWhole);
    if (chUnit && cDigits)
    {
        *pch++ = '.';
        char szFrac[8];
        char *pchFrac = rtFmtRtWriteDec(szFrac, uFrac);
        for (size_t cch = (size_t)(pchFrac - szFrac); cch < cDigits; cch++)
            *pch++ = '0';
        memcpy(pch, szFrac, (size_t)(pchFrac - szFrac));
        pch += pchFrac - szFrac;
    }
    if (fFlags & RTFMT_F_BLANK)
        *pch++ = ' ';
    if (chUnit)
    {
        *pch++ = chUnit;
        if (chUnits == 'b')
            *pch++ = 'i';
    }
    if (fByteSuffix)
        *pch++ = 'B';
    size_t const cch = (size_t)(pch - szBuf);

    size_t cchRet = 0;
    if (!(fFlags & RTFMT_F_LEFT) && cchWidth > 0 && (size_t)cchWidth > cch)
        cchRet += rtFmtRtPad(pfnOutput, pvArgOutput, fFlags & RTFMT_F_ZEROPAD ? "0" : " ", 1,
                             (size_t)cchWidth - cch);
    return cchRet + rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, cch);
}
