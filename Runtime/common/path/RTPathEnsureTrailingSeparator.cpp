/*
 * RTPathEnsureTrailingSeparator: makes a path end in a separator.
 */
#include <tulo/path.h>

#include "path-internal.h"

size_t RTPathEnsureTrailingSeparatorEx(char *pszPath, size_t cbPath, uint32_t fFlags)
{
    if (   !RT_VALID_PTR(pszPath)
        || (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return 0;
    bool const   fDos  = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    char const   chSep = fDos ? '\\' : '/';
    size_t const cch   = rtPathStrNLen(pszPath, cbPath);
    if (cch >= cbPath)
        return 0;

    if (!cch)
    {
        /* The current directory, as a directory. */
        if (cbPath < 3)
            return 0;
        pszPath[0] = '.';
        pszPath[1] = chSep;
        pszPath[2] = '\0';
        return 2;
    }
    char const chLast = pszPath[cch - 1];
    if (rtPathIsSep(chLast, fDos) || (fDos && chLast == ':'))
        return cch;
    if (cch + 2 > cbPath)
        return 0;
    pszPath[cch]     = chSep;
    pszPath[cch + 1] = '\0';
    return cch + 1;
}

size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath)
{
    return RTPathEnsureTrailingSeparatorEx(pszPath, cbPath, RTPATH_STR_F_STYLE_HOST);
}
