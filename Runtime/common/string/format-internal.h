/* Between the format engine and the handlers of the runtime's %R types. */
#ifndef TULO_FORMAT_INTERNAL_H
#define TULO_FORMAT_INTERNAL_H

#include <tulo/format.h>

/** Every %R not followed by '[': *ppszFormat points at the 'R'. Returns the
 * characters produced, 0 when the keyword is not recognised. */
size_t rtFmtRuntimeType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                        int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);
/** %R[name]: *ppszFormat points at the 'R'. */
size_t rtFmtCustomType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                       int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize);

/** Stands in for a pointer that must not be read: "<NULL>" for a null
 * pointer, otherwise "<", the address at the natural pointer width, the
 * marker and ">", padded with spaces to the width (after it with
 * RTFMT_F_LEFT). Returns the output callback's sum. */
size_t rtFmtBadPointer(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pv, int cchWidth, unsigned fFlags,
                       const char *pszMarker);

#endif
