/*
 * RTPathFilename: the final component of a path.
 */
#include <tulo/path.h>

#include "path-internal.h"

char *RTPathFilenameEx(const char *pszPath, uint32_t fFlags)
{
    if (   !RT_VALID_PTR(pszPath)
        || (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return NULL;
    bool const  fDos    = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    const char *pszName = pszPath;
    for (const char *psz = pszPath; *psz; psz++)
        if (rtPathIsSep(*psz, fDos) || (fDos && *psz == ':'))
            pszName = psz + 1;
    return *pszName ? (char *)pszName : NULL;
}

char *RTPathFilename(const char *pszPath)
{
    return RTPathFilenameEx(pszPath, RTPATH_STR_F_STYLE_HOST);
}
