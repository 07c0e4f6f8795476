/*
 * RTPathJoin: two paths joined into a caller buffer.
 */
#include <tulo/path.h>
#include <tulo/err.h>

#include <string.h>

int RTPathJoin(char *pszPathDst, size_t cbPathDst, const char *pszPathSrc, const char *pszAppend)
{
    if (!RT_VALID_PTR(pszPathDst) || !RT_VALID_PTR(pszPathSrc))
        return VERR_INVALID_POINTER;
    if (pszAppend && !RT_VALID_PTR(pszAppend))
        return VERR_INVALID_POINTER;

    int rc = VERR_BUFFER_OVERFLOW;
    size_t const cchSrc = strlen(pszPathSrc);
    if (cchSrc < cbPathDst)
    {
        memmove(pszPathDst, pszPathSrc, cchSrc + 1);
        rc = RTPathAppend(pszPathDst, cbPathDst, pszAppend);
    }
    /* Only the whole join may pass for a path; a join in place keeps its
     * first path, as the failed append left it. */
    if (rc == VERR_BUFFER_OVERFLOW && cbPathDst && pszPathDst != pszPathSrc)
        pszPathDst[0] = '\0';
    return rc;
}
