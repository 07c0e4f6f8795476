/*
 * The table of platform calls of the file, directory and path layer. The
 * kernel32 entries are imports; the ntdll ones are looked up by name so that
 * the runtime needs no ntdll import library, and the two that older systems
 * lack stay NULL there.
 */
#include "r3/win/syscall-win.h"

RTWINFSSYSCALLS g_rtWinFsSys;
volatile LONG   g_frtWinFsSysReady;

namespace {

/** Looks up an export; the detour through a plain function pointer type keeps
 * the compiler from warning about the cast between function types. */
template<typename T>
T rtWinFsSysLookup(HMODULE hMod, const char *pszName)
{
    if (!hMod)
        return nullptr;
    return (T)(void (*)(void))GetProcAddress(hMod, pszName);
}

void rtWinFsSysFill(RTWINFSSYSCALLS *pTab)
{
    pTab->pfnCreateFileW             = &CreateFileW;
    pTab->pfnReadFile                = &ReadFile;
    pTab->pfnWriteFile               = &WriteFile;
    pTab->pfnSetFilePointer          = &SetFilePointer;
    pTab->pfnGetFileSize             = &GetFileSize;
    pTab->pfnDeviceIoControl         = &DeviceIoControl;
    pTab->pfnFlushFileBuffers        = &FlushFileBuffers;
    pTab->pfnCloseHandle             = &CloseHandle;
    pTab->pfnDeleteFileW             = &DeleteFileW;
    pTab->pfnMoveFileExW             = &MoveFileExW;
    pTab->pfnGetFileAttributesW      = &GetFileAttributesW;
    pTab->pfnSetFileAttributesW      = &SetFileAttributesW;
    pTab->pfnSetEndOfFile            = &SetEndOfFile;
    pTab->pfnGetFileType             = &GetFileType;
    pTab->pfnCreateDirectoryW        = &CreateDirectoryW;
    pTab->pfnRemoveDirectoryW        = &RemoveDirectoryW;
    pTab->pfnGetCurrentDirectoryW    = &GetCurrentDirectoryW;
    pTab->pfnSetCurrentDirectoryW    = &SetCurrentDirectoryW;
    pTab->pfnGetFullPathNameW        = &GetFullPathNameW;
    pTab->pfnGetEnvironmentVariableW = &GetEnvironmentVariableW;

    HMODULE const hKernel32 = GetModuleHandleW(L"kernel32.dll");
    pTab->pfnVerifyConsoleIoHandle = rtWinFsSysLookup<PFNRTVERIFYCONSOLEIOHANDLE>(hKernel32, "VerifyConsoleIoHandle");

    HMODULE const hNtDll = GetModuleHandleW(L"ntdll.dll");
    pTab->pfnNtCreateFile                 = rtWinFsSysLookup<decltype(&NtCreateFile)>(hNtDll, "NtCreateFile");
    pTab->pfnNtClose                      = rtWinFsSysLookup<decltype(&NtClose)>(hNtDll, "NtClose");
    pTab->pfnNtQueryInformationFile       = rtWinFsSysLookup<decltype(&NtQueryInformationFile)>(hNtDll, "NtQueryInformationFile");
    pTab->pfnNtQueryVolumeInformationFile = rtWinFsSysLookup<decltype(&NtQueryVolumeInformationFile)>(hNtDll, "NtQueryVolumeInformationFile");
    pTab->pfnNtQueryDirectoryFile         = rtWinFsSysLookup<PFNRTNTQUERYDIRECTORYFILE>(hNtDll, "NtQueryDirectoryFile");
    pTab->pfnNtOpenDirectoryObject        = rtWinFsSysLookup<PFNRTNTOPENDIRECTORYOBJECT>(hNtDll, "NtOpenDirectoryObject");
    pTab->pfnNtQueryDirectoryObject       = rtWinFsSysLookup<PFNRTNTQUERYDIRECTORYOBJECT>(hNtDll, "NtQueryDirectoryObject");
    pTab->pfnNtQueryFullAttributesFile    = rtWinFsSysLookup<PFNRTNTQUERYFULLATTRIBUTESFILE>(hNtDll, "NtQueryFullAttributesFile");
}

/** The process environment block's version fields (OSMajorVersion, OSMinorVersion). */
const ULONG *rtWinFsPebVersion(void)
{
    /* Read the block's address from the thread block directly: the header's
     * accessor trips the compiler's array-bounds analysis. */
    const uint8_t *pbPeb;
#ifdef _WIN64
    __asm__("movq %%gs:0x60, %0" : "=r" (pbPeb));
    return (const ULONG *)(pbPeb + 0x118);
#else
    __asm__("movl %%fs:0x30, %0" : "=r" (pbPeb));
    return (const ULONG *)(pbPeb + 0xa4);
#endif
}

} /* namespace */

void rtWinFsSysInit(void)
{
    /* Two threads racing here store the same values; harmless. */
    rtWinFsSysFill(&g_rtWinFsSys);
    InterlockedExchange(&g_frtWinFsSysReady, 1);
}

void rtWinFsSysReset(void)
{
    rtWinFsSysInit();
}

uint32_t rtWinFsOsMajor(void)
{
    return rtWinFsPebVersion()[0];
}

uint32_t rtWinFsOsMinor(void)
{
    return rtWinFsPebVersion()[1];
}
