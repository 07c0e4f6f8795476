/*
 * Fuzz target of path parsing and absolute paths: arbitrary strings in both
 * styles, parsed and made absolute against fixed bases and the current
 * directory, into buffers of assorted sizes. Any broken invariant traps.
 */
#include <tulo/path.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include <stdlib.h>
#include <string.h>

#define CHECK(expr) do { if (!(expr)) __builtin_trap(); } while (0)

static char *dupExact(const char *pch, size_t cch)
{
    char *psz = (char *)malloc(cch + 1);
    CHECK(psz);
    memcpy(psz, pch, cch);
    psz[cch] = '\0';
    return psz;
}

static PRTPATHPARSED allocRecord(size_t cComps, size_t *pcb)
{
    *pcb = RTPATHPARSED_SIZE(cComps);
    PRTPATHPARSED p = (PRTPATHPARSED)malloc(*pcb);
    CHECK(p);
    memset(p, 0xa5, *pcb);
    return p;
}

static bool isSep(char ch, bool fDos)
{
    return ch == '/' || (fDos && ch == '\\');
}

/** Parses pszPath; on success returns the complete record (free it). */
static PRTPATHPARSED checkParse(const char *pszPath, uint32_t fFlags, unsigned cSmall)
{
    size_t const cchPath = strlen(pszPath);
    bool const   fDos    = (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_DOS;

    size_t        cb;
    PRTPATHPARSED pParsed = allocRecord(16, &cb);
    int rc = RTPathParse(pszPath, pParsed, cb, fFlags);
    if (!cchPath)
    {
        CHECK(rc == VERR_PATH_ZERO_LENGTH);
        free(pParsed);
        return NULL;
    }
    if (cchPath > 65535)
    {
        CHECK(rc == VERR_FILENAME_TOO_LONG);
        free(pParsed);
        return NULL;
    }
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        /* The header tells the size that works. */
        CHECK(pParsed->cComps > 16);
        size_t        cbFull;
        PRTPATHPARSED pFull = allocRecord(pParsed->cComps, &cbFull);
        CHECK(RTPathParse(pszPath, pFull, cbFull, fFlags) == VINF_SUCCESS);
        CHECK(memcmp(pFull, pParsed, RTPATHPARSED_HDR_SIZE) == 0);
        CHECK(memcmp(pFull->aComps, pParsed->aComps, 16 * sizeof(pParsed->aComps[0])) == 0);
        free(pParsed);
        pParsed = pFull;
    }
    else
        CHECK(rc == VINF_SUCCESS);

    /* A smaller record gives the same header. */
    size_t        cbSmall;
    PRTPATHPARSED pSmall = allocRecord(cSmall, &cbSmall);
    rc = RTPathParse(pszPath, pSmall, cbSmall, fFlags);
    CHECK(rc == (pParsed->cComps > cSmall ? VERR_BUFFER_OVERFLOW : VINF_SUCCESS));
    CHECK(memcmp(pSmall, pParsed, RTPATHPARSED_HDR_SIZE) == 0);
    free(pSmall);

    /*
     * The record against the string.
     */
    uint16_t const fProps = pParsed->fProps;
    unsigned const cComps = pParsed->cComps;
    bool const     fRoot  = (fProps & (RTPATH_PROP_UNC | RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_VOLUME)) != 0;
    CHECK(!!(fProps & RTPATH_PROP_ABSOLUTE) != !!(fProps & RTPATH_PROP_RELATIVE));
    CHECK(!((fProps & RTPATH_PROP_FILENAME) && (fProps & RTPATH_PROP_DIR_SLASH)));
    CHECK(!fRoot || !(fFlags & RTPATH_STR_F_NO_START));
    CHECK(cComps > 0 || (fFlags & RTPATH_STR_F_NO_START));
    bool   fDot = false, fDotDot = false;
    size_t offEnd = 0;
    size_t cchRebuilt = 0;
    for (unsigned i = 0; i < cComps; i++)
    {
        size_t const off = pParsed->aComps[i].off;
        size_t const cch = pParsed->aComps[i].cch;
        CHECK(off >= offEnd && off + cch <= cchPath && cch > 0);
        if (i == 0 && fRoot)
            CHECK(off == 0);
        else
        {
            for (size_t j = off; j < off + cch; j++)
                CHECK(!isSep(pszPath[j], fDos));
            CHECK(off == 0 || isSep(pszPath[off - 1], fDos) || (i == 1 && fRoot));
            fDot    |= cch == 1 && pszPath[off] == '.';
            fDotDot |= cch == 2 && pszPath[off] == '.' && pszPath[off + 1] == '.';
            if (i > (fRoot ? 1u : 0u))
                cchRebuilt++;
        }
        cchRebuilt += cch;
        offEnd = off + cch;
    }
    if ((fProps & RTPATH_PROP_DIR_SLASH))
        cchRebuilt++;
    CHECK(fDot == !!(fProps & RTPATH_PROP_DOT_REFS));
    CHECK(fDotDot == !!(fProps & RTPATH_PROP_DOTDOT_REFS));
    CHECK(!fDotDot || (fProps & RTPATH_PROP_RELATIVE));
    CHECK(pParsed->cchPath == cchRebuilt && cchRebuilt <= cchPath);
    if (fProps & RTPATH_PROP_SUFFIX)
    {
        size_t const offLast = pParsed->aComps[cComps - 1].off;
        CHECK(fProps & RTPATH_PROP_FILENAME);
        CHECK(pszPath[pParsed->offSuffix] == '.' && pParsed->offSuffix > offLast);
        CHECK(pParsed->offSuffix + (size_t)pParsed->cchSuffix == cchPath && pParsed->cchSuffix >= 2);
        CHECK(!memchr(&pszPath[pParsed->offSuffix + 1], '.', pParsed->cchSuffix - 1u));
    }
    else
        CHECK(pParsed->offSuffix == cchPath && pParsed->cchSuffix == 0);
    if (fProps & RTPATH_PROP_FILENAME)
        CHECK(offEnd == cchPath);

    /*
     * Rebuilt: exactly cchPath characters, and parsing that again gives the
     * same components without the extra separators.
     */
    uint32_t const fStyle = fFlags & RTPATH_STR_F_STYLE_MASK;
    if (!cComps)
    {
        /* Only separators, from the middle of a path: nothing to rebuild. */
        CHECK(RTPathParsedReassemble(pszPath, pParsed, fStyle, NULL, 0) == VERR_INVALID_PARAMETER);
        return pParsed;
    }
    char *pszShort = (char *)malloc(cchRebuilt ? cchRebuilt : 1);
    CHECK(RTPathParsedReassemble(pszPath, pParsed, fStyle, pszShort, cchRebuilt) == VERR_BUFFER_OVERFLOW);
    CHECK(!cchRebuilt || pszShort[0] == '\0');
    free(pszShort);
    char *pszRebuilt = (char *)malloc(cchRebuilt + 1);
    CHECK(RTPathParsedReassemble(pszPath, pParsed, fStyle, pszRebuilt, cchRebuilt + 1) == VINF_SUCCESS);
    CHECK(strlen(pszRebuilt) == cchRebuilt);
    if (cchRebuilt)
    {
        size_t        cbAgain;
        PRTPATHPARSED pAgain = allocRecord(cComps, &cbAgain);
        CHECK(RTPathParse(pszRebuilt, pAgain, cbAgain, fFlags) == VINF_SUCCESS);
        CHECK(pAgain->cComps == cComps && pAgain->cchPath == cchRebuilt);
        CHECK(pAgain->fProps == (fProps & ~RTPATH_PROP_EXTRA_SLASHES));
        for (unsigned i = fRoot ? 1 : 0; i < cComps; i++)
            CHECK(   pAgain->aComps[i].cch == pParsed->aComps[i].cch
                  && !memcmp(&pszRebuilt[pAgain->aComps[i].off], &pszPath[pParsed->aComps[i].off], pParsed->aComps[i].cch));
        free(pAgain);
    }
    free(pszRebuilt);
    return pParsed;
}

/** RTPathAbsEx into an exactly sized buffer; the result in *ppszResult when it succeeds. */
static int absInto(const char *pszBase, const char *pszPath, uint32_t fFlags, size_t cbBuf, size_t *pcbOut, char **ppszResult)
{
    char *psz = (char *)malloc(cbBuf ? cbBuf : 1);
    CHECK(psz);
    memset(psz, 'Z', cbBuf ? cbBuf : 1);
    size_t cb = cbBuf;
    int const rc = RTPathAbsEx(pszBase, pszPath, fFlags, psz, &cb);
    if (RT_SUCCESS(rc))
    {
        CHECK(cb < cbBuf && strlen(psz) == cb && cb > 0);
        *ppszResult = psz;
    }
    else
    {
        /* Refused arguments leave the buffer alone; later failures empty it. */
        if (cbBuf)
            CHECK(psz[0] == (rc == VERR_PATH_ZERO_LENGTH ? 'Z' : '\0'));
        if (rc == VERR_BUFFER_OVERFLOW)
            CHECK(cb > cbBuf);
        else
            CHECK(cb == cbBuf);
        free(psz);
        *ppszResult = NULL;
    }
    *pcbOut = cb;
    return rc;
}

static void checkAbs(const char *pszBase, const char *pszPath, uint32_t fFlags, size_t cbBuf)
{
    bool const fDos = (fFlags & RTPATH_STR_F_STYLE_MASK) == RTPATH_STR_F_STYLE_DOS;

    /* The reference result, with room for the path, a base and a current
     * directory of ordinary length; longer ones retry once. */
    size_t cbRef;
    char  *pszRef;
    int    rcRef = absInto(pszBase, pszPath, fFlags, 2 * strlen(pszPath) + 8192, &cbRef, &pszRef);
    if (rcRef == VERR_BUFFER_OVERFLOW)
        rcRef = absInto(pszBase, pszPath, fFlags, cbRef, &cbRef, &pszRef);
    CHECK(   rcRef == VINF_SUCCESS
          || rcRef == VERR_PATH_ZERO_LENGTH
          || rcRef == VERR_FILENAME_TOO_LONG);
    if (rcRef == VERR_PATH_ZERO_LENGTH)
        CHECK(!*pszPath);

    size_t cb;
    char  *pszResult;
    int rc = absInto(pszBase, pszPath, fFlags, cbBuf, &cb, &pszResult);
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        /* The size asked for works. */
        CHECK(rcRef == VINF_SUCCESS && cb > cbRef);
        rc = absInto(pszBase, pszPath, fFlags, cb, &cb, &pszResult);
        CHECK(rc == VINF_SUCCESS);
    }
    CHECK(rc == rcRef);
    if (RT_FAILURE(rc))
    {
        CHECK(!RTPathAbsExDup(pszBase, pszPath, fFlags));
        return;
    }
    CHECK(!strcmp(pszResult, pszRef));

    /* The result is rooted, clean, and its own absolute form. */
    size_t        cbRec;
    PRTPATHPARSED pRec = allocRecord(cbRef / 2 + 2, &cbRec);
    CHECK(RTPathParse(pszRef, pRec, cbRec, fFlags & RTPATH_STR_F_STYLE_MASK) == VINF_SUCCESS);
    CHECK(pRec->fProps & (RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_UNC));
    CHECK(!(pRec->fProps & RTPATH_PROP_EXTRA_SLASHES));
    if (pRec->fProps & (RTPATH_PROP_DOT_REFS | RTPATH_PROP_DOTDOT_REFS))
    {
        /* Only the protected share of a UNC path may be "." or "..". */
        CHECK((pRec->fProps & (RTPATH_PROP_UNC | RTPATH_PROP_SPECIAL_UNC)) == RTPATH_PROP_UNC);
        for (unsigned i = 2; i < pRec->cComps; i++)
            CHECK(!(   pszRef[pRec->aComps[i].off] == '.'
                    && (   pRec->aComps[i].cch == 1
                        || (pRec->aComps[i].cch == 2 && pszRef[pRec->aComps[i].off + 1] == '.'))));
    }
    if (fDos && (pRec->fProps & RTPATH_PROP_VOLUME))
        CHECK(pszRef[0] >= 'A' && pszRef[0] <= 'Z');
    if ((fFlags & RTPATHABS_F_ENSURE_TRAILING_SLASH) && pRec->cComps > 1)
        CHECK(isSep(pszRef[cbRef - 1], fDos));
    free(pRec);

    char  *pszAgain;
    size_t cbAgain;
    CHECK(absInto(pszBase, pszRef, fFlags, cbRef + 1, &cbAgain, &pszAgain) == VINF_SUCCESS);
    CHECK(!strcmp(pszAgain, pszRef));
    free(pszAgain);

    char *pszDup = RTPathAbsExDup(pszBase, pszPath, fFlags);
    CHECK(pszDup && !strcmp(pszDup, pszRef));
    RTStrRelease(pszDup);

    free(pszResult);
    free(pszRef);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    if (cbData < 2)
        return 0;
    uint8_t const bCtl  = pbData[0];
    uint8_t const bSize = pbData[1];
    const char   *pch   = (const char *)&pbData[2];
    size_t const  cch   = strnlen(pch, cbData - 2);
    char *pszPath = dupExact(pch, cch);

    static const char * const s_apszDosBases[]  = { NULL, "C:\\base\\dir", "\\\\srv\\share\\sub", "d:rel\\..\\x", "\\\\?\\C:\\x" };
    static const char * const s_apszUnixBases[] = { NULL, "/base/dir", "//base/./x/", "rel" };
    static const uint32_t     s_afAbs[]         =
    {
        0, RTPATHABS_F_STOP_AT_BASE, RTPATHABS_F_STOP_AT_CWD, RTPATHABS_F_ENSURE_TRAILING_SLASH,
        RTPATHABS_F_STOP_AT_BASE | RTPATHABS_F_ENSURE_TRAILING_SLASH,
    };

    static const uint32_t s_afStyles[] = { RTPATH_STR_F_STYLE_DOS, RTPATH_STR_F_STYLE_UNIX };
    for (uint32_t fStyle : s_afStyles)
    {
        uint32_t const fMiddle = (uint32_t)(bCtl & 3) << 4;
        PRTPATHPARSED pParsed = checkParse(pszPath, fStyle | fMiddle, bSize % 8);
        free(pParsed);
        if (fMiddle)
            free(checkParse(pszPath, fStyle, bSize % 8));

        /* Bases (as exact copies too) and flags picked by the control byte. */
        bool const   fDos    = fStyle == RTPATH_STR_F_STYLE_DOS;
        size_t const cBases  = fDos ? sizeof(s_apszDosBases) / sizeof(s_apszDosBases[0])
                                    : sizeof(s_apszUnixBases) / sizeof(s_apszUnixBases[0]);
        const char  *pszBase = (fDos ? s_apszDosBases : s_apszUnixBases)[(bCtl >> 2) % cBases];
        char        *pszBaseCopy = pszBase ? dupExact(pszBase, strlen(pszBase)) : NULL;
        uint32_t const fAbs  = s_afAbs[(bCtl >> 5) % (sizeof(s_afAbs) / sizeof(s_afAbs[0]))];
        size_t const aSizes[] = { (size_t)bSize % 8, (size_t)bSize * 17, cch + (bSize % 4) };
        for (size_t cbBuf : aSizes)
            checkAbs(pszBaseCopy, pszPath, fStyle | fAbs, cbBuf);
        free(pszBaseCopy);
    }

    free(pszPath);
    return 0;
}
