/*
 * Environment variable lookup into texts the caller does not free: results
 * go into a ring of 64 slots, and each new result frees the one it replaces.
 */
#include <tulo/env.h>
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <windows.h>

#include "common/misc/atomic-internal.h"

#define RTENV_RING_SIZE     64u
/** The stack buffer of the first attempt, and the growth of every retry. */
#define RTENV_FIRST_CWC     512u
/** No variable value can be longer than this. */
#define RTENV_MAX_CWC       32768u

static char * volatile  g_apszEnvRing[RTENV_RING_SIZE];
static uint32_t volatile g_iEnvRing = 0;

static bool rtEnvNameHasEquals(const char *pszVar)
{
    for (; *pszVar; pszVar++)
        if (*pszVar == '=')
            return true;
    return false;
}

/* NT 3.x reports an empty value and a missing variable alike. */
static bool rtEnvIsNt3(void)
{
    DWORD const dwVersion = GetVersion();
    return !(dwVersion & UINT32_C(0x80000000)) && LOBYTE(LOWORD(dwVersion)) == 3;
}

const char *RTEnvGet(const char *pszVar)
{
    if (!RT_VALID_PTR(pszVar) || rtEnvNameHasEquals(pszVar))
        return nullptr;
    PRTUTF16 pwszVar = nullptr;
    if (RT_FAILURE(RTStrToUtf16(pszVar, &pwszVar)))
        return nullptr;

    WCHAR wszStack[RTENV_FIRST_CWC];
    WCHAR *pwszHeap = nullptr;
    WCHAR *pwszValue = wszStack;
    size_t cwcBuf = RTENV_FIRST_CWC;
    SetLastError(ERROR_SUCCESS);
    DWORD cwcValue = GetEnvironmentVariableW(pwszVar, pwszValue, (DWORD)cwcBuf);
    DWORD dwErr = GetLastError();

    /* Too small: the call reported the size it needs, terminator included.
     * The value may grow between the calls, so each retry asks for more. */
    char *pszResult = nullptr;
    bool fGaveUp = false;
    for (unsigned cRetries = 0; cwcValue >= cwcBuf; cRetries++)
    {
        RTMemFree(pwszHeap);
        pwszHeap = nullptr;
        if (cwcBuf >= RTENV_MAX_CWC)
        {
            fGaveUp = true;
            break;
        }
        size_t cwcNew = (size_t)cwcValue + cRetries;
        if (cwcNew < cwcBuf + RTENV_FIRST_CWC)
            cwcNew = cwcBuf + RTENV_FIRST_CWC;
        pwszHeap = (WCHAR *)RTMemAlloc(cwcNew * sizeof(WCHAR));
        if (!pwszHeap)
        {
            fGaveUp = true;
            break;
        }
        pwszValue = pwszHeap;
        cwcBuf = cwcNew;
        SetLastError(ERROR_SUCCESS);
        cwcValue = GetEnvironmentVariableW(pwszVar, pwszValue, (DWORD)cwcBuf);
        dwErr = GetLastError();
    }

    if (!fGaveUp)
    {
        /* Length 0 is a missing variable when an error says so, otherwise an empty value. */
        bool fSet = cwcValue != 0 || dwErr == ERROR_SUCCESS;
        if (fSet && cwcValue == 0 && rtEnvIsNt3())
            fSet = GetEnvironmentVariableW(pwszVar, nullptr, 0) != 0;
        if (fSet)
        {
            char *psz = nullptr;
            if (RT_SUCCESS(RTUtf16ToUtf8Ex((PCRTUTF16)pwszValue, cwcValue, &psz, 0, nullptr)))
                pszResult = psz;
        }
    }

    RTMemFree(pwszHeap);
    RTMemFree(pwszVar);

    if (pszResult)
    {
        uint32_t const iSlot = rtAtomicInc(&g_iEnvRing) % RTENV_RING_SIZE;
        char *pszOld = rtAtomicXchg(&g_apszEnvRing[iSlot], pszResult);
        RTStrRelease(pszOld);
    }
    return pszResult;
}
