/*
 * RTPathAbsExDup: RTPathAbsEx into a string of its own.
 */
#include <tulo/path.h>
#include <tulo/mem.h>
#include <tulo/err.h>

char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags)
{
    /* Room for most paths at once; a retry grows to what RTPathAbsEx asked
     * for plus a little, so that a current directory that grows between two
     * calls does not cost a third one. */
    size_t cbBuf = 2050;
    for (unsigned iTry = 0; iTry < 16; iTry++)
    {
        char *pszAbsPath = (char *)RTMemAlloc(cbBuf);
        if (!pszAbsPath)
            return NULL;
        size_t cb = cbBuf;
        int rc = RTPathAbsEx(pszBase, pszPath, fFlags, pszAbsPath, &cb);
        if (RT_SUCCESS(rc))
        {
            if (cb < cbBuf / 2)
            {
                char *pszShrunk = (char *)RTMemRealloc(pszAbsPath, cb + 1);
                if (pszShrunk)
                    pszAbsPath = pszShrunk;
            }
            return pszAbsPath;
        }
        RTMemFree(pszAbsPath);
        if (rc != VERR_BUFFER_OVERFLOW)
            return NULL;

        size_t const cbAsked = cb <= ~(size_t)0 - 79 ? (cb + 79) & ~(size_t)63 : ~(size_t)0;
        cbBuf = cbBuf + 256 > cbAsked ? cbBuf + 256 : cbAsked;
    }
    return NULL;
}
