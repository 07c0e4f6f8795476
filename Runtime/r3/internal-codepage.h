/*
 * Conversion to the current code page where that code page is UTF-8 itself:
 * the text is validated and copied. Hosts whose consoles take UTF-8 always
 * convert so; Windows does when its ANSI code page is 65001.
 */
#ifndef TULO_R3_INTERNAL_CODEPAGE_H
#define TULO_R3_INTERNAL_CODEPAGE_H

#include <tulo/string.h>
#include <tulo/err.h>

/** *ppszDst gets the copy, and is left as it is on failure. */
static inline int rtStrToUtf8CodePageTag(char **ppszDst, const char *pszSrc, const char *pszTag)
{
    int rc = RTStrCheckUtf8(pszSrc, RTSTR_MAX, 0);
    if (RT_FAILURE(rc))
        return rc;
    char *pszCopy = RTStrCloneTag(pszSrc, pszTag);
    if (!pszCopy)
        return VERR_NO_STR_MEMORY;
    *ppszDst = pszCopy;
    return VINF_SUCCESS;
}

#ifdef _WIN32
/** UTF-8 text converted to the code page uCodePage (0: the process's ANSI
 * code page), newly allocated; *ppszDst is null on failure. */
int rtStrToCodePageTag(uint32_t uCodePage, char **ppszDst, const char *pszSrc, const char *pszTag);
#endif

#endif
