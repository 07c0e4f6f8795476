/*
 * Conversion to the current code page on hosts whose consoles take UTF-8:
 * the text is validated and copied, as on Windows with code page 65001.
 */
#include <tulo/string.h>
#include <tulo/err.h>

#include "r3/internal-codepage.h"

int RTStrToCurrentCodePageTag(char **ppszDst, const char *pszSrc, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszDst))
        return VERR_INVALID_POINTER;
    *ppszDst = nullptr;
    if (!RT_VALID_PTR(pszSrc))
        return VERR_INVALID_POINTER;
    return rtStrToUtf8CodePageTag(ppszDst, pszSrc, pszTag);
}
