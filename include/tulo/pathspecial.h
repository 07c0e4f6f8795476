/* Special directories (temporary, current, executable), path information
 * queries and the environment lookup into a caller buffer. */
#ifndef TULO_PATHSPECIAL_H
#define TULO_PATHSPECIAL_H

#include <tulo/cdefs.h>
#include <tulo/fs.h>
#include <tulo/path.h>
#if defined(__has_include)
# if __has_include(<tulo/env.h>)
#  include <tulo/env.h>
# endif
#endif

RT_C_DECLS_BEGIN

/** The temporary directory: the first of TULO_TMPDIR, TMP, TEMP and
 * USERPROFILE that is set, exactly as stored, else "/tmp". A value too long
 * for the buffer gives VERR_BUFFER_OVERFLOW without trying the others. */
int RTPathTemp(char *pszPath, size_t cbPath);

/* RTPathGetCurrent, RTPathGetCurrentOnDrive and RTPathGetCurrentDrive are
 * declared in tulo/path.h. */

/** Changes the current directory of the process; relative paths are accepted. */
int RTPathSetCurrent(const char *pszPath);
/** The executable's directory, without a trailing separator unless a root;
 * VERR_WRONG_ORDER before runtime initialisation recorded the executable. */
int RTPathExecDir(char *pszPath, size_t cbPath);

/** RTPathQueryInfoEx: report a final symbolic link itself. */
#define RTPATH_F_ON_LINK        UINT32_C(0x1)
/** RTPathQueryInfoEx: report the target of a final symbolic link. */
#define RTPATH_F_FOLLOW_LINK    UINT32_C(0x2)
/** Accepted with either of the above; no effect here. */
#define RTPATH_F_NO_SYMLINKS    UINT32_C(0x4)

/** Information about the object pszPath names; fFlags is RTPATH_F_ON_LINK
 * or RTPATH_F_FOLLOW_LINK, optionally with RTPATH_F_NO_SYMLINKS. */
int RTPathQueryInfoEx(const char *pszPath, PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditionalAttribs, uint32_t fFlags);

#ifndef RTENV_DEFAULT
/** An environment handle. */
typedef struct RTENVINTERNAL *RTENV;
/** The process environment, the only environment handle here. */
# define RTENV_DEFAULT ((RTENV)~(uintptr_t)0)
#endif

/** The value of pszVar in the environment Env into pszValue (cbValue bytes)
 * and/or its length in bytes (without terminator) into *pcchActual, which is
 * also set when the value does not fit (VERR_BUFFER_OVERFLOW). Without
 * pcchActual, a buffer is required. VERR_ENV_VAR_NOT_FOUND when not set. */
int RTEnvGetEx(RTENV Env, const char *pszVar, char *pszValue, size_t cbValue, size_t *pcchActual);

RT_C_DECLS_END

#endif
