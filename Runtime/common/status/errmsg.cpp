/*
 * Status texts: lookup in the packed table and expansion of the compressed
 * text store, for the %Rrc, %Rrs, %Rrf and %Rra forms. The store is trusted no
 * further than its size: an entry or dictionary word pointing outside it
 * prints nothing for that text.
 */
#include "errmsg.h"

#include <tulo/err.h>
#include <tulo/string.h>

#include <string.h>

#include "status-strtab.inc"

static const RTSTATUSSTRTAB g_RTStatusStrTab =
{
    g_abRTStatusStrTab,
    RTSTATUS_STRTAB_SIZE,
    RT_ELEMENTS(g_auRTStatusCompDict),
    g_auRTStatusCompDict
};

int rtErrLookup(int rc)
{
    size_t iLo = 0;
    size_t iHi = RT_ELEMENTS(g_aRTStatusMsgs);
    for (;;)
    {
        size_t const iMid = iLo + (iHi - iLo) / 2;
        int32_t const iCode = RTSTATUSMSG_CODE(g_aRTStatusMsgs[iMid]);
        if (rc < iCode)
        {
            if (iLo >= iMid)
                return -1;
            iHi = iMid;
        }
        else if (rc > iCode)
        {
            iLo = iMid + 1;
            if (iLo >= iHi)
                return -1;
        }
        else
            return (int)iMid;
    }
}

size_t rtStatusStrTabOutputEx(const RTSTATUSSTRTAB *pStrTab, uint32_t offText, uint32_t cchText,
                              PFNRTFMTOUTPUT pfnOutput, void *pvUser)
{
    if (offText >= pStrTab->cchStrTab || cchText > pStrTab->cchStrTab - offText)
        return 0;
    const uint8_t *pb = &pStrTab->pchStrTab[offText];
    if (!pStrTab->cCompDict)
        return pfnOutput(pvUser, (const char *)pb, cchText);

    bool const fEscapes = pStrTab->cCompDict <= 255;
    size_t cchRet = 0;
    uint32_t off = 0;
    while (off < cchText)
    {
        uint8_t const b = pb[off++];
        if (b == 0xff && fEscapes)
        {
            if (off >= cchText)
                break;
            if (pb[off] < 0x80)
            {
                cchRet += pfnOutput(pvUser, (const char *)&pb[off], 1);
                off++;
                continue;
            }
            const char *pszChar = (const char *)&pb[off];
            const char *psz = pszChar;
            size_t cchLeft = cchText - off;
            RTUNICP uc;
            if (RT_SUCCESS(RTStrReadCpN(&psz, &cchLeft, &uc)))
            {
                cchRet += pfnOutput(pvUser, pszChar, (size_t)(psz - pszChar));
                off += (uint32_t)(psz - pszChar);
            }
            else
            {
                cchRet += pfnOutput(pvUser, "?", 1);
                off++;
            }
            continue;
        }
        uint32_t const uEntry = b < pStrTab->cCompDict ? pStrTab->paCompDict[b] : b;
        if (uEntry > 0x7fffff)
        {
            uint32_t const offWord = uEntry & 0x3fffff;
            uint32_t const cchWord = uEntry >> 22;
            if (offWord >= pStrTab->cchStrTab || cchWord > pStrTab->cchStrTab - offWord)
                break;
            cchRet += pfnOutput(pvUser, (const char *)&pStrTab->pchStrTab[offWord], cchWord);
        }
        else
            cchRet += pfnOutput(pvUser, (const char *)&b, 1);
    }
    return cchRet;
}

size_t rtStatusStrTabOutput(uint32_t offText, uint32_t cchText, PFNRTFMTOUTPUT pfnOutput, void *pvUser)
{
    return rtStatusStrTabOutputEx(&g_RTStatusStrTab, offText, cchText, pfnOutput, pvUser);
}

static size_t rtErrPutStr(PFNRTFMTOUTPUT pfnOutput, void *pvUser, const char *psz)
{
    return pfnOutput(pvUser, psz, strlen(psz));
}

/* Signed decimal, no minimum width. */
static size_t rtErrPutDec(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    ptrdiff_t const cch = RTFmtNumber32(pszTmp, RTERR_SCRATCH_SIZE, (uint32_t)rc, 10, 0, -1, RTFMT_F_VALSIGNED);
    return cch > 0 ? pfnOutput(pvUser, pszTmp, (size_t)cch) : 0;
}

/* Lower-case hexadecimal with the 0x prefix, no minimum width. */
static size_t rtErrPutHex(uint32_t u, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    ptrdiff_t const cch = RTFmtNumber32(pszTmp, RTERR_SCRATCH_SIZE, u, 16, 0, -1, RTFMT_F_SPECIAL);
    return cch > 0 ? pfnOutput(pvUser, pszTmp, (size_t)cch) : 0;
}

size_t rtErrFormatUnknown(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    size_t cch = rtErrPutStr(pfnOutput, pvUser, "Unknown Status ");
    cch += rtErrPutDec(rc, pfnOutput, pvUser, pszTmp);
    cch += rtErrPutStr(pfnOutput, pvUser, " (");
    cch += rtErrPutHex((uint32_t)rc, pfnOutput, pvUser, pszTmp);
    cch += rtErrPutStr(pfnOutput, pvUser, ")");
    return cch;
}

size_t rtErrFormatDefine(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    int const i = rtErrLookup(rc);
    if (i < 0)
        return rtErrPutDec(rc, pfnOutput, pvUser, pszTmp);
    return rtStatusStrTabOutput(RTSTATUSMSG_OFF_DEFINE(g_aRTStatusMsgs[i]), RTSTATUSMSG_CCH_DEFINE(g_aRTStatusMsgs[i]),
                                pfnOutput, pvUser);
}

size_t rtErrFormatMessage(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    int const i = rtErrLookup(rc);
    if (i < 0)
        return rtErrFormatUnknown(rc, pfnOutput, pvUser, pszTmp);
    return rtStatusStrTabOutput(RTSTATUSMSG_OFF_MESSAGE(g_aRTStatusMsgs[i]),
                                RTSTATUSMSG_CCH_MESSAGE(g_aRTStatusMsgs[i]), pfnOutput, pvUser);
}

size_t rtErrFormatAll(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    int const i = rtErrLookup(rc);
    if (i < 0)
        return rtErrFormatUnknown(rc, pfnOutput, pvUser, pszTmp);
    RTSTATUSMSG const Entry = g_aRTStatusMsgs[i];
    size_t cch = rtStatusStrTabOutput(RTSTATUSMSG_OFF_DEFINE(Entry), RTSTATUSMSG_CCH_DEFINE(Entry), pfnOutput, pvUser);
    cch += rtErrPutStr(pfnOutput, pvUser, " (");
    cch += rtErrPutDec(rc, pfnOutput, pvUser, pszTmp);
    cch += rtErrPutStr(pfnOutput, pvUser, ") - ");
    cch += rtStatusStrTabOutput(RTSTATUSMSG_OFF_MESSAGE(Entry), RTSTATUSMSG_CCH_MESSAGE(Entry), pfnOutput, pvUser);
    return cch;
}

/*
 * Win32 error names: one record over a 13-byte pool in this system.
 */
typedef struct RTWINERRMSG
{
    int16_t iCode;
    uint8_t offDefine;
    uint8_t cchDefine;
    uint8_t offMessage;
    uint8_t cchMessage;
} RTWINERRMSG;

static const char g_achRTWinErrPool[13] = { 'E', 'R', 'R', 'O', 'R', '_', 'S', 'U', 'C', 'C', 'E', 'S', 'S' };
static const RTWINERRMSG g_aRTWinErrMsgs[] = { { 0, 0, 13, 0, 13 } };

int rtErrWinLookup(uint32_t uCode)
{
    for (size_t i = 0; i < RT_ELEMENTS(g_aRTWinErrMsgs); i++)
        if ((int32_t)uCode == g_aRTWinErrMsgs[i].iCode)
            return (int)i;
    return -1;
}

static size_t rtErrWinPutName(int i, PFNRTFMTOUTPUT pfnOutput, void *pvUser)
{
    RTWINERRMSG const &Rec = g_aRTWinErrMsgs[i];
    if (Rec.offDefine >= sizeof(g_achRTWinErrPool) || Rec.cchDefine > sizeof(g_achRTWinErrPool) - Rec.offDefine)
        return 0;
    return pfnOutput(pvUser, &g_achRTWinErrPool[Rec.offDefine], Rec.cchDefine);
}

/* Facility 7 (FACILITY_WIN32) values carry a Win32 number in their low 16 bits. */
static int rtErrWinLookupFacility7(uint32_t uCode)
{
    if (((uCode >> 16) & 0x1fff) != 7)
        return -1;
    return rtErrWinLookup(uCode & 0xffff);
}

size_t rtErrWinFormatDefine(uint32_t uCode, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    int i = rtErrWinLookup(uCode);
    if (i >= 0)
        return rtErrWinPutName(i, pfnOutput, pvUser);
    i = rtErrWinLookupFacility7(uCode);
    size_t cch = 0;
    if (i >= 0)
    {
        cch += rtErrWinPutName(i, pfnOutput, pvUser);
        cch += rtErrPutStr(pfnOutput, pvUser, "/");
    }
    return cch + rtErrPutHex(uCode, pfnOutput, pvUser, pszTmp);
}

size_t rtErrWinFormatAll(uint32_t uCode, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp)
{
    int i = rtErrWinLookup(uCode);
    if (i < 0)
        i = rtErrWinLookupFacility7(uCode);
    if (i < 0)
    {
        size_t const cch = rtErrPutStr(pfnOutput, pvUser, "Unknown Status ");
        return cch + rtErrPutHex(uCode, pfnOutput, pvUser, pszTmp);
    }
    size_t cch = rtErrWinPutName(i, pfnOutput, pvUser);
    cch += rtErrPutStr(pfnOutput, pvUser, " (");
    cch += rtErrPutHex(uCode, pfnOutput, pvUser, pszTmp);
    cch += rtErrPutStr(pfnOutput, pvUser, ")");
    return cch;
}
