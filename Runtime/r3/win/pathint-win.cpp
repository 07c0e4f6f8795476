/*
 * The Win32 form of paths: the UTF-16 string CreateFileW and friends take.
 * Short paths pass unchanged; anything that could exceed the classic 260-unit
 * limit once the system makes it absolute is passed as the extended \\?\ form
 * of its absolute path, which the system takes as it is.
 *
 * Also the layer's text conversion at the platform boundary.
 */
#include <tulo/err.h>
#include <tulo/mem.h>
#include <tulo/string.h>
#include <tulo/utf16.h>

#include "r3/win/internal-fs-win.h"
#include "r3/nt/internal-r3-nt.h"

#include <string.h>

int rtFsUtf8ToUtf16(const char *psz, size_t cchMax, PRTUTF16 *ppwsz, size_t *pcwc)
{
    PRTUTF16 pwsz = nullptr;
    size_t   cwc  = 0;
    int rc = RTStrToUtf16Ex(psz, cchMax, &pwsz, 0, &cwc);
    if (RT_FAILURE(rc))
        return rc;
    *ppwsz = pwsz;
    if (pcwc)
        *pcwc = cwc;
    return VINF_SUCCESS;
}

int rtFsUtf16ToUtf8Buf(PCRTUTF16 pwsz, size_t cwc, char *pszDst, size_t cbDst, size_t *pcch)
{
    size_t cch = 0;
    int rc = RTUtf16CountUtf8Bytes(pwsz, cwc, &cch);
    if (RT_FAILURE(rc))
        return rc;
    if (pcch)
        *pcch = cch;
    if (cch >= cbDst)
        return VERR_BUFFER_OVERFLOW;
    return RTUtf16ToUtf8Ex(pwsz, cwc, &pszDst, cbDst, nullptr);
}

namespace {

inline bool rtPathWinIsSep(RTUTF16 wc)
{
    return wc == '\\' || wc == '/';
}

inline bool rtPathWinIsLetter(RTUTF16 wc)
{
    return (wc >= 'A' && wc <= 'Z') || (wc >= 'a' && wc <= 'z');
}

/** Longest path of each shape that passes unchanged. The system prefixes or
 * completes these shapes before its own 260-unit check, and the margins keep
 * the result below it. */
constexpr size_t RTPATHWIN_MAX_PLAIN       = 243;
constexpr size_t RTPATHWIN_MAX_UNC_EMPTY   = 241;
constexpr size_t RTPATHWIN_MAX_UNC         = 240;
constexpr size_t RTPATHWIN_MAX_ROOTED      = 241;
constexpr size_t RTPATHWIN_MAX_RELATIVE    = 242;

/** Whether the converted path may be used unchanged; a drive-relative path
 * is replaced by its full form when that is short enough. */
bool rtPathWin32UsePlain(PRTUTF16 *ppwsz, size_t cwc)
{
    PRTUTF16 pwsz = *ppwsz;
    if (cwc > RTPATHWIN_MAX_PLAIN)
        return false;
    if (rtPathWinIsLetter(pwsz[0]) && pwsz[1] == ':')
    {
        if (rtPathWinIsSep(pwsz[2]))
            return true;
        /* Drive-relative: only the system knows the drive's current directory. */
        RTUTF16 wszFull[261];
        DWORD const cwcFull = RTWINSYS(GetFullPathNameW)(pwsz, RT_ELEMENTS(wszFull), wszFull, nullptr);
        if (cwcFull == 0 || cwcFull > RTPATHWIN_MAX_PLAIN)
            return false;
        PRTUTF16 pwszNew = (PRTUTF16)RTMemAlloc((cwcFull + 1) * sizeof(RTUTF16));
        if (!pwszNew)
            return false;
        memcpy(pwszNew, wszFull, (cwcFull + 1) * sizeof(RTUTF16));
        RTMemFree(pwsz);
        *ppwsz = pwszNew;
        return true;
    }
    if (rtPathWinIsSep(pwsz[0]) && rtPathWinIsSep(pwsz[1]))
    {
        if (pwsz[2] == '?' && rtPathWinIsSep(pwsz[3]))
            return true;
        if (rtPathWinIsSep(pwsz[2]) || pwsz[2] == '\0')
            return cwc <= RTPATHWIN_MAX_UNC_EMPTY;
        return cwc <= RTPATHWIN_MAX_UNC;
    }
    if (rtPathWinIsSep(pwsz[0]))
        return cwc <= RTPATHWIN_MAX_ROOTED;
    /* Relative: the length reported for a zero buffer includes the terminator. */
    DWORD const cwcCwd = RTWINSYS(GetCurrentDirectoryW)(0, nullptr);
    return cwcCwd != 0 && cwcCwd + cwc <= RTPATHWIN_MAX_RELATIVE;
}

} /* namespace */

int rtPathWin32FromUtf8(PRTUTF16 *ppwszPath, const char *pszPath)
{
    PRTUTF16 pwsz = nullptr;
    size_t   cwc  = 0;
    int rc = rtFsUtf8ToUtf16(pszPath, RTSTR_MAX, &pwsz, &cwc);
    if (RT_FAILURE(rc))
        return rc;
    if (rtPathWin32UsePlain(&pwsz, cwc))
    {
        *ppwszPath = pwsz;
        return VINF_SUCCESS;
    }
    RTMemFree(pwsz);

    UNICODE_STRING NtName;
    HANDLE         hRootDir;
    rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    PRTUTF16 const pwszNt = NtName.Buffer;
    if (   NtName.Length >= 4 * sizeof(RTUTF16)
        && pwszNt[0] == '\\' && pwszNt[1] == '?' && pwszNt[2] == '?' && pwszNt[3] == '\\')
    {
        /* \??\ becomes \\?\: the same name in the extended Win32 syntax. */
        pwszNt[1] = '\\';
        *ppwszPath = pwszNt;
        return VINF_SUCCESS;
    }
    /* A raw native name or an old system's \DosDevices\ name has no Win32
     * form once it is too long to pass unchanged. */
    RTNtPathFree(&NtName, &hRootDir);
    return VERR_FILENAME_TOO_LONG;
}

void rtPathWin32Free(PRTUTF16 pwszPath)
{
    RTMemFree(pwszPath);
}
