/* The process environment. */
#ifndef TULO_ENV_H
#define TULO_ENV_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** The value of the environment variable pszVar as UTF-8 text, or NULL when
 * it is not set or cannot be read. The caller does not free the text; it
 * stays valid until 64 further successful calls have been made. */
const char *RTEnvGet(const char *pszVar);

RT_C_DECLS_END

#endif
