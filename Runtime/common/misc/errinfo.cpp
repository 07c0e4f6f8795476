/* Extended error information records. */
#include <tulo/errinfo.h>
#include <tulo/format.h>

PRTERRINFO RTErrInfoInit(PRTERRINFO pErrInfo, char *pszMsg, size_t cbMsg)
{
    pErrInfo->fFlags = RTERRINFO_MAGIC;
    pErrInfo->rc     = 0;
    pErrInfo->pszMsg = pszMsg;
    pErrInfo->cbMsg  = !pszMsg ? 0 : cbMsg > UINT32_MAX ? UINT32_MAX : (uint32_t)cbMsg;
    if (pErrInfo->cbMsg)
        pszMsg[0] = '\0';
    return pErrInfo;
}

void RTErrInfoClear(PRTERRINFO pErrInfo)
{
    if (!pErrInfo)
        return;
    pErrInfo->fFlags &= ~RTERRINFO_FLAGS_SET;
    pErrInfo->rc = 0;
    if (pErrInfo->cbMsg)
        pErrInfo->pszMsg[0] = '\0';
}

int RTErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszMsg)
{
    return RTErrInfoSetF(pErrInfo, rc, "%s", pszMsg);
}

int RTErrInfoSetV(PRTERRINFO pErrInfo, int rc, const char *pszFormat, va_list va)
{
    if (!pErrInfo)
        return rc;
    pErrInfo->fFlags |= RTERRINFO_FLAGS_SET;
    pErrInfo->rc = rc;
    if (pErrInfo->cbMsg)
        RTFmtBufV(pErrInfo->pszMsg, pErrInfo->cbMsg, pszFormat, va);
    return rc;
}

int RTErrInfoSetF(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    rc = RTErrInfoSetV(pErrInfo, rc, pszFormat, va);
    va_end(va);
    return rc;
}
