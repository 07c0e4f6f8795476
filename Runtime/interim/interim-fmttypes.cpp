/*
 * Interim %R handlers: the status code types %Rrc, %Rrs, %Rrf and %Rra from
 * the plain generated status table, until the packed status texts and the
 * full set of runtime format types land. Other keywords print nothing.
 */
#include "common/string/format-internal.h"

#include <tulo/err.h>

#include <string.h>

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

size_t rtInterimPut(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *psz)
{
    return pfnOutput(pvArgOutput, psz, strlen(psz));
}

/* Signed decimal, or 0x-prefixed hex of the 32-bit pattern. */
size_t rtInterimPutNum(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, int iValue, bool fHex)
{
    char szBuf[16];
    char *psz = &szBuf[sizeof(szBuf) - 1];
    *psz = '\0';
    uint32_t u = fHex || iValue >= 0 ? (uint32_t)iValue : 0u - (uint32_t)iValue;
    unsigned const uBase = fHex ? 16 : 10;
    do
    {
        *--psz = "0123456789abcdef"[u % uBase];
        u /= uBase;
    } while (u);
    if (fHex)
    {
        *--psz = 'x';
        *--psz = '0';
    }
    else if (iValue < 0)
        *--psz = '-';
    return rtInterimPut(pfnOutput, pvArgOutput, psz);
}

size_t rtInterimUnknown(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, int rc)
{
    size_t cch = rtInterimPut(pfnOutput, pvArgOutput, "Unknown Status ");
    cch += rtInterimPutNum(pfnOutput, pvArgOutput, rc, false);
    cch += rtInterimPut(pfnOutput, pvArgOutput, " (");
    cch += rtInterimPutNum(pfnOutput, pvArgOutput, rc, true);
    cch += rtInterimPut(pfnOutput, pvArgOutput, ")");
    return cch;
}

} /* namespace */

size_t rtFmtRuntimeType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                        int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)cchWidth; (void)cchPrecision; (void)fFlags; (void)chArgSize;
    const char *psz = *ppszFormat; /* at the 'R' */
    if (psz[1] != 'r' || (psz[2] != 'c' && psz[2] != 's' && psz[2] != 'f' && psz[2] != 'a'))
    {
        *ppszFormat = psz + 1;
        return 0;
    }
    char const chKind = psz[2];
    *ppszFormat = psz + 3;
    int const rc = va_arg(*pArgs, int);
    const RTINTERIMSTATUS *pStatus = rtInterimStatusLookup(rc);
    if (!pStatus)
        return chKind == 'c' ? rtInterimPutNum(pfnOutput, pvArgOutput, rc, false)
                             : rtInterimUnknown(pfnOutput, pvArgOutput, rc);
    if (chKind == 'c')
        return rtInterimPut(pfnOutput, pvArgOutput, pStatus->pszName);
    if (chKind != 'a')
        return rtInterimPut(pfnOutput, pvArgOutput, pStatus->pszMsg);
    size_t cch = rtInterimPut(pfnOutput, pvArgOutput, pStatus->pszName);
    cch += rtInterimPut(pfnOutput, pvArgOutput, " (");
    cch += rtInterimPutNum(pfnOutput, pvArgOutput, rc, false);
    cch += rtInterimPut(pfnOutput, pvArgOutput, ") - ");
    cch += rtInterimPut(pfnOutput, pvArgOutput, pStatus->pszMsg);
    return cch;
}

size_t rtFmtCustomType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                       int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)pfnOutput; (void)pvArgOutput; (void)pArgs;
    (void)cchWidth; (void)cchPrecision; (void)fFlags; (void)chArgSize;
    /* Skip "R[name]" without passing the terminator. */
    const char *psz = *ppszFormat + 1;
    while (*psz && *psz != ']')
        psz++;
    *ppszFormat = *psz ? psz + 1 : psz;
    return 0;
}
