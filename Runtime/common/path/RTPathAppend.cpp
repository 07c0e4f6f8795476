/*
 * RTPathAppendEx, RTPathAppend: append a component to a path in place.
 */
#include <tulo/path.h>
#include <tulo/err.h>

#include <string.h>

#include "path-internal.h"

/** Length of the part of pszPath that trailing separators are never trimmed
 * into: "C:", "C:\", "\", "\\srv\share\" and its shorter forms, or "/". */
static size_t rtPathAppendRootLength(const char *pszPath, bool fDos)
{
    if (!fDos)
        return pszPath[0] == '/' ? 1 : 0;
    if (rtPathHasDrive(pszPath))
        return rtPathIsSep(pszPath[2], true) ? 3 : 2;
    if (!rtPathIsSep(pszPath[0], true))
        return 0;
    if (!rtPathIsSep(pszPath[1], true))
        return 1;
    size_t off = 2;
    while (pszPath[off] && !rtPathIsSep(pszPath[off], true))
        off++;
    if (pszPath[off])
    {
        off++;
        while (pszPath[off] && !rtPathIsSep(pszPath[off], true))
            off++;
        if (pszPath[off])
            off++;
    }
    return off;
}

int RTPathAppendEx(char *pszPath, size_t cbPathDst, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (pszAppend && !RT_VALID_PTR(pszAppend))
        return VERR_INVALID_POINTER;
    if (   (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return VERR_INVALID_FLAGS;
    size_t const cchPath = rtPathStrNLen(pszPath, cbPathDst);
    if (cchPath >= cbPathDst)
        return VERR_INVALID_PARAMETER;
    if (!pszAppend)
        return VINF_SUCCESS;
    size_t cchAppend = rtPathStrNLen(pszAppend, cchAppendMax);
    if (!cchAppend)
        return VINF_SUCCESS;

    bool const fDos  = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    char const chSep = fDos ? '\\' : '/';

    /*
     * Work out what stays of the path, whether a separator goes between, and
     * which part of the text follows; nothing is written before it is known
     * to fit.
     */
    size_t cchKeep = cchPath;
    bool   fAddSep = false;
    if (!cchPath)
    { /* The text as it is. */ }
    else if (rtPathIsSep(pszPath[cchPath - 1], fDos))
    {
        while (cchAppend && rtPathIsSep(*pszAppend, fDos))
        {
            pszAppend++;
            cchAppend--;
        }
        size_t const cchRoot = rtPathAppendRootLength(pszPath, fDos);
        while (cchKeep > 1 && rtPathIsSep(pszPath[cchKeep - 2], fDos) && cchKeep - 1 >= cchRoot)
            cchKeep--;
    }
    else if (rtPathIsSep(*pszAppend, fDos))
    {
        while (cchAppend > 1 && rtPathIsSep(pszAppend[1], fDos))
        {
            pszAppend++;
            cchAppend--;
        }
    }
    else if (!(fDos && cchPath == 2 && rtPathHasDrive(pszPath)))
        fAddSep = true;     /* "C:" + "x" stays drive-relative: "C:x". */

    size_t const cchResult = cchKeep + (fAddSep ? 1 : 0) + cchAppend;
    if (cchResult >= cbPathDst)
        return VERR_BUFFER_OVERFLOW;
    if (fAddSep)
        pszPath[cchKeep++] = chSep;
    memmove(&pszPath[cchKeep], pszAppend, cchAppend);
    pszPath[cchResult] = '\0';
    return VINF_SUCCESS;
}

int RTPathAppend(char *pszPath, size_t cbPathDst, const char *pszAppend)
{
    return RTPathAppendEx(pszPath, cbPathDst, pszAppend, ~(size_t)0, RTPATH_STR_F_STYLE_HOST);
}
