/*
 * Integers to text for the format engine and its runtime types: sign, base
 * prefix, width, precision and digit grouping, always within a 64-byte
 * buffer, so that no flag or width can make a number overrun the scratch area
 * it is built in.
 */
#include <tulo/format.h>
#include <tulo/err.h>

#include <string.h>

namespace {

constexpr char g_achDigitsLower[] = "0123456789abcdef";
constexpr char g_achDigitsUpper[] = "0123456789ABCDEF";

/** Decimal digit pairs: two digits per division halves the divisions. */
constexpr char g_achDecimalPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

/** Writes the digits of uValue so that they end just before pchEnd; returns
 * how many were written (at least one). */
unsigned rtFmtDigitsBackwards(char *pchEnd, uint64_t uValue, unsigned uBase, const char *pachDigits)
{
    char *pch = pchEnd;
    if (uBase == 10)
    {
        /* 64-bit divisions only while the value needs them; they are far
         * slower than 32-bit ones, and a library call on 32-bit hosts. */
        while (uValue > UINT32_MAX)
        {
            uint64_t const uQuot = uValue / 100;
            unsigned const uRem = (unsigned)(uValue - uQuot * 100);
            pch -= 2;
            pch[0] = g_achDecimalPairs[uRem * 2];
            pch[1] = g_achDecimalPairs[uRem * 2 + 1];
            uValue = uQuot;
        }
        uint32_t u32 = (uint32_t)uValue;
        while (u32 >= 100)
        {
            uint32_t const uQuot = u32 / 100;
            unsigned const uRem = u32 - uQuot * 100;
            pch -= 2;
            pch[0] = g_achDecimalPairs[uRem * 2];
            pch[1] = g_achDecimalPairs[uRem * 2 + 1];
            u32 = uQuot;
        }
        if (u32 >= 10)
        {
            pch -= 2;
            pch[0] = g_achDecimalPairs[u32 * 2];
            pch[1] = g_achDecimalPairs[u32 * 2 + 1];
        }
        else
            *--pch = (char)('0' + u32);
    }
    else
    {
        unsigned const cShift = uBase == 16 ? 4 : 3;
        unsigned const fMask  = uBase - 1;
        do
        {
            *--pch = pachDigits[uValue & fMask];
            uValue >>= cShift;
        } while (uValue);
    }
    return (unsigned)(pchEnd - pch);
}

} /* namespace */

int RTFmtNumber(char *pszBuf, uint64_t u64Value, unsigned uBase, int cchWidth, int cchPrecision, unsigned fFlags)
{
    /* Only the bases whose largest value fits the 64-byte buffer. */
    if (uBase != 10 && uBase != 16 && uBase != 8)
    {
        *pszBuf = '\0';
        return 0;
    }
    const char *pachDigits = fFlags & RTFMT_F_CAPITAL ? g_achDigitsUpper : g_achDigitsLower;
    if (fFlags & RTFMT_F_LEFT)
        fFlags &= ~RTFMT_F_ZEROPAD;
    if ((fFlags & RTFMT_F_THOUSAND_GROUP) && (uBase != 10 || (fFlags & RTFMT_F_ZEROPAD)))
        fFlags &= ~RTFMT_F_THOUSAND_GROUP;

    /* Everything is capped at 63 characters anyway; bounding the inputs
     * keeps the arithmetic below free of overflow. */
    if (cchWidth < 0)
        cchWidth = 0;
    else if (cchWidth > 64)
        cchWidth = 64;
    if (cchPrecision < 0)
        cchPrecision = -1;
    else if (cchPrecision > 64)
        cchPrecision = 64;

    /* A value without upper bits and without the 64-bit flag is a 32-bit
     * one, so a zero-extended 32-bit negative number still prints negative. */
    bool     fNegative  = false;
    uint64_t uMagnitude = u64Value;
    if (fFlags & RTFMT_F_VALSIGNED)
    {
        if (!(fFlags & RTFMT_F_64BIT) && !(u64Value >> 32))
        {
            if (u64Value & UINT32_C(0x80000000))
            {
                fNegative  = true;
                uMagnitude = (uint32_t)(0u - (uint32_t)u64Value);
            }
        }
        else if (u64Value >> 63)
        {
            fNegative  = true;
            uMagnitude = 0 - u64Value;
        }
    }

    char achDigits[24];   /* 22 octal digits of a 64-bit value at most */
    unsigned const cDigits = rtFmtDigitsBackwards(&achDigits[sizeof(achDigits)], uMagnitude, uBase, pachDigits);
    const char *pchDigits = &achDigits[sizeof(achDigits) - cDigits];
    int cchNum = (int)cDigits;
    if (fFlags & RTFMT_F_THOUSAND_GROUP)
    {
        if (cDigits > 3)
            cchNum = (int)(cDigits + (cDigits - 1) / 3);
        else
            fFlags &= ~RTFMT_F_THOUSAND_GROUP;
    }

    int off = 0;
    if (fFlags & RTFMT_F_VALSIGNED)
    {
        if (fNegative)
            pszBuf[off++] = '-';
        else if (fFlags & RTFMT_F_PLUS)
            pszBuf[off++] = '+';
        else if (fFlags & RTFMT_F_BLANK)
            pszBuf[off++] = ' ';
    }
    if ((fFlags & RTFMT_F_SPECIAL) && (uBase == 8 || uBase == 16))
    {
        pszBuf[off++] = '0';
        if (uBase == 16)
            pszBuf[off++] = fFlags & RTFMT_F_CAPITAL ? 'X' : 'x';
    }

    int const cchRoom  = 63 - off - cchNum;
    int       cchRemain = cchWidth - off - cchNum;
    if (fFlags & RTFMT_F_ZEROPAD)
    {
        /* The fill zeros count against the precision zeros. */
        while (cchRemain > 0 && off < cchRoom)
        {
            pszBuf[off++] = '0';
            cchRemain--;
            cchPrecision--;
        }
    }
    else if (!(fFlags & RTFMT_F_LEFT) && cchRemain > 0)
    {
        /* Spaces go before the sign and the prefix. */
        int const cchSpaces = cchRemain < cchRoom - 1 ? cchRemain : cchRoom - 1;
        memmove(&pszBuf[cchSpaces], pszBuf, (size_t)off);
        memset(pszBuf, ' ', (size_t)cchSpaces);
        off += cchSpaces;
    }

    /* Precision zeros come on top of the width. */
    for (int cZeros = 0; cchPrecision - 1 - cZeros >= cchNum && off < cchRoom; cZeros++)
        pszBuf[off++] = '0';

    if (fFlags & RTFMT_F_THOUSAND_GROUP)
    {
        /* A space before every third digit counted from the right. */
        char *pchDst = &pszBuf[off + cchNum];
        const char *pchSrc = pchDigits + cDigits;
        for (unsigned i = 0; i < cDigits; i++)
        {
            if (i && i % 3 == 0)
                *--pchDst = ' ';
            *--pchDst = *--pchSrc;
        }
    }
    else
        memcpy(&pszBuf[off], pchDigits, cDigits);
    off += cchNum;

    if ((fFlags & RTFMT_F_LEFT) && cchRemain > 0)
    {
        /* Capped like the leading spaces, and so that precision zeros and
         * spaces together still leave the text at 62 characters at most. */
        int cchSpaces = cchRemain < cchRoom - 1 ? cchRemain : cchRoom - 1;
        if (cchSpaces > 62 - off)
            cchSpaces = 62 - off;
        if (cchSpaces > 0)
        {
            memset(&pszBuf[off], ' ', (size_t)cchSpaces);
            off += cchSpaces;
        }
    }

    pszBuf[off] = '\0';
    return off;
}

namespace {

/** Formats through a scratch buffer unless the caller's is large enough for
 * any number; a number that does not fit is cut and terminated. */
ptrdiff_t rtFmtNumberBounded(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uBase, int cchWidth,
                             int cchPrecision, unsigned fFlags)
{
    if (cbBuf && !RT_VALID_PTR(pszBuf))
        return VERR_INVALID_POINTER;
    if (cbBuf >= 64)
        return RTFmtNumber(pszBuf, u64Value, uBase, cchWidth, cchPrecision, fFlags);

    char szTmp[64];
    size_t const cch = (size_t)RTFmtNumber(szTmp, u64Value, uBase, cchWidth, cchPrecision, fFlags);
    if (cch < cbBuf)
    {
        memcpy(pszBuf, szTmp, cch + 1);
        return (ptrdiff_t)cch;
    }
    if (cbBuf)
    {
        memcpy(pszBuf, szTmp, cbBuf - 1);
        pszBuf[cbBuf - 1] = '\0';
    }
    return VERR_BUFFER_OVERFLOW;
}

/** Flag bits a caller may pass; the size bits are the formatter's own. */
constexpr unsigned g_fFmtNumberCallerFlags = 0x7ffu;

} /* namespace */

ptrdiff_t RTFmtNumber32(char *pszBuf, size_t cbBuf, uint32_t u32Value, unsigned uBase, int cchWidth,
                        int cchPrecision, unsigned fFlags)
{
    return rtFmtNumberBounded(pszBuf, cbBuf, u32Value, uBase, cchWidth, cchPrecision,
                              (fFlags & g_fFmtNumberCallerFlags) | RTFMT_F_32BIT);
}

ptrdiff_t RTFmtNumber64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uBase, int cchWidth,
                        int cchPrecision, unsigned fFlags)
{
    return rtFmtNumberBounded(pszBuf, cbBuf, u64Value, uBase, cchWidth, cchPrecision,
                              (fFlags & g_fFmtNumberCallerFlags) | RTFMT_F_64BIT);
}
