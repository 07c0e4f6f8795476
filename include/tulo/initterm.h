/* Runtime initialisation of an executable. */
#ifndef TULO_INITTERM_H
#define TULO_INITTERM_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Restrict the library search of the process to the system directory. */
#define RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM 4
/** Skip the process-wide changes of the native set-up. */
#define RTR3INIT_FLAGS_UNOBTRUSIVE       8

/** Initialises the runtime for an executable; may replace the argument vector. */
int RTR3InitExe(int cArgs, char ***ppapszArgs, uint32_t fFlags);

RT_C_DECLS_END

#endif
