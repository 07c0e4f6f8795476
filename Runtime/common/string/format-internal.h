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

#endif
