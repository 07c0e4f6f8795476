/*
 * Copying and appending into fixed-size buffers. Both never write past the
 * buffer, leave a terminated string whenever the size allows one, and report
 * truncation as VERR_BUFFER_OVERFLOW.
 */
#include <tulo/string.h>
#include <tulo/err.h>

#include <string.h>

namespace {

/** Length of psz, but at most cchMax: enough to tell whether it fits. */
size_t rtStrLengthUpTo(const char *psz, size_t cchMax)
{
    size_t cch = 0;
    while (cch < cchMax && psz[cch])
        cch++;
    return cch;
}

} /* namespace */


int RTStrCopyTo(char *pszDst, size_t cbDst, const char *pszSrc)
{
    if (!RT_VALID_PTR(pszSrc) || (cbDst && !RT_VALID_PTR(pszDst)))
        return VERR_INVALID_POINTER;

    size_t const cchSrc = rtStrLengthUpTo(pszSrc, cbDst);
    if (cchSrc < cbDst)
    {
        memcpy(pszDst, pszSrc, cchSrc + 1);
        return VINF_SUCCESS;
    }
    if (cbDst)
    {
        memcpy(pszDst, pszSrc, cbDst - 1);
        pszDst[cbDst - 1] = '\0';
    }
    return VERR_BUFFER_OVERFLOW;
}


int RTStrAppendTo(char *pszDst, size_t cbDst, const char *pszSrc)
{
    if (!RT_VALID_PTR(pszSrc) || (cbDst && !RT_VALID_PTR(pszDst)))
        return VERR_INVALID_POINTER;

    size_t const cchDst = rtStrLengthUpTo(pszDst, cbDst);
    if (cchDst >= cbDst)
        return VERR_INVALID_PARAMETER; /* no terminator within the buffer */

    size_t const cbRoom = cbDst - cchDst;
    size_t const cchSrc = rtStrLengthUpTo(pszSrc, cbRoom);
    if (cchSrc < cbRoom)
    {
        memcpy(&pszDst[cchDst], pszSrc, cchSrc + 1);
        return VINF_SUCCESS;
    }
    memcpy(&pszDst[cchDst], pszSrc, cbRoom - 1);
    pszDst[cbDst - 1] = '\0';
    return VERR_BUFFER_OVERFLOW;
}
