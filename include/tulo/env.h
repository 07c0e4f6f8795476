/* The process environment. */
#ifndef TULO_ENV_H
#define TULO_ENV_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** The value of the environment variable pszVar as UTF-8 text, or NULL when
 * it is not set or cannot be read. The caller does not free the text; it
 * stays valid until 64 further successful calls have been made. */
const char *RTEnvGet(const char *pszVar);

/** An environment handle. */
typedef struct RTENVINTERNAL *RTENV;
/** The process environment, the only environment handle here. */
#define RTENV_DEFAULT ((RTENV)~(uintptr_t)0)

/** The value of pszVar in the environment Env into pszValue (cbValue bytes)
 * and/or its length in bytes (without terminator) into *pcchActual, which is
 * also set when the value does not fit (VERR_BUFFER_OVERFLOW). Without
 * pcchActual, a buffer is required. VERR_ENV_VAR_NOT_FOUND when not set. */
int RTEnvGetEx(RTENV Env, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual);

RT_C_DECLS_END

#endif
