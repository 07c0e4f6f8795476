/*
 * Interim formatter: a small printf-style engine behind RTFmtBufChecked,
 * RTFmtAllocTagV and RTPrintf until the runtime's own format engine lands.
 *
 * It knows the conversions the launcher's messages and the option parser's
 * error printer use: %% %c %s %d %i %u %x %X %o %p, the sizes hh h l ll z j t,
 * the flags - + space # 0, width and precision (also as *), %N (nested format
 * and va_list pointer) and the status types %Rrc %Rrs %Rrf %Rra.
 */
#include <tulo/format.h>
#include <tulo/message.h>
#include <tulo/string.h>
#include <tulo/err.h>
#include <tulo/mem.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "interim.h"

namespace {

struct RTINTERIMSTATUS
{
    int         iValue;
    const char *pszName;
    const char *pszMsg;
};

constexpr RTINTERIMSTATUS g_aStatuses[] =
{
#include "status-table.inc"
};

const RTINTERIMSTATUS *rtInterimStatusLookup(int rc)
{
    size_t iLo = 0;
    size_t iHi = RT_ELEMENTS(g_aStatuses);
    while (iLo < iHi)
    {
        size_t const i = iLo + (iHi - iLo) / 2;
        if (g_aStatuses[i].iValue == rc)
            return &g_aStatuses[i];
        if (g_aStatuses[i].iValue < rc)
            iLo = i + 1;
        else
            iHi = i;
    }
    return nullptr;
}

typedef void FNOUT(void *pvArg, const char *pch, size_t cch);

struct RTINTERIMOUT
{
    FNOUT  *pfnOut;
    void   *pvArg;
    size_t  cchTotal;

    void put(const char *pch, size_t cch)
    {
        if (cch)
        {
            pfnOut(pvArg, pch, cch);
            cchTotal += cch;
        }
    }
    void pad(char ch, size_t cch)
    {
        while (cch-- > 0)
            put(&ch, 1);
    }
};

enum : unsigned { F_LEFT = 1, F_PLUS = 2, F_SPACE = 4, F_ALT = 8, F_ZERO = 16 };

void rtInterimPutField(RTINTERIMOUT &Out, const char *pch, size_t cch, unsigned fFlags, int cchWidth)
{
    size_t const cchPad = cchWidth > 0 && (size_t)cchWidth > cch ? (size_t)cchWidth - cch : 0;
    if (!(fFlags & F_LEFT))
        Out.pad(' ', cchPad);
    Out.put(pch, cch);
    if (fFlags & F_LEFT)
        Out.pad(' ', cchPad);
}

void rtInterimPutNumber(RTINTERIMOUT &Out, uint64_t uValue, bool fNegative, unsigned uBase, bool fUpper,
                        unsigned fFlags, int cchWidth, int cchPrecision)
{
    char szDigits[72];
    size_t cchDigits = 0;
    const char *pszDigits = fUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    do
    {
        szDigits[sizeof(szDigits) - 1 - cchDigits++] = pszDigits[uValue % uBase];
        uValue /= uBase;
    } while (uValue);
    const char *pchDigits = &szDigits[sizeof(szDigits) - cchDigits];

    char szPrefix[3];
    size_t cchPrefix = 0;
    if (fNegative)
        szPrefix[cchPrefix++] = '-';
    else if (fFlags & F_PLUS)
        szPrefix[cchPrefix++] = '+';
    else if (fFlags & F_SPACE)
        szPrefix[cchPrefix++] = ' ';
    if ((fFlags & F_ALT) && uBase == 16)
    {
        szPrefix[cchPrefix++] = '0';
        szPrefix[cchPrefix++] = fUpper ? 'X' : 'x';
    }
    else if ((fFlags & F_ALT) && uBase == 8 && pchDigits[0] != '0')
        szPrefix[cchPrefix++] = '0';

    size_t cchZeros = cchPrecision > 0 && (size_t)cchPrecision > cchDigits ? (size_t)cchPrecision - cchDigits : 0;
    size_t const cchBody = cchPrefix + cchZeros + cchDigits;
    size_t cchPad = cchWidth > 0 && (size_t)cchWidth > cchBody ? (size_t)cchWidth - cchBody : 0;
    if ((fFlags & F_ZERO) && !(fFlags & F_LEFT) && cchPrecision < 0)
    {
        cchZeros += cchPad;
        cchPad = 0;
    }
    if (!(fFlags & F_LEFT))
        Out.pad(' ', cchPad);
    Out.put(szPrefix, cchPrefix);
    Out.pad('0', cchZeros);
    Out.put(pchDigits, cchDigits);
    if (fFlags & F_LEFT)
        Out.pad(' ', cchPad);
}

void rtInterimFormatV(RTINTERIMOUT &Out, const char *pszFormat, va_list *pva);

void rtInterimStatus(RTINTERIMOUT &Out, char chKind, int rc, unsigned fFlags, int cchWidth)
{
    char szTmp[64];
    const RTINTERIMSTATUS *pStatus = rtInterimStatusLookup(rc);
    switch (chKind)
    {
        case 'c':
            if (pStatus)
                rtInterimPutField(Out, pStatus->pszName, strlen(pStatus->pszName), fFlags, cchWidth);
            else
                rtInterimPutNumber(Out, rc < 0 ? 0 - (uint64_t)(int64_t)rc : (uint64_t)rc, rc < 0, 10, false, fFlags, cchWidth, -1);
            break;
        case 's':
        case 'f':
            if (pStatus)
                rtInterimPutField(Out, pStatus->pszMsg, strlen(pStatus->pszMsg), fFlags, cchWidth);
            else
            {
                int cch = snprintf(szTmp, sizeof(szTmp), "Unknown Status %d (%#x)", rc, (unsigned)rc);
                Out.put(szTmp, (size_t)cch);
            }
            break;
        default: /* 'a' */
            if (pStatus)
            {
                int cch = snprintf(szTmp, sizeof(szTmp), " (%d) - ", rc);
                Out.put(pStatus->pszName, strlen(pStatus->pszName));
                Out.put(szTmp, (size_t)cch);
                Out.put(pStatus->pszMsg, strlen(pStatus->pszMsg));
            }
            else
            {
                int cch = snprintf(szTmp, sizeof(szTmp), "Unknown Status %d (%#x)", rc, (unsigned)rc);
                Out.put(szTmp, (size_t)cch);
            }
            break;
    }
}

void rtInterimFormatV(RTINTERIMOUT &Out, const char *pszFormat, va_list *pva)
{
    const char *pch = pszFormat;
    for (;;)
    {
        const char *pchStart = pch;
        while (*pch && *pch != '%')
            pch++;
        Out.put(pchStart, (size_t)(pch - pchStart));
        if (!*pch)
            return;
        pch++; /* '%' */

        unsigned fFlags = 0;
        for (;; pch++)
        {
            if (*pch == '-') fFlags |= F_LEFT;
            else if (*pch == '+') fFlags |= F_PLUS;
            else if (*pch == ' ') fFlags |= F_SPACE;
            else if (*pch == '#') fFlags |= F_ALT;
            else if (*pch == '0') fFlags |= F_ZERO;
            else break;
        }
        int cchWidth = -1;
        if (*pch == '*')
        {
            cchWidth = va_arg(*pva, int);
            if (cchWidth < 0)
            {
                fFlags |= F_LEFT;
                cchWidth = -cchWidth;
            }
            pch++;
        }
        else if (*pch >= '0' && *pch <= '9')
        {
            cchWidth = 0;
            while (*pch >= '0' && *pch <= '9')
                cchWidth = cchWidth * 10 + (*pch++ - '0');
        }
        int cchPrecision = -1;
        if (*pch == '.')
        {
            pch++;
            cchPrecision = 0;
            if (*pch == '*')
            {
                cchPrecision = va_arg(*pva, int);
                pch++;
            }
            else
                while (*pch >= '0' && *pch <= '9')
                    cchPrecision = cchPrecision * 10 + (*pch++ - '0');
        }
        char chSize = 0;
        if (*pch == 'l' && pch[1] == 'l') { chSize = 'L'; pch += 2; }
        else if (*pch == 'h' && pch[1] == 'h') { chSize = 'H'; pch += 2; }
        else if (*pch == 'l' || *pch == 'h' || *pch == 'z' || *pch == 'j' || *pch == 't') chSize = *pch++;

        char const chConv = *pch;
        if (!chConv)
            return;
        pch++;
        switch (chConv)
        {
            case '%':
                Out.put("%", 1);
                break;
            case 'c':
            {
                char ch = (char)va_arg(*pva, int);
                rtInterimPutField(Out, &ch, 1, fFlags, cchWidth);
                break;
            }
            case 's':
            {
                const char *psz = va_arg(*pva, const char *);
                if (!psz)
                    psz = "<NULL>";
                size_t cch = 0;
                while (psz[cch] && (cchPrecision < 0 || cch < (size_t)cchPrecision))
                    cch++;
                rtInterimPutField(Out, psz, cch, fFlags, cchWidth);
                break;
            }
            case 'd':
            case 'i':
            {
                int64_t i64;
                switch (chSize)
                {
                    case 'L': case 'j': i64 = va_arg(*pva, long long); break;
                    case 'l': i64 = va_arg(*pva, long); break;
                    case 'z': case 't': i64 = (int64_t)va_arg(*pva, ptrdiff_t); break;
                    case 'h': i64 = (short)va_arg(*pva, int); break;
                    case 'H': i64 = (signed char)va_arg(*pva, int); break;
                    default: i64 = va_arg(*pva, int); break;
                }
                uint64_t const uAbs = i64 < 0 ? 0 - (uint64_t)i64 : (uint64_t)i64;
                rtInterimPutNumber(Out, uAbs, i64 < 0, 10, false, fFlags, cchWidth, cchPrecision);
                break;
            }
            case 'u':
            case 'x':
            case 'X':
            case 'o':
            {
                uint64_t u64;
                switch (chSize)
                {
                    case 'L': case 'j': u64 = va_arg(*pva, unsigned long long); break;
                    case 'l': u64 = va_arg(*pva, unsigned long); break;
                    case 'z': case 't': u64 = va_arg(*pva, size_t); break;
                    case 'h': u64 = (unsigned short)va_arg(*pva, unsigned); break;
                    case 'H': u64 = (unsigned char)va_arg(*pva, unsigned); break;
                    default: u64 = va_arg(*pva, unsigned); break;
                }
                unsigned const uBase = chConv == 'u' ? 10 : chConv == 'o' ? 8 : 16;
                rtInterimPutNumber(Out, u64, false, uBase, chConv == 'X', fFlags, cchWidth, cchPrecision);
                break;
            }
            case 'p':
            {
                uintptr_t const uPtr = (uintptr_t)va_arg(*pva, void *);
                rtInterimPutNumber(Out, uPtr, false, 16, false, F_ZERO, (int)sizeof(void *) * 2, -1);
                break;
            }
            case 'N':
            {
                const char *pszNested = va_arg(*pva, const char *);
                va_list *pvaNested = va_arg(*pva, va_list *);
                va_list vaCopy;
                va_copy(vaCopy, *pvaNested);
                rtInterimFormatV(Out, pszNested, &vaCopy);
                va_end(vaCopy);
                break;
            }
            case 'R':
                if (pch[0] == 'r' && (pch[1] == 'c' || pch[1] == 's' || pch[1] == 'f' || pch[1] == 'a'))
                {
                    rtInterimStatus(Out, pch[1], va_arg(*pva, int), fFlags, cchWidth);
                    pch += 2;
                }
                /* Other runtime types print nothing here. */
                break;
            default:
                break;
        }
    }
}

struct RTINTERIMBUF
{
    char   *pchNext;
    size_t  cbLeft;
    bool    fOverflow;
};

void rtInterimBufOut(void *pvArg, const char *pch, size_t cch)
{
    RTINTERIMBUF *pBuf = (RTINTERIMBUF *)pvArg;
    if (cch < pBuf->cbLeft)
    {
        memcpy(pBuf->pchNext, pch, cch);
        pBuf->pchNext += cch;
        pBuf->cbLeft  -= cch;
        *pBuf->pchNext = '\0';
    }
    else
    {
        pBuf->fOverflow = true;
        if (pBuf->cbLeft > 1)
        {
            memcpy(pBuf->pchNext, pch, pBuf->cbLeft - 1);
            pBuf->pchNext += pBuf->cbLeft - 1;
            *pBuf->pchNext = '\0';
            pBuf->cbLeft = 1;
        }
    }
}

void rtInterimCountOut(void *, const char *, size_t)
{
}

void rtInterimFileOut(void *pvArg, const char *pch, size_t cch)
{
    fwrite(pch, 1, cch, (FILE *)pvArg);
}

} /* namespace */

ptrdiff_t RTFmtBufCheckedV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va)
{
    RTINTERIMBUF Buf = { pszBuf, cbBuf, false };
    if (cbBuf)
        *pszBuf = '\0';
    RTINTERIMOUT Out = { rtInterimBufOut, &Buf, 0 };
    va_list vaCopy;
    va_copy(vaCopy, va);
    rtInterimFormatV(Out, pszFormat, &vaCopy);
    va_end(vaCopy);
    if (Buf.fOverflow || !cbBuf)
        return -(ptrdiff_t)Out.cchTotal - 1;
    return (ptrdiff_t)Out.cchTotal;
}

ptrdiff_t RTFmtBufChecked(char *pszBuf, size_t cbBuf, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTFmtBufCheckedV(pszBuf, cbBuf, pszFormat, va);
    va_end(va);
    return cch;
}

ptrdiff_t RTFmtAllocTagV(char **ppszBuffer, const char *pszFormat, va_list va, const char *pszTag)
{
    (void)pszTag;
    *ppszBuffer = nullptr;

    /* Count first, then allocate once and format for real. */
    RTINTERIMOUT Count = { rtInterimCountOut, nullptr, 0 };
    va_list vaCopy;
    va_copy(vaCopy, va);
    rtInterimFormatV(Count, pszFormat, &vaCopy);
    va_end(vaCopy);

    char *pszBuf = (char *)RTMemAlloc(Count.cchTotal + 1);
    if (!pszBuf)
        return -1;
    RTINTERIMBUF Buf = { pszBuf, Count.cchTotal + 1, false };
    *pszBuf = '\0';
    RTINTERIMOUT Out = { rtInterimBufOut, &Buf, 0 };
    va_copy(vaCopy, va);
    rtInterimFormatV(Out, pszFormat, &vaCopy);
    va_end(vaCopy);
    *ppszBuffer = pszBuf;
    return (ptrdiff_t)Out.cchTotal;
}

void RTStrRelease(char *psz)
{
    RTMemFree(psz);
}

ptrdiff_t rtInterimStreamPrintfV(FILE *pFile, const char *pszFormat, va_list va)
{
    RTINTERIMOUT Out = { rtInterimFileOut, pFile, 0 };
    va_list vaCopy;
    va_copy(vaCopy, va);
    rtInterimFormatV(Out, pszFormat, &vaCopy);
    va_end(vaCopy);
    fflush(pFile);
    return (ptrdiff_t)Out.cchTotal;
}

ptrdiff_t RTPrintf(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = rtInterimStreamPrintfV(stdout, pszFormat, va);
    va_end(va);
    return cch;
}
