/*
 * Pieces shared by the Windows file, directory and path modules: text
 * conversion at the platform boundary, the Win32 path form, mode derivation,
 * time conversion, unique-name templates and the object information fill.
 */
#ifndef TULO_R3_WIN_INTERNAL_FS_WIN_H
#define TULO_R3_WIN_INTERNAL_FS_WIN_H

#include <tulo/cdefs.h>
#include <tulo/types.h>
#include <tulo/fs.h>
#include <tulo/file.h>
#include <tulo/path.h>

#include "r3/win/syscall-win.h"


/*
 * Text conversion. All of the layer's UTF-8/UTF-16 conversion goes through
 * these three, so that the conversion rules live in one place.
 */
/** Newly allocated UTF-16 copy of at most cchMax bytes of psz (RTMemFree);
 * *pcwc (optional) gets its length in units. */
int  rtFsUtf8ToUtf16(const char *psz, size_t cchMax, PRTUTF16 *ppwsz, size_t *pcwc);
/** cwc units of pwsz as UTF-8 into pszDst (cbDst bytes), terminated;
 * VERR_BUFFER_OVERFLOW when it does not fit. *pcch (optional) gets the
 * length in bytes, also on overflow. */
int  rtFsUtf16ToUtf8Buf(PCRTUTF16 pwsz, size_t cwc, char *pszDst, size_t cbDst, size_t *pcch);

/*
 * Win32 path form.
 */
/** The UTF-16 form of pszPath for the Win32 file functions: unchanged while
 * short enough, otherwise the extended \\?\ form of the absolute path. */
int  rtPathWin32FromUtf8(PRTUTF16 *ppwszPath, const char *pszPath);
void rtPathWin32Free(PRTUTF16 pwszPath);

/*
 * Modes, times and information records.
 */
/** The reparse tag of symbolic links. */
#define RTFS_NT_REPARSE_TAG_SYMLINK UINT32_C(0xa000000c)

/** Mode from Windows attributes already shifted into the high half; the name
 * (optional, cchName bytes) decides executability, the reparse tag a link;
 * fTypeHint RTFS_TYPE_DIRECTORY marks a directory. */
RTFMODE rtFsModeFromDos(RTFMODE fMode, const char *pszName, size_t cchName, uint32_t uReparseTag, RTFMODE fTypeHint);
/** Completes a mode given by a caller (either half may be missing). */
RTFMODE rtFsModeNormalize(RTFMODE fMode, const char *pszName, size_t cchName, RTFMODE fTypeHint);
/** The type is directory exactly when the directory attribute is set. */
bool    rtFsModeIsValid(RTFMODE fMode);

/** 100 ns units since 1601 to nanoseconds since 1970. */
static inline RTTIMESPEC rtFsTimeSpecFromNt(int64_t iNtTime)
{
    RTTIMESPEC Ts;
    Ts.i64NanosecondsRelativeToUnixEpoch = (iNtTime - INT64_C(116444736000000000)) * 100;
    return Ts;
}

/** Fills pObjInfo from the all-information record of a native query. */
void rtFsObjInfoFromAllInfo(PRTFSOBJINFO pObjInfo, const FILE_ALL_INFORMATION *pAll, const char *pszName,
                            size_t cchName, uint32_t uReparseTag);
/** Sets the additional part for the kind requested: Unix fields keep what the
 * fill put there; owner and group get "no id" and an empty name; EA size 0. */
void rtFsObjInfoCompleteAdditional(PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditional);
/** The Unix part without ids: no owner, no group, one link, nothing else. */
void rtFsObjInfoUnixDefaults(PRTFSOBJINFO pObjInfo);
/** Volume serial number of the volume hFile lies on; 0 when the query fails. */
uint32_t rtFsQueryVolumeSerial(HANDLE hFile);

/*
 * Unique names from a template of 'X' characters.
 */
/** Finds the run of 'X' to replace; VERR_INVALID_PARAMETER when there is none. */
int  rtFsUniqueTemplateLocate(const char *pszTemplate, size_t *poffRun, size_t *pcchRun);
/** Fills the run from its last character to its first, one draw each. */
void rtFsUniqueTemplateFill(char *pszTemplate, size_t offRun, size_t cchRun);

/*
 * Open flags.
 */
/** Validates fOpen and fills in the defaults (action open, deny none); the
 * upper 32 bits are cleared. VERR_INVALID_PARAMETER on contradictions. */
int  rtFileRecalcAndValidateFlags(uint64_t *pfOpen);

/** The CreateFileW arguments a validated fOpen maps to. */
typedef struct RTFILEWINOPENPARAMS
{
    DWORD fDesiredAccess;
    DWORD fShareMode;
    DWORD uCreationDisposition;
    DWORD fFlagsAndAttributes;
} RTFILEWINOPENPARAMS;
void rtFileWinOpenParams(uint64_t fOpen, RTFILEWINOPENPARAMS *pParams);

/*
 * Directories.
 */
struct RTDIRINTERNAL;
/** RTDirOpen with open flags (RTDIR_F_NO_FOLLOW, RTDIR_F_NO_ABS_PATH). */
int  rtDirOpenWithFlags(struct RTDIRINTERNAL **phDir, const char *pszPath, uint32_t fFlags);
/** The capability flags of the native open: -1 not probed, 0 or 1. */
extern int g_frtNtPathReparseOk;
extern int g_frtNtDirReparseOk;

/*
 * File system types.
 */
/** Type from the file system name (cwcName UTF-16 units, compared exactly). */
RTFSTYPE rtFsTypeFromName(PCRTUTF16 pwszName, size_t cwcName);
/** Largest file size of the type, 0 when it has no limit worth knowing. */
uint64_t rtFsTypeMaxFileSize(RTFSTYPE enmType);

#endif
