/*
 * The format engine. RTFmtV walks a UTF-8 format string, fetches the
 * arguments and hands the text in chunks to the caller's output callback; the
 * front ends (caller buffers, heap strings, streams, the logger) are thin
 * layers that differ only in that callback. The engine allocates nothing:
 * numbers, characters and code points are built in a small scratch area of
 * its frame, everything else is passed straight from where it lies.
 */
#include <tulo/format.h>
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/types.h>
#include <tulo/err.h>

#include <limits.h>
#include <string.h>

#include "common/string/format-internal.h"

namespace {

/** What every run of the engine shares, the nested runs of %N included. */
struct RTFMTENGINE
{
    PFNRTFMTOUTPUT  pfnOutput;
    void           *pvArgOutput;
    PFNRTFMTTYPE    pfnFormat;
    void           *pvArgFormat;
};

/** Width padding is handed out from here, so that a wide field costs a few
 * calls rather than one per space. */
constexpr char g_achSpaces[64 + 1] = "                                                                ";
constexpr size_t g_cchSpaces = sizeof(g_achSpaces) - 1;

size_t rtFmtPad(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, size_t cch)
{
    size_t cchRet = 0;
    while (cch > 0)
    {
        size_t const cchThis = cch < g_cchSpaces ? cch : g_cchSpaces;
        cchRet += pfnOutput(pvArgOutput, g_achSpaces, cchThis);
        cch -= cchThis;
    }
    return cchRet;
}

/** Text of cch bytes that counts cchCounted characters against the width. */
size_t rtFmtField(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pch, size_t cch, size_t cchCounted,
                  int cchWidth, unsigned fFlags)
{
    size_t const cchPad = cchWidth > 0 && (size_t)cchWidth > cchCounted ? (size_t)cchWidth - cchCounted : 0;
    size_t cchRet = 0;
    if (cchPad && !(fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pfnOutput, pvArgOutput, cchPad);
    if (cch)
        cchRet += pfnOutput(pvArgOutput, pch, cch);
    if (cchPad && (fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pfnOutput, pvArgOutput, cchPad);
    return cchRet;
}

/** A double as sign, hexadecimal mantissa and power-of-two exponent; the
 * engine has no decimal floating point. Returns the length (terminated). */
size_t rtFmtDouble(char *pszBuf, double rd)
{
    uint64_t u64;
    memcpy(&u64, &rd, sizeof(u64));
    uint64_t const uMantissa = u64 & ((UINT64_C(1) << 52) - 1);
    unsigned const uExponent = (unsigned)(u64 >> 52) & 0x7ff;
    char *pch = pszBuf;
    *pch++ = u64 >> 63 ? '-' : '+';

    const char *pszSpecial = nullptr;
    if (uExponent == 0 && uMantissa == 0)
        pszSpecial = "0";
    else if (uExponent == 0x7ff)
    {
        if (!uMantissa)
            pszSpecial = "Inf";
        else if (uMantissa & (UINT64_C(1) << 51))
            pszSpecial = "QNan";
        else
            pszSpecial = "SNan";
    }
    if (pszSpecial)
    {
        size_t const cch = strlen(pszSpecial);
        memcpy(pch, pszSpecial, cch + 1);
        return (size_t)(pch - pszBuf) + cch;
    }

    /* Subnormals have no implicit leading one and print no exponent. */
    *pch++ = uExponent ? '1' : '0';
    *pch++ = 'm';
    *pch++ = '0';
    *pch++ = 'x';
    for (int iShift = 48; iShift >= 0; iShift -= 4)
        *pch++ = "0123456789abcdef"[(uMantissa >> iShift) & 0xf];
    if (uExponent)
    {
        *pch++ = '^';
        pch += RTFmtNumber(pch, (uint64_t)(int64_t)((int)uExponent - 1023), 10, -1, -1,
                           RTFMT_F_VALSIGNED | RTFMT_F_64BIT);
    }
    *pch = '\0';
    return (size_t)(pch - pszBuf);
}

/** The size flag that goes with a size character. The long, size and
 * pointer difference types follow the platform's own widths. */
unsigned rtFmtSizeFlag(char chSize)
{
    switch (chSize)
    {
        case 'H': return RTFMT_F_8BIT;
        case 'h': return RTFMT_F_16BIT;
        case 'L':
        case 'j': return RTFMT_F_64BIT;
        case 'l': return sizeof(long) == 8 ? RTFMT_F_64BIT : RTFMT_F_32BIT;
        case 'z': return sizeof(size_t) == 8 ? RTFMT_F_64BIT : RTFMT_F_32BIT;
        case 't': return sizeof(ptrdiff_t) == 8 ? RTFMT_F_64BIT : RTFMT_F_32BIT;
        default:  return RTFMT_F_32BIT;
    }
}

/** Integer argument of the given size, widened to 64 bits. A 32-bit slot is
 * sign-extended for signed conversions except with z (an unsigned type), and
 * for unsigned conversions only with h, H and t (signed source types). */
uint64_t rtFmtFetchInteger(va_list *pArgs, char chSize, unsigned fSizeFlag, bool fSigned)
{
    if (fSizeFlag & RTFMT_F_64BIT)
        return (uint64_t)va_arg(*pArgs, unsigned long long);
    uint32_t const u32 = va_arg(*pArgs, uint32_t);
    bool const fSignExtend = fSigned ? chSize != 'z' : chSize == 'h' || chSize == 'H' || chSize == 't';
    return fSignExtend ? (uint64_t)(int64_t)(int32_t)u32 : (uint64_t)u32;
}

/** Hands one code point to the output callback in UTF-8. */
size_t rtFmtOutputCp(const RTFMTENGINE *pEngine, char *pchScratch, RTUNICP uCp)
{
    size_t cch;
    if (uCp < 0x80)
    {
        pchScratch[0] = (char)uCp;
        cch = 1;
    }
    else
        cch = (size_t)(RTStrWriteCp(pchScratch, uCp) - pchScratch);
    return pEngine->pfnOutput(pEngine->pvArgOutput, pchScratch, cch);
}

/** Next code point of a UTF-16 string; false at a 0 unit and at the first
 * invalid sequence. Plain units are taken here, pairs and faults by the
 * UTF-16 reader. */
inline bool rtFmtUtf16Next(PCRTUTF16 *ppwsz, RTUNICP *puCp)
{
    RTUTF16 const wc = **ppwsz;
    if (wc < 0xd800 || (wc >= 0xe000 && wc <= 0xfffd))
    {
        if (!wc)
            return false;
        *puCp = wc;
        *ppwsz += 1;
        return true;
    }
    RTUNICP uCp;
    if (RT_FAILURE(RTUtf16ReadCp(ppwsz, &uCp)) || !uCp)
        return false;
    *puCp = uCp;
    return true;
}

size_t rtFmtStringUtf8(const RTFMTENGINE *pEngine, const char *psz, int cchWidth, int cchPrecision, unsigned fFlags)
{
    if (!RT_VALID_PTR(psz))
        return rtFmtBadPointer(pEngine->pfnOutput, pEngine->pvArgOutput, psz, cchWidth, fFlags, "!BadStr");
    size_t cch;
    if (cchPrecision < 0)
        cch = strlen(psz);
    else
    {
        /* Never look beyond the precision: the text need not be terminated. */
        size_t const cchMax = (size_t)cchPrecision;
        cch = 0;
        while (cch < cchMax && psz[cch])
            cch++;
    }
    return rtFmtField(pEngine->pfnOutput, pEngine->pvArgOutput, psz, cch, cch, cchWidth, fFlags);
}

size_t rtFmtStringUtf16(const RTFMTENGINE *pEngine, char *pchScratch, PCRTUTF16 pwsz, int cchWidth,
                        int cchPrecision, unsigned fFlags)
{
    if (!RT_VALID_PTR(pwsz))
        return rtFmtBadPointer(pEngine->pfnOutput, pEngine->pvArgOutput, pwsz, cchWidth, fFlags, "!BadStrW");

    /* Count first, so that the padding can come before the text. */
    size_t const cMax = cchPrecision < 0 ? SIZE_MAX : (size_t)cchPrecision;
    size_t cCps = 0;
    RTUNICP uCp;
    for (PCRTUTF16 pwszCur = pwsz; cCps < cMax && rtFmtUtf16Next(&pwszCur, &uCp);)
        cCps++;

    size_t const cchPad = cchWidth > 0 && (size_t)cchWidth > cCps ? (size_t)cchWidth - cCps : 0;
    size_t cchRet = 0;
    if (cchPad && !(fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pEngine->pfnOutput, pEngine->pvArgOutput, cchPad);
    for (size_t i = 0; i < cCps && rtFmtUtf16Next(&pwsz, &uCp); i++)
        cchRet += rtFmtOutputCp(pEngine, pchScratch, uCp);
    if (cchPad && (fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pEngine->pfnOutput, pEngine->pvArgOutput, cchPad);
    return cchRet;
}

size_t rtFmtStringCps(const RTFMTENGINE *pEngine, char *pchScratch, const RTUNICP *puCps, int cchWidth,
                      int cchPrecision, unsigned fFlags)
{
    if (!RT_VALID_PTR(puCps))
        return rtFmtBadPointer(pEngine->pfnOutput, pEngine->pvArgOutput, puCps, cchWidth, fFlags, "!BadStrU");

    size_t const cMax = cchPrecision < 0 ? SIZE_MAX : (size_t)cchPrecision;
    size_t cCps = 0;
    while (cCps < cMax && puCps[cCps])
        cCps++;

    size_t const cchPad = cchWidth > 0 && (size_t)cchWidth > cCps ? (size_t)cchWidth - cCps : 0;
    size_t cchRet = 0;
    if (cchPad && !(fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pEngine->pfnOutput, pEngine->pvArgOutput, cchPad);
    for (size_t i = 0; i < cCps; i++)
        cchRet += rtFmtOutputCp(pEngine, pchScratch, puCps[i]);
    if (cchPad && (fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtPad(pEngine->pfnOutput, pEngine->pvArgOutput, cchPad);
    return cchRet;
}

/** Digits of a width or precision; a number too large for an int saturates
 * instead of wrapping into a negative width. */
int rtFmtParseDecimal(const char **ppsz)
{
    const char *psz = *ppsz;
    unsigned u = 0;
    while (*psz >= '0' && *psz <= '9')
    {
        unsigned const uDigit = (unsigned)(*psz++ - '0');
        u = u <= ((unsigned)INT_MAX - uDigit) / 10 ? u * 10 + uDigit : (unsigned)INT_MAX;
    }
    *ppsz = psz;
    return (int)u;
}

/** One run of the engine over one format: the outer call and each %N. */
size_t rtFmtRun(const RTFMTENGINE *pEngine, const char *pszFormat, va_list *pArgs)
{
    PFNRTFMTOUTPUT const pfnOutput   = pEngine->pfnOutput;
    void * const         pvArgOutput = pEngine->pvArgOutput;
    char                 szScratch[64];
    size_t               cchTotal = 0;

    if (!RT_VALID_PTR(pszFormat))
    {
        cchTotal += rtFmtBadPointer(pfnOutput, pvArgOutput, pszFormat, -1, 0, "!BadFmt");
        pszFormat = "";
    }

    const char *psz    = pszFormat;
    const char *pszLit = pszFormat;   /* start of the pending literal text */
    for (;;)
    {
        /* Literal text only moves the position; it is handed on in one piece. */
        char ch;
        while ((ch = *psz) != '%' && ch != '\0')
            psz++;
        if (ch == '\0')
            break;
        if (psz != pszLit)
            cchTotal += pfnOutput(pvArgOutput, pszLit, (size_t)(psz - pszLit));
        psz++;
        if (*psz == '%')
        {
            /* The second percent sign starts the next literal run. */
            pszLit = psz++;
            continue;
        }

        /* Flags. */
        unsigned fFlags = 0;
        for (;; psz++)
        {
            switch (*psz)
            {
                case ' ':  fFlags |= RTFMT_F_BLANK; continue;
                case '#':  fFlags |= RTFMT_F_SPECIAL; continue;
                case '\'': fFlags |= RTFMT_F_THOUSAND_GROUP; continue;
                case '+':  fFlags |= RTFMT_F_PLUS; continue;
                case '-':  fFlags |= RTFMT_F_LEFT; continue;
                case '0':  fFlags |= RTFMT_F_ZEROPAD; continue;
                default:   break;
            }
            break;
        }

        /* Width. A '*' is noted here and fetched only once the conversion
         * is known to exist, so that an unfinished one takes no argument. */
        int  cchWidth = -1;
        bool fWidthArg = false;
        bool fPrecisionArg = false;
        if (*psz >= '0' && *psz <= '9')
        {
            cchWidth = rtFmtParseDecimal(&psz);
            fFlags |= RTFMT_F_WIDTH;
        }
        else if (*psz == '*')
        {
            psz++;
            fWidthArg = true;
            fFlags |= RTFMT_F_WIDTH;
        }

        /* Precision. */
        int cchPrecision = -1;
        if (*psz == '.')
        {
            psz++;
            if (*psz >= '0' && *psz <= '9')
                cchPrecision = rtFmtParseDecimal(&psz);
            else if (*psz == '*')
            {
                psz++;
                fPrecisionArg = true;
            }
            else
                cchPrecision = 0;
            fFlags |= RTFMT_F_PRECISION;
        }

        /* Size. Each look-ahead stops at the first character that does not
         * match, so the terminator is never passed. */
        char chSize = '\0';
        switch (*psz)
        {
            case 'h':
                if (psz[1] == 'h') { chSize = 'H'; psz += 2; }
                else               { chSize = 'h'; psz++; }
                break;
            case 'l':
                if (psz[1] == 'l') { chSize = 'L'; psz += 2; }
                else               { chSize = 'l'; psz++; }
                break;
            case 'L':
            case 'q':
                chSize = 'L';
                psz++;
                break;
            case 'j':
            case 'z':
            case 't':
                chSize = *psz++;
                break;
            case 'I':
                if (psz[1] == '6' && psz[2] == '4')      { chSize = 'L'; psz += 3; }
                else if (psz[1] == '3' && psz[2] == '2') { psz += 3; }
                else                                     { chSize = 'j'; psz++; }
                break;
            default:
                break;
        }
        unsigned const fSizeFlag = rtFmtSizeFlag(chSize);

        /* A format that ends inside a specification ends there. */
        char const chConv = *psz;
        if (chConv == '\0')
        {
            pszLit = psz;
            break;
        }
        psz++;

        if (fWidthArg)
        {
            int const iWidth = va_arg(*pArgs, int);
            if (iWidth < 0)
            {
                fFlags |= RTFMT_F_LEFT;
                cchWidth = iWidth == INT_MIN ? INT_MAX : -iWidth;
            }
            else
                cchWidth = iWidth;
        }
        if (fPrecisionArg)
        {
            cchPrecision = va_arg(*pArgs, int);
            if (cchPrecision < 0)
                cchPrecision = 0;
        }

        switch (chConv)
        {
            case 'c':
            {
                szScratch[0] = (char)va_arg(*pArgs, int);
                cchTotal += rtFmtField(pfnOutput, pvArgOutput, szScratch, 1, 1, cchWidth, fFlags);
                break;
            }

            case 's':
            case 'S':
                if (chSize == 'l')
                    cchTotal += rtFmtStringUtf16(pEngine, szScratch, va_arg(*pArgs, PCRTUTF16), cchWidth,
                                                 cchPrecision, fFlags);
                else if (chSize == 'L')
                    cchTotal += rtFmtStringCps(pEngine, szScratch, va_arg(*pArgs, const RTUNICP *), cchWidth,
                                               cchPrecision, fFlags);
                else
                    cchTotal += rtFmtStringUtf8(pEngine, va_arg(*pArgs, const char *), cchWidth, cchPrecision,
                                                fFlags);
                break;

            case 'd':
            case 'i':
            case 'u':
            case 'o':
            case 'x':
            case 'X':
            {
                unsigned uBase = 10;
                if (chConv == 'd' || chConv == 'i')
                    fFlags |= RTFMT_F_VALSIGNED;
                else if (chConv == 'o')
                    uBase = 8;
                else if (chConv == 'x')
                    uBase = 16;
                else if (chConv == 'X')
                {
                    uBase = 16;
                    fFlags |= RTFMT_F_CAPITAL;
                }
                uint64_t const u64 = rtFmtFetchInteger(pArgs, chSize, fSizeFlag, (fFlags & RTFMT_F_VALSIGNED) != 0);
                int const cch = RTFmtNumber(szScratch, u64, uBase, cchWidth, cchPrecision, fFlags | fSizeFlag);
                cchTotal += pfnOutput(pvArgOutput, szScratch, (size_t)cch);
                break;
            }

            case 'p':
            {
                /* Natural width: every digit of the address, zero-filled. */
                uintptr_t const uPtr = (uintptr_t)va_arg(*pArgs, void *);
                if (cchWidth < 0)
                    cchWidth = (int)sizeof(void *) * 2;
                int const cch = RTFmtNumber(szScratch, uPtr, 16, cchWidth, cchPrecision,
                                            fFlags | RTFMT_F_ZEROPAD
                                            | (sizeof(void *) == 8 ? RTFMT_F_64BIT : RTFMT_F_32BIT));
                cchTotal += pfnOutput(pvArgOutput, szScratch, (size_t)cch);
                break;
            }

            case 'a':
            case 'A':
            case 'e':
            case 'E':
            case 'f':
            case 'F':
            case 'g':
            case 'G':
            {
                size_t const cch = rtFmtDouble(szScratch, va_arg(*pArgs, double));
                cchTotal += pfnOutput(pvArgOutput, szScratch, cch);
                break;
            }

            case 'M':
            {
                /* The rest of this format is abandoned for the argument. */
                const char *pszNew = va_arg(*pArgs, const char *);
                if (!RT_VALID_PTR(pszNew))
                {
                    cchTotal += rtFmtBadPointer(pfnOutput, pvArgOutput, pszNew, cchWidth, fFlags, "!BadFmt");
                    pszNew = "";
                }
                psz = pszNew;
                break;
            }

            case 'N':
            {
                /* A run of its own on a copy of the caller's list, which
                 * therefore stays where it is. */
                const char *pszNested = va_arg(*pArgs, const char *);
                va_list    *pvaNested = va_arg(*pArgs, va_list *);
                if (!RT_VALID_PTR(pszNested))
                    cchTotal += rtFmtBadPointer(pfnOutput, pvArgOutput, pszNested, cchWidth, fFlags, "!BadFmt");
                else if (!RT_VALID_PTR(pvaNested))
                    cchTotal += rtFmtBadPointer(pfnOutput, pvArgOutput, pvaNested, cchWidth, fFlags, "!BadVaList");
                else
                {
                    va_list vaNested;
                    va_copy(vaNested, *pvaNested);
                    cchTotal += rtFmtRun(pEngine, pszNested, &vaNested);
                    va_end(vaNested);
                }
                break;
            }

            case 'R':
            {
                /* The runtime's own types; the handlers start at the R. */
                const char *pszType = psz - 1;
                if (*psz == '[')
                    cchTotal += rtFmtCustomType(pfnOutput, pvArgOutput, &pszType, pArgs, cchWidth, cchPrecision,
                                                fFlags, chSize);
                else
                    cchTotal += rtFmtRuntimeType(pfnOutput, pvArgOutput, &pszType, pArgs, cchWidth, cchPrecision,
                                                 fFlags, chSize);
                psz = pszType;
                break;
            }

            default:
                /* Unknown here: the caller's type callback may know it;
                 * without one the conversion is dropped. */
                if (pEngine->pfnFormat)
                {
                    const char *pszType = psz - 1;
                    cchTotal += pEngine->pfnFormat(pEngine->pvArgFormat, pfnOutput, pvArgOutput, &pszType, pArgs,
                                                   cchWidth, cchPrecision, fFlags, chSize);
                    psz = pszType;
                }
                break;
        }
        pszLit = psz;
    }

    if (psz != pszLit)
        cchTotal += pfnOutput(pvArgOutput, pszLit, (size_t)(psz - pszLit));
    pfnOutput(pvArgOutput, nullptr, 0);
    return cchTotal;
}

} /* namespace */

size_t rtFmtBadPointer(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pv, int cchWidth, unsigned fFlags,
                       const char *pszMarker)
{
    char szBuf[1 + 64 + 16 + 1];
    size_t cch;
    if (!pv)
    {
        memcpy(szBuf, "<NULL>", 6);
        cch = 6;
    }
    else
    {
        /* Every digit of the address, as %p prints it. */
        szBuf[0] = '<';
        cch = 1 + (size_t)RTFmtNumber(&szBuf[1], (uintptr_t)pv, 16, (int)sizeof(void *) * 2, -1, RTFMT_F_ZEROPAD);
        size_t cchMarker = strlen(pszMarker);
        if (cchMarker > 16)
            cchMarker = 16;
        memcpy(&szBuf[cch], pszMarker, cchMarker);
        cch += cchMarker;
        szBuf[cch++] = '>';
    }
    return rtFmtField(pfnOutput, pvArgOutput, szBuf, cch, cch, cchWidth, fFlags);
}

size_t RTFmtV(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, PFNRTFMTTYPE pfnFormat, void *pvArgFormat,
              const char *pszFormat, va_list va)
{
    if (!pfnOutput)
        return 0;
    RTFMTENGINE const Engine = { pfnOutput, pvArgOutput, pfnFormat, pvArgFormat };
    /* The handlers take the list by address; a parameter of array type (as
     * on x86-64 System V) has no address of the right type, a local copy has. */
    va_list vaCopy;
    va_copy(vaCopy, va);
    size_t const cch = rtFmtRun(&Engine, pszFormat, &vaCopy);
    va_end(vaCopy);
    return cch;
}

size_t RTFmt(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, PFNRTFMTTYPE pfnFormat, void *pvArgFormat,
             const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    size_t const cch = RTFmtV(pfnOutput, pvArgOutput, pfnFormat, pvArgFormat, pszFormat, va);
    va_end(va);
    return cch;
}
