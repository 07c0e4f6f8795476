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

} /* namespace */


int RTStrCompare(const char *psz1, const char *psz2)
{
    if (psz1 == psz2)
        return 0;
    if (!psz1)
        return -1;
    if (!psz2)
        return 1;
    for (;;)
    {
        uint8_t const b1 = (uint8_t)*psz1++;
        uint8_t const b2 = (uint8_t)*psz2++;
        if (b1 != b2)
            return (int)b1 - (int)b2;
        if (!b1)
            return 0;
    }
}


int RTStrCompareN(const char *psz1, const char *psz2, size_t cchMax)
{
    if (psz1 == psz2)
        return 0;
    if (!psz1)
        return -1;
    if (!psz2)
        return 1;
    for (; cchMax > 0; cchMax--)
    {
        uint8_t const b1 = (uint8_t)*psz1++;
        uint8_t const b2 = (uint8_t)*psz2++;
        if (b1 != b2)
            return (int)b1 - (int)b2;
        if (!b1)
            break;
    }
    return 0;
}


int RTStrCompareAsciiNoCase(const char *psz1, const char *psz2)
{
    if (psz1 == psz2)
        return 0;
    if (!psz1)
        return -1;
    if (!psz2)
        return 1;
    for (;;)
    {
        const char *pszCp = psz1;
        RTUNICP uCp1;
        if (RT_FAILURE(RTStrReadCp(&psz1, &uCp1)))
            return RTStrCompare(pszCp, psz2); /* raw bytes from the bad sequence on */
        unsigned const u2 = (uint8_t)*psz2++;
        if (uCp1 == u2)
        {
            if (!u2)
                return 0;
            continue;
        }
        if (uCp1 >= 0x80)
            return 1; /* no ASCII keyword matches a letter outside ASCII */
        unsigned const uLower1 = rtStrFoldAscii(uCp1);
        unsigned const uLower2 = rtStrFoldAscii(u2);
        if (uLower1 != uLower2)
            return (int)uLower1 - (int)uLower2;
    }
}


int RTStrCompareAsciiNoCaseN(const char *psz1, const char *psz2, size_t cchMax)
{
    if (!cchMax || psz1 == psz2)
        return 0;
    if (!psz1)
        return -1;
    if (!psz2)
        return 1;
    for (;;)
    {
        const char  *pszCp = psz1;
        RTUNICP      uCp1;
        int rc = RTStrReadCpN(&psz1, &cchMax, &uCp1);
        if (rc == VERR_END_OF_STRING)
            return 0;
        if (RT_FAILURE(rc))
            return RTStrCompareN(pszCp, psz2, cchMax + 1);
        unsigned const u2 = (uint8_t)*psz2++;
        if (uCp1 == u2)
        {
            if (!u2)
                return 0;
            continue;
        }
        if (uCp1 >= 0x80)
            return 1;
        unsigned const uLower1 = rtStrFoldAscii(uCp1);
        unsigned const uLower2 = rtStrFoldAscii(u2);
        if (uLower1 != uLower2)
            return (int)uLower1 - (int)uLower2;
    }
}
