/*
 * RTPathSuffix: the suffix of a path's final component.
 */
#include <tulo/path.h>

#include "path-internal.h"

char *RTPathSuffixEx(const char *pszPath, uint32_t fFlags)
{
    if (   !RT_VALID_PTR(pszPath)
        || (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return NULL;
    bool const  fDos   = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    const char *pszDot = NULL;
    const char *psz    = pszPath;
    for (; *psz; psz++)
    {
        if (rtPathIsSep(*psz, fDos) || (fDos && *psz == ':'))
            pszDot = NULL;
        else if (*psz == '.')
            pszDot = psz;
    }
    /* A leading dot names a hidden file (".cfg"), a trailing one ends a bare name. */
    if (!pszDot || pszDot == pszPath || pszDot + 1 == psz)
        return NULL;
    return (char *)pszDot;
}

char *RTPathSuffix(const char *pszPath)
{
    return RTPathSuffixEx(pszPath, RTPATH_STR_F_STYLE_HOST);
}
