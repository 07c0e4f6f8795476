/*
 * RTPathParsedReassemble: rebuilds a path from a parsed record.
 */
#include <tulo/path.h>
#include <tulo/err.h>

#include <string.h>

#include "path-internal.h"

int RTPathParsedReassemble(const char *pszSrcPath, PRTPATHPARSED pParsed, uint32_t fFlags,
                           char *pszDstPath, size_t cbDstPath)
{
    if (!RT_VALID_PTR(pParsed) || !RT_VALID_PTR(pszSrcPath))
        return VERR_INVALID_POINTER;
    /* A zero-size destination only measures, so it may be absent. */
    if (cbDstPath && !RT_VALID_PTR(pszDstPath))
        return VERR_INVALID_POINTER;
    if (!pParsed->cComps)
        return VERR_INVALID_PARAMETER;
    if (   (fFlags & ~RTPATH_STR_F_STYLE_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return VERR_INVALID_FLAGS;

    char const     chSep  = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_UNIX ? '/' : '\\';
    unsigned const cComps = pParsed->cComps;
    bool const     fRoot  = (pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_VOLUME)) != 0;
    unsigned const iFirst = fRoot ? 1 : 0;

    /*
     * Measure. The root brings its own separator ("C:\", "\\srv\") or needs
     * none ("C:dir"), so only components after the first one emitted get one.
     */
    size_t   cch      = fRoot ? pParsed->aComps[0].cch : 0;
    unsigned cEmitted = 0;
    for (unsigned i = iFirst; i < cComps; i++)
        if (pParsed->aComps[i].cch)
        {
            cch += pParsed->aComps[i].cch + (cEmitted ? 1 : 0);
            cEmitted++;
        }
    if ((pParsed->fProps & RTPATH_PROP_DIR_SLASH) && cEmitted)
        cch++;
    pParsed->cchPath = (uint16_t)(cch <= UINT16_MAX ? cch : UINT16_MAX);

    if (cch >= cbDstPath)
    {
        if (cbDstPath)
            pszDstPath[0] = '\0';
        return VERR_BUFFER_OVERFLOW;
    }

    /*
     * Copy. The destination may be the source buffer: every piece lands at or
     * before its source position and is moved before anything is written
     * behind it, so no unread source text is overwritten.
     */
    size_t offDst = 0;
    if (fRoot)
    {
        size_t const cchRoot = pParsed->aComps[0].cch;
        memmove(pszDstPath, &pszSrcPath[pParsed->aComps[0].off], cchRoot);
        for (size_t off = 0; off < cchRoot; off++)
            if (pszDstPath[off] == '/' || pszDstPath[off] == '\\')
                pszDstPath[off] = chSep;
        offDst = cchRoot;
    }
    cEmitted = 0;
    for (unsigned i = iFirst; i < cComps; i++)
    {
        size_t const cchComp = pParsed->aComps[i].cch;
        if (!cchComp)
            continue;
        if (cEmitted)
            pszDstPath[offDst++] = chSep;
        memmove(&pszDstPath[offDst], &pszSrcPath[pParsed->aComps[i].off], cchComp);
        offDst += cchComp;
        cEmitted++;
    }
    if ((pParsed->fProps & RTPATH_PROP_DIR_SLASH) && cEmitted)
        pszDstPath[offDst++] = chSep;
    pszDstPath[offDst] = '\0';
    return VINF_SUCCESS;
}
