/* Search helpers: substrings, blanks, byte sets and code points. */
#include <tulo/string.h>
#include <tulo/err.h>

char *RTStrFind(const char *pszHaystack, const char *pszNeedle)
{
    if (!pszHaystack || !pszNeedle)
        return nullptr;
    if (!*pszNeedle)
        return (char *)pszHaystack;
    for (; *pszHaystack; pszHaystack++)
    {
        size_t i = 0;
        while (pszNeedle[i] && pszHaystack[i] == pszNeedle[i])
            i++;
        if (!pszNeedle[i])
            return (char *)pszHaystack;
        if (!pszHaystack[i])
            break; /* the rest of the haystack is shorter than the needle */
    }
    return nullptr;
}


char *RTStrSkipBlanks(const char *psz)
{
    while (*psz == ' ' || (*psz >= '\t' && *psz <= '\r'))
        psz++;
    return (char *)psz;
}


bool RTStrIsByteInSet(char ch, const char *pachSet, size_t cchSet)
{
    for (size_t i = 0; i < cchSet; i++)
        if (pachSet[i] == ch)
            return true;
    return false;
}


bool RTStrHasCodePoint(RTUNICP uCp, const char *psz)
{
    if (!RT_VALID_PTR(psz))
        return false;
    for (;;)
    {
        RTUNICP uCpCur;
        if (RT_FAILURE(RTStrReadCp(&psz, &uCpCur)))
            return false;
        if (uCpCur == uCp)
            return true;
        if (!uCpCur)
            return false;
    }
}
