/*
 * Native path forms: UTF-8 paths to counted object-manager names, and the
 * native open with its two recoveries (a trailing backslash for directories
 * some file systems want, and object-manager directories for raw names).
 */
#include <tulo/err.h>
#include <tulo/errconv.h>
#include <tulo/mem.h>
#include <tulo/string.h>

#include "r3/win/internal-fs-win.h"
#include "r3/nt/internal-r3-nt.h"

#include <string.h>

namespace {

inline bool rtNtPathIsSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** The prefixes by system generation: \??\ appeared with major version 4. */
struct RTNTPATHPREFIXES
{
    const char *pszDrive;
    size_t      cchDrive;
    const char *pszUnc;
    size_t      cchUnc;
};

const RTNTPATHPREFIXES g_aPrefixes[2] =
{
    { "\\DosDevices\\", 12, "\\DosDevices\\UNC\\", 16 },
    { "\\??\\",          4, "\\??\\UNC\\",          8 },
};

/** The marker of a raw native name, after the two leading separators. */
const char   g_szRawMarker[] = ":tulont:";
const size_t g_cchRawMarker  = sizeof(g_szRawMarker) - 1;

/** Size of the work buffer of the common case, in bytes. */
constexpr size_t RTNTPATH_STACK_BUF = 4100;
/** Smallest size of the last growth step. */
constexpr size_t RTNTPATH_LAST_BUF = 131072;

/** Turns a UTF-8 native name into the counted, terminated result. */
int rtNtPathUtf8ToUniStr(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszNative)
{
    PRTUTF16 pwsz = nullptr;
    size_t   cwc  = 0;
    int rc = rtFsUtf8ToUtf16(pszNative, RTSTR_MAX, &pwsz, &cwc);
    if (RT_FAILURE(rc))
        return rc;
    if (cwc > RTNT_PATH_MAX_UNITS)
    {
        RTMemFree(pwsz);
        return VERR_FILENAME_TOO_LONG;
    }
    pNtName->Buffer        = pwsz;
    pNtName->Length        = (USHORT)(cwc * sizeof(RTUTF16));
    pNtName->MaximumLength = (USHORT)(pNtName->Length + sizeof(RTUTF16));
    *phRootDir = nullptr;
    return VINF_SUCCESS;
}

/** \\?\ paths: the system takes them as they are, only the prefix changes. */
int rtNtPathFromExtended(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszPath, bool fNewPrefix)
{
    PRTUTF16 pwsz = nullptr;
    size_t   cwc  = 0;
    int rc = rtFsUtf8ToUtf16(pszPath, RTSTR_MAX, &pwsz, &cwc);
    if (RT_FAILURE(rc))
        return rc;
    if (cwc >= RTNT_PATH_MAX_UNITS + 1)
    {
        RTMemFree(pwsz);
        return VERR_FILENAME_TOO_LONG;
    }
    if (fNewPrefix)
    {
        pwsz[0] = '\\';
        pwsz[1] = '?';
        pwsz[2] = '?';
        pwsz[3] = '\\';
    }
    else
    {
        /* \DosDevices\ is 8 units longer than the 4 units it replaces. */
        if (cwc + 8 > RTNT_PATH_MAX_UNITS)
        {
            RTMemFree(pwsz);
            return VERR_FILENAME_TOO_LONG;
        }
        PRTUTF16 pwszNew = (PRTUTF16)RTMemAlloc((cwc + 8 + 1) * sizeof(RTUTF16));
        if (!pwszNew)
        {
            RTMemFree(pwsz);
            return VERR_NO_UTF16_MEMORY;
        }
        static const char s_szDosDevices[] = "\\DosDevices\\";
        for (size_t i = 0; i < 12; i++)
            pwszNew[i] = (RTUTF16)s_szDosDevices[i];
        memcpy(&pwszNew[12], &pwsz[4], (cwc - 4 + 1) * sizeof(RTUTF16));
        RTMemFree(pwsz);
        pwsz = pwszNew;
        cwc += 8;
    }
    pNtName->Buffer        = pwsz;
    pNtName->Length        = (USHORT)(cwc * sizeof(RTUTF16));
    pNtName->MaximumLength = (USHORT)(pNtName->Length + sizeof(RTUTF16));
    *phRootDir = nullptr;
    return VINF_SUCCESS;
}

} /* namespace */

bool rtNtPathIsRawMarker(const char *pszPath)
{
    if (!rtNtPathIsSep(pszPath[0]) || !rtNtPathIsSep(pszPath[1]))
        return false;
    /* Character by character, so that a short path is not read past its end. */
    for (size_t i = 0; i < g_cchRawMarker; i++)
        if (pszPath[2 + i] != g_szRawMarker[i])
            return false;
    return rtNtPathIsSep(pszPath[2 + g_cchRawMarker]);
}

int rtNtPathFromWinUtf8Ex(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszPath, uint32_t uOsMajor)
{
    if (!RT_VALID_PTR(pNtName) || !RT_VALID_PTR(phRootDir) || !RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;

    bool const fNewPrefix = uOsMajor >= 4;
    RTNTPATHPREFIXES const *pPrefixes = &g_aPrefixes[fNewPrefix];
    const char *pszPrefix = pPrefixes->pszDrive;
    size_t      cchPrefix = pPrefixes->cchDrive;
    size_t      cchDrop   = 0;
    if (rtNtPathIsSep(pszPath[0]) && rtNtPathIsSep(pszPath[1]))
    {
        if (rtNtPathIsRawMarker(pszPath))
            return rtNtPathUtf8ToUniStr(pNtName, phRootDir, &pszPath[2 + g_cchRawMarker]);
        if (pszPath[2] == '?' && rtNtPathIsSep(pszPath[3]))
            return rtNtPathFromExtended(pNtName, phRootDir, pszPath, fNewPrefix);
        if (pszPath[2] == '.' && rtNtPathIsSep(pszPath[3]))
            cchDrop = 4;
        else if (pszPath[2] != '\0' && !rtNtPathIsSep(pszPath[2]))
        {
            pszPrefix = pPrefixes->pszUnc;
            cchPrefix = pPrefixes->cchUnc;
            cchDrop   = 2;
        }
    }

    /* The absolute path goes behind room for the prefix, which then replaces
     * the characters it stands for (none, the UNC "\\", the device "\\.\"). */
    char   szStack[RTNTPATH_STACK_BUF];
    char  *pszBuf = szStack;
    size_t cbBuf  = sizeof(szStack);
    char  *pszHeap = nullptr;
    int    rc;
    for (unsigned iTry = 0;; iTry++)
    {
        size_t cbAbs = cbBuf - cchPrefix + cchDrop;
        rc = RTPathAbsEx(nullptr, pszPath, RTPATH_STR_F_STYLE_DOS, &pszBuf[cchPrefix - cchDrop], &cbAbs);
        if (rc != VERR_BUFFER_OVERFLOW)
            break;
        if (iTry >= 8)
        {
            rc = VERR_FILENAME_TOO_LONG;
            break;
        }
        size_t cbNew = (cbAbs - cchDrop + cchPrefix + 95) & ~(size_t)63;
        if (cbNew < cbBuf + 256)
            cbNew = cbBuf + 256;
        if (iTry == 7 && cbNew < RTNTPATH_LAST_BUF)
            cbNew = RTNTPATH_LAST_BUF;
        RTMemFree(pszHeap);
        pszHeap = (char *)RTMemAlloc(cbNew);
        if (!pszHeap)
            return VERR_NO_TMP_MEMORY;
        pszBuf = pszHeap;
        cbBuf  = cbNew;
    }
    if (RT_SUCCESS(rc))
    {
        memcpy(pszBuf, pszPrefix, cchPrefix);
        rc = rtNtPathUtf8ToUniStr(pNtName, phRootDir, pszBuf);
    }
    RTMemFree(pszHeap);
    return rc;
}

int RTNtPathFromWinUtf8(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszPath)
{
    return rtNtPathFromWinUtf8Ex(pNtName, phRootDir, pszPath, rtWinFsOsMajor());
}

void RTNtPathFree(PUNICODE_STRING pNtName, PHANDLE phRootDir)
{
    (void)phRootDir; /* always NULL: the names built here are absolute */
    if (pNtName)
    {
        RTMemFree(pNtName->Buffer);
        pNtName->Buffer        = nullptr;
        pNtName->Length        = 0;
        pNtName->MaximumLength = 0;
    }
}

namespace {

/** The object-directory access matching the file access asked for. */
ACCESS_MASK rtNtPathObjDirAccess(ACCESS_MASK fDesiredAccess)
{
    ACCESS_MASK fObjDir;
    if (   (fDesiredAccess & STANDARD_RIGHTS_ALL) == STANDARD_RIGHTS_ALL
        || (fDesiredAccess & GENERIC_ALL))
        fObjDir = 0xf000f;                      /* DIRECTORY_ALL_ACCESS */
    else
    {
        fObjDir = 0;
        bool const fWrite = (fDesiredAccess & (GENERIC_WRITE | READ_CONTROL | FILE_WRITE_DATA)) != 0;
        if (fWrite)
            fObjDir |= 0x4 | 0x8;               /* create object, create subdirectory */
        if ((fDesiredAccess & (GENERIC_READ | READ_CONTROL | FILE_LIST_DIRECTORY)) || !fWrite)
            fObjDir |= 0x1;                     /* query */
        if (fDesiredAccess & FILE_TRAVERSE)
            fObjDir |= 0x2;                     /* traverse */
    }
    return fObjDir;
}

NTSTATUS rtNtPathCreate(HANDLE hRootDir, PUNICODE_STRING pNtName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                        ULONG fCreateOptions, ULONG fObjAttribs, PHANDLE phHandle)
{
    OBJECT_ATTRIBUTES ObjAttr;
    InitializeObjectAttributes(&ObjAttr, pNtName, fObjAttribs, hRootDir, nullptr);
    IO_STATUS_BLOCK Ios;
    Ios.Status      = 0;
    Ios.Information = 0;
    HANDLE hHandle = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = RTWINSYS(NtCreateFile)(&hHandle, fDesiredAccess, &ObjAttr, &Ios, nullptr, FILE_ATTRIBUTE_NORMAL,
                                           fShareAccess, FILE_OPEN, fCreateOptions, nullptr, 0);
    if (RTNT_SUCCESS(rcNt))
        *phHandle = hHandle;
    return rcNt;
}

} /* namespace */

int rtNtPathOpenByNameEx(HANDLE hRootDir, PUNICODE_STRING pNtName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                         ULONG fCreateOptions, ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir, NTSTATUS *prcNt)
{
    *phHandle = INVALID_HANDLE_VALUE;
    HANDLE hHandle = INVALID_HANDLE_VALUE;
    NTSTATUS rcNt = rtNtPathCreate(hRootDir, pNtName, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs, &hHandle);

    /* Some file systems refuse a directory name without its trailing backslash. */
    size_t const cwcName = pNtName->Length / sizeof(RTUTF16);
    if (   rcNt == RTNT_STATUS_INVALID_PARAMETER
        && pNtName->Length < 0xfffc
        && cwcName > 0
        && pNtName->Buffer[cwcName - 1] != '\\')
    {
        PRTUTF16 pwszSlash = (PRTUTF16)RTMemAlloc(pNtName->Length + 2 * sizeof(RTUTF16));
        if (pwszSlash)
        {
            memcpy(pwszSlash, pNtName->Buffer, pNtName->Length);
            pwszSlash[cwcName]     = '\\';
            pwszSlash[cwcName + 1] = '\0';
            UNICODE_STRING NameSlash;
            NameSlash.Buffer        = pwszSlash;
            NameSlash.Length        = (USHORT)(pNtName->Length + sizeof(RTUTF16));
            NameSlash.MaximumLength = (USHORT)(NameSlash.Length + sizeof(RTUTF16));
            rcNt = rtNtPathCreate(hRootDir, &NameSlash, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs,
                                  &hHandle);
            RTMemFree(pwszSlash);
        }
    }
    if (RTNT_SUCCESS(rcNt))
    {
        *phHandle = hHandle;
        if (pfObjDir)
            *pfObjDir = false;
        if (prcNt)
            *prcNt = rcNt;
        return VINF_SUCCESS;
    }

    /* Names the file system rejects may be object-manager directories. */
    if (   pfObjDir
        && (rcNt == RTNT_STATUS_OBJECT_NAME_INVALID || rcNt == RTNT_STATUS_OBJECT_TYPE_MISMATCH))
    {
        UNICODE_STRING DirName = *pNtName;
        if (   DirName.Length > sizeof(RTUTF16)
            && (   DirName.Buffer[DirName.Length / sizeof(RTUTF16) - 1] == '\\'
                || DirName.Buffer[DirName.Length / sizeof(RTUTF16) - 1] == '/'))
            DirName.Length -= sizeof(RTUTF16);
        OBJECT_ATTRIBUTES ObjAttr;
        InitializeObjectAttributes(&ObjAttr, &DirName, fObjAttribs, hRootDir, nullptr);
        HANDLE hDir = INVALID_HANDLE_VALUE;
        rcNt = RTWINSYS(NtOpenDirectoryObject)(&hDir, rtNtPathObjDirAccess(fDesiredAccess), &ObjAttr);
        if (RTNT_SUCCESS(rcNt))
        {
            *phHandle = hDir;
            *pfObjDir = true;
            if (prcNt)
                *prcNt = rcNt;
            return VINF_SUCCESS;
        }
    }
    if (prcNt)
        *prcNt = rcNt;
    return RTErrConvertFromNtStatus(rcNt);
}

int rtNtPathOpenByName(HANDLE hRootDir, PUNICODE_STRING pNtName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                       ULONG fCreateOptions, ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir)
{
    return rtNtPathOpenByNameEx(hRootDir, pNtName, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs,
                                phHandle, pfObjDir, nullptr);
}

int RTNtPathOpen(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                 ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir)
{
    if (!RT_VALID_PTR(phHandle))
        return VERR_INVALID_POINTER;
    *phHandle = INVALID_HANDLE_VALUE;
    UNICODE_STRING NtName;
    HANDLE         hRootDir;
    int rc = RTNtPathFromWinUtf8(&NtName, &hRootDir, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    bool *pfObjDirUse = nullptr;
    if (pfObjDir)
    {
        *pfObjDir = false;
        if (rtNtPathIsRawMarker(pszPath))
            pfObjDirUse = pfObjDir;
    }
    rc = rtNtPathOpenByName(hRootDir, &NtName, fDesiredAccess, fShareAccess, fCreateOptions, fObjAttribs, phHandle,
                            pfObjDirUse);
    RTNtPathFree(&NtName, &hRootDir);
    return rc;
}

int RTNtPathClose(HANDLE hHandle)
{
    NTSTATUS const rcNt = RTWINSYS(NtClose)(hHandle);
    if (RTNT_SUCCESS(rcNt))
        return VINF_SUCCESS;
    return RTErrConvertFromNtStatus(rcNt);
}
