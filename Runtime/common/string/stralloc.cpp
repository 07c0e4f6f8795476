/*
 * String buffers: allocation, duplication, resizing and freeing. Every string
 * handed out here, or by the UTF-16 to UTF-8 conversion, is freed with
 * RTStrRelease.
 */
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

char *RTStrAllocBufTag(size_t cb, const char *pszTag)
{
    char *psz = (char *)RTMemAllocTag(cb ? cb : 1, pszTag);
    if (psz)
        *psz = '\0';
    return psz;
}


int RTStrDupPrefixExTag(char **ppszCopy, const char *psz, size_t cchMax, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszCopy))
        return VERR_INVALID_POINTER;
    *ppszCopy = nullptr;
    if (!RT_VALID_PTR(psz))
        return VERR_INVALID_POINTER;

    /* Nothing beyond the limit is read: the source need not be terminated. */
    size_t cch = 0;
    while (cch < cchMax && psz[cch])
        cch++;
    char *pszCopy = (char *)RTMemAllocTag(cch + 1, pszTag);
    if (!pszCopy)
        return VERR_NO_STR_MEMORY;
    memcpy(pszCopy, psz, cch);
    pszCopy[cch] = '\0';
    *ppszCopy = pszCopy;
    return VINF_SUCCESS;
}


char *RTStrDupPrefixTag(const char *psz, size_t cchMax, const char *pszTag)
{
    char *pszCopy = nullptr;
    RTStrDupPrefixExTag(&pszCopy, psz, cchMax, pszTag);
    return pszCopy;
}


char *RTStrCloneTag(const char *psz, const char *pszTag)
{
    if (!RT_VALID_PTR(psz))
        return nullptr;
    size_t const cb = strlen(psz) + 1;
    char *pszCopy = (char *)RTMemAllocTag(cb, pszTag);
    if (pszCopy)
        memcpy(pszCopy, psz, cb);
    return pszCopy;
}


void RTStrRelease(char *psz)
{
    RTMemFree(psz);
}


int RTStrResizeTag(char **ppsz, size_t cbNew, const char *pszTag)
{
    if (!RT_VALID_PTR(ppsz))
        return VERR_INVALID_POINTER;
    char *pszOld = *ppsz;
    if (!cbNew)
    {
        RTMemFree(pszOld);
        *ppsz = nullptr;
        return VINF_SUCCESS;
    }

    char *pszNew;
    if (!pszOld)
    {
        pszNew = (char *)RTMemAllocTag(cbNew, pszTag);
        if (!pszNew)
            return VERR_NO_STR_MEMORY;
        pszNew[0] = '\0';
    }
    else
    {
        pszNew = (char *)RTMemReallocTag(pszOld, cbNew, pszTag);
        if (!pszNew)
            return VERR_NO_STR_MEMORY;
    }
    /* A shrunk string keeps a terminator; a grown one keeps its text. */
    pszNew[cbNew - 1] = '\0';
    *ppsz = pszNew;
    return VINF_SUCCESS;
}
