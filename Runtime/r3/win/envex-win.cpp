/*
 * Environment lookup into a caller buffer. The process environment is read
 * from the platform each time, in UTF-16, so that values outside the ANSI
 * code page come through intact.
 */
#include <tulo/pathspecial.h>
#include <tulo/err.h>
#include <tulo/errconv.h>
#include <tulo/mem.h>
#include <tulo/string.h>
#include <tulo/utf16.h>

#include "r3/win/internal-fs-win.h"

#include <string.h>

int RTEnvGetEx(RTENV Env, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual)
{
    if (!RT_VALID_PTR(pszVar))
        return VERR_INVALID_POINTER;
    if (pszValue && !RT_VALID_PTR(pszValue))
        return VERR_INVALID_POINTER;
    if (pcchActual && !RT_VALID_PTR(pcchActual))
        return VERR_INVALID_POINTER;
    if (!pcchActual && (!pszValue || !cbValue))
        return VERR_INVALID_PARAMETER;
    if (pcchActual)
        *pcchActual = 0;
    if (Env != RTENV_DEFAULT)
        return VERR_INVALID_HANDLE;
    for (const char *psz = pszVar; *psz; psz++)
        if (*psz == '=')
            return VERR_ENV_INVALID_VAR_NAME;

    PRTUTF16 pwszVar = nullptr;
    int rc = rtFsUtf8ToUtf16(pszVar, RTSTR_MAX, &pwszVar, nullptr);
    if (RT_FAILURE(rc))
        return rc;

    RTUTF16  wszStack[512];
    PRTUTF16 pwszValue = wszStack;
    PRTUTF16 pwszHeap  = nullptr;
    DWORD    cwcBuf    = RT_ELEMENTS(wszStack);
    SetLastError(NO_ERROR);
    DWORD cwc = RTWINSYS(GetEnvironmentVariableW)(pwszVar, pwszValue, cwcBuf);
    DWORD dwErr = GetLastError();
    /* Too small: the answer is the size needed; the value may change meanwhile. */
    while (cwc >= cwcBuf)
    {
        if (cwc > 32767)
        {
            rc = VERR_INTERNAL_ERROR_3;
            break;
        }
        RTMemFree(pwszHeap);
        cwcBuf = cwc + 1;
        pwszValue = pwszHeap = (PRTUTF16)RTMemAlloc(cwcBuf * sizeof(RTUTF16));
        if (!pwszHeap)
        {
            rc = VERR_NO_TMP_MEMORY;
            break;
        }
        SetLastError(NO_ERROR);
        cwc = RTWINSYS(GetEnvironmentVariableW)(pwszVar, pwszValue, cwcBuf);
        dwErr = GetLastError();
    }

    if (RT_SUCCESS(rc))
    {
        if (cwc == 0 && dwErr != NO_ERROR)
            rc = RTErrConvertFromWin32(dwErr);
        else
        {
            size_t cch = 0;
            if (pszValue && cbValue)
                rc = rtFsUtf16ToUtf8Buf(pwszValue, cwc, pszValue, cbValue, &cch);
            else
                rc = RTUtf16CountUtf8Bytes(pwszValue, cwc, &cch);
            if (pcchActual && (RT_SUCCESS(rc) || rc == VERR_BUFFER_OVERFLOW))
                *pcchActual = cch;
        }
    }
    RTMemFree(pwszHeap);
    RTMemFree(pwszVar);
    return rc;
}
