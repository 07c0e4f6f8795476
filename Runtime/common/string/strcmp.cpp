/*
 * String comparison. Null pointers are accepted: they sort before every
 * string, and a pointer always equals itself.
 */
#include <tulo/string.h>
#include <tulo/err.h>

namespace {

inline unsigned rtStrFoldAscii(unsigned u)
{
    return u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u;
}

/** The pointer rules every comparison starts with. True when they decide,
 * with the result in *piDiff; false when both strings must be read. */
inline bool rtStrCompareByPointer(const char *psz1, const char *psz2, int *piDiff)
{
    if (psz1 == psz2)
        *piDiff = 0;
    else if (!psz1)
        *piDiff = -1;
    else if (!psz2)
        *piDiff = 1;
    else
        return false;
    return true;
}

/** Byte by byte up to the first difference or the common end; a_fBounded
 * stops after cchMax bytes as well (the unbounded form ignores cchMax). */
template<bool a_fBounded>
inline int rtStrCompareBytes(const char *psz1, const char *psz2, size_t cchMax)
{
    for (; !a_fBounded || cchMax > 0; cchMax--)
    {
        uint8_t const b1 = (uint8_t)*psz1++;
        uint8_t const b2 = (uint8_t)*psz2++;
        if (b1 != b2)
            return (int)b1 - (int)b2;
        if (!b1)
            return 0;
    }
    return 0;
}

/** One step of the ASCII-only case folding comparison: a code point of the
 * first string against a byte of the second. True when the step decides,
 * with the result in *piDiff (0 at the common end). */
inline bool rtStrCompareCpAsciiNoCase(RTUNICP uCp1, unsigned u2, int *piDiff)
{
    if (uCp1 == u2)
    {
        *piDiff = 0;
        return !u2;
    }
    if (uCp1 >= 0x80)
    {
        *piDiff = 1; /* no ASCII keyword matches a letter outside ASCII */
        return true;
    }
    unsigned const uLower1 = rtStrFoldAscii(uCp1);
    unsigned const uLower2 = rtStrFoldAscii(u2);
    *piDiff = (int)uLower1 - (int)uLower2;
    return uLower1 != uLower2;
}

} /* namespace */


int RTStrCompare(const char *psz1, const char *psz2)
{
    int iDiff;
    if (rtStrCompareByPointer(psz1, psz2, &iDiff))
        return iDiff;
    return rtStrCompareBytes<false>(psz1, psz2, 0);
}


int RTStrCompareN(const char *psz1, const char *psz2, size_t cchMax)
{
    int iDiff;
    if (rtStrCompareByPointer(psz1, psz2, &iDiff))
        return iDiff;
    return rtStrCompareBytes<true>(psz1, psz2, cchMax);
}


int RTStrCompareAsciiNoCase(const char *psz1, const char *psz2)
{
    int iDiff;
    if (rtStrCompareByPointer(psz1, psz2, &iDiff))
        return iDiff;
    for (;;)
    {
        const char *pszCp = psz1;
        RTUNICP uCp1;
        if (RT_FAILURE(RTStrReadCp(&psz1, &uCp1)))
            return RTStrCompare(pszCp, psz2); /* raw bytes from the bad sequence on */
        if (rtStrCompareCpAsciiNoCase(uCp1, (uint8_t)*psz2++, &iDiff))
            return iDiff;
    }
}


int RTStrCompareAsciiNoCaseN(const char *psz1, const char *psz2, size_t cchMax)
{
    int iDiff;
    if (!cchMax)
        return 0;
    if (rtStrCompareByPointer(psz1, psz2, &iDiff))
        return iDiff;
    for (;;)
    {
        const char  *pszCp = psz1;
        RTUNICP      uCp1;
        int rc = RTStrReadCpN(&psz1, &cchMax, &uCp1);
        if (rc == VERR_END_OF_STRING)
            return 0;
        if (RT_FAILURE(rc))
            return RTStrCompareN(pszCp, psz2, cchMax + 1);
        if (rtStrCompareCpAsciiNoCase(uCp1, (uint8_t)*psz2++, &iDiff))
            return iDiff;
    }
}
