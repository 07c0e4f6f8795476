/* Directories: existence, creation, unique creation, removal, open handles and listing. */
#ifndef TULO_DIR_H
#define TULO_DIR_H

#include <tulo/cdefs.h>
#include <tulo/fs.h>
#include <tulo/types.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** A directory handle (heap record). */
typedef struct RTDIRINTERNAL *RTDIR;
typedef RTDIR *PRTDIR;
#define NIL_RTDIR ((RTDIR)0)

/** RTDirCreate: do not set the not-content-indexed attribute. */
#define RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_DONT_SET      UINT32_C(0x2)
/** RTDirCreate: a failure to set it is not an error. */
#define RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_NOT_CRITICAL  UINT32_C(0x4)
#define RTDIRCREATE_FLAGS_VALID_MASK                        UINT32_C(0x6)

/** Directory open flags: do not follow a final symbolic link. */
#define RTDIR_F_NO_FOLLOW       UINT32_C(0x4)
/** Directory open flags: keep the path as given (only a trailing separator is added). */
#define RTDIR_F_NO_ABS_PATH     UINT32_C(0x8)

/** Entry types of a listing. */
typedef enum RTDIRENTRYTYPE
{
    RTDIRENTRYTYPE_UNKNOWN = 0,
    RTDIRENTRYTYPE_FIFO = 1,
    RTDIRENTRYTYPE_DEV_CHAR = 2,
    RTDIRENTRYTYPE_DIRECTORY = 4,
    RTDIRENTRYTYPE_DEV_BLOCK = 6,
    RTDIRENTRYTYPE_FILE = 8,
    RTDIRENTRYTYPE_SYMLINK = 10,
    RTDIRENTRYTYPE_SOCKET = 12
} RTDIRENTRYTYPE;

/** A listing entry. The record may be allocated larger than its declared
 * size for longer names; the size goes to RTDirRead. */
typedef struct RTDIRENTRY
{
    /** The file index when the file system reports it, else 0. */
    uint64_t       INodeId;
    RTDIRENTRYTYPE enmType;
    /** Length of szName without its terminator. */
    uint16_t       cbName;
    char           szName[260];
} RTDIRENTRY;
typedef RTDIRENTRY *PRTDIRENTRY;

/** A listing entry with the object information. */
typedef struct RTDIRENTRYEX
{
    RTFSOBJINFO Info;
    uint16_t    cbName;
    /** The 8.3 name in UTF-16, when the file system has one. */
    uint16_t    cwcShortName;
    RTUTF16     wszShortName[14];
    char        szName[260];
} RTDIRENTRYEX;
typedef RTDIRENTRYEX *PRTDIRENTRYEX;

/** True when pszPath names a directory; a final symbolic link is followed. */
bool RTDirExists(const char *pszPath);
/** Creates a directory (VERR_ALREADY_EXISTS when it exists). The permission
 * bits of fMode are not applied on Windows; the directory inherits its
 * parent's security. */
int  RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate);
/** Creates a directory whose name replaces the run of 'X' in pszTemplate (in
 * place). On failure the template is empty. */
int  RTDirCreateTemp(char *pszTemplate, RTFMODE fMode);
/** Removes an empty directory. */
int  RTDirRemove(const char *pszPath);
/** Opens a directory for listing. While open, the directory cannot be deleted
 * or moved. */
int  RTDirOpen(PRTDIR phDir, const char *pszPath);
bool RTDirIsValid(RTDIR hDir);
int  RTDirClose(RTDIR hDir);
/** Next entry, as the file system reports them ("." and ".." included where
 * it has them); VERR_NO_MORE_FILES at the end. pcbDirEntry (optional, else
 * sizeof(RTDIRENTRY)) is the size of the record; when the name does not fit,
 * VERR_BUFFER_OVERFLOW and the size needed, and the entry stays next. */
int  RTDirRead(RTDIR hDir, PRTDIRENTRY pDirEntry, size_t *pcbDirEntry);
/** As RTDirRead with the object information; fFlags as RTPathQueryInfoEx
 * (RTPATH_F_FOLLOW_LINK reports the target of a symbolic link). */
int  RTDirReadEx(RTDIR hDir, PRTDIRENTRYEX pDirEntry, size_t *pcbDirEntry, RTFSOBJATTRADD enmAdditionalAttribs,
                 uint32_t fFlags);

RT_C_DECLS_END

#endif
