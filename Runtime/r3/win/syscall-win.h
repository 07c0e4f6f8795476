/*
 * The platform calls of the file, directory and path layer, behind one table
 * of function pointers. Every Win32 and native call these modules make goes
 * through it, so that a test can replace one entry and make its Nth call fail
 * (disk full, sharing violation, a failing close) without touching the logic.
 * Last-error handling (GetLastError/SetLastError) and text conversion are not
 * in the table: they do not fail in ways worth injecting.
 */
#ifndef TULO_R3_WIN_SYSCALL_WIN_H
#define TULO_R3_WIN_SYSCALL_WIN_H

#include <tulo/cdefs.h>

#include <windows.h>
#include <winternl.h>
#include <winioctl.h>

/* Native status values the layer tells apart. */
#define RTNT_STATUS_BUFFER_OVERFLOW         ((NTSTATUS)0x80000005L)
#define RTNT_STATUS_NO_MORE_FILES           ((NTSTATUS)0x80000006L)
#define RTNT_STATUS_NO_MORE_ENTRIES         ((NTSTATUS)0x8000001AL)
#define RTNT_STATUS_NOT_IMPLEMENTED         ((NTSTATUS)0xC0000002L)
#define RTNT_STATUS_INVALID_INFO_CLASS      ((NTSTATUS)0xC0000003L)
#define RTNT_STATUS_INVALID_PARAMETER       ((NTSTATUS)0xC000000DL)
#define RTNT_STATUS_NO_SUCH_FILE            ((NTSTATUS)0xC000000FL)
#define RTNT_STATUS_ACCESS_DENIED           ((NTSTATUS)0xC0000022L)
#define RTNT_STATUS_OBJECT_TYPE_MISMATCH    ((NTSTATUS)0xC0000024L)
#define RTNT_STATUS_OBJECT_NAME_INVALID     ((NTSTATUS)0xC0000033L)
#define RTNT_STATUS_SHARING_VIOLATION       ((NTSTATUS)0xC0000043L)
#define RTNT_STATUS_BAD_DEVICE_TYPE         ((NTSTATUS)0xC00000CBL)
#define RTNT_STATUS_NOT_SUPPORTED           ((NTSTATUS)0xC00000BBL)
#define RTNT_STATUS_INVALID_PARAMETER_8     ((NTSTATUS)0xC00000F7L)

#define RTNT_SUCCESS(a_rcNt) ((NTSTATUS)(a_rcNt) >= 0)

/* Object directory entries as NtQueryDirectoryObject returns them. */
typedef struct RTNTOBJDIRINFO
{
    UNICODE_STRING Name;
    UNICODE_STRING TypeName;
} RTNTOBJDIRINFO;

/* Native calls the MinGW headers do not declare. */
typedef NTSTATUS (NTAPI *PFNRTNTQUERYDIRECTORYFILE)(HANDLE hFile, HANDLE hEvent, PIO_APC_ROUTINE pfnApc, PVOID pvApcCtx,
                                                    PIO_STATUS_BLOCK pIos, PVOID pvBuf, ULONG cbBuf,
                                                    FILE_INFORMATION_CLASS enmClass, BOOLEAN fReturnSingleEntry,
                                                    PUNICODE_STRING pFilter, BOOLEAN fRestartScan);
typedef NTSTATUS (NTAPI *PFNRTNTOPENDIRECTORYOBJECT)(PHANDLE phDir, ACCESS_MASK fAccess, POBJECT_ATTRIBUTES pObjAttr);
typedef NTSTATUS (NTAPI *PFNRTNTQUERYDIRECTORYOBJECT)(HANDLE hDir, PVOID pvBuf, ULONG cbBuf, BOOLEAN fReturnSingleEntry,
                                                      BOOLEAN fRestartScan, PULONG puContext, PULONG pcbReturned);
typedef NTSTATUS (NTAPI *PFNRTNTQUERYFULLATTRIBUTESFILE)(POBJECT_ATTRIBUTES pObjAttr, PFILE_NETWORK_OPEN_INFORMATION pInfo);
typedef BOOL     (WINAPI *PFNRTVERIFYCONSOLEIOHANDLE)(HANDLE hHandle);

typedef struct RTWINFSSYSCALLS
{
    /* kernel32 */
    decltype(&CreateFileW)              pfnCreateFileW;
    decltype(&ReadFile)                 pfnReadFile;
    decltype(&WriteFile)                pfnWriteFile;
    decltype(&SetFilePointer)           pfnSetFilePointer;
    decltype(&GetFileSize)              pfnGetFileSize;
    decltype(&DeviceIoControl)          pfnDeviceIoControl;
    decltype(&FlushFileBuffers)         pfnFlushFileBuffers;
    decltype(&CloseHandle)              pfnCloseHandle;
    decltype(&DeleteFileW)              pfnDeleteFileW;
    decltype(&MoveFileExW)              pfnMoveFileExW;
    decltype(&GetFileAttributesW)       pfnGetFileAttributesW;
    decltype(&SetFileAttributesW)       pfnSetFileAttributesW;
    decltype(&SetEndOfFile)             pfnSetEndOfFile;
    decltype(&GetFileType)              pfnGetFileType;
    decltype(&CreateDirectoryW)         pfnCreateDirectoryW;
    decltype(&RemoveDirectoryW)         pfnRemoveDirectoryW;
    decltype(&GetCurrentDirectoryW)     pfnGetCurrentDirectoryW;
    decltype(&SetCurrentDirectoryW)     pfnSetCurrentDirectoryW;
    decltype(&GetFullPathNameW)         pfnGetFullPathNameW;
    decltype(&GetEnvironmentVariableW)  pfnGetEnvironmentVariableW;
    /** Absent on some systems: NULL then. */
    PFNRTVERIFYCONSOLEIOHANDLE          pfnVerifyConsoleIoHandle;
    /* ntdll */
    decltype(&NtCreateFile)             pfnNtCreateFile;
    decltype(&NtClose)                  pfnNtClose;
    decltype(&NtQueryInformationFile)   pfnNtQueryInformationFile;
    decltype(&NtQueryVolumeInformationFile) pfnNtQueryVolumeInformationFile;
    PFNRTNTQUERYDIRECTORYFILE           pfnNtQueryDirectoryFile;
    PFNRTNTOPENDIRECTORYOBJECT          pfnNtOpenDirectoryObject;
    PFNRTNTQUERYDIRECTORYOBJECT         pfnNtQueryDirectoryObject;
    /** Absent on some systems: NULL then, and the path query skips its cheap first step. */
    PFNRTNTQUERYFULLATTRIBUTESFILE      pfnNtQueryFullAttributesFile;
} RTWINFSSYSCALLS;

/** The table; filled with the platform's functions on first use. Tests may
 * overwrite entries and put the defaults back with rtWinFsSysReset. */
extern RTWINFSSYSCALLS g_rtWinFsSys;
extern volatile LONG   g_frtWinFsSysReady;

void rtWinFsSysInit(void);
/** Puts every entry back to the platform's function. */
void rtWinFsSysReset(void);

/** The table, filled. */
static inline RTWINFSSYSCALLS *rtWinFsSys(void)
{
    if (!g_frtWinFsSysReady)
        rtWinFsSysInit();
    return &g_rtWinFsSys;
}

/** Calls entry a_Name of the table: RTWINSYS(CreateFileW)(...). */
#define RTWINSYS(a_Name) (rtWinFsSys()->pfn##a_Name)

/** The operating system's major and minor version, from the process
 * environment block. */
uint32_t rtWinFsOsMajor(void);
uint32_t rtWinFsOsMinor(void);

#endif
