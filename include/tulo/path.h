/* Path syntax and absolute paths. */
#ifndef TULO_PATH_H
#define TULO_PATH_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Longest path the runtime handles, terminator included. */
#define RTPATH_MAX 4100

/** Absolute form of pszPath (relative to the current directory) into a caller
 * buffer; VERR_BUFFER_OVERFLOW when it does not fit. */
int RTPathAbs(const char *pszPath, char *pszAbsPath, size_t cbAbsPath);

RT_C_DECLS_END

#endif
