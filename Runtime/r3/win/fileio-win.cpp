/*
 * Files on Windows: open with one flag word, whole-transfer read and write,
 * seek, size, information, flush, close, delete, rename, unique creation.
 *
 * Every platform call goes through the table of syscall-win.h. Failures are
 * converted from the last error right after the call that failed.
 */
#include <tulo/file.h>
#include <tulo/err.h>
#include <tulo/errconv.h>
#include <tulo/mem.h>
#include <tulo/rand.h>
#include <tulo/string.h>

#include "r3/win/internal-fs-win.h"

#include <string.h>

/*
 * Open flags.
 */

int rtFileRecalcAndValidateFlags(uint64_t *pfOpen)
{
    uint64_t fOpen = *pfOpen & UINT64_C(0xffffffff);
    if (!(fOpen & RTFILE_O_ACCESS_MASK) && !(fOpen & RTFILE_O_ACCESS_ATTR_MASK))
        return VERR_INVALID_PARAMETER;
    if (fOpen & (UINT64_C(0x8) | UINT64_C(0x4000) | UINT64_C(0x80000000)))
        return VERR_INVALID_PARAMETER;
    if ((fOpen & RTFILE_O_TRUNCATE) && !(fOpen & RTFILE_O_WRITE))
        return VERR_INVALID_PARAMETER;

    switch (fOpen & RTFILE_O_ACTION_MASK)
    {
        case 0:
            fOpen |= RTFILE_O_OPEN;
            break;
        case RTFILE_O_OPEN:
        case RTFILE_O_OPEN_CREATE:
        case RTFILE_O_CREATE:
        case RTFILE_O_CREATE_REPLACE:
            break;
        default:
            return VERR_INVALID_PARAMETER;
    }
    /* Nothing is created by a plain open, so there is nothing to mark. */
    if ((fOpen & RTFILE_O_ACTION_MASK) == RTFILE_O_OPEN && (fOpen & RTFILE_O_NOT_CONTENT_INDEXED))
        return VERR_INVALID_PARAMETER;

    uint64_t const fDeny = fOpen & RTFILE_O_DENY_MASK;
    if (fDeny == 0)
        fOpen |= RTFILE_O_DENY_NONE;
    else if (fDeny > RTFILE_O_DENY_NONE)
        return VERR_INVALID_PARAMETER;

    *pfOpen = fOpen;
    return VINF_SUCCESS;
}

void rtFileWinOpenParams(uint64_t fOpen, RTFILEWINOPENPARAMS *pParams)
{
    /* Disposition. */
    DWORD uDisposition;
    switch (fOpen & RTFILE_O_ACTION_MASK)
    {
        case RTFILE_O_OPEN_CREATE:    uDisposition = OPEN_ALWAYS; break;
        case RTFILE_O_CREATE:         uDisposition = CREATE_NEW; break;
        case RTFILE_O_CREATE_REPLACE: uDisposition = CREATE_ALWAYS; break;
        default:
            uDisposition = (fOpen & RTFILE_O_TRUNCATE) ? TRUNCATE_EXISTING : OPEN_EXISTING;
            break;
    }

    /* Data access. Appending must not carry the write-data right, or the
     * system would let writes land anywhere. */
    bool const fAppend = (fOpen & RTFILE_O_APPEND) != 0;
    DWORD fAccess;
    switch (fOpen & RTFILE_O_ACCESS_MASK)
    {
        case RTFILE_O_READ:      fAccess = FILE_GENERIC_READ; break;
        case RTFILE_O_WRITE:     fAccess = fAppend ? FILE_GENERIC_WRITE & ~FILE_WRITE_DATA : FILE_GENERIC_WRITE; break;
        case RTFILE_O_READWRITE:
            fAccess = fAppend ? (FILE_GENERIC_READ | FILE_GENERIC_WRITE) & ~FILE_WRITE_DATA
                              : FILE_GENERIC_READ | FILE_GENERIC_WRITE;
            break;
        default:                 fAccess = 0; break;
    }

    /* Attribute access, following the data access unless given. */
    uint64_t fAttr = fOpen & RTFILE_O_ACCESS_ATTR_MASK;
    if (!fAttr)
        fAttr = (fOpen & RTFILE_O_ACCESS_MASK) << 16;
    if (fAttr & RTFILE_O_ACCESS_ATTR_READ)
        fAccess |= SYNCHRONIZE | FILE_READ_ATTRIBUTES;
    if (fAttr & RTFILE_O_ACCESS_ATTR_WRITE)
        fAccess |= SYNCHRONIZE | FILE_WRITE_ATTRIBUTES;

    if (uDisposition == TRUNCATE_EXISTING)
        fAccess |= GENERIC_WRITE;
    if (fOpen & RTFILE_O_NO_CACHE)
        fAccess &= ~(DWORD)FILE_APPEND_DATA;

    /* Sharing: the deny bits name what others may not do. */
    DWORD fShare;
    switch (fOpen & RTFILE_O_DENY_MASK)
    {
        case RTFILE_O_DENY_READ:                                fShare = FILE_SHARE_WRITE; break;
        case RTFILE_O_DENY_WRITE:                               fShare = FILE_SHARE_READ; break;
        case RTFILE_O_DENY_READWRITE:                           fShare = 0; break;
        case RTFILE_O_DENY_NOT_DELETE:                          fShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
        case RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_READ:     fShare = FILE_SHARE_WRITE | FILE_SHARE_DELETE; break;
        case RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_WRITE:    fShare = FILE_SHARE_READ | FILE_SHARE_DELETE; break;
        case RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_READWRITE: fShare = FILE_SHARE_DELETE; break;
        default:                                                fShare = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    }

    DWORD fFlags = (fOpen & RTFILE_O_TEMPORARY) ? FILE_ATTRIBUTE_TEMPORARY : FILE_ATTRIBUTE_NORMAL;
    if (fOpen & RTFILE_O_WRITE_THROUGH)
        fFlags |= FILE_FLAG_WRITE_THROUGH;
    if (fOpen & RTFILE_O_ASYNC_IO)
        fFlags |= FILE_FLAG_OVERLAPPED;
    if (fOpen & RTFILE_O_NO_CACHE)
        fFlags |= FILE_FLAG_NO_BUFFERING;

    pParams->fDesiredAccess       = fAccess;
    pParams->fShareMode           = fShare;
    pParams->uCreationDisposition = uDisposition;
    pParams->fFlagsAndAttributes  = fFlags;
}

int RTFileOpenEx(const char *pszFilename, uint64_t fOpen, PRTFILE phFile, PRTFILEACTION penmActionTaken)
{
    if (!RT_VALID_PTR(phFile))
        return VERR_INVALID_PARAMETER;
    *phFile = NIL_RTFILE;
    if (penmActionTaken)
    {
        if (!RT_VALID_PTR(penmActionTaken))
            return VERR_INVALID_POINTER;
        *penmActionTaken = RTFILEACTION_INVALID;
    }
    if (!RT_VALID_PTR(pszFilename))
        return VERR_INVALID_PARAMETER;
    int rc = rtFileRecalcAndValidateFlags(&fOpen);
    if (RT_FAILURE(rc))
        return rc;

    RTFILEWINOPENPARAMS Params;
    rtFileWinOpenParams(fOpen, &Params);

    SECURITY_ATTRIBUTES SecAttr;
    SECURITY_ATTRIBUTES *pSecAttr = nullptr;
    if (fOpen & RTFILE_O_INHERIT)
    {
        SecAttr.nLength              = sizeof(SecAttr);
        SecAttr.lpSecurityDescriptor = nullptr;
        SecAttr.bInheritHandle       = TRUE;
        pSecAttr = &SecAttr;
    }

    PRTUTF16 pwszPath = nullptr;
    rc = rtPathWin32FromUtf8(&pwszPath, pszFilename);
    if (RT_FAILURE(rc))
        return rc;

    HANDLE const hFile = RTWINSYS(CreateFileW)(pwszPath, Params.fDesiredAccess, Params.fShareMode, pSecAttr,
                                               Params.uCreationDisposition, Params.fFlagsAndAttributes, nullptr);
    /* Read now, whatever the outcome: success also reports whether the file existed. */
    DWORD const dwErr = GetLastError();
    if (hFile == INVALID_HANDLE_VALUE)
    {
        if (penmActionTaken && Params.uCreationDisposition == CREATE_NEW && dwErr == ERROR_FILE_EXISTS)
            *penmActionTaken = RTFILEACTION_ALREADY_EXISTS;
        rtPathWin32Free(pwszPath);
        return RTErrConvertFromWin32(dwErr);
    }

    RTFILEACTION enmAction;
    switch (Params.uCreationDisposition)
    {
        case CREATE_NEW:        enmAction = RTFILEACTION_CREATED; break;
        case CREATE_ALWAYS:     enmAction = dwErr == ERROR_ALREADY_EXISTS ? RTFILEACTION_REPLACED : RTFILEACTION_CREATED; break;
        case OPEN_ALWAYS:       enmAction = dwErr == ERROR_ALREADY_EXISTS ? RTFILEACTION_OPENED : RTFILEACTION_CREATED; break;
        case TRUNCATE_EXISTING: enmAction = RTFILEACTION_TRUNCATED; break;
        default:                enmAction = RTFILEACTION_OPENED; break;
    }

    if (   (fOpen & RTFILE_O_NOT_CONTENT_INDEXED)
        && (enmAction == RTFILEACTION_CREATED || enmAction == RTFILEACTION_REPLACED))
    {
        /* Setting attributes replaces them all: keep the temporary attribute
         * the file was created with. */
        DWORD fAttr = FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (fOpen & RTFILE_O_TEMPORARY)
            fAttr |= FILE_ATTRIBUTE_TEMPORARY;
        if (!RTWINSYS(SetFileAttributesW)(pwszPath, fAttr))
            rc = RTErrConvertFromWin32(GetLastError());
    }
    else if (   (fOpen & RTFILE_O_ACTION_MASK) == RTFILE_O_OPEN_CREATE
             && (fOpen & RTFILE_O_TRUNCATE)
             && enmAction == RTFILEACTION_OPENED)
    {
        /* The position of a fresh handle is 0: cut there. */
        if (RTWINSYS(SetEndOfFile)(hFile))
            enmAction = RTFILEACTION_TRUNCATED;
        else
            rc = RTErrConvertFromWin32(GetLastError());
    }

    if (penmActionTaken)
        *penmActionTaken = enmAction;
    if (RT_FAILURE(rc))
        RTWINSYS(CloseHandle)(hFile); /* the post-processing error is the one to report */
    else
        *phFile = (RTFILE)hFile;
    rtPathWin32Free(pwszPath);
    return rc;
}

int RTFileOpen(PRTFILE phFile, const char *pszFilename, uint64_t fOpen)
{
    return RTFileOpenEx(pszFilename, fOpen, phFile, nullptr);
}

/*
 * Unique names.
 */

namespace {

const char g_achUniqueAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
constexpr unsigned RTFS_UNIQUE_MAX_TRIES = 10000;

/** Offset of the final component: after the last '\', '/' or ':'. */
size_t rtFsFinalComponentOffset(const char *psz, size_t cch)
{
    size_t off = cch;
    while (off > 0 && psz[off - 1] != '\\' && psz[off - 1] != '/' && psz[off - 1] != ':')
        off--;
    return off;
}

} /* namespace */

int rtFsUniqueTemplateLocate(const char *pszTemplate, size_t *poffRun, size_t *pcchRun)
{
    size_t const cch = strlen(pszTemplate);
    if (!cch)
        return VERR_INVALID_PARAMETER;
    size_t offEnd;
    size_t offStart;
    if (pszTemplate[cch - 1] == 'X')
    {
        offEnd   = cch;
        offStart = cch - 1;
        while (offStart > 0 && pszTemplate[offStart - 1] == 'X')
            offStart--;
    }
    else
    {
        /* A run of at least three inside the final component, the last one found. */
        size_t const offName = rtFsFinalComponentOffset(pszTemplate, cch);
        if (cch - offName <= 3)
            return VERR_INVALID_PARAMETER;
        size_t off = cch - 3;
        for (;;)
        {
            if (pszTemplate[off] == 'X' && pszTemplate[off + 1] == 'X' && pszTemplate[off + 2] == 'X')
                break;
            if (off == offName)
                return VERR_INVALID_PARAMETER;
            off--;
        }
        offEnd   = off + 3;
        offStart = off;
        while (offStart > offName && pszTemplate[offStart - 1] == 'X')
            offStart--;
    }
    *poffRun = offStart;
    *pcchRun = offEnd - offStart;
    return VINF_SUCCESS;
}

void rtFsUniqueTemplateFill(char *pszTemplate, size_t offRun, size_t cchRun)
{
    for (size_t i = cchRun; i-- > 0;)
    {
        uint32_t const iChar = RTRandU32Ex(0, 35);
        /* A generator that could not be created reports all ones. */
        pszTemplate[offRun + i] = g_achUniqueAlphabet[iChar < 36 ? iChar : 0];
    }
}

int RTFileCreateUnique(PRTFILE phFile, char *pszFileTemplate, uint64_t fOpen)
{
    if (!RT_VALID_PTR(phFile) || !RT_VALID_PTR(pszFileTemplate))
        return VERR_INVALID_POINTER;
    *phFile = NIL_RTFILE;
    if ((fOpen & RTFILE_O_ACTION_MASK) != RTFILE_O_CREATE)
        return VERR_INVALID_FLAGS;

    size_t offRun = 0;
    size_t cchRun = 0;
    int rc = rtFsUniqueTemplateLocate(pszFileTemplate, &offRun, &cchRun);
    if (RT_SUCCESS(rc))
    {
        for (unsigned iTry = 0; iTry < RTFS_UNIQUE_MAX_TRIES; iTry++)
        {
            rtFsUniqueTemplateFill(pszFileTemplate, offRun, cchRun);
            RTFILE hFile = NIL_RTFILE;
            rc = RTFileOpen(&hFile, pszFileTemplate, fOpen);
            if (RT_SUCCESS(rc))
            {
                *phFile = hFile;
                return rc;
            }
            if (rc != VERR_ALREADY_EXISTS)
                break;
        }
    }
    *pszFileTemplate = '\0';
    return rc;
}

/*
 * Transfers.
 */

namespace {

/** One platform call moves at most this much; larger requests go in pieces. */
constexpr size_t RTFILE_MAX_IO = UINT32_C(0x80000000);

inline DWORD rtFileIoSize(size_t cb)
{
    return cb > RTFILE_MAX_IO ? (DWORD)RTFILE_MAX_IO : (DWORD)cb;
}

/** Half the request rounded up to 256, at most cbMax: where chunking starts. */
inline size_t rtFileFirstChunk(size_t cb, size_t cbMax)
{
    size_t cbChunk = ((cb / 2) + (cb & 1) + 255) & ~(size_t)255;
    return cbChunk > cbMax ? cbMax : cbChunk;
}

/** A disk-full failure on a write that would end past what the file system
 * allows is a file size problem, not a space problem. */
int rtFileWriteClassifyDiskFull(HANDLE hFile, int rc, size_t cbPending)
{
    if (rc != VERR_DISK_FULL)
        return rc;
    uint64_t const offCur = RTFileTell((RTFILE)hFile);
    if (offCur == UINT64_MAX)
        return rc;
    uint64_t const offEnd = offCur + cbPending;
    if (offEnd < UINT64_C(0x7fffffff))
        return rc;
    RTFSTYPE enmType = RTFSTYPE_UNKNOWN;
    if (RT_FAILURE(RTFileQueryFsType((RTFILE)hFile, &enmType)))
        return rc;
    uint64_t const cbMax = rtFsTypeMaxFileSize(enmType);
    if (cbMax && offEnd >= cbMax)
        return VERR_FILE_TOO_BIG;
    return rc;
}

} /* namespace */

int RTFileRead(RTFILE hFile, void *pvBuf, size_t cbToRead, size_t *pcbRead)
{
    if (cbToRead == 0)
    {
        if (pcbRead)
            *pcbRead = 0;
        return VINF_SUCCESS;
    }
    HANDLE const h = (HANDLE)hFile;
    uint8_t *pb = (uint8_t *)pvBuf;

    DWORD cbRead = 0;
    if (RTWINSYS(ReadFile)(h, pb, rtFileIoSize(cbToRead), &cbRead, nullptr))
    {
        if (pcbRead)
        {
            *pcbRead = cbRead;
            return VINF_SUCCESS;
        }
        size_t cbDone = cbRead;
        while (cbDone < cbToRead)
        {
            if (cbRead == 0)
                return VERR_EOF;
            cbRead = 0;
            if (!RTWINSYS(ReadFile)(h, pb + cbDone, rtFileIoSize(cbToRead - cbDone), &cbRead, nullptr))
                return RTErrConvertFromWin32(GetLastError());
            cbDone += cbRead;
        }
        return VINF_SUCCESS;
    }
    DWORD dwErr = GetLastError();
    if (dwErr != ERROR_NOT_ENOUGH_MEMORY)
        return RTErrConvertFromWin32(dwErr);

    /* The system could not lock so large a buffer: go in shrinking pieces. */
    size_t cbChunk = rtFileFirstChunk(cbToRead, 16384);
    size_t cbDone = 0;
    while (cbDone < cbToRead)
    {
        size_t const cbThis = cbToRead - cbDone < cbChunk ? cbToRead - cbDone : cbChunk;
        cbRead = 0;
        if (!RTWINSYS(ReadFile)(h, pb + cbDone, (DWORD)cbThis, &cbRead, nullptr))
        {
            dwErr = GetLastError();
            if (dwErr == ERROR_NOT_ENOUGH_MEMORY && cbChunk > 8)
            {
                cbChunk /= 2;
                continue;
            }
            return RTErrConvertFromWin32(dwErr);
        }
        cbDone += cbRead;
        if (pcbRead)
        {
            *pcbRead = cbDone;
            return VINF_SUCCESS;
        }
        if (cbRead == 0)
            return VERR_EOF;
    }
    return VINF_SUCCESS;
}

int RTFileWrite(RTFILE hFile, const void *pvBuf, size_t cbToWrite, size_t *pcbWritten)
{
    /* A caller that asks for the count gets one, even for nothing. */
    if (cbToWrite == 0)
    {
        if (pcbWritten)
            *pcbWritten = 0;
        return VINF_SUCCESS;
    }
    HANDLE const h = (HANDLE)hFile;
    const uint8_t *pb = (const uint8_t *)pvBuf;

    DWORD cbWritten = 0;
    DWORD cbThis = rtFileIoSize(cbToWrite);
    if (RTWINSYS(WriteFile)(h, pb, cbThis, &cbWritten, nullptr))
    {
        if (cbWritten > cbThis)
            cbWritten = cbThis;
        if (pcbWritten)
        {
            *pcbWritten = cbWritten;
            return VINF_SUCCESS;
        }
        size_t cbDone = cbWritten;
        while (cbDone < cbToWrite)
        {
            if (cbWritten == 0)
                return VERR_WRITE_ERROR;
            cbWritten = 0;
            cbThis = rtFileIoSize(cbToWrite - cbDone);
            if (!RTWINSYS(WriteFile)(h, pb + cbDone, cbThis, &cbWritten, nullptr))
                return rtFileWriteClassifyDiskFull(h, RTErrConvertFromWin32(GetLastError()), cbToWrite - cbDone);
            if (cbWritten > cbThis)
                cbWritten = cbThis;
            cbDone += cbWritten;
        }
        return VINF_SUCCESS;
    }
    DWORD dwErr = GetLastError();
    if (dwErr != ERROR_NOT_ENOUGH_MEMORY)
        return rtFileWriteClassifyDiskFull(h, RTErrConvertFromWin32(dwErr), cbThis);

    size_t cbChunk = rtFileFirstChunk(cbToWrite, 32768);
    size_t cbDone = 0;
    while (cbDone < cbToWrite)
    {
        cbThis = (DWORD)(cbToWrite - cbDone < cbChunk ? cbToWrite - cbDone : cbChunk);
        cbWritten = 0;
        if (!RTWINSYS(WriteFile)(h, pb + cbDone, cbThis, &cbWritten, nullptr))
        {
            dwErr = GetLastError();
            if (dwErr == ERROR_NOT_ENOUGH_MEMORY && cbChunk > 8)
            {
                cbChunk /= 2;
                continue;
            }
            return rtFileWriteClassifyDiskFull(h, RTErrConvertFromWin32(dwErr), cbThis);
        }
        if (cbWritten > cbThis)
            cbWritten = cbThis;
        cbDone += cbWritten;
        if (pcbWritten)
        {
            *pcbWritten = cbDone;
            return VINF_SUCCESS;
        }
        if (cbWritten == 0)
            return VERR_WRITE_ERROR;
    }
    return VINF_SUCCESS;
}

/*
 * Position and size.
 */

int RTFileSeek(RTFILE hFile, int64_t offSeek, unsigned uMethod, uint64_t *poffActual)
{
    if (uMethod > RTFILE_SEEK_END)
        return VERR_INVALID_PARAMETER;
    static const DWORD s_aMethods[3] = { FILE_BEGIN, FILE_CURRENT, FILE_END };
    LONG lHigh = (LONG)((uint64_t)offSeek >> 32);
    /* All ones is also a valid low half; only the last error tells them apart. */
    SetLastError(NO_ERROR);
    DWORD const dwLow = RTWINSYS(SetFilePointer)((HANDLE)hFile, (LONG)(uint32_t)offSeek, &lHigh, s_aMethods[uMethod]);
    if (dwLow == INVALID_SET_FILE_POINTER)
    {
        DWORD const dwErr = GetLastError();
        if (dwErr != NO_ERROR)
            return RTErrConvertFromWin32(dwErr);
    }
    if (poffActual)
        *poffActual = ((uint64_t)(uint32_t)lHigh << 32) | dwLow;
    return VINF_SUCCESS;
}

uint64_t RTFileTell(RTFILE hFile)
{
    uint64_t off = 0;
    if (RT_FAILURE(RTFileSeek(hFile, 0, RTFILE_SEEK_CURRENT, &off)))
        return UINT64_MAX;
    return off;
}

int RTFileQuerySize(RTFILE hFile, uint64_t *pcbSize)
{
    if (!RT_VALID_PTR(pcbSize))
        return VERR_INVALID_POINTER;
    HANDLE const h = (HANDLE)hFile;
    DWORD dwHigh = 0;
    SetLastError(NO_ERROR);
    DWORD const dwLow = RTWINSYS(GetFileSize)(h, &dwHigh);
    DWORD dwErr = NO_ERROR;
    if (dwLow != INVALID_FILE_SIZE || (dwErr = GetLastError()) == NO_ERROR)
    {
        *pcbSize = ((uint64_t)dwHigh << 32) | dwLow;
        return VINF_SUCCESS;
    }
    int const rc = RTErrConvertFromWin32(dwErr);

    /* A disk or partition opened as a device: its geometry gives the size. */
    DISK_GEOMETRY Geometry;
    DWORD cbReturned = 0;
    if (   RTWINSYS(DeviceIoControl)(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &Geometry, sizeof(Geometry),
                                     &cbReturned, nullptr)
        && (Geometry.MediaType == RemovableMedia || Geometry.MediaType == FixedMedia))
    {
        uint64_t cb = (uint64_t)Geometry.Cylinders.QuadPart * Geometry.TracksPerCylinder * Geometry.SectorsPerTrack
                    * Geometry.BytesPerSector;
        GET_LENGTH_INFORMATION Length;
        if (RTWINSYS(DeviceIoControl)(h, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &Length, sizeof(Length),
                                      &cbReturned, nullptr))
            cb = (uint64_t)Length.Length.QuadPart;
        *pcbSize = cb;
        return VINF_SUCCESS;
    }
    return rc;
}

/*
 * Modes and information.
 */

RTFMODE rtFsModeFromDos(RTFMODE fMode, const char *pszName, size_t cchName, uint32_t uReparseTag, RTFMODE fTypeHint)
{
    fMode &= RTFS_DOS_MASK;
    if ((fTypeHint & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;

    if (fMode & RTFS_DOS_DIRECTORY)
        fMode |= RTFS_TYPE_DIRECTORY | RTFS_UNIX_IRALL | RTFS_UNIX_IXALL;
    else
    {
        fMode |= RTFS_TYPE_FILE | RTFS_UNIX_IRALL;
        /* Programs by their suffix, as the command interpreter sees them. */
        if (pszName && cchName > 3 && pszName[cchName - 4] == '.')
        {
            char szExt[4];
            for (unsigned i = 0; i < 3; i++)
            {
                char ch = pszName[cchName - 3 + i];
                szExt[i] = ch >= 'A' && ch <= 'Z' ? (char)(ch + ('a' - 'A')) : ch;
            }
            szExt[3] = '\0';
            static const char s_aszExec[][4] = { "exe", "bat", "com", "cmd", "btm" };
            for (unsigned i = 0; i < RT_ELEMENTS(s_aszExec); i++)
                if (memcmp(szExt, s_aszExec[i], 4) == 0)
                {
                    fMode |= RTFS_UNIX_IXALL;
                    break;
                }
        }
    }
    if ((fMode & RTFS_DOS_NT_REPARSE_POINT) && uReparseTag == RTFS_NT_REPARSE_TAG_SYMLINK)
        fMode = (fMode & ~RTFS_TYPE_MASK) | RTFS_TYPE_SYMLINK;
    if (!(fMode & RTFS_DOS_READONLY) || (fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_UNIX_IWALL;
    return fMode;
}

RTFMODE rtFsModeNormalize(RTFMODE fMode, const char *pszName, size_t cchName, RTFMODE fTypeHint)
{
    if (!(fMode & RTFS_UNIX_MASK))
        return rtFsModeFromDos(fMode, pszName, cchName, RTFS_NT_REPARSE_TAG_SYMLINK, fTypeHint);

    if (fMode & RTFS_DOS_MASK)
    {
        if (!(fMode & RTFS_TYPE_MASK))
            fMode |= (fMode & RTFS_DOS_DIRECTORY) ? RTFS_TYPE_DIRECTORY : RTFS_TYPE_FILE;
        if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
            fMode |= RTFS_DOS_DIRECTORY;
        return fMode;
    }

    if (!(fMode & RTFS_TYPE_MASK))
        fMode |= fTypeHint & RTFS_TYPE_MASK;
    if (!(fMode & RTFS_UNIX_IWALL))
        fMode |= RTFS_DOS_READONLY;
    if ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY)
        fMode |= RTFS_DOS_DIRECTORY;
    if (!(fMode & RTFS_DOS_MASK))
        fMode |= RTFS_DOS_NT_NORMAL;
    if (pszName)
    {
        size_t const off = rtFsFinalComponentOffset(pszName, cchName);
        const char *pszFinal = &pszName[off];
        size_t const cchFinal = cchName - off;
        if (   cchFinal > 0
            && pszFinal[0] == '.'
            && !(cchFinal == 1 || (cchFinal == 2 && pszFinal[1] == '.')))
            fMode |= RTFS_DOS_HIDDEN;
    }
    return fMode;
}

bool rtFsModeIsValid(RTFMODE fMode)
{
    return ((fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY) == ((fMode & RTFS_DOS_DIRECTORY) != 0);
}

void rtFsObjInfoUnixDefaults(PRTFSOBJINFO pObjInfo)
{
    pObjInfo->Attr.u.Unix.uid           = NIL_RTUID;
    pObjInfo->Attr.u.Unix.gid           = NIL_RTGID;
    pObjInfo->Attr.u.Unix.cHardlinks    = 1;
    pObjInfo->Attr.u.Unix.INodeIdDevice = 0;
    pObjInfo->Attr.u.Unix.INodeId       = 0;
    pObjInfo->Attr.u.Unix.fFlags        = 0;
    pObjInfo->Attr.u.Unix.GenerationId  = 0;
    pObjInfo->Attr.u.Unix.Device        = 0;
}

void rtFsObjInfoFromAllInfo(PRTFSOBJINFO pObjInfo, const FILE_ALL_INFORMATION *pAll, const char *pszName,
                            size_t cchName, uint32_t uReparseTag)
{
    pObjInfo->cbObject         = pAll->StandardInformation.EndOfFile.QuadPart;
    pObjInfo->cbAllocated      = pAll->StandardInformation.AllocationSize.QuadPart;
    pObjInfo->AccessTime       = rtFsTimeSpecFromNt(pAll->BasicInformation.LastAccessTime.QuadPart);
    pObjInfo->ModificationTime = rtFsTimeSpecFromNt(pAll->BasicInformation.LastWriteTime.QuadPart);
    pObjInfo->ChangeTime       = rtFsTimeSpecFromNt(pAll->BasicInformation.ChangeTime.QuadPart);
    pObjInfo->BirthTime        = rtFsTimeSpecFromNt(pAll->BasicInformation.CreationTime.QuadPart);
    pObjInfo->Attr.fMode       = rtFsModeFromDos((RTFMODE)pAll->BasicInformation.FileAttributes << RTFS_DOS_SHIFT,
                                                 pszName, cchName, uReparseTag, 0);
    rtFsObjInfoUnixDefaults(pObjInfo);
    uint32_t const cLinks = pAll->StandardInformation.NumberOfLinks;
    pObjInfo->Attr.u.Unix.cHardlinks = cLinks ? cLinks : 1;
    pObjInfo->Attr.u.Unix.INodeId    = (uint64_t)pAll->InternalInformation.IndexNumber.QuadPart;
}

void rtFsObjInfoCompleteAdditional(PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditional)
{
    pObjInfo->Attr.enmAdditional = enmAdditional;
    switch (enmAdditional)
    {
        case RTFSOBJATTRADD_UNIX_OWNER:
            pObjInfo->Attr.u.UnixOwner.uid = NIL_RTUID;
            memset(pObjInfo->Attr.u.UnixOwner.szName, 0, sizeof(pObjInfo->Attr.u.UnixOwner.szName));
            break;
        case RTFSOBJATTRADD_UNIX_GROUP:
            pObjInfo->Attr.u.UnixGroup.gid = NIL_RTGID;
            memset(pObjInfo->Attr.u.UnixGroup.szName, 0, sizeof(pObjInfo->Attr.u.UnixGroup.szName));
            break;
        case RTFSOBJATTRADD_EASIZE:
            memset(&pObjInfo->Attr.u, 0, sizeof(pObjInfo->Attr.u));
            pObjInfo->Attr.u.EASize.cb = 0;
            break;
        default:
            break;
    }
}

uint32_t rtFsQueryVolumeSerial(HANDLE hFile)
{
    /* Room for a long label, so that the fixed part always comes back. */
    union
    {
        FILE_FS_VOLUME_INFORMATION Info;
        uint8_t                    ab[sizeof(FILE_FS_VOLUME_INFORMATION) + 512];
    } uBuf;
    IO_STATUS_BLOCK Ios;
    Ios.Status      = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt = RTWINSYS(NtQueryVolumeInformationFile)(hFile, &Ios, &uBuf, sizeof(uBuf),
                                                                 FileFsVolumeInformation);
    if (RTNT_SUCCESS(rcNt) || rcNt == RTNT_STATUS_BUFFER_OVERFLOW)
        return uBuf.Info.VolumeSerialNumber;
    return 0;
}

namespace {

/** The console check, looked up once: consoles are not files to the native layer. */
bool rtFileIsConsoleHandle(HANDLE hFile)
{
    PFNRTVERIFYCONSOLEIOHANDLE const pfnVerify = RTWINSYS(VerifyConsoleIoHandle);
    if (pfnVerify)
        return pfnVerify(hFile) != FALSE;
    SetLastError(NO_ERROR);
    return RTWINSYS(GetFileType)(hFile) != FILE_TYPE_UNKNOWN || GetLastError() == NO_ERROR;
}

} /* namespace */

int RTFileQueryInfo(RTFILE hFile, PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditionalAttribs)
{
    if (hFile == NIL_RTFILE || !RT_VALID_PTR(pObjInfo))
        return VERR_INVALID_PARAMETER;
    if (enmAdditionalAttribs < RTFSOBJATTRADD_NOTHING || enmAdditionalAttribs > RTFSOBJATTRADD_LAST)
        return VERR_INVALID_PARAMETER;
    HANDLE const h = (HANDLE)hFile;

    /* Only the fixed part is wanted; the name that does not fit is ignored. */
    union
    {
        FILE_ALL_INFORMATION All;
        uint8_t              ab[104];
    } uBuf;
    memset(&uBuf, 0, sizeof(uBuf));
    IO_STATUS_BLOCK Ios;
    Ios.Status      = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt = RTWINSYS(NtQueryInformationFile)(h, &Ios, &uBuf, sizeof(uBuf), FileAllInformation);
    if (RTNT_SUCCESS(rcNt) || rcNt == RTNT_STATUS_BUFFER_OVERFLOW)
    {
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        rtFsObjInfoFromAllInfo(pObjInfo, &uBuf.All, nullptr, 0, 0);
        if (enmAdditionalAttribs == RTFSOBJATTRADD_UNIX)
            pObjInfo->Attr.u.Unix.INodeIdDevice = rtFsQueryVolumeSerial(h);
        rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditionalAttribs);
        return VINF_SUCCESS;
    }

    int rc = RTErrConvertFromNtStatus(rcNt);
    bool fConsole = false;
    if (rc == VERR_WRONG_TYPE || rc == VERR_ACCESS_DENIED || rc == VERR_INVALID_HANDLE)
    {
        fConsole = rtFileIsConsoleHandle(h);
        if (!fConsole)
            return VERR_INVALID_HANDLE;
    }
    if (fConsole || rc == VERR_IO_BAD_COMMAND || rc == VERR_NOT_IMPLEMENTED)
    {
        /* A device without file information: a character device of sorts. */
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        pObjInfo->Attr.fMode = RTFS_TYPE_FILE | 0666 | RTFS_DOS_NT_DEVICE;
        pObjInfo->Attr.enmAdditional = enmAdditionalAttribs;
        return VINF_SUCCESS;
    }
    return rc;
}

/*
 * File system type.
 */

RTFSTYPE rtFsTypeFromName(PCRTUTF16 pwszName, size_t cwcName)
{
    static const struct
    {
        const char *pszName;
        RTFSTYPE    enmType;
    } s_aTypes[] =
    {
        { "NTFS",               RTFSTYPE_NTFS },
        { "FAT",                RTFSTYPE_FAT },
        { "FAT32",              RTFSTYPE_FAT },
        { "exFAT",              RTFSTYPE_EXFAT },
        { "UDF",                RTFSTYPE_UDF },
        { "CDFS",               RTFSTYPE_ISO9660 },
        { "HPFS",               RTFSTYPE_HPFS },
        { "ReFS",               RTFSTYPE_REFS },
        { "KelbSharedFolderFS", RTFSTYPE_SHARED_FOLDER },
    };
    for (unsigned i = 0; i < RT_ELEMENTS(s_aTypes); i++)
    {
        const char *psz = s_aTypes[i].pszName;
        size_t const cch = strlen(psz);
        if (cch != cwcName)
            continue;
        size_t off = 0;
        while (off < cch && pwszName[off] == (RTUTF16)psz[off])
            off++;
        if (off == cch)
            return s_aTypes[i].enmType;
    }
    return RTFSTYPE_UNKNOWN;
}

uint64_t rtFsTypeMaxFileSize(RTFSTYPE enmType)
{
    switch (enmType)
    {
        case RTFSTYPE_ISO9660: return UINT64_C(0x80000000000);
        case RTFSTYPE_FAT:     return UINT64_C(0x100000000);
        case RTFSTYPE_HPFS:    return UINT64_C(0x80000000);
        default:               return 0;
    }
}

int RTFileQueryFsType(RTFILE hFile, PRTFSTYPE penmType)
{
    if (!RT_VALID_PTR(penmType))
        return VERR_INVALID_POINTER;
    *penmType = RTFSTYPE_UNKNOWN;
    union
    {
        FILE_FS_ATTRIBUTE_INFORMATION Info;
        uint8_t                       ab[4112];
    } uBuf;
    IO_STATUS_BLOCK Ios;
    Ios.Status      = 0;
    Ios.Information = 0;
    NTSTATUS const rcNt = RTWINSYS(NtQueryVolumeInformationFile)((HANDLE)hFile, &Ios, &uBuf, sizeof(uBuf),
                                                                 FileFsAttributeInformation);
    if (!RTNT_SUCCESS(rcNt))
        return RTErrConvertFromNtStatus(rcNt);
    size_t cwcName = uBuf.Info.FileSystemNameLength / sizeof(RTUTF16);
    size_t const cwcMax = (sizeof(uBuf) - offsetof(FILE_FS_ATTRIBUTE_INFORMATION, FileSystemName)) / sizeof(RTUTF16);
    if (cwcName > cwcMax)
        cwcName = cwcMax;
    *penmType = rtFsTypeFromName(uBuf.Info.FileSystemName, cwcName);
    return VINF_SUCCESS;
}

/*
 * The rest.
 */

int RTFileClose(RTFILE hFile)
{
    if (hFile == NIL_RTFILE)
        return VINF_SUCCESS;
    if (RTWINSYS(CloseHandle)((HANDLE)hFile))
        return VINF_SUCCESS;
    return RTErrConvertFromWin32(GetLastError());
}

int RTFileFlush(RTFILE hFile)
{
    if (RTWINSYS(FlushFileBuffers)((HANDLE)hFile))
        return VINF_SUCCESS;
    return RTErrConvertFromWin32(GetLastError());
}

int RTFileDelete(const char *pszFilename)
{
    if (!RT_VALID_PTR(pszFilename))
        return VERR_INVALID_POINTER;
    PRTUTF16 pwszPath = nullptr;
    int rc = rtPathWin32FromUtf8(&pwszPath, pszFilename);
    if (RT_FAILURE(rc))
        return rc;
    if (!RTWINSYS(DeleteFileW)(pwszPath))
        rc = RTErrConvertFromWin32(GetLastError());
    rtPathWin32Free(pwszPath);
    return rc;
}

int RTFileRename(const char *pszSrc, const char *pszDst, unsigned fRename)
{
    if (!RT_VALID_PTR(pszSrc) || !RT_VALID_PTR(pszDst))
        return VERR_INVALID_POINTER;
    if (fRename & ~RTPATHRENAME_FLAGS_REPLACE)
        return VERR_INVALID_PARAMETER;

    PRTUTF16 pwszSrc = nullptr;
    int rc = rtPathWin32FromUtf8(&pwszSrc, pszSrc);
    if (RT_FAILURE(rc))
        return rc;
    PRTUTF16 pwszDst = nullptr;
    rc = rtPathWin32FromUtf8(&pwszDst, pszDst);
    if (RT_SUCCESS(rc))
    {
        DWORD const fAttr = RTWINSYS(GetFileAttributesW)(pwszSrc);
        if (fAttr == INVALID_FILE_ATTRIBUTES)
            rc = RTErrConvertFromWin32(GetLastError());
        else if (fAttr & FILE_ATTRIBUTE_DIRECTORY)
            rc = VERR_IS_A_DIRECTORY;
        else if (!RTWINSYS(MoveFileExW)(pwszSrc, pwszDst,
                                       (fRename & RTPATHRENAME_FLAGS_REPLACE) ? MOVEFILE_REPLACE_EXISTING : 0))
            rc = RTErrConvertFromWin32(GetLastError());
        rtPathWin32Free(pwszDst);
    }
    rtPathWin32Free(pwszSrc);
    return rc;
}

bool RTFileIsValid(RTFILE hFile)
{
    if (hFile == NIL_RTFILE)
        return false;
    SetLastError(NO_ERROR);
    DWORD const uType = RTWINSYS(GetFileType)((HANDLE)hFile);
    switch (uType)
    {
        case FILE_TYPE_DISK:
        case FILE_TYPE_CHAR:
        case FILE_TYPE_PIPE:
        case FILE_TYPE_REMOTE:
            return true;
        case FILE_TYPE_UNKNOWN:
            return GetLastError() == NO_ERROR;
        default:
            return false;
    }
}

int RTFileFromNative(PRTFILE phFile, intptr_t uNative)
{
    if (!RT_VALID_PTR(phFile))
        return VERR_INVALID_POINTER;
    if (uNative == (intptr_t)INVALID_HANDLE_VALUE)
        return VERR_INVALID_HANDLE;
    *phFile = (RTFILE)uNative;
    return VINF_SUCCESS;
}
