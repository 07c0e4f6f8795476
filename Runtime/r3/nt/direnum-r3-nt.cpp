/*
 * Directory handles and listings on the native layer, and the path
 * information query. A directory handle is a native handle opened without
 * delete sharing, so the directory cannot be removed or moved while it is
 * held; listings come from NtQueryDirectoryFile (NtQueryDirectoryObject for
 * object-manager directories).
 */
#include <tulo/dir.h>
#include <tulo/pathspecial.h>
#include <tulo/err.h>
#include <tulo/errconv.h>
#include <tulo/mem.h>
#include <tulo/string.h>

#include "r3/win/internal-fs-win.h"
#include "r3/nt/internal-r3-nt.h"

#include <string.h>

/** Magic of a live directory record; its complement marks a closed one. */
#define RTDIR_MAGIC      UINT32_C(0x19291112)
#define RTDIR_MAGIC_DEAD (~RTDIR_MAGIC)

typedef enum RTDIRFILTER
{
    RTDIRFILTER_INVALID = 0,
    RTDIRFILTER_NONE,
    RTDIRFILTER_WINNT
} RTDIRFILTER;

struct RTDIRINTERNAL
{
    uint32_t    u32Magic;
    RTDIRFILTER enmFilter;
    /** Filter text and its code points; no filter is ever set here. */
    char       *pszFilter;
    size_t      cchFilter;
    RTUNICP    *puszFilter;
    size_t      cucFilter;
    /** The absolute path with a trailing separator, stored behind the record. */
    size_t      cchPath;
    char       *pszPath;
    uint32_t    fFlags;
    bool        fDirSlash;
    HANDLE      hDir;
    bool        fIsObjDir;

    /* Listing state. */
    uint8_t    *pabBuf;
    uint32_t    cbBuf;
    /** Offset of the next unread entry, or UINT32_MAX when the buffer is used up. */
    uint32_t    offNext;
    uint32_t    cbValid;
    FILE_INFORMATION_CLASS enmInfoClass;
    bool        fRestartScan;
    bool        fNoMoreFiles;
    ULONG       uObjDirContext;
    bool        fVolSerialKnown;
    uint32_t    uVolSerial;
};

int g_frtNtPathReparseOk = -1;
int g_frtNtDirReparseOk  = -1;

namespace {

constexpr uint32_t RTDIR_LIST_BUF_SIZE = 16384;
/** The directory and object queries of the path query use this buffer size. */
constexpr ULONG    RTPATH_QUERY_BUF_SIZE = 8312;

inline bool rtDirIsSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** The listing class: with file ids from 5.1 on, without them before. */
FILE_INFORMATION_CLASS rtDirNtListClass(void)
{
    uint32_t const uMajor = rtWinFsOsMajor();
    if (uMajor < 5 || (uMajor == 5 && rtWinFsOsMinor() == 0))
        return FileBothDirectoryInformation;
    return FileIdBothDirectoryInformation;
}

/** The parts of the two listing records that matter here. */
struct RTDIRNTENTRY
{
    const FILE_BOTH_DIR_INFORMATION *pInfo;
    PCRTUTF16                        pwszName;
    size_t                           cwcName;
    uint64_t                         uFileId;
};

void rtDirNtEntryView(const uint8_t *pbEntry, FILE_INFORMATION_CLASS enmClass, RTDIRNTENTRY *pView)
{
    /* Both records agree up to the short name; the id variant adds FileId before the name. */
    pView->pInfo = (const FILE_BOTH_DIR_INFORMATION *)pbEntry;
    if (enmClass == FileIdBothDirectoryInformation)
    {
        const FILE_ID_BOTH_DIR_INFORMATION *pId = (const FILE_ID_BOTH_DIR_INFORMATION *)pbEntry;
        pView->pwszName = pId->FileName;
        pView->cwcName  = pId->FileNameLength / sizeof(RTUTF16);
        pView->uFileId  = (uint64_t)pId->FileId.QuadPart;
    }
    else
    {
        pView->pwszName = pView->pInfo->FileName;
        pView->cwcName  = pView->pInfo->FileNameLength / sizeof(RTUTF16);
        pView->uFileId  = 0;
    }
}

/** Fills pObjInfo from a listing record (sizes, times, mode; Unix part without device). */
void rtFsObjInfoFromDirEntry(PRTFSOBJINFO pObjInfo, const RTDIRNTENTRY *pView, const char *pszName, size_t cchName)
{
    const FILE_BOTH_DIR_INFORMATION *pInfo = pView->pInfo;
    memset(pObjInfo, 0, sizeof(*pObjInfo));
    pObjInfo->cbObject         = pInfo->EndOfFile.QuadPart;
    pObjInfo->cbAllocated      = pInfo->AllocationSize.QuadPart;
    pObjInfo->AccessTime       = rtFsTimeSpecFromNt(pInfo->LastAccessTime.QuadPart);
    pObjInfo->ModificationTime = rtFsTimeSpecFromNt(pInfo->LastWriteTime.QuadPart);
    pObjInfo->ChangeTime       = rtFsTimeSpecFromNt(pInfo->ChangeTime.QuadPart);
    pObjInfo->BirthTime        = rtFsTimeSpecFromNt(pInfo->CreationTime.QuadPart);
    /* For reparse points the EA size field carries the reparse tag. */
    uint32_t const uTag = (pInfo->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? pInfo->EaSize : 0;
    pObjInfo->Attr.fMode = rtFsModeFromDos((RTFMODE)pInfo->FileAttributes << RTFS_DOS_SHIFT, pszName, cchName, uTag, 0);
    rtFsObjInfoUnixDefaults(pObjInfo);
    pObjInfo->Attr.u.Unix.INodeId = pView->uFileId;
}

RTDIRENTRYTYPE rtDirEntryTypeFromMode(RTFMODE fMode)
{
    switch (fMode & RTFS_TYPE_MASK)
    {
        case RTFS_TYPE_DIRECTORY: return RTDIRENTRYTYPE_DIRECTORY;
        case RTFS_TYPE_SYMLINK:   return RTDIRENTRYTYPE_SYMLINK;
        case RTFS_TYPE_DEV_CHAR:  return RTDIRENTRYTYPE_DEV_CHAR;
        case RTFS_TYPE_FILE:      return RTDIRENTRYTYPE_FILE;
        default:                  return RTDIRENTRYTYPE_UNKNOWN;
    }
}

/** The mode of an object-manager entry by its type name. */
RTFMODE rtDirObjTypeMode(PCUNICODE_STRING pTypeName)
{
    static const struct
    {
        const char *pszType;
        RTFMODE     fMode;
    } s_aTypes[] =
    {
        { "Directory",    RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0777 },
        { "SymbolicLink", RTFS_TYPE_SYMLINK | RTFS_DOS_NT_REPARSE_POINT | 0777 },
        { "Device",       RTFS_TYPE_DEV_CHAR | RTFS_DOS_NT_DEVICE | 0666 },
    };
    size_t const cwc = pTypeName->Length / sizeof(RTUTF16);
    for (unsigned i = 0; i < RT_ELEMENTS(s_aTypes); i++)
    {
        size_t const cch = strlen(s_aTypes[i].pszType);
        if (cch != cwc)
            continue;
        size_t off = 0;
        while (off < cch && pTypeName->Buffer[off] == (RTUTF16)s_aTypes[i].pszType[off])
            off++;
        if (off == cch)
            return s_aTypes[i].fMode;
    }
    return RTFS_TYPE_FILE | RTFS_DOS_NT_NORMAL | 0666;
}

/*
 * Listing.
 */

/** Makes sure an unread entry is in the buffer. */
int rtDirNtEnsureEntry(RTDIRINTERNAL *pDir)
{
    if (pDir->offNext != UINT32_MAX)
        return VINF_SUCCESS;
    if (pDir->fNoMoreFiles)
        return VERR_NO_MORE_FILES;
    if (!pDir->pabBuf)
    {
        pDir->pabBuf = (uint8_t *)RTMemAlloc(RTDIR_LIST_BUF_SIZE);
        if (!pDir->pabBuf)
            return VERR_NO_MEMORY;
        pDir->cbBuf = RTDIR_LIST_BUF_SIZE;
    }

    for (;;)
    {
        IO_STATUS_BLOCK Ios;
        Ios.Status      = 0;
        Ios.Information = 0;
        NTSTATUS rcNt;
        if (pDir->fIsObjDir)
            rcNt = RTWINSYS(NtQueryDirectoryObject)(pDir->hDir, pDir->pabBuf, pDir->cbBuf, TRUE /*single*/,
                                                    pDir->fRestartScan, &pDir->uObjDirContext, nullptr);
        else
        {
            rcNt = RTWINSYS(NtQueryDirectoryFile)(pDir->hDir, nullptr, nullptr, nullptr, &Ios, pDir->pabBuf,
                                                  pDir->cbBuf, pDir->enmInfoClass, FALSE, nullptr,
                                                  pDir->fRestartScan);
            /* File systems without file ids in listings get the plain class. */
            if (   pDir->enmInfoClass == FileIdBothDirectoryInformation
                && (   rcNt == RTNT_STATUS_INVALID_INFO_CLASS
                    || rcNt == RTNT_STATUS_INVALID_PARAMETER
                    || rcNt == RTNT_STATUS_NOT_SUPPORTED))
            {
                pDir->enmInfoClass = FileBothDirectoryInformation;
                continue;
            }
        }
        if (rcNt == RTNT_STATUS_NO_MORE_FILES || rcNt == RTNT_STATUS_NO_MORE_ENTRIES)
        {
            pDir->fNoMoreFiles = true;
            return VERR_NO_MORE_FILES;
        }
        if (!RTNT_SUCCESS(rcNt))
            return RTErrConvertFromNtStatus(rcNt);
        pDir->fRestartScan = false;
        if (!pDir->fIsObjDir && Ios.Information == 0)
            continue;
        pDir->offNext = 0;
        pDir->cbValid = pDir->fIsObjDir ? pDir->cbBuf : (uint32_t)Ios.Information;
        return VINF_SUCCESS;
    }
}

void rtDirNtAdvance(RTDIRINTERNAL *pDir)
{
    if (pDir->fIsObjDir)
    {
        pDir->offNext = UINT32_MAX;
        return;
    }
    ULONG const offNextEntry = ((const FILE_BOTH_DIR_INFORMATION *)(pDir->pabBuf + pDir->offNext))->NextEntryOffset;
    if (offNextEntry == 0 || pDir->offNext + offNextEntry >= pDir->cbValid)
        pDir->offNext = UINT32_MAX;
    else
        pDir->offNext += offNextEntry;
}

/** The current entry's name and, for files, its view. */
void rtDirNtCurrent(RTDIRINTERNAL *pDir, RTDIRNTENTRY *pView, PCRTUTF16 *ppwszName, size_t *pcwcName,
                    PCUNICODE_STRING *ppObjType)
{
    if (pDir->fIsObjDir)
    {
        const RTNTOBJDIRINFO *pObj = (const RTNTOBJDIRINFO *)pDir->pabBuf;
        *ppwszName = pObj->Name.Buffer;
        *pcwcName  = pObj->Name.Length / sizeof(RTUTF16);
        *ppObjType = &pObj->TypeName;
        memset(pView, 0, sizeof(*pView));
    }
    else
    {
        rtDirNtEntryView(pDir->pabBuf + pDir->offNext, pDir->enmInfoClass, pView);
        *ppwszName = pView->pwszName;
        *pcwcName  = pView->cwcName;
        *ppObjType = nullptr;
    }
}

uint32_t rtDirVolumeSerial(RTDIRINTERNAL *pDir)
{
    if (!pDir->fVolSerialKnown)
    {
        pDir->uVolSerial = pDir->fIsObjDir ? 0 : rtFsQueryVolumeSerial(pDir->hDir);
        pDir->fVolSerialKnown = true;
    }
    return pDir->uVolSerial;
}

/** What both reads start with: checks the size of the caller's record, then
 * takes the current entry's name into it. On success the entry is consumed,
 * the view describes it, and cbName and *pcbDirEntry are set. A name that
 * does not fit leaves the entry next, for a retry with a bigger record, and
 * *pcbDirEntry says the size needed. */
template<typename T>
int rtDirNtReadName(RTDIRINTERNAL *pDir, T *pDirEntry, size_t *pcbDirEntry, RTDIRNTENTRY *pView,
                    PCUNICODE_STRING *ppObjType, size_t *pcchName)
{
    size_t const cbDirEntry = pcbDirEntry ? *pcbDirEntry : sizeof(T);
    size_t const offName = offsetof(T, szName);
    if (cbDirEntry < offName + 2)
        return VERR_INVALID_PARAMETER;

    int rc = rtDirNtEnsureEntry(pDir);
    if (RT_FAILURE(rc))
        return rc;

    PCRTUTF16 pwszName;
    size_t    cwcName;
    rtDirNtCurrent(pDir, pView, &pwszName, &cwcName, ppObjType);

    size_t cchName = 0;
    rc = rtFsUtf16ToUtf8Buf(pwszName, cwcName, pDirEntry->szName, cbDirEntry - offName, &cchName);
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        if (pcbDirEntry)
            *pcbDirEntry = offName + cchName + 1;
        return rc;
    }
    rtDirNtAdvance(pDir);
    if (RT_FAILURE(rc))
        return rc;

    pDirEntry->cbName = (uint16_t)cchName;
    if (pcbDirEntry)
        *pcbDirEntry = offName + cchName + 1;
    *pcchName = cchName;
    return VINF_SUCCESS;
}

} /* namespace */

/*
 * Open and close.
 */

int rtDirOpenWithFlags(RTDIRINTERNAL **phDir, const char *pszPath, uint32_t fFlags)
{
    if (!RT_VALID_PTR(phDir) || !RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (fFlags & ~(RTDIR_F_NO_FOLLOW | RTDIR_F_NO_ABS_PATH))
        return VERR_INVALID_FLAGS;

    size_t const cchGiven = strlen(pszPath);
    bool const fDirSlash = cchGiven > 0 && rtDirIsSep(pszPath[cchGiven - 1]);

    char *pszAbs;
    bool  fAbsFromDup;
    if (fFlags & RTDIR_F_NO_ABS_PATH)
    {
        fAbsFromDup = false;
        pszAbs = (char *)RTMemAlloc(cchGiven + 2);
        if (pszAbs)
        {
            memcpy(pszAbs, pszPath, cchGiven);
            size_t cch = cchGiven;
            if (!fDirSlash)
                pszAbs[cch++] = '\\';
            pszAbs[cch] = '\0';
        }
    }
    else
    {
        fAbsFromDup = true;
        pszAbs = RTPathAbsExDup(nullptr, pszPath, RTPATH_STR_F_STYLE_HOST | RTPATHABS_F_ENSURE_TRAILING_SLASH);
    }
    if (!pszAbs)
        return VERR_NO_MEMORY;

    int rc;
    size_t const cchPath = strlen(pszAbs);
    RTDIRINTERNAL *pDir = (RTDIRINTERNAL *)RTMemAllocZ(sizeof(*pDir) + cchPath + 1);
    if (pDir)
    {
        pDir->u32Magic     = RTDIR_MAGIC;
        pDir->enmFilter    = RTDIRFILTER_NONE;
        pDir->fFlags       = fFlags;
        pDir->fDirSlash    = fDirSlash;
        pDir->cchPath      = cchPath;
        pDir->pszPath      = (char *)(pDir + 1);
        memcpy(pDir->pszPath, pszAbs, cchPath + 1);
        pDir->hDir         = INVALID_HANDLE_VALUE;
        pDir->offNext      = UINT32_MAX;
        pDir->enmInfoClass = rtDirNtListClass();
        pDir->fRestartScan = true;

        /* No delete sharing: nobody removes or moves the directory while it is open. */
        ACCESS_MASK fAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
        ULONG const fOptions = FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
        bool fReparse = (fFlags & RTDIR_F_NO_FOLLOW) && !fDirSlash && g_frtNtDirReparseOk != 0;
        HANDLE hDir = INVALID_HANDLE_VALUE;
        bool   fObjDir = false;
        for (;;)
        {
            rc = RTNtPathOpen(pDir->pszPath, fAccess, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              fOptions | (fReparse ? FILE_OPEN_REPARSE_POINT : 0), OBJ_CASE_INSENSITIVE, &hDir,
                              &fObjDir);
            if (rc == VERR_ACCESS_DENIED && (fAccess & FILE_TRAVERSE))
            {
                fAccess &= ~(ACCESS_MASK)FILE_TRAVERSE;
                continue;
            }
            if (fReparse && rc == VERR_INVALID_PARAMETER)
            {
                if (g_frtNtDirReparseOk == -1)
                    g_frtNtDirReparseOk = 0;
                fReparse = false;
                continue;
            }
            if (fReparse && RT_SUCCESS(rc) && !fObjDir)
            {
                if (g_frtNtDirReparseOk == -1)
                    g_frtNtDirReparseOk = 1;
                FILE_ATTRIBUTE_TAG_INFORMATION Tag;
                IO_STATUS_BLOCK Ios;
                NTSTATUS const rcNt = RTWINSYS(NtQueryInformationFile)(hDir, &Ios, &Tag, sizeof(Tag),
                                                                       FileAttributeTagInformation);
                if (RTNT_SUCCESS(rcNt) && (Tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                {
                    RTWINSYS(NtClose)(hDir);
                    hDir = INVALID_HANDLE_VALUE;
                    if (Tag.ReparseTag == RTFS_NT_REPARSE_TAG_SYMLINK)
                        rc = VERR_IS_A_SYMLINK;
                    else
                    {
                        /* Other reparse points (mount points) are followed. */
                        fReparse = false;
                        continue;
                    }
                }
            }
            break;
        }
        if (RT_SUCCESS(rc))
        {
            pDir->hDir      = hDir;
            pDir->fIsObjDir = fObjDir;
            *phDir = pDir;
        }
        else
        {
            pDir->u32Magic = RTDIR_MAGIC_DEAD;
            RTMemFree(pDir);
        }
    }
    else
        rc = VERR_NO_MEMORY;

    if (fAbsFromDup)
        RTStrRelease(pszAbs);
    else
        RTMemFree(pszAbs);
    return rc;
}

int RTDirOpen(PRTDIR phDir, const char *pszPath)
{
    return rtDirOpenWithFlags(phDir, pszPath, 0);
}

bool RTDirIsValid(RTDIR hDir)
{
    return RT_VALID_PTR(hDir) && hDir->u32Magic == RTDIR_MAGIC;
}

int RTDirClose(RTDIR hDir)
{
    if (!hDir || !RT_VALID_PTR(hDir) || hDir->u32Magic != RTDIR_MAGIC)
        return VERR_INVALID_PARAMETER;
    hDir->u32Magic = RTDIR_MAGIC_DEAD;
    if (hDir->hDir != INVALID_HANDLE_VALUE)
    {
        RTWINSYS(NtClose)(hDir->hDir); /* nothing useful to do about a failure here */
        hDir->hDir = INVALID_HANDLE_VALUE;
    }
    RTMemFree(hDir->puszFilter);
    RTMemFree(hDir->pszFilter);
    RTMemFree(hDir->pabBuf);
    RTMemFree(hDir);
    return VINF_SUCCESS;
}

/*
 * Reading.
 */

int RTDirRead(RTDIR hDir, PRTDIRENTRY pDirEntry, size_t *pcbDirEntry)
{
    if (!RTDirIsValid(hDir))
        return VERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pDirEntry) || (pcbDirEntry && !RT_VALID_PTR(pcbDirEntry)))
        return VERR_INVALID_POINTER;

    RTDIRNTENTRY     View;
    PCUNICODE_STRING pObjType;
    size_t           cchName;
    int rc = rtDirNtReadName(hDir, pDirEntry, pcbDirEntry, &View, &pObjType, &cchName);
    if (RT_FAILURE(rc))
        return rc;

    if (pObjType)
    {
        pDirEntry->INodeId = 0;
        pDirEntry->enmType = rtDirEntryTypeFromMode(rtDirObjTypeMode(pObjType));
    }
    else
    {
        pDirEntry->INodeId = View.uFileId;
        uint32_t const fAttr = View.pInfo->FileAttributes;
        uint32_t const uTag  = (fAttr & FILE_ATTRIBUTE_REPARSE_POINT) ? View.pInfo->EaSize : 0;
        pDirEntry->enmType = rtDirEntryTypeFromMode(
            rtFsModeFromDos((RTFMODE)fAttr << RTFS_DOS_SHIFT, nullptr, 0, uTag, 0));
    }
    return VINF_SUCCESS;
}

int RTDirReadEx(RTDIR hDir, PRTDIRENTRYEX pDirEntry, size_t *pcbDirEntry, RTFSOBJATTRADD enmAdditionalAttribs,
                uint32_t fFlags)
{
    if (!RTDirIsValid(hDir))
        return VERR_INVALID_HANDLE;
    if (!RT_VALID_PTR(pDirEntry) || (pcbDirEntry && !RT_VALID_PTR(pcbDirEntry)))
        return VERR_INVALID_POINTER;
    if (enmAdditionalAttribs < RTFSOBJATTRADD_NOTHING || enmAdditionalAttribs > RTFSOBJATTRADD_LAST)
        return VERR_INVALID_PARAMETER;
    uint32_t const fLink = fFlags & ~RTPATH_F_NO_SYMLINKS;
    if (fLink != RTPATH_F_ON_LINK && fLink != RTPATH_F_FOLLOW_LINK)
        return VERR_INVALID_PARAMETER;

    RTDIRNTENTRY     View;
    PCUNICODE_STRING pObjType;
    size_t           cchName;
    int rc = rtDirNtReadName(hDir, pDirEntry, pcbDirEntry, &View, &pObjType, &cchName);
    if (RT_FAILURE(rc))
        return rc;

    pDirEntry->cwcShortName = 0;
    memset(pDirEntry->wszShortName, 0, sizeof(pDirEntry->wszShortName));
    if (pObjType)
    {
        memset(&pDirEntry->Info, 0, sizeof(pDirEntry->Info));
        pDirEntry->Info.Attr.fMode = rtDirObjTypeMode(pObjType);
    }
    else
    {
        rtFsObjInfoFromDirEntry(&pDirEntry->Info, &View, pDirEntry->szName, cchName);
        pDirEntry->Info.Attr.u.Unix.INodeIdDevice = rtDirVolumeSerial(hDir);
        size_t const cwcShort = (uint8_t)View.pInfo->ShortNameLength / sizeof(RTUTF16);
        if (cwcShort > 0 && cwcShort < RT_ELEMENTS(pDirEntry->wszShortName))
        {
            memcpy(pDirEntry->wszShortName, View.pInfo->ShortName, cwcShort * sizeof(RTUTF16));
            pDirEntry->cwcShortName = (uint16_t)cwcShort;
        }
    }

    /* A link followed is reported as its target, when the target can be reached. */
    if (   (fLink & RTPATH_F_FOLLOW_LINK)
        && (pDirEntry->Info.Attr.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_SYMLINK)
    {
        size_t const cchFull = hDir->cchPath + cchName;
        char *pszFull = (char *)RTMemAlloc(cchFull + 1);
        if (pszFull)
        {
            memcpy(pszFull, hDir->pszPath, hDir->cchPath);
            memcpy(pszFull + hDir->cchPath, pDirEntry->szName, cchName + 1);
            RTFSOBJINFO Target;
            if (RT_SUCCESS(RTPathQueryInfoEx(pszFull, &Target, enmAdditionalAttribs, RTPATH_F_FOLLOW_LINK)))
                pDirEntry->Info = Target;
            RTMemFree(pszFull);
        }
    }
    rtFsObjInfoCompleteAdditional(&pDirEntry->Info, enmAdditionalAttribs);
    return VINF_SUCCESS;
}

/*
 * Path information.
 */

namespace {

/** Splits a native name after its last separator (a trailing one of the
 * whole name does not count). The parent keeps its trailing separator; the
 * final name loses a trailing one. */
void rtPathNtSplit(PCUNICODE_STRING pName, PUNICODE_STRING pParent, PUNICODE_STRING pFinal)
{
    size_t const cwc = pName->Length / sizeof(RTUTF16);
    PRTUTF16 const pwsz = pName->Buffer;
    size_t cwcEnd = cwc;
    if (cwcEnd > 0 && (pwsz[cwcEnd - 1] == '\\' || pwsz[cwcEnd - 1] == '/'))
        cwcEnd--;
    size_t off = cwcEnd;
    while (off > 0 && pwsz[off - 1] != '\\' && pwsz[off - 1] != '/')
        off--;
    pParent->Buffer        = pwsz;
    pParent->Length        = (USHORT)(off * sizeof(RTUTF16));
    pParent->MaximumLength = pParent->Length;
    pFinal->Buffer         = pwsz + off;
    pFinal->Length         = (USHORT)((cwcEnd - off) * sizeof(RTUTF16));
    pFinal->MaximumLength  = pFinal->Length;
}

/** Looks the name up in the object manager's namespace, for device and
 * object paths the file systems reject. rcNtOrg is what led here. */
int rtPathNtQueryInfoInObjDir(HANDLE hRootDir, PCUNICODE_STRING pNtName, PRTFSOBJINFO pObjInfo,
                              RTFSOBJATTRADD enmAdditional, NTSTATUS rcNtOrg)
{
    if (!hRootDir && pNtName->Length == sizeof(RTUTF16) && pNtName->Buffer[0] == '\\')
    {
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        pObjInfo->Attr.fMode = RTFS_TYPE_DIRECTORY | RTFS_DOS_DIRECTORY | 0777;
        rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditional);
        return VINF_SUCCESS;
    }

    UNICODE_STRING Parent;
    UNICODE_STRING Final;
    rtPathNtSplit(pNtName, &Parent, &Final);
    while (Parent.Length > sizeof(RTUTF16) && Parent.Buffer[Parent.Length / sizeof(RTUTF16) - 1] == '\\')
        Parent.Length -= sizeof(RTUTF16);
    Parent.MaximumLength = Parent.Length;

    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, &Parent, OBJ_CASE_INSENSITIVE, hRootDir, nullptr);
    HANDLE hObjDir = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = RTWINSYS(NtOpenDirectoryObject)(&hObjDir, 0x1 | 0x2 /*query, traverse*/, &ObjAttr);
    if (!RTNT_SUCCESS(rcNt))
        return RTErrConvertFromNtStatus(rcNtOrg);

    union
    {
        RTNTOBJDIRINFO aEntries[1];
        uint8_t        ab[RTPATH_QUERY_BUF_SIZE];
    } uBuf;
    ULONG uContext = 0;
    bool  fRestart = true;
    bool  fSingle  = false;
    int   rc = VERR_FILE_NOT_FOUND;
    bool  fFound = false;
    for (;;)
    {
        ULONG cbReturned = 0;
        memset(&uBuf.aEntries[0], 0, sizeof(uBuf.aEntries[0]) * 2);
        rcNt = RTWINSYS(NtQueryDirectoryObject)(hObjDir, &uBuf, sizeof(uBuf), fSingle, fRestart, &uContext,
                                                &cbReturned);
        if (rcNt == RTNT_STATUS_NOT_IMPLEMENTED && !fSingle)
        {
            /* Wine answers batches so; one entry at a time works there. */
            fSingle  = true;
            fRestart = true;
            continue;
        }
        fRestart = false;
        if (!RTNT_SUCCESS(rcNt))
            break;
        /* A batch ends in an entry with an empty name; a single entry is followed by its strings. */
        size_t const cMax = fSingle ? 1 : sizeof(uBuf) / sizeof(uBuf.aEntries[0]);
        for (size_t iEntry = 0; iEntry < cMax && uBuf.aEntries[iEntry].Name.Length > 0; iEntry++)
        {
            const RTNTOBJDIRINFO *pEntry = &uBuf.aEntries[iEntry];
            if (   pEntry->Name.Length == Final.Length
                && memcmp(pEntry->Name.Buffer, Final.Buffer, Final.Length) == 0)
            {
                memset(pObjInfo, 0, sizeof(*pObjInfo));
                pObjInfo->Attr.fMode = rtDirObjTypeMode(&pEntry->TypeName);
                rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditional);
                fFound = true;
                break;
            }
        }
        if (fFound)
            break;
    }
    RTWINSYS(NtClose)(hObjDir);
    if (fFound)
        return VINF_SUCCESS;
    if (rcNt == RTNT_STATUS_NO_MORE_FILES || rcNt == RTNT_STATUS_NO_MORE_ENTRIES || rcNt == RTNT_STATUS_NO_SUCH_FILE)
        return rc;
    return RTErrConvertFromNtStatus(rcNt);
}

/** The last resort: the entry of the name in its parent directory's listing. */
int rtPathNtQueryInfoFromParent(HANDLE hRootDir, PCUNICODE_STRING pNtName, PRTFSOBJINFO pObjInfo,
                                RTFSOBJATTRADD enmAdditional, const char *pszPath)
{
    UNICODE_STRING Parent;
    UNICODE_STRING Final;
    rtPathNtSplit(pNtName, &Parent, &Final);
    static RTUTF16 s_wszDot[] = { '.', '\0' };
    if (Parent.Length == 0)
    {
        Parent.Buffer        = s_wszDot;
        Parent.Length        = sizeof(RTUTF16);
        Parent.MaximumLength = sizeof(s_wszDot);
    }

    HANDLE hDir = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = 0;
    int rc = rtNtPathOpenByNameEx(hRootDir, &Parent, FILE_LIST_DIRECTORY | SYNCHRONIZE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT,
                                  OBJ_CASE_INSENSITIVE, &hDir, nullptr, &rcNt);
    if (RT_FAILURE(rc))
    {
        if (rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH || rcNt == RTNT_STATUS_OBJECT_NAME_INVALID)
            return rtPathNtQueryInfoInObjDir(hRootDir, pNtName, pObjInfo, enmAdditional, rcNt);
        return rc;
    }

    union
    {
        FILE_ID_BOTH_DIR_INFORMATION Info;
        uint8_t                      ab[RTPATH_QUERY_BUF_SIZE];
    } uBuf;
    FILE_INFORMATION_CLASS const enmClass = rtDirNtListClass();
    IO_STATUS_BLOCK Ios;
    Ios.Status      = 0;
    Ios.Information = 0;
    rcNt = RTWINSYS(NtQueryDirectoryFile)(hDir, nullptr, nullptr, nullptr, &Ios, &uBuf, sizeof(uBuf), enmClass,
                                          TRUE /*single*/, &Final, TRUE /*restart*/);
    if (RTNT_SUCCESS(rcNt))
    {
        RTDIRNTENTRY View;
        rtDirNtEntryView(uBuf.ab, enmClass, &View);
        rtFsObjInfoFromDirEntry(pObjInfo, &View, pszPath, strlen(pszPath));
        if (enmAdditional == RTFSOBJATTRADD_UNIX)
            pObjInfo->Attr.u.Unix.INodeIdDevice = rtFsQueryVolumeSerial(hDir);
        rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditional);
        rc = VINF_SUCCESS;
    }
    else
        rc = RTErrConvertFromNtStatus(rcNt);
    RTWINSYS(NtClose)(hDir);
    return rc;
}

/** Opens the object itself and asks it; falls back to the parent's listing
 * when the object cannot be opened or queried. */
int rtPathNtQueryInfoByOpen(HANDLE hRootDir, PUNICODE_STRING pNtName, PRTFSOBJINFO pObjInfo,
                            RTFSOBJATTRADD enmAdditional, uint32_t fFlags, const char *pszPath)
{
    ULONG const fOptions = FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT;
    ACCESS_MASK const fAccess = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    ULONG const fShare = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    bool fReparse = g_frtNtPathReparseOk != 0 && !(fFlags & RTPATH_F_FOLLOW_LINK);

    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pNtName, OBJ_CASE_INSENSITIVE, hRootDir, nullptr);
    IO_STATUS_BLOCK Ios;
    HANDLE h = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = RTWINSYS(NtCreateFile)(&h, fAccess, &ObjAttr, &Ios, nullptr, FILE_ATTRIBUTE_NORMAL, fShare, FILE_OPEN,
                                           fOptions | (fReparse ? FILE_OPEN_REPARSE_POINT : 0), nullptr, 0);
    if (   fReparse
        && (rcNt == RTNT_STATUS_INVALID_PARAMETER || rcNt == RTNT_STATUS_INVALID_PARAMETER_8)
        && g_frtNtPathReparseOk == -1)
    {
        rcNt = RTWINSYS(NtCreateFile)(&h, fAccess, &ObjAttr, &Ios, nullptr, FILE_ATTRIBUTE_NORMAL, fShare, FILE_OPEN,
                                      fOptions, nullptr, 0);
        if (rcNt != RTNT_STATUS_INVALID_PARAMETER)
            g_frtNtPathReparseOk = 0;
        fReparse = false;
    }
    else if (fReparse && RTNT_SUCCESS(rcNt) && g_frtNtPathReparseOk == -1)
        g_frtNtPathReparseOk = 1;

    if (!RTNT_SUCCESS(rcNt))
    {
        if (rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH || rcNt == RTNT_STATUS_OBJECT_NAME_INVALID)
            return rtPathNtQueryInfoInObjDir(hRootDir, pNtName, pObjInfo, enmAdditional, rcNt);
        if (rcNt == RTNT_STATUS_ACCESS_DENIED || rcNt == RTNT_STATUS_SHARING_VIOLATION)
            return rtPathNtQueryInfoFromParent(hRootDir, pNtName, pObjInfo, enmAdditional, pszPath);
        return RTErrConvertFromNtStatus(rcNt);
    }

    FILE_ATTRIBUTE_TAG_INFORMATION Tag;
    NTSTATUS rcNt2 = RTWINSYS(NtQueryInformationFile)(h, &Ios, &Tag, sizeof(Tag), FileAttributeTagInformation);
    if (!RTNT_SUCCESS(rcNt2))
    {
        Tag.FileAttributes = 0;
        Tag.ReparseTag     = 0;
    }
    if (   fReparse
        && (Tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        && Tag.ReparseTag != RTFS_NT_REPARSE_TAG_SYMLINK)
    {
        /* Mount points and the like are followed even when links are not. */
        HANDLE h2 = INVALID_HANDLE_VALUE;
        rcNt2 = RTWINSYS(NtCreateFile)(&h2, fAccess, &ObjAttr, &Ios, nullptr, FILE_ATTRIBUTE_NORMAL, fShare, FILE_OPEN,
                                       fOptions, nullptr, 0);
        if (RTNT_SUCCESS(rcNt2))
        {
            RTWINSYS(NtClose)(h);
            h = h2;
            Tag.ReparseTag = 0;
        }
    }

    union
    {
        FILE_ALL_INFORMATION All;
        uint8_t              ab[104];
    } uBuf;
    memset(&uBuf, 0, sizeof(uBuf));
    rcNt2 = RTWINSYS(NtQueryInformationFile)(h, &Ios, &uBuf, sizeof(uBuf), FileAllInformation);
    if (RTNT_SUCCESS(rcNt2) || rcNt2 == RTNT_STATUS_BUFFER_OVERFLOW)
    {
        memset(pObjInfo, 0, sizeof(*pObjInfo));
        rtFsObjInfoFromAllInfo(pObjInfo, &uBuf.All, pszPath, strlen(pszPath), Tag.ReparseTag);
        if (enmAdditional == RTFSOBJATTRADD_UNIX)
            pObjInfo->Attr.u.Unix.INodeIdDevice = rtFsQueryVolumeSerial(h);
        RTWINSYS(NtClose)(h);
        rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditional);
        return VINF_SUCCESS;
    }
    RTWINSYS(NtClose)(h);
    return rtPathNtQueryInfoFromParent(hRootDir, pNtName, pObjInfo, enmAdditional, pszPath);
}

} /* namespace */

int RTPathQueryInfoEx(const char *pszPath, PRTFSOBJINFO pObjInfo, RTFSOBJATTRADD enmAdditionalAttribs, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pszPath) || !RT_VALID_PTR(pObjInfo))
        return VERR_INVALID_POINTER;
    if (!*pszPath)
        return VERR_INVALID_PARAMETER;
    if (enmAdditionalAttribs < RTFSOBJATTRADD_NOTHING || enmAdditionalAttribs > RTFSOBJATTRADD_LAST)
        return VERR_INVALID_PARAMETER;
    if (   fFlags != RTPATH_F_ON_LINK && fFlags != RTPATH_F_FOLLOW_LINK
        && fFlags != (RTPATH_F_ON_LINK | RTPATH_F_NO_SYMLINKS) && fFlags != (RTPATH_F_FOLLOW_LINK | RTPATH_F_NO_SYMLINKS))
        return VERR_INVALID_PARAMETER;

    UNICODE_STRING NtName;
    HANDLE         hRootDir;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;

    /* The cheap query first: one call, no handle, but it cannot tell links
     * apart and has no file id. */
    PFNRTNTQUERYFULLATTRIBUTESFILE const pfnFullAttr = RTWINSYS(NtQueryFullAttributesFile);
    bool fDone = false;
    if (enmAdditionalAttribs != RTFSOBJATTRADD_UNIX && pfnFullAttr)
    {
        OBJECT_ATTRIBUTES ObjAttr;
        InitializeObjectAttributes(&ObjAttr, &NtName, OBJ_CASE_INSENSITIVE, hRootDir, nullptr);
        FILE_NETWORK_OPEN_INFORMATION NetInfo;
        NTSTATUS const rcNt = pfnFullAttr(&ObjAttr, &NetInfo);
        if (RTNT_SUCCESS(rcNt))
        {
            if (!(NetInfo.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            {
                memset(pObjInfo, 0, sizeof(*pObjInfo));
                pObjInfo->cbObject         = NetInfo.EndOfFile.QuadPart;
                pObjInfo->cbAllocated      = NetInfo.AllocationSize.QuadPart;
                pObjInfo->AccessTime       = rtFsTimeSpecFromNt(NetInfo.LastAccessTime.QuadPart);
                pObjInfo->ModificationTime = rtFsTimeSpecFromNt(NetInfo.LastWriteTime.QuadPart);
                pObjInfo->ChangeTime       = rtFsTimeSpecFromNt(NetInfo.ChangeTime.QuadPart);
                pObjInfo->BirthTime        = rtFsTimeSpecFromNt(NetInfo.CreationTime.QuadPart);
                pObjInfo->Attr.fMode = rtFsModeFromDos((RTFMODE)NetInfo.FileAttributes << RTFS_DOS_SHIFT, pszPath,
                                                       strlen(pszPath), 0, 0);
                rtFsObjInfoUnixDefaults(pObjInfo);
                rtFsObjInfoCompleteAdditional(pObjInfo, enmAdditionalAttribs);
                rc = VINF_SUCCESS;
                fDone = true;
            }
        }
        else if (   rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH
                 || rcNt == RTNT_STATUS_OBJECT_NAME_INVALID
                 || rcNt == RTNT_STATUS_INVALID_PARAMETER
                 /* Wine's answer for names that are no file system's (object-manager names). */
                 || rcNt == RTNT_STATUS_BAD_DEVICE_TYPE)
        {
            rc = rtPathNtQueryInfoInObjDir(hRootDir, &NtName, pObjInfo, enmAdditionalAttribs, rcNt);
            fDone = true;
        }
        else if (rcNt != RTNT_STATUS_ACCESS_DENIED && rcNt != RTNT_STATUS_SHARING_VIOLATION)
        {
            rc = RTErrConvertFromNtStatus(rcNt);
            fDone = true;
        }
    }
    if (!fDone)
        rc = rtPathNtQueryInfoByOpen(hRootDir, &NtName, pObjInfo, enmAdditionalAttribs, fFlags, pszPath);

    RTNtPathFree(&NtName, &hRootDir);
    return rc;
}
