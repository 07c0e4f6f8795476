/* printf-style formatting: one engine, front ends that differ in their output. */
#ifndef TULO_FORMAT_H
#define TULO_FORMAT_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** Output callback: characters (not terminated, valid during the call) and
 * their count; returns the characters taken. Each engine run ends with one
 * call with a NULL pointer and a count of 0. */
typedef size_t FNRTFMTOUTPUT(void *pvArg, const char *pachChars, size_t cbChars);
typedef FNRTFMTOUTPUT *PFNRTFMTOUTPUT;

/** Type callback for conversion characters the engine does not know. On entry
 * *ppszFormat points at the character; the callback moves it past what it
 * consumed, fetches its arguments from *pArgs and returns its output count. */
typedef size_t FNRTFMTTYPE(void *pvArg, PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat,
                           va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);
typedef FNRTFMTTYPE *PFNRTFMTTYPE;

/* Conversion flags, shared by the engine, the runtime types and the number formatter. */
#define RTFMT_F_CAPITAL     0x0001u
#define RTFMT_F_LEFT        0x0002u
#define RTFMT_F_ZEROPAD     0x0004u
#define RTFMT_F_SPECIAL     0x0008u
#define RTFMT_F_VALSIGNED   0x0010u
#define RTFMT_F_PLUS        0x0020u
#define RTFMT_F_BLANK       0x0040u
#define RTFMT_F_WIDTH       0x0080u
#define RTFMT_F_PRECISION   0x0100u
#define RTFMT_F_THOUSAND_GROUP 0x0200u
#define RTFMT_F_HIDE_VALUE  0x0400u
#define RTFMT_F_8BIT        0x0800u
#define RTFMT_F_16BIT       0x1000u
#define RTFMT_F_32BIT       0x2000u
#define RTFMT_F_64BIT       0x4000u

/** The engine: returns the sum of the output callback's results. */
size_t RTFmtV(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, PFNRTFMTTYPE pfnFormat, void *pvArgFormat,
              const char *pszFormat, va_list va);
size_t RTFmt(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, PFNRTFMTTYPE pfnFormat, void *pvArgFormat,
             const char *pszFormat, ...);

/** Formats into a caller buffer, truncating; returns the characters stored. */
size_t RTFmtBufV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va);
size_t RTFmtBuf(char *pszBuf, size_t cbBuf, const char *pszFormat, ...);

/** Formats into a caller buffer. Returns the characters stored when the whole
 * text fitted, otherwise -(length of the whole text + 1); the buffer then holds
 * as much as fitted, terminated (nothing when cbBuf is 0). */
ptrdiff_t RTFmtBufCheckedV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va);
ptrdiff_t RTFmtBufChecked(char *pszBuf, size_t cbBuf, const char *pszFormat, ...);

/** Formats into a newly allocated string (free with RTStrRelease). Returns its
 * length, or -1 with *ppszBuffer set to NULL. */
ptrdiff_t RTFmtAllocTagV(char **ppszBuffer, const char *pszFormat, va_list va, const char *pszTag);

/** Number to text into a 64-byte buffer; returns the length written (terminated). */
int RTFmtNumber(char *pszBuf, uint64_t u64Value, unsigned uBase, int cchWidth, int cchPrecision, unsigned fFlags);
/** Number to text into a caller buffer; the length, or VERR_BUFFER_OVERFLOW. */
ptrdiff_t RTFmtNumber32(char *pszBuf, size_t cbBuf, uint32_t u32Value, unsigned uBase, int cchWidth,
                        int cchPrecision, unsigned fFlags);
ptrdiff_t RTFmtNumber64(char *pszBuf, size_t cbBuf, uint64_t u64Value, unsigned uBase, int cchWidth,
                        int cchPrecision, unsigned fFlags);

RT_C_DECLS_END

#endif
