/* Special directories (temporary, current, executable) and path information
 * queries. */
#ifndef TULO_PATHSPECIAL_H
#define TULO_PATHSPECIAL_H

#include <tulo/cdefs.h>
#include <tulo/fs.h>
#include <tulo/path.h>
#include <tulo/env.h>

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

RT_C_DECLS_END

#endif
