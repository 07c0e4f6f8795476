/* Files: open with one flag word, read, write, seek, size, information, delete, rename. */
#ifndef TULO_FILE_H
#define TULO_FILE_H

#include <tulo/cdefs.h>
#include <tulo/fs.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** A file handle: the platform's handle value itself. */
typedef intptr_t RTFILE;
typedef RTFILE *PRTFILE;
/** No file; the platform's invalid handle value. */
#define NIL_RTFILE ((RTFILE)-1)

/*
 * Open flags. Only the low 32 bits carry meaning; validation clears the rest.
 */
/** Data access. */
#define RTFILE_O_READ                   UINT64_C(0x00000001)
#define RTFILE_O_WRITE                  UINT64_C(0x00000002)
#define RTFILE_O_READWRITE              UINT64_C(0x00000003)
#define RTFILE_O_ACCESS_MASK            UINT64_C(0x00000003)
/** Writes go to the end of the file. */
#define RTFILE_O_APPEND                 UINT64_C(0x00000004)
/** Sharing: what other openers are denied. */
#define RTFILE_O_DENY_READ              UINT64_C(0x00000010)
#define RTFILE_O_DENY_WRITE             UINT64_C(0x00000020)
#define RTFILE_O_DENY_READWRITE         UINT64_C(0x00000030)
#define RTFILE_O_DENY_ALL               RTFILE_O_DENY_READWRITE
/** Others may delete and rename; combines with the three above. */
#define RTFILE_O_DENY_NOT_DELETE        UINT64_C(0x00000040)
#define RTFILE_O_DENY_NONE              UINT64_C(0x00000080)
#define RTFILE_O_DENY_MASK              UINT64_C(0x000000f0)
/** Action. */
#define RTFILE_O_OPEN_CREATE            UINT64_C(0x00000100)
#define RTFILE_O_CREATE                 UINT64_C(0x00000200)
#define RTFILE_O_CREATE_REPLACE         UINT64_C(0x00000300)
#define RTFILE_O_OPEN                   UINT64_C(0x00000700)
#define RTFILE_O_ACTION_MASK            UINT64_C(0x00000700)
/** Mark a created or replaced file as not to be content-indexed. */
#define RTFILE_O_NOT_CONTENT_INDEXED    UINT64_C(0x00000800)
/** Truncate to zero length; needs write access. */
#define RTFILE_O_TRUNCATE               UINT64_C(0x00001000)
/** Child processes inherit the handle. */
#define RTFILE_O_INHERIT                UINT64_C(0x00002000)
/** Writes bypass the write-back cache. */
#define RTFILE_O_WRITE_THROUGH          UINT64_C(0x00008000)
/** Attribute access; when absent it follows the data access. */
#define RTFILE_O_ACCESS_ATTR_READ       UINT64_C(0x00010000)
#define RTFILE_O_ACCESS_ATTR_WRITE      UINT64_C(0x00020000)
#define RTFILE_O_ACCESS_ATTR_READWRITE  UINT64_C(0x00030000)
#define RTFILE_O_ACCESS_ATTR_MASK       UINT64_C(0x00030000)
/** Overlapped handle. */
#define RTFILE_O_ASYNC_IO               UINT64_C(0x00040000)
/** Unbuffered I/O. */
#define RTFILE_O_NO_CACHE               UINT64_C(0x00080000)
/** Unix permissions of a created file, carried but not applied on Windows. */
#define RTFILE_O_CREATE_MODE_SHIFT      20
#define RTFILE_O_CREATE_MODE_MASK       UINT64_C(0x1ff00000)
/** Create with the platform's temporary attribute. */
#define RTFILE_O_TEMPORARY              UINT64_C(0x40000000)

/** What an open did. */
typedef enum RTFILEACTION
{
    RTFILEACTION_INVALID = 0,
    RTFILEACTION_OPENED,
    RTFILEACTION_CREATED,
    RTFILEACTION_REPLACED,
    RTFILEACTION_TRUNCATED,
    RTFILEACTION_ALREADY_EXISTS
} RTFILEACTION;
typedef RTFILEACTION *PRTFILEACTION;

/** Seek methods. */
#define RTFILE_SEEK_BEGIN   0
#define RTFILE_SEEK_CURRENT 1
#define RTFILE_SEEK_END     2

/** RTFileRename: replace an existing target. */
#ifndef RTPATHRENAME_FLAGS_REPLACE
# define RTPATHRENAME_FLAGS_REPLACE UINT32_C(0x1)
#endif

int  RTFileOpen(PRTFILE phFile, const char *pszFilename, uint64_t fOpen);
/** As RTFileOpen; *penmActionTaken (optional) tells what the open did, also
 * RTFILEACTION_ALREADY_EXISTS for a failing exclusive create. */
int  RTFileOpenEx(const char *pszFilename, uint64_t fOpen, PRTFILE phFile, PRTFILEACTION penmActionTaken);
/** Creates a file whose name replaces the run of 'X' in pszFileTemplate (in
 * place). fOpen must carry RTFILE_O_CREATE. On failure the template is empty. */
int  RTFileCreateUnique(PRTFILE phFile, char *pszFileTemplate, uint64_t fOpen);
/** NIL_RTFILE is accepted. */
int  RTFileClose(RTFILE hFile);
/** Without pcbRead, succeeds only when all cbToRead bytes were read (VERR_EOF otherwise). */
int  RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead);
/** Without pcbWritten, succeeds only when all cbToWrite bytes were written. */
int  RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten);
int  RTFileSeek(RTFILE hFile, int64_t offSeek, unsigned uMethod, uint64_t *poffActual);
/** Current position, or all bits set on failure. */
uint64_t RTFileTell(RTFILE hFile);
int  RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize);
int  RTFileQueryInfo(RTFILE hFile, PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditionalAttribs);
int  RTFileQueryFsType(RTFILE hFile, PRTFSTYPE penmType);
int  RTFileFlush(RTFILE hFile);
int  RTFileDelete(const char *pszFilename);
/** fRename: 0 or RTPATHRENAME_FLAGS_REPLACE. A directory source gives VERR_IS_A_DIRECTORY. */
int  RTFileRename(const char *pszSrc, const char *pszDst, unsigned fRename);
bool RTFileIsValid(RTFILE hFile);
int  RTFileFromNative(PRTFILE phFile, intptr_t uNative);

RT_C_DECLS_END

#endif
