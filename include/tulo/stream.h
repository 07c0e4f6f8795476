/* Buffered text output streams: the standard streams and files opened by name. */
#ifndef TULO_STREAM_H
#define TULO_STREAM_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** A stream; the record is the runtime's own. */
typedef struct RTSTREAM RTSTREAM;
typedef RTSTREAM *PRTSTREAM;

/** Where the tool messages and RTPrintf write; callers may point them
 * elsewhere (at a console stream, say). */
extern PRTSTREAM g_pStdErr;
extern PRTSTREAM g_pStdOut;

/** Buffering modes of RTStrmSetBufferingMode. */
typedef enum RTSTRMBUFMODE
{
    RTSTRMBUFMODE_INVALID = 0,
    /** Written out when the buffer fills (or at process exit). */
    RTSTRMBUFMODE_FULL = 1,
    /** Written out up to the last line feed after each write. */
    RTSTRMBUFMODE_LINE = 2,
    /** Written out after each write. */
    RTSTRMBUFMODE_UNBUFFERED = 3,
    /** Makes any 32-bit value a valid value of the type, so that wrong
     * values reach the argument check. */
    RTSTRMBUFMODE_32BIT_HACK = 0x7fffffff
} RTSTRMBUFMODE;

/** Opens a file or device by name. The mode is built from r, w, a (access;
 * the last counts), + (read and write), x (exclusive creation, with w only),
 * b or t (binary or text), N or e (handle not inherited), E (inherited).
 * The stream is fully buffered and lives until process exit. */
int RTStrmOpen(const char *pszFilename, const char *pszMode, PRTSTREAM *ppStream);
/** Formats to the stream; returns the characters formatted, -1 once the
 * stream carries a write error, VERR_INVALID_PARAMETER for a bad stream. */
ptrdiff_t RTStrmPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va);
ptrdiff_t RTStrmPrintf(PRTSTREAM pStream, const char *pszFormat, ...);
/** RTStrmPrintfV on g_pStdOut. */
ptrdiff_t RTPrintf(const char *pszFormat, ...);
int RTStrmSetBufferingMode(PRTSTREAM pStream, RTSTRMBUFMODE enmMode);

RT_C_DECLS_END

#endif
