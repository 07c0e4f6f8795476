/*
 * Process entry of executables without the C runtime: from the first
 * instruction to main, and from main's return to the end of the process.
 * Until main runs nothing else is set up, so every report goes straight to
 * the standard error handle.
 */
#include "nocrt-internal.h"
#include "internal-r3-win.h"

#include <tulo/err.h>
#include <tulo/getopt.h>
#include <tulo/process.h>
#include <tulo/utf16.h>

#include <windows.h>
#include <winternl.h>

typedef NTSTATUS NTAPI FNNTPROTECTVIRTUALMEMORY(HANDLE, PVOID *, PSIZE_T, ULONG, PULONG);

/* Offsets of the OS version in the process environment block. */
#ifdef _WIN64
# define RTNOCRT_PEB_OFF_OS_MAJOR 0x118
#else
# define RTNOCRT_PEB_OFF_OS_MAJOR 0xa4
#endif

/* The process environment block of the current thread. Read directly: GCC
 * flags the header's NtCurrentTeb() as an out-of-bounds access. */
static PPEB rtNoCrtGetPeb(void)
{
    PPEB pPeb;
#ifdef _WIN64
    __asm__ __volatile__("movq %%gs:0x60, %0" : "=r"(pPeb));
#else
    __asm__ __volatile__("movl %%fs:0x30, %0" : "=r"(pPeb));
#endif
    return pPeb;
}

/*
 * The loader of Windows NT 3.1 leaves the part of a section beyond its file
 * data uninitialised; zero it as later loaders do.
 */
static void rtNoCrtFixOldLoaderSections(PPEB pPeb)
{
    uint32_t const uMajor = *(const uint32_t *)((const uint8_t *)pPeb + RTNOCRT_PEB_OFF_OS_MAJOR);
    uint32_t const uMinor = *(const uint32_t *)((const uint8_t *)pPeb + RTNOCRT_PEB_OFF_OS_MAJOR + 4);
    if (uMajor != 3 || uMinor >= 50)
        return;

    uint8_t *pbImage = (uint8_t *)pPeb->Reserved3[1];
    IMAGE_NT_HEADERS *pNtHdrs = (IMAGE_NT_HEADERS *)(pbImage + ((IMAGE_DOS_HEADER *)pbImage)->e_lfanew);
    IMAGE_SECTION_HEADER *paSections = IMAGE_FIRST_SECTION(pNtHdrs);
    FNNTPROTECTVIRTUALMEMORY *pfnProtect = nullptr;
    for (unsigned i = 0; i < pNtHdrs->FileHeader.NumberOfSections; i++)
    {
        IMAGE_SECTION_HEADER const *pSect = &paSections[i];
        if (pSect->Misc.VirtualSize <= pSect->SizeOfRawData)
            continue;
        uint8_t *pbTail = pbImage + pSect->VirtualAddress + pSect->SizeOfRawData;
        SIZE_T cbTail = pSect->Misc.VirtualSize - pSect->SizeOfRawData;
        bool const fWritable = (pSect->Characteristics & IMAGE_SCN_MEM_WRITE) != 0;
        ULONG fOldProt = 0;
        if (!fWritable)
        {
            if (!pfnProtect)
                pfnProtect = (FNNTPROTECTVIRTUALMEMORY *)(void *)GetProcAddress(GetModuleHandleW(L"ntdll.dll"),
                                                                                "NtProtectVirtualMemory");
            if (!pfnProtect)
                __builtin_trap();
            PVOID pv = pbTail;
            SIZE_T cb = cbTail;
            ULONG const fNew = pSect->Characteristics & IMAGE_SCN_MEM_EXECUTE ? PAGE_EXECUTE_READWRITE : PAGE_READWRITE;
            if (!NT_SUCCESS(pfnProtect(GetCurrentProcess(), &pv, &cb, fNew, &fOldProt)))
                __builtin_trap();
        }
        for (SIZE_T off = 0; off < cbTail; off++)
            pbTail[off] = 0;
        if (!fWritable)
        {
            PVOID pv = pbTail;
            SIZE_T cb = cbTail;
            ULONG fIgnored;
            if (!NT_SUCCESS(pfnProtect(GetCurrentProcess(), &pv, &cb, fOldProt, &fIgnored)))
                __builtin_trap();
        }
    }
}

static void rtNoCrtInitProcExecPath(void)
{
    PCRTUTF16 pwszPath = nullptr;
    size_t cwcPath = 0;
    uint32_t const uErr = rtProcQueryExePathW(&pwszPath, &cwcPath);
    if (uErr != ERROR_SUCCESS)
    {
        rtNoCrtStdErrWrite("initProcExecPath: GetModuleFileNameW failed: ");
        rtNoCrtStdErrErrNo(uErr);
        rtNoCrtStdErrWrite("\r\n");
        return;
    }
    char *pszDst = g_szExePath;
    int rc = RTUtf16ToUtf8Ex(pwszPath, cwcPath, &pszDst, sizeof(g_szExePath), nullptr);
    if (RT_FAILURE(rc))
    {
        g_szExePath[0] = '\0';
        rtNoCrtStdErrWrite("initProcExecPath: RTUtf16ToUtf8Ex failed: ");
        rtNoCrtStdErrStatus(rc);
        rtNoCrtStdErrWrite("\r\n");
    }
    rtProcParseExePath();
}

extern "C" __attribute__((noreturn)) void __stdcall rtNoCrtStartupExe(void)
{
    PPEB pPeb = rtNoCrtGetPeb();
    rtNoCrtFixOldLoaderSections(pPeb);
    rtNoCrtInitProcExecPath();

    int rc = rtNoCrtRunResultInitializers();
    if (rc != 0)
    {
        rtNoCrtStdErrWrite("A C static initializor failed (");
        rtNoCrtStdErrErrNo((uint32_t)rc);
        rtNoCrtStdErrWrite("\r\n");
        rtNoCrtExit(rc, false);
    }
    rtNoCrtRunInitializers();

    PRTL_USER_PROCESS_PARAMETERS pParams = pPeb->ProcessParameters;
    if (!pParams)
    {
        rtNoCrtStdErrWrite("No command line\r\n");
        rtNoCrtExit(3, true);
    }

    /* The command line need not be terminated: convert exactly its length. */
    char *pszCmdLine = nullptr;
    rc = RTUtf16ToUtf8Ex((PCRTUTF16)pParams->CommandLine.Buffer, pParams->CommandLine.Length / sizeof(WCHAR),
                         &pszCmdLine, 0, nullptr);
    if (RT_FAILURE(rc))
    {
        rtNoCrtStdErrWrite("Failed to convert command line to UTF-8: ");
        rtNoCrtStdErrStatus(rc);
        rtNoCrtStdErrWrite("\r\n");
        rtNoCrtExit(3, true);
    }

    char **papszArgs = nullptr;
    int cArgs = 0;
    rc = RTGetOptArgvFromString(&papszArgs, &cArgs, pszCmdLine,
                                RTGETOPTARGV_STYLE_MS_CRT | RTGETOPTARGV_F_IN_PLACE, nullptr);
    if (RT_FAILURE(rc))
    {
        rtNoCrtStdErrWrite("Error parsing command line: ");
        rtNoCrtStdErrStatus(rc);
        rtNoCrtStdErrWrite("\r\n");
        rtNoCrtExit(3, true);
    }

    rtNoCrtExit(rtNoCrtCallMain(cArgs, papszArgs), true);
}
