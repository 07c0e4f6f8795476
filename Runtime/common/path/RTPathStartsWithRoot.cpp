/*
 * RTPathStartsWithRoot: whether a path begins with a root.
 */
#include <tulo/path.h>

#include "path-internal.h"

bool RTPathStartsWithRootEx(const char *pszPath, uint32_t fFlags)
{
    if (   !RT_VALID_PTR(pszPath)
        || (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return false;
    bool const fDos = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    return rtPathIsSep(pszPath[0], fDos) || (fDos && rtPathHasDrive(pszPath));
}

bool RTPathStartsWithRoot(const char *pszPath)
{
    return RTPathStartsWithRootEx(pszPath, RTPATH_STR_F_STYLE_HOST);
}
