/*
 * Text forms of the %R format types: strings escaped for XML attributes and
 * elements, JSON and URLs (%RMas, %RMes, %RMjs, %RMpa, %RMpq, %RMpf, %RMpp),
 * the last component of a path (%Rbn), the bare name in a function signature
 * (%Rfn) and big-endian UTF-16 (%lRbs).
 */
#include "format-rt-internal.h"

#include <tulo/string.h>
#include <tulo/utf16.h>

namespace {

/** The replacement of one byte, or NULL when it passes unchanged. pszBuf
 * (at least 8 bytes) receives replacements that are built. */
const char *rtFmtRtEscapeByte(RTFMTRTESCAPE enmEscape, unsigned char ch, char *pszBuf)
{
    switch (enmEscape)
    {
        case kRTFmtRtEscape_XmlAttr:
        case kRTFmtRtEscape_XmlElem:
            switch (ch)
            {
                case '<':  return "&lt;";
                case '>':  return "&gt;";
                case '&':  return "&amp;";
                case '"':  return "&quot;";
                case '\'': return enmEscape == kRTFmtRtEscape_XmlElem ? "&apos;" : nullptr;
                /* Attribute value normalisation would turn these into spaces. */
                case '\n': return enmEscape == kRTFmtRtEscape_XmlAttr ? "&#xA;" : nullptr;
                case '\r': return enmEscape == kRTFmtRtEscape_XmlAttr ? "&#xD;" : nullptr;
                default:   return nullptr;
            }

        case kRTFmtRtEscape_Json:
            switch (ch)
            {
                case '"':  return "\\\"";
                case '\\': return "\\\\";
                case 0x08: return "\\b";
                case 0x09: return "\\t";
                case 0x0a: return "\\n";
                case 0x0c: return "\\f";
                default:
                    if (ch >= 0x20)
                        return nullptr;     /* UTF-8 sequences pass as they are */
                    memcpy(pszBuf, "\\u00", 4);
                    *rtFmtRtWriteHex(&pszBuf[4], ch, 2) = '\0';
                    return pszBuf;
            }

        default:
            /* The unreserved characters of URIs, and what each form keeps besides. */
            if (   (ch >= 'A' && ch <= 'Z')
                || (ch >= 'a' && ch <= 'z')
                || (ch >= '0' && ch <= '9')
                || ch == '-' || ch == '.' || ch == '_' || ch == '~')
                return nullptr;
            if (enmEscape == kRTFmtRtEscape_PercentQuery && ch == '+')
                return nullptr;
            if (enmEscape == kRTFmtRtEscape_PercentPath && ch == '/')
                return nullptr;
            if (enmEscape == kRTFmtRtEscape_PercentForm && ch == ' ')
                return "+";
            pszBuf[0] = '%';
            pszBuf[1] = "0123456789ABCDEF"[ch >> 4];
            pszBuf[2] = "0123456789ABCDEF"[ch & 0xf];
            pszBuf[3] = '\0';
            return pszBuf;
    }
}

bool rtFmtRtIsPathSep(char ch)
{
    return ch == '\\' || ch == '/' || ch == ':';
}

/** "<NULL>" as big-endian UTF-16, terminated, for unreadable %lRbs strings. */
const union
{
    uint8_t ab[14];
    RTUTF16 awc[7];
} g_BeNull = { { 0, '<', 0, 'N', 0, 'U', 0, 'L', 0, 'L', 0, '>', 0, 0 } };

} /* namespace */

size_t rtFmtRtEscaped(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *psz, RTFMTRTESCAPE enmEscape,
                      int cchWidth, int cchPrecision, unsigned fFlags)
{
    if (!RT_VALID_PTR(psz))
        psz = "<NULL>";
    /* Never look beyond the precision: the text need not be terminated. */
    size_t const cchMax = cchPrecision >= 0 ? (size_t)cchPrecision : RTSTR_MAX;
    size_t cch = 0;
    while (cch < cchMax && psz[cch])
        cch++;

    bool const fPercent = enmEscape >= kRTFmtRtEscape_Percent;
    bool const fQuotes  = enmEscape == kRTFmtRtEscape_XmlAttr || enmEscape == kRTFmtRtEscape_Json;
    const char *pszPadUnit = fPercent ? "%20" : " ";
    size_t const cchPadUnit = fPercent ? 3 : 1;
    /* The width counts source bytes; the quotes stand outside it. */
    size_t const cPad = cchWidth > 0 && (size_t)cchWidth > cch ? (size_t)cchWidth - cch : 0;

    size_t cchRet = 0;
    if (fQuotes)
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, "\"", 1);
    if (cPad && !(fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtRtPad(pfnOutput, pvArgOutput, pszPadUnit, cchPadUnit, cPad);

    size_t offRun = 0;
    for (size_t off = 0; off < cch; off++)
    {
        char szBuf[8];
        const char *pszEscape = rtFmtRtEscapeByte(enmEscape, (unsigned char)psz[off], szBuf);
        if (pszEscape)
        {
            cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, &psz[offRun], off - offRun);
            cchRet += rtFmtRtPutSz(pfnOutput, pvArgOutput, pszEscape);
            offRun = off + 1;
        }
    }
    cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, &psz[offRun], cch - offRun);

    if (cPad && (fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtRtPad(pfnOutput, pvArgOutput, pszPadUnit, cchPadUnit, cPad);
    if (fQuotes)
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, "\"", 1);
    return cchRet;
}

size_t rtFmtRtBaseName(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pszPath, int cchWidth,
                       unsigned fFlags)
{
    if (!RT_VALID_PTR(pszPath))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pszPath, cchWidth, fFlags, "!BadBaseName");
    /* After the last run of separators that something follows; trailing
     * separators stay with the last component. */
    const char *pszName = pszPath;
    const char *psz = pszPath;
    for (; *psz; psz++)
        if (rtFmtRtIsPathSep(psz[0]) && psz[1] && !rtFmtRtIsPathSep(psz[1]))
            pszName = psz + 1;
    return rtFmtRtPut(pfnOutput, pvArgOutput, pszName, (size_t)(psz - pszName));
}

size_t rtFmtRtFunctionName(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pszSignature, int cchWidth,
                           unsigned fFlags)
{
    if (!RT_VALID_PTR(pszSignature))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pszSignature, cchWidth, fFlags, "!BadFnNm");
    /* The name follows the last blanks outside template brackets before the
     * parameter list: return type and calling convention come before it. */
    const char *pszName = pszSignature;
    const char *psz = pszSignature;
    unsigned cDepth = 0;
    while (*psz && *psz != '(')
    {
        char const ch = *psz;
        if ((ch == ' ' || ch == '\t') && !cDepth)
        {
            while (*psz == ' ' || *psz == '\t')
                psz++;
            if (*psz && *psz != '(')
                pszName = psz;
            continue;
        }
        if (ch == '<')
            cDepth++;
        else if (ch == '>' && cDepth)
            cDepth--;
        psz++;
    }
    return rtFmtRtPut(pfnOutput, pvArgOutput, pszName, (size_t)(psz - pszName));
}

size_t rtFmtRtBeUtf16(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvString, int cchWidth,
                      int cchPrecision, unsigned fFlags)
{
    /* The precision is the number of units there are; without it there is
     * no telling where the text ends. */
    if (cchPrecision < 0)
        return 0;
    if (!RT_VALID_PTR(pvString))
        pvString = g_BeNull.awc;

    /* Units up to the precision or a 0 unit, read byte-wise (most
     * significant first), so that the padding can come first. */
    const uint8_t *pb = (const uint8_t *)pvString;
    size_t const cMax = (size_t)cchPrecision;
    size_t cUnits = 0;
    while (cUnits < cMax && (pb[cUnits * 2] | pb[cUnits * 2 + 1]))
        cUnits++;

    size_t const cPad = cchWidth > 0 && (size_t)cchWidth > cUnits ? (size_t)cchWidth - cUnits : 0;
    size_t cchRet = 0;
    if (cPad && !(fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtRtPad(pfnOutput, pvArgOutput, " ", 1, cPad);

    PCRTUTF16 pwsz = (PCRTUTF16)pvString;
    PCRTUTF16 const pwszEnd = pwsz + cUnits;
    while (pwsz < pwszEnd)
    {
        RTUNICP uCp;
        const uint8_t *pbUnit = (const uint8_t *)pwsz;
        if (pwszEnd - pwsz == 1 && (pbUnit[0] & 0xfc) == 0xd8)
        {
            /* A high surrogate in the last unit would make the reader look at
             * the unit after the precision. */
            uCp = RTCP_INVALID;
            pwsz++;
        }
        else
            RTUtf16BeReadCp(&pwsz, &uCp);
        /* What cannot be decoded prints as the writer's replacement byte. */
        char achBuf[8];
        char *pchEnd = RTStrWriteCp(achBuf, uCp);
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, achBuf, (size_t)(pchEnd - achBuf));
    }

    if (cPad && (fFlags & RTFMT_F_LEFT))
        cchRet += rtFmtRtPad(pfnOutput, pvArgOutput, " ", 1, cPad);
    return cchRet;
}
