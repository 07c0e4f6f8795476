/*
 * Small helpers shared by the path syntax modules.
 */
#ifndef TULO_PATH_INTERNAL_H
#define TULO_PATH_INTERNAL_H

#include <tulo/path.h>

/** The style bits of fFlags with the host style resolved (the reserved value
 * passes through, callers refuse it first). */
static inline uint32_t rtPathStyle(uint32_t fFlags)
{
    uint32_t const fStyle = fFlags & RTPATH_STR_F_STYLE_MASK;
    return fStyle == RTPATH_STR_F_STYLE_HOST ? (uint32_t)RTPATH_STYLE : fStyle;
}

/** Whether ch separates components: '/' always, '\' in the DOS style. */
static inline bool rtPathIsSep(char ch, bool fDos)
{
    return ch == '/' || (fDos && ch == '\\');
}

static inline bool rtPathIsLetter(char ch)
{
    return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z');
}

/** Whether the string begins with a drive letter and a colon. */
static inline bool rtPathHasDrive(const char *psz)
{
    return rtPathIsLetter(psz[0]) && psz[1] == ':';
}

static inline char rtPathToUpper(char ch)
{
    return ch >= 'a' && ch <= 'z' ? (char)(ch - 'a' + 'A') : ch;
}

/** Length of psz, but at most cchMax (for texts that need not be terminated). */
static inline size_t rtPathStrNLen(const char *psz, size_t cchMax)
{
    size_t cch = 0;
    while (cch < cchMax && psz[cch])
        cch++;
    return cch;
}

#endif
