/*
 * RTPathParse: splits a path into its root and components.
 */
#include <tulo/path.h>
#include <tulo/err.h>

#include <stddef.h>
#include <string.h>

#include "path-internal.h"

static_assert(offsetof(RTPATHPARSED, aComps) == RTPATHPARSED_HDR_SIZE, "the record header is 12 bytes");
static_assert(sizeof(RTPATHPARSEDCOMP) == 4, "a component entry is 4 bytes");

/** Length of the root at the start of pszPath and its properties, DOS style. */
static size_t rtPathParseDosRoot(const char *pszPath, uint16_t *pfProps)
{
    if (rtPathHasDrive(pszPath))
    {
        if (rtPathIsSep(pszPath[2], true))
        {
            *pfProps = RTPATH_PROP_ABSOLUTE | RTPATH_PROP_VOLUME | RTPATH_PROP_ROOT_SLASH;
            return 3;
        }
        /* "C:dir" lives in the current directory of drive C. */
        *pfProps = RTPATH_PROP_RELATIVE | RTPATH_PROP_VOLUME;
        return 2;
    }

    if (rtPathIsSep(pszPath[0], true) && rtPathIsSep(pszPath[1], true))
    {
        /* UNC: the server belongs to the root, the share is component 1. */
        size_t off = 2;
        while (pszPath[off] && !rtPathIsSep(pszPath[off], true))
            off++;
        uint16_t fProps = RTPATH_PROP_ABSOLUTE | RTPATH_PROP_UNC;
        if (off == 3 && (pszPath[2] == '.' || pszPath[2] == '?'))
            fProps |= RTPATH_PROP_SPECIAL_UNC;
        if (pszPath[off])
        {
            off++;
            fProps |= RTPATH_PROP_ROOT_SLASH;
        }
        *pfProps = fProps;
        return off;
    }

    if (rtPathIsSep(pszPath[0], true))
    {
        /* Rooted on whatever drive or share is current. */
        *pfProps = RTPATH_PROP_RELATIVE | RTPATH_PROP_ROOT_SLASH;
        return 1;
    }

    *pfProps = RTPATH_PROP_RELATIVE;
    return 0;
}

int RTPathParse(const char *pszPath, PRTPATHPARSED pParsed, size_t cbParsed, uint32_t fFlags)
{
    if (cbParsed < RTPATHPARSED_HDR_SIZE)
        return VERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pParsed) || !RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (!*pszPath)
        return VERR_PATH_ZERO_LENGTH;
    if (   (fFlags & ~RTPATH_STR_F_VALID_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return VERR_INVALID_FLAGS;

    /* Every offset and length of the record must fit 16 bits. */
    size_t const cchSrc = strlen(pszPath);
    if (cchSrc > UINT16_MAX)
        return VERR_FILENAME_TOO_LONG;

    bool const   fDos      = rtPathStyle(fFlags) == RTPATH_STR_F_STYLE_DOS;
    size_t       cMaxComps = (cbParsed - RTPATHPARSED_HDR_SIZE) / sizeof(RTPATHPARSEDCOMP);
    if (cMaxComps > RTPATH_MAX_COMPONENTS)
        cMaxComps = RTPATH_MAX_COMPONENTS;

    /*
     * The root.
     */
    uint16_t fProps = RTPATH_PROP_RELATIVE;
    size_t   cchRoot = 0;
    size_t   off;
    if (fFlags & RTPATH_STR_F_NO_START)
        off = 0;
    else
    {
        if (fDos)
            cchRoot = rtPathParseDosRoot(pszPath, &fProps);
        else if (pszPath[0] == '/')
        {
            fProps  = RTPATH_PROP_ABSOLUTE | RTPATH_PROP_ROOT_SLASH;
            cchRoot = 1;
        }
        off = cchRoot;
    }

    size_t cComps  = 0;
    size_t cchPath = cchRoot;
    if (cchRoot)
    {
        if (cMaxComps)
        {
            pParsed->aComps[0].off = 0;
            pParsed->aComps[0].cch = (uint16_t)cchRoot;
        }
        cComps = 1;
    }

    /* Separators in front of the first component are extra: "C:\\x", "//x",
     * or the leading ones of a string that starts mid-path. */
    if (rtPathIsSep(pszPath[off], fDos))
    {
        fProps |= RTPATH_PROP_EXTRA_SLASHES;
        while (rtPathIsSep(pszPath[off], fDos))
            off++;
    }

    /*
     * The components.
     */
    size_t offLast = 0;
    size_t cchLast = 0;
    bool   fEndsInSep = false;
    while (pszPath[off])
    {
        size_t const offComp = off;
        while (pszPath[off] && !rtPathIsSep(pszPath[off], fDos))
            off++;
        size_t const cchComp = off - offComp;

        if (cComps < cMaxComps)
        {
            pParsed->aComps[cComps].off = (uint16_t)offComp;
            pParsed->aComps[cComps].cch = (uint16_t)cchComp;
        }
        cComps++;
        cchPath += cchComp;
        if (pszPath[offComp] == '.')
        {
            if (cchComp == 1)
                fProps |= RTPATH_PROP_DOT_REFS;
            else if (cchComp == 2 && pszPath[offComp + 1] == '.')
            {
                fProps |= RTPATH_PROP_DOTDOT_REFS | RTPATH_PROP_RELATIVE;
                fProps &= (uint16_t)~RTPATH_PROP_ABSOLUTE;
            }
        }
        offLast = offComp;
        cchLast = cchComp;

        if (!pszPath[off])
            break;
        size_t const offSep = off;
        while (rtPathIsSep(pszPath[off], fDos))
            off++;
        if (off - offSep > 1)
            fProps |= RTPATH_PROP_EXTRA_SLASHES;
        if (!pszPath[off])
        {
            fEndsInSep = true;
            break;
        }
        cchPath++;
    }

    /*
     * The end: directory slash, or file name and suffix.
     */
    uint16_t offSuffix = (uint16_t)cchSrc;
    uint16_t cchSuffix = 0;
    bool const fHasComps = cComps > (cchRoot ? 1u : 0u);
    if (fHasComps)
    {
        if (fEndsInSep)
        {
            if (fFlags & RTPATH_STR_F_NO_END)
                fProps |= RTPATH_PROP_EXTRA_SLASHES;
            else
            {
                fProps |= RTPATH_PROP_DIR_SLASH;
                cchPath++;
            }
        }
        else if (!(fFlags & RTPATH_STR_F_NO_END))
        {
            fProps |= RTPATH_PROP_FILENAME;
            /* The last dot, unless it starts or ends the name (".cfg", "x."). */
            size_t offDot = offLast + cchLast - 1;
            while (offDot > offLast && pszPath[offDot] != '.')
                offDot--;
            if (pszPath[offDot] == '.' && offDot > offLast && offDot < offLast + cchLast - 1)
            {
                fProps   |= RTPATH_PROP_SUFFIX;
                offSuffix = (uint16_t)offDot;
                cchSuffix = (uint16_t)(offLast + cchLast - offDot);
            }
        }
    }

    pParsed->cComps      = (uint16_t)cComps;
    pParsed->fProps      = fProps;
    pParsed->cchPath     = (uint16_t)cchPath;
    pParsed->u16Reserved = 0;
    pParsed->offSuffix   = offSuffix;
    pParsed->cchSuffix   = cchSuffix;
    return cComps <= cMaxComps ? VINF_SUCCESS : VERR_BUFFER_OVERFLOW;
}
