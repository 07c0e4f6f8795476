/*
 * Conversion of UTF-8 text to the process's ANSI code page, for narrow
 * platform calls and files that expect it, and to a console's code page.
 */
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>
#include <tulo/errconv.h>

#include <windows.h>

#include "r3/internal-codepage.h"

/* The two platform calls go through pointers so that tests can pose as
 * another code page or make the conversion fail. */
extern "C" decltype(&GetACP)              g_pfnrtUtf8WinGetACP;
extern "C" decltype(&WideCharToMultiByte) g_pfnrtUtf8WinWideCharToMultiByte;
decltype(&GetACP)              g_pfnrtUtf8WinGetACP              = GetACP;
decltype(&WideCharToMultiByte) g_pfnrtUtf8WinWideCharToMultiByte = WideCharToMultiByte;

namespace {

/** Status of a failed WideCharToMultiByte. A failure that leaves no error
 * number must not turn into success. */
int rtUtf8WinConversionError(void)
{
    int const rc = RTErrConvertFromWin32(GetLastError());
    return RT_FAILURE(rc) ? rc : VERR_NO_TRANSLATION;
}

} /* namespace */

int RTStrToCurrentCodePageTag(char **ppszDst, const char *pszSrc, const char *pszTag)
{
    return rtStrToCodePageTag(CP_ACP, ppszDst, pszSrc, pszTag);
}

int rtStrToCodePageTag(uint32_t uCodePage, char **ppszDst, const char *pszSrc, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszDst))
        return VERR_INVALID_POINTER;
    *ppszDst = nullptr;
    if (!RT_VALID_PTR(pszSrc))
        return VERR_INVALID_POINTER;

    /* An empty text, or a code page that is UTF-8 itself, needs no conversion. */
    if (!*pszSrc || (uCodePage == CP_ACP ? g_pfnrtUtf8WinGetACP() : uCodePage) == CP_UTF8)
        return rtStrToUtf8CodePageTag(ppszDst, pszSrc, pszTag);

    PRTUTF16 pwsz = nullptr;
    int rc = RTStrToUtf16ExTag(pszSrc, RTSTR_MAX, &pwsz, 0, nullptr, pszTag);
    if (RT_FAILURE(rc))
        return rc;

    int const cb = g_pfnrtUtf8WinWideCharToMultiByte(uCodePage, 0, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        rc = rtUtf8WinConversionError();
    else
    {
        char *pszDst = (char *)RTMemAllocTag((size_t)cb, pszTag);
        if (!pszDst)
            rc = VERR_NO_TMP_MEMORY;
        else if (g_pfnrtUtf8WinWideCharToMultiByte(uCodePage, 0, pwsz, -1, pszDst, cb, nullptr, nullptr) <= 0)
        {
            rc = rtUtf8WinConversionError();
            RTMemFree(pszDst);
        }
        else
        {
            /* The size included the terminator; keep the result terminated
             * even if the second call wrote less than it announced. */
            pszDst[cb - 1] = '\0';
            *ppszDst = pszDst;
        }
    }
    RTMemFree(pwsz);
    return rc;
}
