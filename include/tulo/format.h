/* printf-style formatting into caller buffers and allocated strings. */
#ifndef TULO_FORMAT_H
#define TULO_FORMAT_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** Formats into a caller buffer. Returns the characters stored when the whole
 * text fitted, otherwise -(length of the whole text + 1); the buffer then holds
 * as much as fitted, terminated (nothing when cbBuf is 0). */
ptrdiff_t RTFmtBufChecked(char *pszBuf, size_t cbBuf, const char *pszFormat, ...);
ptrdiff_t RTFmtBufCheckedV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va);

/** Formats into a newly allocated string (free with RTStrRelease). Returns its
 * length, or -1 with *ppszBuffer set to NULL. */
ptrdiff_t RTFmtAllocTagV(char **ppszBuffer, const char *pszFormat, va_list va, const char *pszTag);

RT_C_DECLS_END

#endif
