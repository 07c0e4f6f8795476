/*
 * Custom format types, %R[name]. Nothing in the runtime registers one, so
 * every name prints the missing-type text; the argument that a handler would
 * have received is still taken, so the conversions after it stay in step.
 */
#include "format-rt-internal.h"

size_t rtFmtCustomType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                       int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    (void)cchWidth; (void)cchPrecision; (void)fFlags; (void)chArgSize;
    const char *pszName = *ppszFormat + 2;      /* after "R[" */
    const char *psz = pszName;
    while (*psz && *psz != ']' && *psz != '%' && *psz != '[')
        psz++;
    if (*psz != ']')
    {
        /* Not a name: the rest prints as literal text. At the terminator the
         * format ends, and no argument is taken that the caller never passed. */
        *ppszFormat = pszName;
        if (*psz)
            (void)va_arg(*pArgs, void *);
        return 0;
    }
    *ppszFormat = psz + 1;
    (void)va_arg(*pArgs, void *);

    size_t cchRet = rtFmtRtPut(pfnOutput, pvArgOutput, "<missing:%R[", 12);
    cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, pszName, (size_t)(psz - pszName));
    return cchRet + rtFmtRtPut(pfnOutput, pvArgOutput, "]>", 2);
}
