/*
 * RTPathAbsEx: the absolute form of a path, against a base or the current
 * directory, with "." and ".." resolved and separators normalised.
 */
#include <tulo/path.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

#include "path-internal.h"

/** Flags RTPathAbsEx accepts. */
#define RTPATHABS_F_VALID_MASK \
    (RTPATH_STR_F_STYLE_MASK | RTPATHABS_F_STOP_AT_BASE | RTPATHABS_F_STOP_AT_CWD | RTPATHABS_F_ENSURE_TRAILING_SLASH)

/** Size of the temporary buffers for a current directory or drive that does
 * not fit the destination. */
#define RTPATHABS_64K           65536u

/**
 * A parsed path: in automatic storage for up to 253 components, which is
 * every ordinary path, otherwise in a heap record of the exact size.
 */
typedef struct RTPATHABSPARSE
{
    PRTPATHPARSED   pParsed;
    union
    {
        RTPATHPARSED    Parsed;
        uint8_t         ab[1024];
    } u;
} RTPATHABSPARSE;

static int rtPathAbsParse(RTPATHABSPARSE *pThis, const char *pszPath, uint32_t fStyle)
{
    pThis->pParsed = &pThis->u.Parsed;
    int rc = RTPathParse(pszPath, pThis->pParsed, sizeof(pThis->u), fStyle);
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        size_t const  cb      = RTPATHPARSED_SIZE(pThis->u.Parsed.cComps) + 8;
        PRTPATHPARSED pParsed = (PRTPATHPARSED)RTMemAlloc(cb);
        if (!pParsed)
            return VERR_NO_TMP_MEMORY;
        pThis->pParsed = pParsed;
        rc = RTPathParse(pszPath, pParsed, cb, fStyle);
    }
    return rc;
}

static void rtPathAbsParseFree(RTPATHABSPARSE *pThis)
{
    if (pThis->pParsed != &pThis->u.Parsed)
        RTMemFree(pThis->pParsed);
    pThis->pParsed = &pThis->u.Parsed;
}

static size_t rtPathAbsAddSat(size_t cb1, size_t cb2)
{
    return cb1 + cb2 >= cb1 ? cb1 + cb2 : ~(size_t)0;
}

static bool rtPathAbsIsDot(const char *pszPath, RTPATHPARSEDCOMP Comp)
{
    return Comp.cch == 1 && pszPath[Comp.off] == '.';
}

static bool rtPathAbsIsDotDot(const char *pszPath, RTPATHPARSEDCOMP Comp)
{
    return Comp.cch == 2 && pszPath[Comp.off] == '.' && pszPath[Comp.off + 1] == '.';
}

/** Components ".." never climbs into: the root, and the share of a plain UNC
 * path (device and raw paths, "\\.\" and "\\?\", protect only the root). */
static unsigned rtPathAbsProtected(PCRTPATHPARSED pParsed)
{
    if (!(pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_VOLUME)))
        return 0;
    if (   (pParsed->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_SPECIAL_UNC)) == RTPATH_PROP_UNC
        && pParsed->cComps >= 2)
        return 2;
    return 1;
}

/**
 * Resolves "." and ".." of a rooted path by packing the kept components to
 * the front of the record; cComps shrinks accordingly. A ".." with nothing
 * left to remove is dropped.
 */
static void rtPathAbsResolveDots(const char *pszPath, PRTPATHPARSED pParsed)
{
    unsigned const cProtected = rtPathAbsProtected(pParsed);
    unsigned       iDst       = cProtected;
    for (unsigned i = cProtected; i < pParsed->cComps; i++)
    {
        RTPATHPARSEDCOMP const Comp = pParsed->aComps[i];
        if (rtPathAbsIsDot(pszPath, Comp))
            continue;
        if (rtPathAbsIsDotDot(pszPath, Comp))
        {
            if (iDst > cProtected)
                iDst--;
            continue;
        }
        pParsed->aComps[iDst++] = Comp;
    }
    pParsed->cComps = (uint16_t)iDst;
}

/** Upper-cases the drive letter at the start of a rebuilt path. */
static void rtPathAbsUpperDrive(PCRTPATHPARSED pParsed, char *pszAbsPath)
{
    if ((pParsed->fProps & RTPATH_PROP_VOLUME) && pszAbsPath[0] && pszAbsPath[1] == ':')
        pszAbsPath[0] = rtPathToUpper(pszAbsPath[0]);
}

/** Removes trailing separators of a current-drive prefix, which must not
 * double the path's own root separator. */
static size_t rtPathAbsTrimPrefix(const char *pszPrefix, size_t cchPrefix, bool fDos)
{
    while (cchPrefix && rtPathIsSep(pszPrefix[cchPrefix - 1], fDos))
        cchPrefix--;
    return cchPrefix;
}

/**
 * The drive or share a path like "\dir" lies on: taken from the base when it
 * has a drive or UNC root, otherwise the current drive. Written to the start
 * of the destination when it fits; its length is returned in either case.
 */
static int rtPathAbsRootPrefix(const char *pszBase, char *pszAbsPath, size_t cbAbsPath, size_t *pcchPrefix)
{
    if (pszBase)
    {
        /* Only the root and the share matter; an overflow still fills those. */
        union
        {
            RTPATHPARSED    Parsed;
            uint8_t         ab[RTPATHPARSED_SIZE(2)];
        } u;
        int rc = RTPathParse(pszBase, &u.Parsed, sizeof(u), RTPATH_STR_F_STYLE_DOS);
        if (RT_FAILURE(rc) && rc != VERR_BUFFER_OVERFLOW)
            return rc;
        uint16_t const fProps = u.Parsed.fProps;
        if (fProps & RTPATH_PROP_VOLUME)
        {
            *pcchPrefix = 2;
            if (cbAbsPath > 2)
            {
                pszAbsPath[0] = rtPathToUpper(pszBase[0]);
                pszAbsPath[1] = ':';
                pszAbsPath[2] = '\0';
            }
            return VINF_SUCCESS;
        }
        if (fProps & RTPATH_PROP_UNC)
        {
            size_t const cchRoot  = u.Parsed.aComps[0].cch;
            size_t       cchFirst = cchRoot;
            size_t       cchShare = 0;
            if (!(fProps & RTPATH_PROP_SPECIAL_UNC) && u.Parsed.cComps >= 2)
                cchShare = u.Parsed.aComps[1].cch;              /* "\\srv\" + "share" */
            else if (fProps & RTPATH_PROP_ROOT_SLASH)
                cchFirst--;                                     /* "\\srv" */
            *pcchPrefix = cchFirst + cchShare;
            if (cchFirst + cchShare < cbAbsPath)
            {
                for (size_t off = 0; off < cchFirst; off++)
                    pszAbsPath[off] = rtPathIsSep(pszBase[off], true) ? '\\' : pszBase[off];
                if (cchShare)
                    memcpy(&pszAbsPath[cchFirst], &pszBase[u.Parsed.aComps[1].off], cchShare);
                pszAbsPath[cchFirst + cchShare] = '\0';
            }
            return VINF_SUCCESS;
        }
    }

    int rc = RTPathGetCurrentDrive(pszAbsPath, cbAbsPath);
    if (RT_SUCCESS(rc))
    {
        size_t const cchPrefix = rtPathAbsTrimPrefix(pszAbsPath, strlen(pszAbsPath), true);
        pszAbsPath[cchPrefix] = '\0';
        *pcchPrefix = cchPrefix;
        return VINF_SUCCESS;
    }
    if (rc != VERR_BUFFER_OVERFLOW)
        return rc;

    /* Too long for the destination: measure it, for the retry size. */
    char *pszTmp = (char *)RTMemAlloc(RTPATHABS_64K);
    if (!pszTmp)
        return VERR_NO_TMP_MEMORY;
    rc = RTPathGetCurrentDrive(pszTmp, RTPATHABS_64K);
    if (RT_SUCCESS(rc))
        *pcchPrefix = rtPathAbsTrimPrefix(pszTmp, strlen(pszTmp), true);
    else if (rc == VERR_BUFFER_OVERFLOW)
        rc = VERR_FILENAME_TOO_LONG;
    RTMemFree(pszTmp);
    return rc;
}

/**
 * A path with a root: resolves its dots and, for "\dir" in the DOS style,
 * puts the drive or share in front.
 */
static int rtPathAbsRooted(const char *pszBase, const char *pszPath, PRTPATHPARSED pParsed, uint32_t fFlags,
                           char *pszAbsPath, size_t *pcbAbsPath)
{
    uint32_t const fStyle    = fFlags & RTPATH_STR_F_STYLE_MASK;
    size_t const   cbAbsPath = *pcbAbsPath;

    if (pParsed->fProps & (RTPATH_PROP_DOT_REFS | RTPATH_PROP_DOTDOT_REFS))
        rtPathAbsResolveDots(pszPath, pParsed);
    if ((fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH) && pParsed->cComps > 1)
        pParsed->fProps |= RTPATH_PROP_DIR_SLASH;

    size_t cchPrefix = 0;
    if (   fStyle == RTPATH_STR_F_STYLE_DOS
        && !(pParsed->fProps & (RTPATH_PROP_VOLUME | RTPATH_PROP_UNC)))
    {
        int rc = rtPathAbsRootPrefix(pszBase, pszAbsPath, cbAbsPath, &cchPrefix);
        if (RT_FAILURE(rc))
            return rc;
        if (cchPrefix >= cbAbsPath)
        {
            RTPathParsedReassemble(pszPath, pParsed, fStyle, NULL, 0);
            *pcbAbsPath = rtPathAbsAddSat(cchPrefix, pParsed->cchPath + 1u);
            return VERR_BUFFER_OVERFLOW;
        }
    }

    int rc = RTPathParsedReassemble(pszPath, pParsed, fStyle, &pszAbsPath[cchPrefix], cbAbsPath - cchPrefix);
    *pcbAbsPath = cchPrefix + pParsed->cchPath + (rc == VERR_BUFFER_OVERFLOW ? 1 : 0);
    if (RT_SUCCESS(rc))
        rtPathAbsUpperDrive(pParsed, pszAbsPath);
    return rc;
}

/**
 * Joins a relative path to an absolute base: resolves the base's dots, lets
 * the path's ".." climb into the base (unless RTPATHABS_F_STOP_AT_BASE), and
 * rebuilds the base and then the path into the destination. The base may
 * live at the start of the destination.
 */
static int rtPathAbsJoin(const char *pszBase, PRTPATHPARSED pBase, const char *pszPath, PRTPATHPARSED pPath,
                         uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath)
{
    uint32_t const fStyle    = fFlags & RTPATH_STR_F_STYLE_MASK;
    size_t const   cbAbsPath = *pcbAbsPath;

    /* "D:" or "\\srv" would glue the path onto a drive-relative or server-only root. */
    if (!(pBase->fProps & RTPATH_PROP_ROOT_SLASH))
        return VERR_PATH_NO_ROOT;

    unsigned const cBaseProtected = rtPathAbsProtected(pBase);
    if (pBase->fProps & (RTPATH_PROP_DOT_REFS | RTPATH_PROP_DOTDOT_REFS))
        rtPathAbsResolveDots(pszBase, pBase);

    /* The drive of "X:dir" is the base's. */
    unsigned iFirst = 0;
    if (fStyle == RTPATH_STR_F_STYLE_DOS && (pPath->fProps & RTPATH_PROP_VOLUME))
    {
        pPath->aComps[0].cch = 0;
        iFirst = 1;
    }

    if (pPath->fProps & (RTPATH_PROP_DOT_REFS | RTPATH_PROP_DOTDOT_REFS))
    {
        unsigned iDst = iFirst;
        for (unsigned i = iFirst; i < pPath->cComps; i++)
        {
            RTPATHPARSEDCOMP const Comp = pPath->aComps[i];
            if (rtPathAbsIsDot(pszPath, Comp))
                continue;
            if (rtPathAbsIsDotDot(pszPath, Comp))
            {
                if (iDst > iFirst)
                    iDst--;
                else if (!(fFlags & RTPATHABS_F_STOP_AT_BASE) && pBase->cComps > cBaseProtected)
                    pBase->cComps--;
                continue;
            }
            pPath->aComps[iDst++] = Comp;
        }
        pPath->cComps = (uint16_t)iDst;
    }

    bool const fPathEmpty = pPath->cComps <= iFirst;
    if (fPathEmpty)
    {
        if ((pPath->fProps & RTPATH_PROP_DIR_SLASH) || (fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH))
            pBase->fProps |= RTPATH_PROP_DIR_SLASH;
        else
            pBase->fProps &= (uint16_t)~RTPATH_PROP_DIR_SLASH;
    }
    else
    {
        pBase->fProps |= RTPATH_PROP_DIR_SLASH;
        if (fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH)
            pPath->fProps |= RTPATH_PROP_DIR_SLASH;
    }

    int rc = RTPathParsedReassemble(pszBase, pBase, fStyle, pszAbsPath, cbAbsPath);
    size_t const cchBase = pBase->cchPath;
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        size_t cchRest = 0;
        if (!fPathEmpty)
        {
            RTPathParsedReassemble(pszPath, pPath, fStyle, NULL, 0);
            cchRest = pPath->cchPath;
        }
        *pcbAbsPath = cchBase + cchRest + 1;
        return VERR_BUFFER_OVERFLOW;
    }
    if (RT_FAILURE(rc))
        return rc;
    if (fStyle == RTPATH_STR_F_STYLE_DOS)
        rtPathAbsUpperDrive(pBase, pszAbsPath);
    if (fPathEmpty)
    {
        *pcbAbsPath = cchBase;
        return VINF_SUCCESS;
    }

    rc = RTPathParsedReassemble(pszPath, pPath, fStyle, &pszAbsPath[cchBase], cbAbsPath - cchBase);
    *pcbAbsPath = cchBase + pPath->cchPath + (rc == VERR_BUFFER_OVERFLOW ? 1 : 0);
    return rc;
}

/**
 * A relative path against the current directory, or against the current
 * directory of its drive ("X:dir").
 */
static int rtPathAbsJoinCwd(const char *pszPath, PRTPATHPARSED pPath, uint32_t fFlags,
                            char *pszAbsPath, size_t *pcbAbsPath)
{
    uint32_t const fStyle    = fFlags & RTPATH_STR_F_STYLE_MASK;
    bool const     fOnDrive  = fStyle == RTPATH_STR_F_STYLE_DOS && (pPath->fProps & RTPATH_PROP_VOLUME);
    size_t const   cbAbsPath = *pcbAbsPath;

    /* The destination doubles as the base's buffer; the base is rebuilt in place. */
    char *pszCwd = pszAbsPath;
    char *pszTmp = NULL;
    int rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszAbsPath, cbAbsPath)
                      : RTPathGetCurrent(pszAbsPath, cbAbsPath);
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        size_t const cbTmp = cbAbsPath <= RTPATHABS_64K / 4 ? RTPATHABS_64K
                           : cbAbsPath <= ~(size_t)0 / 4 ? cbAbsPath * 4 : cbAbsPath;
        pszTmp = (char *)RTMemAlloc(cbTmp);
        if (!pszTmp)
        {
            *pcbAbsPath = rtPathAbsAddSat(cbTmp, pPath->cchPath + 2u);
            return VERR_BUFFER_OVERFLOW;
        }
        rc = fOnDrive ? RTPathGetCurrentOnDrive(pszPath[0], pszTmp, cbTmp) : RTPathGetCurrent(pszTmp, cbTmp);
        if (rc == VERR_BUFFER_OVERFLOW)
            rc = VERR_FILENAME_TOO_LONG;
        pszCwd = pszTmp;
    }

    if (RT_SUCCESS(rc))
    {
        RTPATHABSPARSE Base;
        rc = rtPathAbsParse(&Base, pszCwd, fStyle);
        if (RT_SUCCESS(rc))
        {
            uint32_t fJoin = fFlags & ~RTPATHABS_F_STOP_AT_BASE;
            if (fFlags & RTPATHABS_F_STOP_AT_CWD)
                fJoin |= RTPATHABS_F_STOP_AT_BASE;
            rc = rtPathAbsJoin(pszCwd, Base.pParsed, pszPath, pPath, fJoin, pszAbsPath, pcbAbsPath);
        }
        rtPathAbsParseFree(&Base);
    }
    RTMemFree(pszTmp);
    return rc;
}

/**
 * A relative path against a given base, which is first made absolute itself
 * unless it already is in its plain form.
 */
static int rtPathAbsJoinBase(const char *pszBase, const char *pszPath, PRTPATHPARSED pPath, uint32_t fFlags,
                             char *pszAbsPath, size_t *pcbAbsPath)
{
    uint32_t const fStyle = fFlags & RTPATH_STR_F_STYLE_MASK;
    RTPATHABSPARSE Base;
    int rc = rtPathAbsParse(&Base, pszBase, fStyle);
    if (   RT_SUCCESS(rc)
        && (Base.pParsed->fProps & (RTPATH_PROP_ABSOLUTE | RTPATH_PROP_EXTRA_SLASHES | RTPATH_PROP_DOT_REFS))
           != RTPATH_PROP_ABSOLUTE)
    {
        rtPathAbsParseFree(&Base);
        size_t cbInner = *pcbAbsPath;
        rc = RTPathAbsEx(NULL, pszBase, fStyle | (fFlags & RTPATHABS_F_STOP_AT_CWD), pszAbsPath, &cbInner);
        if (rc == VERR_BUFFER_OVERFLOW)
        {
            *pcbAbsPath = rtPathAbsAddSat(cbInner, pPath->cchPath + 2u);
            return rc;
        }
        if (RT_SUCCESS(rc))
        {
            pszBase = pszAbsPath;
            rc = rtPathAbsParse(&Base, pszBase, fStyle);
        }
    }
    if (RT_SUCCESS(rc))
        rc = rtPathAbsJoin(pszBase, Base.pParsed, pszPath, pPath, fFlags, pszAbsPath, pcbAbsPath);
    rtPathAbsParseFree(&Base);
    return rc;
}

int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath)
{
    if (pszBase && !RT_VALID_PTR(pszBase))
        return VERR_INVALID_POINTER;
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pszAbsPath) || !RT_VALID_PTR(pcbAbsPath))
        return VERR_INVALID_POINTER;
    if (!*pszPath)
        return VERR_PATH_ZERO_LENGTH;
    if (   (fFlags & ~RTPATHABS_F_VALID_MASK)
        || (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_RESERVED)
        return VERR_INVALID_FLAGS;

    uint32_t const fStyle = rtPathStyle(fFlags);
    fFlags = (fFlags & ~RTPATH_STR_F_STYLE_MASK) | fStyle;
    if (pszBase && !*pszBase)
        pszBase = NULL;
    size_t const cbAbsPath = *pcbAbsPath;

    RTPATHABSPARSE Path;
    int rc = rtPathAbsParse(&Path, pszPath, fStyle);
    if (RT_SUCCESS(rc))
    {
        PRTPATHPARSED const pParsed = Path.pParsed;
        size_t cb = cbAbsPath;
        if (pParsed->fProps & (RTPATH_PROP_ABSOLUTE | RTPATH_PROP_ROOT_SLASH))
            rc = rtPathAbsRooted(pszBase, pszPath, pParsed, fFlags, pszAbsPath, &cb);
        else if (   !pszBase
                 || (   fStyle == RTPATH_STR_F_STYLE_DOS
                     && (pParsed->fProps & RTPATH_PROP_VOLUME)
                     && !(   rtPathHasDrive(pszBase)
                          && rtPathToUpper(pszBase[0]) == rtPathToUpper(pszPath[0]))))
            rc = rtPathAbsJoinCwd(pszPath, pParsed, fFlags, pszAbsPath, &cb);
        else
            rc = rtPathAbsJoinBase(pszBase, pszPath, pParsed, fFlags, pszAbsPath, &cb);
        if (RT_SUCCESS(rc) || rc == VERR_BUFFER_OVERFLOW)
            *pcbAbsPath = cb;
    }
    rtPathAbsParseFree(&Path);

    /* Whatever the destination held as scratch must not pass for a result. */
    if (RT_FAILURE(rc) && cbAbsPath)
        pszAbsPath[0] = '\0';
    return rc;
}
