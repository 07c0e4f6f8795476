/* Standard messages for the results of the option parser. */
#include <tulo/getopt.h>
#include <tulo/err.h>
#include <tulo/message.h>


/** The messages, one per kind of result. */
static const char g_szNotOption[]       = "Invalid parameter: %s";
static const char g_szUnhandledChar[]   = "Unhandled option: -%c";
static const char g_szUnhandledValue[]  = "Unhandled option: %i (%#x)";
static const char g_szUnknownOption[]   = "Unknown option: '%s'";
static const char g_szStatus[]          = "%Rrs\n";
static const char g_szInvalidFormat[]   = "The value given '%s' has an invalid format.";
static const char g_szOptionStatus[]    = "%s: %Rrs\n";


/** Text of the union, or an empty text when there is none: the union comes
 * from the caller, and a message is no reason to crash. */
static const char *rtGetOptErrText(PCRTGETOPTUNION pValueUnion)
{
    if (RT_VALID_PTR(pValueUnion) && RT_VALID_PTR(pValueUnion->psz))
        return pValueUnion->psz;
    return "";
}


RTEXITCODE RTGetOptPrintError(int ch, PCRTGETOPTUNION pValueUnion)
{
    if (ch == VINF_GETOPT_NOT_OPTION)
        RTMsgError(g_szNotOption, rtGetOptErrText(pValueUnion));
    else if (ch >= 33 && ch <= 126)
        RTMsgError(g_szUnhandledChar, ch);
    else if (ch > 0)
        RTMsgError(g_szUnhandledValue, ch, ch);
    else if (ch == VERR_GETOPT_UNKNOWN_OPTION)
        RTMsgError(g_szUnknownOption, rtGetOptErrText(pValueUnion));
    else
    {
        /* The option's name, when the union holds a definition; one given only
           by its character is named "-c". A value that no definition of ours
           can be (a failed fetch leaves the union as it was) gives no name. */
        PCRTGETOPTDEF pDef = RT_VALID_PTR(pValueUnion) ? pValueUnion->pDef : NULL;
        const char   *pszName = NULL;
        char          szShort[3];
        if (RT_VALID_PTR(pDef))
        {
            if (pDef->pszLong)
                pszName = pDef->pszLong;
            else if (pDef->iShort >= 33 && pDef->iShort <= 126)
            {
                szShort[0] = '-';
                szShort[1] = (char)pDef->iShort;
                szShort[2] = '\0';
                pszName = szShort;
            }
        }

        if (!pszName)
            RTMsgError(g_szStatus, ch);
        else if (ch == VERR_GETOPT_INVALID_ARGUMENT_FORMAT)
            RTMsgError(g_szInvalidFormat, pszName);
        else
            RTMsgError(g_szOptionStatus, pszName, ch);
    }
    return RTEXITCODE_SYNTAX;
}
