/*
 * Where things are on Windows: the temporary directory, the current
 * directory and drive, and the executable's directory.
 */
#include <tulo/pathspecial.h>
#include <tulo/err.h>
#include <tulo/errconv.h>
#include <tulo/mem.h>
#include <tulo/process.h>
#include <tulo/utf16.h>

#include "r3/win/internal-fs-win.h"

#include <string.h>

int RTPathTemp(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    /* The first variable that is set decides, even when it does not fit. */
    static const char * const s_apszVars[] = { "TULO_TMPDIR", "TMP", "TEMP", "USERPROFILE" };
    for (unsigned i = 0; i < RT_ELEMENTS(s_apszVars); i++)
    {
        int const rc = RTEnvGetEx(RTENV_DEFAULT, s_apszVars[i], pszPath, cbPath, nullptr);
        if (rc != VERR_ENV_VAR_NOT_FOUND)
            return rc;
    }
    if (cbPath < sizeof("/tmp"))
        return VERR_BUFFER_OVERFLOW;
    memcpy(pszPath, "/tmp", sizeof("/tmp"));
    return VINF_SUCCESS;
}

namespace {

/** Units of the fixed work buffers. */
constexpr DWORD RTPATHWIN_CWD_UNITS = 4100;

/** Runs a "fill this buffer, or tell me the size" query into the stack
 * buffer, or into a heap buffer when the answer is longer, so that a long
 * answer is never cut. *ppwszHeap is the heap buffer to free, if any. */
template<typename FnQuery>
int rtPathWinQueryGrowing(FnQuery const &fnQuery, PRTUTF16 pwszStack, DWORD cwcStack, PRTUTF16 *ppwszResult,
                          DWORD *pcwcResult, PRTUTF16 *ppwszHeap)
{
    PRTUTF16 pwszBuf = pwszStack;
    DWORD    cwcBuf  = cwcStack;
    *ppwszHeap = nullptr;
    for (unsigned iTry = 0; iTry < 4; iTry++)
    {
        DWORD const cwc = fnQuery(pwszBuf, cwcBuf);
        if (cwc == 0)
        {
            int const rc = RTErrConvertFromWin32(GetLastError());
            RTMemFree(*ppwszHeap);
            *ppwszHeap = nullptr;
            return rc;
        }
        if (cwc < cwcBuf)
        {
            *ppwszResult = pwszBuf;
            *pcwcResult  = cwc;
            return VINF_SUCCESS;
        }
        /* The answer is the size needed, terminator included; it may grow meanwhile. */
        RTMemFree(*ppwszHeap);
        cwcBuf = cwc + 64;
        *ppwszHeap = pwszBuf = (PRTUTF16)RTMemAlloc(cwcBuf * sizeof(RTUTF16));
        if (!pwszBuf)
            return VERR_NO_TMP_MEMORY;
    }
    RTMemFree(*ppwszHeap);
    *ppwszHeap = nullptr;
    return VERR_FILENAME_TOO_LONG;
}

/** Full-path normalisation of pwszIn, converted to UTF-8 into the caller's buffer. */
int rtPathWinFullToUtf8(PCRTUTF16 pwszIn, bool fUpperDrive, char *pszPath, size_t cbPath)
{
    RTUTF16  wszFull[RTPATHWIN_CWD_UNITS];
    PRTUTF16 pwszFull = nullptr;
    DWORD    cwcFull  = 0;
    PRTUTF16 pwszHeap = nullptr;
    int rc = rtPathWinQueryGrowing(
        [pwszIn](PRTUTF16 pwszBuf, DWORD cwcBuf) { return RTWINSYS(GetFullPathNameW)(pwszIn, cwcBuf, pwszBuf, nullptr); },
        wszFull, RT_ELEMENTS(wszFull), &pwszFull, &cwcFull, &pwszHeap);
    if (RT_SUCCESS(rc))
    {
        if (fUpperDrive && cwcFull >= 2 && pwszFull[1] == ':' && pwszFull[0] >= 'a' && pwszFull[0] <= 'z')
            pwszFull[0] = (RTUTF16)(pwszFull[0] - ('a' - 'A'));
        rc = rtFsUtf16ToUtf8Buf(pwszFull, cwcFull, pszPath, cbPath, nullptr);
    }
    RTMemFree(pwszHeap);
    return rc;
}

} /* namespace */

int RTPathGetCurrent(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (cbPath == 0)
        return VERR_BUFFER_OVERFLOW;

    RTUTF16  wszCwd[RTPATHWIN_CWD_UNITS];
    PRTUTF16 pwszCwd = nullptr;
    DWORD    cwcCwd  = 0;
    PRTUTF16 pwszHeap = nullptr;
    int rc = rtPathWinQueryGrowing(
        [](PRTUTF16 pwszBuf, DWORD cwcBuf) { return RTWINSYS(GetCurrentDirectoryW)(cwcBuf, pwszBuf); },
        wszCwd, RT_ELEMENTS(wszCwd), &pwszCwd, &cwcCwd, &pwszHeap);
    if (RT_SUCCESS(rc))
        rc = rtPathWinFullToUtf8(pwszCwd, true, pszPath, cbPath);
    RTMemFree(pwszHeap);
    return rc;
}

int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (cbPath == 0)
        return VERR_BUFFER_OVERFLOW;
    if (!((chDrive >= 'A' && chDrive <= 'Z') || (chDrive >= 'a' && chDrive <= 'z')))
        return VERR_INVALID_PARAMETER;
    /* "X:" alone names the directory the process keeps current on drive X. */
    RTUTF16 const wszDrive[3] = { (RTUTF16)chDrive, ':', '\0' };
    return rtPathWinFullToUtf8(wszDrive, false, pszPath, cbPath);
}

int RTPathSetCurrent(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (!*pszPath)
        return VERR_INVALID_PARAMETER;

    PRTUTF16 pwszPath = nullptr;
    int rc = rtPathWin32FromUtf8(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    /* One trailing separator goes, except the one of a drive root. */
    size_t const cwc = RTUtf16Length(pwszPath);
    if (   cwc > 1
        && (pwszPath[cwc - 1] == '\\' || pwszPath[cwc - 1] == '/')
        && pwszPath[cwc - 2] != ':')
        pwszPath[cwc - 1] = '\0';
    if (!RTWINSYS(SetCurrentDirectoryW)(pwszPath))
        rc = RTErrConvertFromWin32(GetLastError());
    rtPathWin32Free(pwszPath);
    return rc;
}

int RTPathExecDir(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (!g_szExePath[0])
        return VERR_WRONG_ORDER;
    size_t const cchDir = g_cchExeDir;
    if (cchDir >= cbPath)
        return VERR_BUFFER_OVERFLOW;
    memcpy(pszPath, g_szExePath, cchDir);
    pszPath[cchDir] = '\0';
    return VINF_SUCCESS;
}
