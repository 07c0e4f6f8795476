/*
 * Shared by the handlers of the runtime's %R format types: the records they
 * read through pointers, the handlers of the other format-rt files, and small
 * output helpers. Every handler returns the sum of what the output callback
 * returned for its calls, never a length of its own.
 */
#ifndef TULO_FORMAT_RT_INTERNAL_H
#define TULO_FORMAT_RT_INTERNAL_H

#include "common/string/format-internal.h"

#include <tulo/errinfo.h>
#include <tulo/net.h>
#include <tulo/types.h>

#include <string.h>

/** The size bits of the conversion flags; the types set their own. */
#define RTFMTRT_F_SIZE_MASK (RTFMT_F_8BIT | RTFMT_F_16BIT | RTFMT_F_32BIT | RTFMT_F_64BIT)

/** Escaped string forms (%RMas, %RMes, %RMjs, %RMpa, %RMpq, %RMpf, %RMpp). */
typedef enum RTFMTRTESCAPE
{
    kRTFmtRtEscape_XmlAttr = 0,
    kRTFmtRtEscape_XmlElem,
    kRTFmtRtEscape_Json,
    kRTFmtRtEscape_Percent,
    kRTFmtRtEscape_PercentQuery,
    kRTFmtRtEscape_PercentForm,
    kRTFmtRtEscape_PercentPath
} RTFMTRTESCAPE;

/* format-rt-net.cpp */
size_t rtFmtRtIPv4(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint32_t u32AddrNetOrder);
/** Compressed text of an IPv6 address into pszBuf (RTFMTRT_IPV6_MAX bytes);
 * returns the length. */
#define RTFMTRT_IPV6_MAX 48
size_t rtFmtRtFormatIPv6(char *pszBuf, const uint8_t *pabAddr);
size_t rtFmtRtIPv6(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvAddr, int cchWidth, unsigned fFlags);
size_t rtFmtRtMac(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvMac, int cchWidth, unsigned fFlags);
size_t rtFmtRtNetAddr(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvAddr, int cchWidth,
                      unsigned fFlags);
size_t rtFmtRtUuid(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvUuid, int cchWidth, unsigned fFlags);

/* format-rt-dump.cpp */
/** Hex dump of pvData; uAddr is the address printed, cchAddr its digits
 * (0: the natural pointer width with the data pointer as address). */
size_t rtFmtRtHexDump(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvData, uint64_t uAddr, bool fAddrGiven,
                      char chForm, int cchWidth, int cchPrecision, unsigned fFlags);
/** Size with units; chUnits 'b' (Ki), 'B' (K) or 'i' (decimal), fByteSuffix for the c forms. */
size_t rtFmtRtSize(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint64_t cb, char chUnits, bool fByteSuffix,
                   int cchWidth, int cchPrecision, unsigned fFlags);

/* format-rt-text.cpp */
size_t rtFmtRtEscaped(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *psz, RTFMTRTESCAPE enmEscape,
                      int cchWidth, int cchPrecision, unsigned fFlags);
size_t rtFmtRtBaseName(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pszPath, int cchWidth,
                       unsigned fFlags);
size_t rtFmtRtFunctionName(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pszSignature, int cchWidth,
                           unsigned fFlags);
size_t rtFmtRtBeUtf16(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvString, int cchWidth,
                      int cchPrecision, unsigned fFlags);

/*
 * Output helpers.
 */

/** Hands cch characters to the callback; an empty piece makes no call, so
 * that only the engine makes the end call (NULL, 0). */
inline size_t rtFmtRtPut(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pch, size_t cch)
{
    return cch ? pfnOutput(pvArgOutput, pch, cch) : 0;
}

inline size_t rtFmtRtPutSz(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *psz)
{
    return rtFmtRtPut(pfnOutput, pvArgOutput, psz, strlen(psz));
}

/** cCount copies of the unit pchUnit (cchUnit bytes, at most 3), in a few calls. */
size_t rtFmtRtPad(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pchUnit, size_t cchUnit, size_t cCount);

/** RTFmtNumber and one output call. */
size_t rtFmtRtPutNumber(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint64_t u64Value, unsigned uBase,
                        int cchWidth, int cchPrecision, unsigned fFlags);

/** Writes u64Value in lower-case hex with at least cMinDigits digits (no
 * terminator); returns the position after it. */
inline char *rtFmtRtWriteHex(char *pch, uint64_t u64Value, unsigned cMinDigits)
{
    unsigned cDigits = 1;
    while (cDigits < 16 && (u64Value >> (4 * cDigits)))
        cDigits++;
    if (cDigits < cMinDigits)
        cDigits = cMinDigits;
    for (unsigned i = cDigits; i-- > 0;)
        *pch++ = "0123456789abcdef"[i < 16 ? (u64Value >> (4 * i)) & 0xf : 0];
    return pch;
}

/** Writes u64Value in decimal (no terminator); returns the position after it. */
inline char *rtFmtRtWriteDec(char *pch, uint64_t u64Value)
{
    char achTmp[20];
    unsigned cch = 0;
    do
    {
        achTmp[cch++] = (char)('0' + u64Value % 10);
        u64Value /= 10;
    } while (u64Value);
    while (cch > 0)
        *pch++ = achTmp[--cch];
    return pch;
}

/** Collects small pieces and hands them on in larger calls, keeping the sum
 * of what the callback returned. */
typedef struct RTFMTRTOUT
{
    PFNRTFMTOUTPUT  pfnOutput;
    void           *pvArgOutput;
    size_t          cchRet;
    size_t          off;
    char            achBuf[120];
} RTFMTRTOUT;

inline void rtFmtRtOutInit(RTFMTRTOUT *pOut, PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput)
{
    pOut->pfnOutput   = pfnOutput;
    pOut->pvArgOutput = pvArgOutput;
    pOut->cchRet      = 0;
    pOut->off         = 0;
}

inline void rtFmtRtOutFlush(RTFMTRTOUT *pOut)
{
    if (pOut->off)
    {
        pOut->cchRet += pOut->pfnOutput(pOut->pvArgOutput, pOut->achBuf, pOut->off);
        pOut->off = 0;
    }
}

/** Room for at least cch more bytes (cch at most sizeof(achBuf)); returns
 * where to write them. Commit with rtFmtRtOutCommit. */
inline char *rtFmtRtOutReserve(RTFMTRTOUT *pOut, size_t cch)
{
    if (sizeof(pOut->achBuf) - pOut->off < cch)
        rtFmtRtOutFlush(pOut);
    return &pOut->achBuf[pOut->off];
}

inline void rtFmtRtOutCommit(RTFMTRTOUT *pOut, const char *pchEnd)
{
    pOut->off = (size_t)(pchEnd - pOut->achBuf);
}

inline void rtFmtRtOutPut(RTFMTRTOUT *pOut, const char *pch, size_t cch)
{
    while (cch)
    {
        if (pOut->off == sizeof(pOut->achBuf))
            rtFmtRtOutFlush(pOut);
        size_t cchThis = sizeof(pOut->achBuf) - pOut->off;
        if (cchThis > cch)
            cchThis = cch;
        memcpy(&pOut->achBuf[pOut->off], pch, cchThis);
        pOut->off += cchThis;
        pch += cchThis;
        cch -= cchThis;
    }
}

inline void rtFmtRtOutCh(RTFMTRTOUT *pOut, char ch)
{
    rtFmtRtOutPut(pOut, &ch, 1);
}

inline size_t rtFmtRtOutDone(RTFMTRTOUT *pOut)
{
    rtFmtRtOutFlush(pOut);
    return pOut->cchRet;
}

#endif
