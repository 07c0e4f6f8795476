/*
 * Splitting a command line into an argument vector, with the quoting of the
 * Microsoft C runtime (what process start-up uses) or of the Bourne shell.
 *
 * An argument's text never grows beyond its source (quotes are dropped, runs
 * of backslashes shrink, characters are re-encoded at their own length), so
 * writing the arguments back into the command line itself is safe.
 */
#include <tulo/getopt.h>
#include <tulo/err.h>
#include <tulo/mem.h>
#include <tulo/string.h>

#include <string.h>

namespace {

/** Output side of one split: where the next character goes. */
struct RTARGVOUT
{
    char *pszNext;
};

/** Is the code point one of the separators? */
bool rtGetOptArgvIsSep(RTUNICP uCp, const char *pszSeparators)
{
    return uCp != 0 && RTStrHasCodePoint(uCp, pszSeparators);
}

/** Reads the next code point without moving; 0 at the end. */
int rtGetOptArgvPeek(const char *psz, RTUNICP *puCp)
{
    return RTStrReadCp(&psz, puCp);
}

void rtGetOptArgvPutCp(RTARGVOUT &Out, RTUNICP uCp)
{
    if (uCp < 0x80)
        *Out.pszNext++ = (char)uCp;
    else
        Out.pszNext = RTStrWriteCp(Out.pszNext, uCp);
}

/** One character of an argument's text at *ppsz. A separator ends the
 * argument unless it is quoted (*pfEnd set, *ppsz left on it); anything else
 * is copied and stepped over. */
static int rtGetOptArgvTakeCp(const char **ppsz, RTARGVOUT &Out, const char *pszSeparators, bool fQuoted, bool *pfEnd)
{
    const char *psz = *ppsz;
    RTUNICP uCp;
    int rc = RTStrReadCp(&psz, &uCp);
    if (RT_FAILURE(rc))
        return rc;
    *pfEnd = !fQuoted && rtGetOptArgvIsSep(uCp, pszSeparators);
    if (!*pfEnd)
    {
        rtGetOptArgvPutCp(Out, uCp);
        *ppsz = psz;
    }
    return VINF_SUCCESS;
}

/** One argument, Microsoft style; *ppsz ends at the separator or the end. */
int rtGetOptArgvReadMs(const char **ppsz, RTARGVOUT &Out, const char *pszSeparators)
{
    const char *psz = *ppsz;
    bool fQuoted = false;
    for (;;)
    {
        char const ch = *psz;
        if (!ch)
            break;
        if (ch == '\\')
        {
            size_t cBackslashes = 0;
            while (psz[cBackslashes] == '\\')
                cBackslashes++;
            if (psz[cBackslashes] == '"')
            {
                for (size_t i = 0; i < cBackslashes / 2; i++)
                    *Out.pszNext++ = '\\';
                psz += cBackslashes;
                if (cBackslashes & 1)
                {
                    *Out.pszNext++ = '"';
                    psz++;
                }
                /* An even run leaves the quote to act as a quote. */
            }
            else
            {
                memset(Out.pszNext, '\\', cBackslashes);
                Out.pszNext += cBackslashes;
                psz += cBackslashes;
            }
            continue;
        }
        if (ch == '"')
        {
            if (fQuoted && psz[1] == '"')
            {
                *Out.pszNext++ = '"';
                psz += 2;
            }
            else
            {
                fQuoted = !fQuoted;
                psz++;
            }
            continue;
        }
        bool fEnd;
        int rc = rtGetOptArgvTakeCp(&psz, Out, pszSeparators, fQuoted, &fEnd);
        if (RT_FAILURE(rc))
            return rc;
        if (fEnd)
            break;
    }
    *ppsz = psz;
    return VINF_SUCCESS;
}

/** One argument, Bourne shell style. */
int rtGetOptArgvReadSh(const char **ppsz, RTARGVOUT &Out, const char *pszSeparators)
{
    const char *psz = *ppsz;
    enum { kPlain, kSingle, kDouble } enmState = kPlain;
    for (;;)
    {
        char const ch = *psz;
        if (!ch)
            break;
        if (enmState == kSingle)
        {
            if (ch == '\'')
            {
                enmState = kPlain;
                psz++;
                continue;
            }
        }
        else if (enmState == kDouble)
        {
            if (ch == '"')
            {
                enmState = kPlain;
                psz++;
                continue;
            }
            if (ch == '\\')
            {
                char const chNext = psz[1];
                if (!chNext)
                {
                    psz++;
                    break;
                }
                if (chNext == '\n' || chNext == '"' || chNext == '$' || chNext == '\\' || chNext == '`')
                {
                    *Out.pszNext++ = chNext;
                    psz += 2;
                    continue;
                }
                *Out.pszNext++ = '\\';
                psz++;
                /* The character after it is copied as it is, below. */
            }
        }
        else
        {
            if (ch == '\'' || ch == '"')
            {
                enmState = ch == '\'' ? kSingle : kDouble;
                psz++;
                continue;
            }
            if (ch == '\\')
            {
                psz++;
                if (!*psz)
                    break;
                /* The escaped character is copied whatever it is, a separator too. */
                bool fEnd;
                int rc = rtGetOptArgvTakeCp(&psz, Out, pszSeparators, true /*fQuoted*/, &fEnd);
                if (RT_FAILURE(rc))
                    return rc;
                continue;
            }
        }

        bool fEnd;
        int rc = rtGetOptArgvTakeCp(&psz, Out, pszSeparators, enmState != kPlain, &fEnd);
        if (RT_FAILURE(rc))
            return rc;
        if (fEnd)
            break;
    }
    *ppsz = psz;
    return VINF_SUCCESS;
}

} /* namespace */

void RTGetOptArgvFreeEx(char **papszArgv, uint32_t fFlags)
{
    if (!papszArgv)
        return;
    /* Without in-place splitting the first argument starts the text buffer. */
    if (!(fFlags & RTGETOPTARGV_F_IN_PLACE))
        RTMemFree(papszArgv[0]);
    RTMemFree(papszArgv);
}

int RTGetOptArgvFromString(char ***ppapszArgv, int *pcArgs, const char *pszCmdLine, uint32_t fFlags,
                           const char *pszSeparators)
{
    uint32_t const fStyle = fFlags & RTGETOPTARGV_STYLE_MASK;
    if (fStyle != RTGETOPTARGV_STYLE_MS_CRT && fStyle != RTGETOPTARGV_STYLE_BOURNE_SH)
        return VERR_INVALID_FLAGS;
    if (!RT_VALID_PTR(ppapszArgv) || !RT_VALID_PTR(pcArgs) || !RT_VALID_PTR(pszCmdLine))
        return VERR_INVALID_POINTER;
    if (!pszSeparators)
        pszSeparators = " \t\n\r";
    else if (!*pszSeparators)
        return VERR_INVALID_PARAMETER;

    bool const fInPlace = (fFlags & RTGETOPTARGV_F_IN_PLACE) != 0;
    char *pszText = nullptr;
    if (!fInPlace)
    {
        pszText = (char *)RTMemAlloc(strlen(pszCmdLine) + 1);
        if (!pszText)
            return VERR_NO_STR_MEMORY;
    }
    RTARGVOUT Out = { fInPlace ? (char *)pszCmdLine : pszText };

    char **papszArgv = nullptr;
    int cArgs = 0;
    int rc = VINF_SUCCESS;
    const char *psz = pszCmdLine;
    for (;;)
    {
        /* Separators between arguments. */
        RTUNICP uCp = 0;
        for (;;)
        {
            rc = rtGetOptArgvPeek(psz, &uCp);
            if (RT_FAILURE(rc) || !rtGetOptArgvIsSep(uCp, pszSeparators))
                break;
            RTStrReadCp(&psz, &uCp);
        }
        if (RT_FAILURE(rc) || !*psz)
            break;

        /* Room for this argument and the terminating NULL. */
        if (cArgs % 32 == 0)
        {
            char **papszNew = (char **)RTMemRealloc(papszArgv, (size_t)(cArgs + 33) * sizeof(char *));
            if (!papszNew)
            {
                rc = VERR_NO_MEMORY;
                break;
            }
            papszArgv = papszNew;
        }
        papszArgv[cArgs++] = Out.pszNext;

        rc = fStyle == RTGETOPTARGV_STYLE_MS_CRT
           ? rtGetOptArgvReadMs(&psz, Out, pszSeparators)
           : rtGetOptArgvReadSh(&psz, Out, pszSeparators);
        if (RT_FAILURE(rc))
            break;
        /* Step over the separator that ended the argument before terminating
           it: in place, the terminator may land right on that separator. */
        if (*psz)
            RTStrReadCp(&psz, &uCp);
        *Out.pszNext++ = '\0';
    }

    if (RT_SUCCESS(rc) && !papszArgv)
    {
        /* No argument at all: a vector holding just the NULL. */
        papszArgv = (char **)RTMemAlloc(sizeof(char *));
        if (!papszArgv)
            rc = VERR_NO_MEMORY;
    }
    if (RT_FAILURE(rc))
    {
        RTMemFree(papszArgv);
        RTMemFree(pszText);
        return rc;
    }
    if (!cArgs)
        RTMemFree(pszText);
    papszArgv[cArgs] = nullptr;
    *ppapszArgv = papszArgv;
    *pcArgs = cArgs;
    return VINF_SUCCESS;
}
