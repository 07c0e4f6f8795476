/* Tool messages: "<program>: error: <text>" lines on g_pStdErr and g_pStdOut. */
#ifndef TULO_MESSAGE_H
#define TULO_MESSAGE_H

#include <tulo/cdefs.h>
#include <tulo/stream.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** Error message on standard error, one "<program>: error: " line per text line. Returns 0. */
int RTMsgError(const char *pszFormat, ...);
int RTMsgErrorV(const char *pszFormat, va_list va);
/** Information message on standard output with the "info: " prefix. Returns 0. */
int RTMsgInfo(const char *pszFormat, ...);
/** Reports a failed runtime initialisation on standard error; returns RTEXITCODE_INIT. */
RTEXITCODE RTMsgInitFailure(int rcRTR3Init);

RT_C_DECLS_END

#endif
