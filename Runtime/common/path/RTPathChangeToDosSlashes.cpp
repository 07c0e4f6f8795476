/*
 * RTPathChangeToDosSlashes: forward slashes to backslashes in place.
 */
#include <tulo/path.h>

char *RTPathChangeToDosSlashes(char *pszPath, bool fForce)
{
    (void)fForce;
    if (!RT_VALID_PTR(pszPath))
        return pszPath;
    for (char *psz = pszPath; *psz; psz++)
        if (*psz == '/')
            *psz = '\\';
    return pszPath;
}
