/* RTStrPBrk: first character of a string that belongs to a set. */
#include <tulo/string.h>

char *RTStrPBrk(const char *psz, const char *pszChars)
{
    for (; *psz; psz++)
        for (const char *pszSet = pszChars; *pszSet; pszSet++)
            if (*pszSet == *psz)
                return (char *)psz;
    return nullptr;
}
