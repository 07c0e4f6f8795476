/* Loading of native modules (DLLs) and lookup of their exports. */
#ifndef TULO_LDR_H
#define TULO_LDR_H

#include <tulo/cdefs.h>
#include <tulo/errinfo.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** A loaded module. */
typedef struct RTLDRMODINTERNAL *RTLDRMOD;
typedef RTLDRMOD *PRTLDRMOD;
#define NIL_RTLDRMOD ((RTLDRMOD)0)

/** Load flags. */
/** Symbols local to the module (not supported on Windows). */
#define RTLDRLOAD_FLAGS_LOCAL                   UINT32_C(0x00000001)
/** Never unload the module, not even when its record is closed. */
#define RTLDRLOAD_FLAGS_NO_UNLOAD               UINT32_C(0x00000002)
/** Search only the system directory, the application directory and the
 * module's own directory for its dependencies. */
#define RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR  UINT32_C(0x00000004)
/** Do not add the default suffix to a name without one. */
#define RTLDRLOAD_FLAGS_NO_SUFFIX               UINT32_C(0x00000008)
#define RTLDRLOAD_FLAGS_VALID_MASK              UINT32_C(0x0000000f)

/** Loads a library of the system by its bare file name from the system
 * directory (or where side-by-side redirection sends it within the system's
 * own tree); ".DLL" is added when the name has no suffix. */
int RTLdrLoadSystem(const char *pszFilename, bool fNoUnloadable, PRTLDRMOD phLdrMod);
/** Loads the module at the absolute path pszFilename; pErrInfo is optional. */
int RTLdrLoadEx(const char *pszFilename, PRTLDRMOD phLdrMod, uint32_t fFlags, PRTERRINFO pErrInfo);
/** The address of an exported symbol; *ppvValue is NULL on failure. */
int RTLdrGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue);
/** Closes the record (NIL allowed); the module stays when it must not be unloaded. */
int RTLdrClose(RTLDRMOD hLdrMod);
/** The address of a symbol of a system library, loaded for good; NULL when
 * the library or the symbol is missing. */
void *RTLdrGetSystemSymbol(const char *pszFilename, const char *pszSymbol);

RT_C_DECLS_END

#endif
