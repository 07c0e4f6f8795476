/*
 * RTPathJoinA: two paths joined into a string of its own.
 */
#include <tulo/path.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

char *RTPathJoinA(const char *pszPathSrc, const char *pszAppend)
{
    if (!RT_VALID_PTR(pszPathSrc))
        return NULL;
    if (pszAppend && !RT_VALID_PTR(pszAppend))
        return NULL;

    /* Appending adds at most one separator and the terminator. */
    size_t const cchSrc    = strlen(pszPathSrc);
    size_t const cchAppend = pszAppend ? strlen(pszAppend) : 0;
    size_t const cb        = cchSrc + cchAppend + 4;
    char *pszPath = (char *)RTMemAlloc(cb);
    if (!pszPath)
        return NULL;
    memcpy(pszPath, pszPathSrc, cchSrc + 1);
    int rc = RTPathAppend(pszPath, cb, pszAppend);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pszPath);
        return NULL;
    }
    return pszPath;
}
