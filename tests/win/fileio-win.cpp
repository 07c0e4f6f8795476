/*
 * The file layer on Windows: flag validation and mapping, open actions,
 * whole transfers, positions, information and file identifiers, sharing
 * (in this process and from a second one), unique names, long and Unicode
 * paths, and faults injected through the platform call table.
 *
 * The program starts itself with --tstw-fs-child to act as the second
 * process of the sharing tests; the operation and the path come in the
 * environment.
 */
#include <tulo/file.h>
#include <tulo/dir.h>
#include <tulo/err.h>

#include "r3/win/internal-fs-win.h"
#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <string.h>
#include <windows.h>

namespace {

/*
 * The second process.
 */

int tstChildRun(const std::string &strOp, const std::string &strPath)
{
    if (strOp == "open-write")
    {
        RTFILE hFile = NIL_RTFILE;
        int rc = RTFileOpen(&hFile, strPath.c_str(), RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_DENY_NONE);
        RTFileClose(hFile);
        return rc;
    }
    if (strOp == "open-read")
    {
        RTFILE hFile = NIL_RTFILE;
        int rc = RTFileOpen(&hFile, strPath.c_str(), RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE);
        RTFileClose(hFile);
        return rc;
    }
    if (strOp == "delete")
        return RTFileDelete(strPath.c_str());
    if (strOp == "rename")
        return RTFileRename(strPath.c_str(), (strPath + ".moved").c_str(), 0);
    return VERR_INVALID_PARAMETER;
}

std::string tstGetEnvU8(const wchar_t *pwszName)
{
    wchar_t wsz[8192];
    DWORD const cwc = GetEnvironmentVariableW(pwszName, wsz, RT_ELEMENTS(wsz));
    return cwc && cwc < RT_ELEMENTS(wsz) ? TstWToU8(std::wstring(wsz, cwc)) : std::string();
}

/** Runs before the test runner: in the child, do the one operation and exit
 * with the negated status (0 for success). */
int tstChildMaybeRun()
{
    if (!wcsstr(GetCommandLineW(), L"--tstw-fs-child"))
        return 0;
    int const rc = tstChildRun(tstGetEnvU8(L"TSTW_FS_CHILD_OP"), tstGetEnvU8(L"TSTW_FS_CHILD_PATH"));
    ExitProcess((UINT)-rc);
    return 0;
}

int const g_iChildDummy = tstChildMaybeRun();

/** Starts this program as the second process and returns its status. */
int tstRunChild(const char *pszOp, const std::string &strPath)
{
    (void)g_iChildDummy;
    SetEnvironmentVariableW(L"TSTW_FS_CHILD_OP", TstU8ToW(pszOp).c_str());
    SetEnvironmentVariableW(L"TSTW_FS_CHILD_PATH", TstU8ToW(strPath).c_str());
    wchar_t wszExe[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, wszExe, RT_ELEMENTS(wszExe));
    std::wstring wstrCmd = L"\"" + std::wstring(wszExe) + L"\" --tstw-fs-child";
    STARTUPINFOW Si;
    memset(&Si, 0, sizeof(Si));
    Si.cb = sizeof(Si);
    PROCESS_INFORMATION Pi;
    if (!CreateProcessW(wszExe, &wstrCmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &Si, &Pi))
        return VERR_INTERNAL_ERROR;
    WaitForSingleObject(Pi.hProcess, 60000);
    DWORD dwExit = 0;
    GetExitCodeProcess(Pi.hProcess, &dwExit);
    CloseHandle(Pi.hThread);
    CloseHandle(Pi.hProcess);
    return -(int)dwExit;
}

/*
 * Injected faults. Each fake fails as its plan says and otherwise calls the
 * platform's function.
 */

TstFaultPlan          g_CreateFilePlan;
std::vector<std::wstring> g_aCreateFileNames;
HANDLE WINAPI tstFakeCreateFileW(LPCWSTR pwszName, DWORD fAccess, DWORD fShare, LPSECURITY_ATTRIBUTES pSecAttr,
                                 DWORD uDisp, DWORD fFlags, HANDLE hTemplate)
{
    g_aCreateFileNames.push_back(pwszName);
    if (g_CreateFilePlan.fails())
        return INVALID_HANDLE_VALUE;
    return CreateFileW(pwszName, fAccess, fShare, pSecAttr, uDisp, fFlags, hTemplate);
}

/** What the read and the write fake share: each request's size is recorded,
 * and a failed one has moved no byte. */
template <typename FnReal, typename TBuf>
BOOL tstFakeTransfer(TstFaultPlan &Plan, std::vector<DWORD> &acbRequests, FnReal pfnReal, HANDLE hFile, TBuf pvBuf,
                     DWORD cb, LPDWORD pcbDone, LPOVERLAPPED pOverlapped)
{
    acbRequests.push_back(cb);
    if (Plan.fails())
    {
        if (pcbDone)
            *pcbDone = 0;
        return FALSE;
    }
    return pfnReal(hFile, pvBuf, cb, pcbDone, pOverlapped);
}

TstFaultPlan       g_WritePlan;
std::vector<DWORD> g_acbWrites;
BOOL WINAPI tstFakeWriteFile(HANDLE hFile, LPCVOID pvBuf, DWORD cb, LPDWORD pcbWritten, LPOVERLAPPED pOverlapped)
{
    return tstFakeTransfer(g_WritePlan, g_acbWrites, WriteFile, hFile, pvBuf, cb, pcbWritten, pOverlapped);
}

TstFaultPlan       g_ReadPlan;
std::vector<DWORD> g_acbReads;
BOOL WINAPI tstFakeReadFile(HANDLE hFile, LPVOID pvBuf, DWORD cb, LPDWORD pcbRead, LPOVERLAPPED pOverlapped)
{
    return tstFakeTransfer(g_ReadPlan, g_acbReads, ReadFile, hFile, pvBuf, cb, pcbRead, pOverlapped);
}

TstFaultPlan        g_ClosePlan;
std::vector<HANDLE> g_ahClosed;
BOOL WINAPI tstFakeCloseHandle(HANDLE h)
{
    g_ahClosed.push_back(h);
    if (g_ClosePlan.fails())
        return FALSE;
    return CloseHandle(h);
}

TstFaultPlan g_SetAttrPlan;
std::vector<std::pair<std::wstring, DWORD>> g_aSetAttrCalls;
BOOL WINAPI tstFakeSetFileAttributesW(LPCWSTR pwszName, DWORD fAttr)
{
    g_aSetAttrCalls.push_back(std::make_pair(std::wstring(pwszName), fAttr));
    if (g_SetAttrPlan.fails())
        return FALSE;
    return SetFileAttributesW(pwszName, fAttr);
}

/** The file system name the volume query reports, and how often it was asked. */
const wchar_t *g_pwszFakeFsName = L"NTFS";
unsigned       g_cFsTypeQueries;
/** The platform's own entry, for the classes the fake leaves alone. */
decltype(&NtQueryVolumeInformationFile) g_pfnRealNtQueryVolumeInformationFile;
NTSTATUS NTAPI tstFakeNtQueryVolumeInformationFile(HANDLE hFile, PIO_STATUS_BLOCK pIos, PVOID pvBuf, ULONG cbBuf,
                                                   FS_INFORMATION_CLASS enmClass)
{
    if (enmClass != FileFsAttributeInformation)
        return g_pfnRealNtQueryVolumeInformationFile(hFile, pIos, pvBuf, cbBuf, enmClass);
    g_cFsTypeQueries++;
    FILE_FS_ATTRIBUTE_INFORMATION *pInfo = (FILE_FS_ATTRIBUTE_INFORMATION *)pvBuf;
    size_t const cwc = wcslen(g_pwszFakeFsName);
    pInfo->FileSystemAttributes       = 0;
    pInfo->MaximumComponentNameLength = 255;
    pInfo->FileSystemNameLength       = (ULONG)(cwc * sizeof(wchar_t));
    memcpy(pInfo->FileSystemName, g_pwszFakeFsName, cwc * sizeof(wchar_t));
    pIos->Status      = 0;
    pIos->Information = offsetof(FILE_FS_ATTRIBUTE_INFORMATION, FileSystemName) + cwc * sizeof(wchar_t);
    return 0;
}

NTSTATUS g_rcNtQueryInfoFake;
NTSTATUS NTAPI tstFakeNtQueryInformationFile(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG, FILE_INFORMATION_CLASS)
{
    return g_rcNtQueryInfoFake;
}

void tstResetFakes()
{
    g_CreateFilePlan = TstFaultPlan();
    g_WritePlan      = TstFaultPlan();
    g_ReadPlan       = TstFaultPlan();
    g_ClosePlan      = TstFaultPlan();
    g_SetAttrPlan    = TstFaultPlan();
    g_aCreateFileNames.clear();
    g_acbWrites.clear();
    g_acbReads.clear();
    g_ahClosed.clear();
    g_cFsTypeQueries = 0;
}

std::string tstPattern(size_t cb)
{
    std::string str(cb, '\0');
    for (size_t i = 0; i < cb; i++)
        str[i] = (char)(i * 7 + (i >> 8));
    return str;
}

uint64_t tstFileIdOf(RTFILE hFile)
{
    RTFSOBJINFO Info;
    if (RT_FAILURE(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX)))
        return 0;
    return Info.Attr.u.Unix.INodeId;
}

} /* namespace */

/*
 * Flags.
 */

TEST(FileOpenFlags, ValidationTable)
{
    static const struct
    {
        uint64_t fOpen;
        int      rc;
        uint64_t fExpect; /* after filling in the defaults */
    } s_aCases[] =
    {
        { 0,                                                            VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_DENY_NONE | RTFILE_O_OPEN,                           VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x8),                                VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x4000),                             VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x80000000),                         VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | RTFILE_O_TRUNCATE,                            VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_NOT_CONTENT_INDEXED, VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | RTFILE_O_NOT_CONTENT_INDEXED,                 VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x400),                              VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x500),                              VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x600),                              VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | UINT64_C(0x90),                               VERR_INVALID_PARAMETER, 0 },
        { RTFILE_O_READ | RTFILE_O_DENY_NONE | RTFILE_O_DENY_NOT_DELETE, VERR_INVALID_PARAMETER, 0 },
        /* Valid words: the defaults are filled in and the upper half dropped. */
        { RTFILE_O_READ,                                                VINF_SUCCESS, RTFILE_O_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE },
        { RTFILE_O_ACCESS_ATTR_READ,                                    VINF_SUCCESS, RTFILE_O_ACCESS_ATTR_READ | RTFILE_O_OPEN | RTFILE_O_DENY_NONE },
        { RTFILE_O_WRITE | RTFILE_O_TRUNCATE | UINT64_C(0xffff000000000000),
                                                                        VINF_SUCCESS, RTFILE_O_WRITE | RTFILE_O_TRUNCATE | RTFILE_O_OPEN | RTFILE_O_DENY_NONE },
        { RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED | RTFILE_O_DENY_NOT_DELETE,
                                                                        VINF_SUCCESS, RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED | RTFILE_O_DENY_NOT_DELETE },
        { UINT64_C(0x1C000322),                                         VINF_SUCCESS, UINT64_C(0x1C000322) },
        { UINT64_C(0x721),                                              VINF_SUCCESS, UINT64_C(0x721) },
    };
    for (auto const &Case : s_aCases)
    {
        uint64_t fOpen = Case.fOpen;
        EXPECT_EQ(rtFileRecalcAndValidateFlags(&fOpen), Case.rc) << std::hex << Case.fOpen;
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(fOpen, Case.fExpect) << std::hex << Case.fOpen;
        }
    }

    /* The public entry refuses them before touching the platform. */
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnCreateFileW = tstFakeCreateFileW;
    RTFILE hFile = (RTFILE)0x1234;
    EXPECT_EQ(RTFileOpen(&hFile, "C:\\x", 0), VERR_INVALID_PARAMETER);
    EXPECT_EQ(hFile, NIL_RTFILE);
    EXPECT_EQ(RTFileOpen(&hFile, nullptr, RTFILE_O_READ), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTFileOpen(nullptr, "C:\\x", RTFILE_O_READ), VERR_INVALID_PARAMETER);
    EXPECT_TRUE(g_aCreateFileNames.empty());
}

TEST(FileOpenFlags, MappingTable)
{
    static const struct
    {
        uint64_t fOpen;
        DWORD    fAccess;
        DWORD    fShare;
        DWORD    uDisp;
        DWORD    fFlags;
    } s_aCases[] =
    {
        { RTFILE_O_READ,                                    0x120089, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_WRITE,                                   0x120116, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READWRITE,                               0x12019f, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_APPEND,                 0x120114, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READWRITE | RTFILE_O_APPEND,             0x12019d, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_ACCESS_ATTR_READ,                        0x100080, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_ACCESS_ATTR_WRITE,                       0x100100, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_ACCESS_ATTR_READWRITE,   0x120189, 3, OPEN_EXISTING, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_TRUNCATE,               0x40120116, 3, TRUNCATE_EXISTING, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_NO_CACHE, 0x120110, 3, OPEN_EXISTING, 0x20000080 },
        { RTFILE_O_READ | RTFILE_O_DENY_READ,               0x120089, 2, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,              0x120089, 1, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_READWRITE,          0x120089, 0, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE,         0x120089, 7, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_READ,      0x120089, 6, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_WRITE,     0x120089, 5, OPEN_EXISTING, 0x80 },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_READWRITE, 0x120089, 4, OPEN_EXISTING, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE,            0x120116, 3, OPEN_ALWAYS, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_CREATE,                 0x120116, 3, CREATE_NEW, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE,         0x120116, 3, CREATE_ALWAYS, 0x80 },
        { RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_TEMPORARY | RTFILE_O_WRITE_THROUGH | RTFILE_O_ASYNC_IO,
                                                            0x120116, 3, CREATE_NEW, 0xc0000100 },
        { UINT64_C(0x1C000322),                             0x120116, 1, CREATE_ALWAYS, 0x80 },
        { UINT64_C(0x1C000781),                             0x120089, 3, OPEN_EXISTING, 0x80 },
    };
    for (auto const &Case : s_aCases)
    {
        uint64_t fOpen = Case.fOpen;
        ASSERT_EQ(rtFileRecalcAndValidateFlags(&fOpen), VINF_SUCCESS) << std::hex << Case.fOpen;
        RTFILEWINOPENPARAMS Params;
        rtFileWinOpenParams(fOpen, &Params);
        EXPECT_EQ(Params.fDesiredAccess, Case.fAccess) << std::hex << Case.fOpen;
        EXPECT_EQ(Params.fShareMode, Case.fShare) << std::hex << Case.fOpen;
        EXPECT_EQ(Params.uCreationDisposition, Case.uDisp) << std::hex << Case.fOpen;
        EXPECT_EQ(Params.fFlagsAndAttributes, Case.fFlags) << std::hex << Case.fOpen;
    }
}

/*
 * Opening and actions.
 */

TEST(FileOpen, ActionsTable)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    static const struct
    {
        bool         fExists;
        uint64_t     fOpen;
        int          rc;
        RTFILEACTION enmAction;
        uint64_t     cbAfter; /* UINT64_MAX: the file is not there afterwards */
    } s_aCases[] =
    {
        { true,  RTFILE_O_WRITE | RTFILE_O_CREATE,                        VERR_ALREADY_EXISTS, RTFILEACTION_ALREADY_EXISTS, 5 },
        { false, RTFILE_O_WRITE | RTFILE_O_CREATE,                        VINF_SUCCESS,        RTFILEACTION_CREATED,        0 },
        { true,  RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE,                VINF_SUCCESS,        RTFILEACTION_REPLACED,       0 },
        { false, RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE,                VINF_SUCCESS,        RTFILEACTION_CREATED,        0 },
        { true,  RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE,                   VINF_SUCCESS,        RTFILEACTION_OPENED,         5 },
        { false, RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE,                   VINF_SUCCESS,        RTFILEACTION_CREATED,        0 },
        { true,  RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_TRUNCATE, VINF_SUCCESS,      RTFILEACTION_TRUNCATED,      0 },
        { true,  RTFILE_O_READ | RTFILE_O_OPEN,                           VINF_SUCCESS,        RTFILEACTION_OPENED,         5 },
        { false, RTFILE_O_READ | RTFILE_O_OPEN,                           VERR_FILE_NOT_FOUND, RTFILEACTION_INVALID,        UINT64_MAX },
        { true,  RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_TRUNCATE,      VINF_SUCCESS,        RTFILEACTION_TRUNCATED,      0 },
        { false, RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_TRUNCATE,      VERR_FILE_NOT_FOUND, RTFILEACTION_INVALID,        UINT64_MAX },
    };
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        std::string const strFile = Dir.sub("action-" + std::to_string(i++) + ".bin");
        if (Case.fExists)
        {
            ASSERT_TRUE(TstWriteFile(strFile, "12345"));
        }
        RTFILE hFile = (RTFILE)0x1234;
        RTFILEACTION enmAction = (RTFILEACTION)99;
        EXPECT_EQ(RTFileOpenEx(strFile.c_str(), Case.fOpen, &hFile, &enmAction), Case.rc) << i;
        EXPECT_EQ(enmAction, Case.enmAction) << i;
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_TRUE(RTFileIsValid(hFile)) << i;
            uint64_t cb = 99;
            EXPECT_EQ(RTFileQuerySize(hFile, &cb), VINF_SUCCESS);
            EXPECT_EQ(cb, Case.cbAfter) << i;
            EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
        }
        else
        {
            EXPECT_EQ(hFile, NIL_RTFILE) << i;
        }
        if (Case.cbAfter == UINT64_MAX)
        {
            EXPECT_FALSE(TstExists(strFile)) << i;
        }
        else
        {
            EXPECT_EQ(TstReadFile(strFile).size(), Case.cbAfter) << i;
        }
    }
}

TEST(FileOpen, CreatedFileAttributes)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnSetFileAttributesW = tstFakeSetFileAttributesW;
    static const struct
    {
        uint64_t fOpen;
        bool     fExists;
        DWORD    fAttrSet; /* 0: no call */
    } s_aCases[] =
    {
        { RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED,           false, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED },
        /* Setting replaces all attributes: the temporary one must survive. */
        { RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED | RTFILE_O_TEMPORARY,
                                                                                    false, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY },
        { RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE | RTFILE_O_NOT_CONTENT_INDEXED,   true,  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED },
        /* An existing file that is only opened is not marked. */
        { RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE | RTFILE_O_NOT_CONTENT_INDEXED,      true,  0 },
        { RTFILE_O_WRITE | RTFILE_O_CREATE,                                          false, 0 },
    };
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        std::string const strFile = Dir.sub("attr-" + std::to_string(i++));
        if (Case.fExists)
        {
            ASSERT_TRUE(TstWriteFile(strFile, "x"));
        }
        g_aSetAttrCalls.clear();
        RTFILE hFile = NIL_RTFILE;
        ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), Case.fOpen), VINF_SUCCESS) << i;
        EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
        if (!Case.fAttrSet)
        {
            EXPECT_TRUE(g_aSetAttrCalls.empty()) << i;
            continue;
        }
        ASSERT_EQ(g_aSetAttrCalls.size(), 1u) << i;
        EXPECT_EQ(g_aSetAttrCalls[0].first, TstU8ToW(strFile)) << i;
        EXPECT_EQ(g_aSetAttrCalls[0].second, Case.fAttrSet) << i;
        /* Wine keeps neither attribute (only read-only, hidden and system
         * survive there), so the read-back is for Windows only. */
        if (!TstIsWine())
        {
            DWORD const fAttr = GetFileAttributesW(TstLongW(strFile).c_str());
            EXPECT_EQ(fAttr & Case.fAttrSet, Case.fAttrSet) << std::hex << fAttr;
        }
    }
}

/*
 * Transfers and positions.
 */

TEST(FileIo, WholeTransfersAndEndOfFile)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("data.bin");
    std::string const strData = tstPattern(70000);
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_READWRITE | RTFILE_O_CREATE | RTFILE_O_DENY_WRITE),
              VINF_SUCCESS);
    EXPECT_EQ(RTFileWrite(hFile, strData.data(), strData.size(), nullptr), VINF_SUCCESS);
    size_t cbWritten = 99;
    EXPECT_EQ(RTFileWrite(hFile, "x", 0, &cbWritten), VINF_SUCCESS);
    EXPECT_EQ(cbWritten, 0u);
    EXPECT_EQ(RTFileFlush(hFile), VINF_SUCCESS);
    EXPECT_EQ(RTFileTell(hFile), (uint64_t)strData.size());

    std::string strBack(strData.size(), '\0');
    EXPECT_EQ(RTFileSeek(hFile, 0, RTFILE_SEEK_BEGIN, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTFileRead(hFile, &strBack[0], strBack.size(), nullptr), VINF_SUCCESS);
    EXPECT_TRUE(strBack == strData);

    /* 10 bytes asked 4 before the end: whole-or-nothing without a count, short with one. */
    char ab[10];
    uint64_t off = 0;
    EXPECT_EQ(RTFileSeek(hFile, -4, RTFILE_SEEK_END, &off), VINF_SUCCESS);
    EXPECT_EQ(off, strData.size() - 4);
    EXPECT_EQ(RTFileRead(hFile, ab, sizeof(ab), nullptr), VERR_EOF);
    EXPECT_EQ(RTFileSeek(hFile, -4, RTFILE_SEEK_END, nullptr), VINF_SUCCESS);
    size_t cbRead = 99;
    EXPECT_EQ(RTFileRead(hFile, ab, sizeof(ab), &cbRead), VINF_SUCCESS);
    EXPECT_EQ(cbRead, 4u);
    EXPECT_EQ(memcmp(ab, &strData[strData.size() - 4], 4), 0);
    cbRead = 99;
    EXPECT_EQ(RTFileRead(hFile, ab, 0, &cbRead), VINF_SUCCESS);
    EXPECT_EQ(cbRead, 0u);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_TRUE(TstReadFile(strFile) == strData);

    /* Appending writes land at the end whatever the position. */
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_WRITE | RTFILE_O_APPEND | RTFILE_O_OPEN), VINF_SUCCESS);
    EXPECT_EQ(RTFileSeek(hFile, 0, RTFILE_SEEK_BEGIN, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTFileWrite(hFile, "tail", 4, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_TRUE(TstReadFile(strFile) == strData + "tail");
}

TEST(FileIo, SeekTable)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("seek.bin");
    ASSERT_TRUE(TstWriteFile(strFile, tstPattern(1000)));
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_READ), VINF_SUCCESS);
    static const struct
    {
        int64_t  off;
        unsigned uMethod;
        int      rc;
        uint64_t offResult;
    } s_aCases[] =
    {
        { 10,                      RTFILE_SEEK_BEGIN,   VINF_SUCCESS, 10 },
        { 5,                       RTFILE_SEEK_CURRENT, VINF_SUCCESS, 15 },
        { -15,                     RTFILE_SEEK_CURRENT, VINF_SUCCESS, 0 },
        { 0,                       RTFILE_SEEK_END,     VINF_SUCCESS, 1000 },
        { -1000,                   RTFILE_SEEK_END,     VINF_SUCCESS, 0 },
        /* Beyond 4 GiB and at an all-ones low half. */
        { INT64_C(0x1ffffffff),    RTFILE_SEEK_BEGIN,   VINF_SUCCESS, UINT64_C(0x1ffffffff) },
        { INT64_C(0x300000010),    RTFILE_SEEK_BEGIN,   VINF_SUCCESS, UINT64_C(0x300000010) },
        { -1,                      RTFILE_SEEK_BEGIN,   VERR_NEGATIVE_SEEK,     UINT64_C(0x300000010) },
        { 0,                       3,                   VERR_INVALID_PARAMETER, UINT64_C(0x300000010) },
    };
    for (auto const &Case : s_aCases)
    {
        uint64_t off = 12345;
        EXPECT_EQ(RTFileSeek(hFile, Case.off, Case.uMethod, &off), Case.rc) << Case.off << " " << Case.uMethod;
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(off, Case.offResult);
        }
        else
        {
            EXPECT_EQ(off, 12345u) << "out-parameter touched on failure";
        }
        EXPECT_EQ(RTFileTell(hFile), Case.offResult);
    }
    uint64_t cb = 0;
    EXPECT_EQ(RTFileQuerySize(hFile, &cb), VINF_SUCCESS);
    EXPECT_EQ(cb, 1000u);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
}

/*
 * Information and file identifiers.
 */

TEST(FileInfo, RecordAndAdditionalKinds)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("info.txt");
    ASSERT_TRUE(TstWriteFile(strFile, tstPattern(3000)));
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_READ), VINF_SUCCESS);

    RTFSOBJINFO Info;
    memset(&Info, 0xcc, sizeof(Info));
    ASSERT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX), VINF_SUCCESS);
    EXPECT_EQ(Info.cbObject, 3000);
    EXPECT_GE(Info.cbAllocated, 0);
    EXPECT_EQ(Info.Attr.fMode & RTFS_TYPE_MASK, RTFS_TYPE_FILE);
    EXPECT_EQ(Info.Attr.fMode & RTFS_UNIX_ALL_PERMS, 0666u); /* no name: not executable */
    EXPECT_EQ(Info.Attr.enmAdditional, RTFSOBJATTRADD_UNIX);
    EXPECT_EQ(Info.Attr.u.Unix.uid, NIL_RTUID);
    EXPECT_EQ(Info.Attr.u.Unix.gid, NIL_RTGID);
    EXPECT_GE(Info.Attr.u.Unix.cHardlinks, 1u);
    EXPECT_NE(Info.Attr.u.Unix.INodeId, 0u);
    EXPECT_EQ(Info.Attr.u.Unix.fFlags, 0u);

    /* Times: the file was written moments ago. */
    FILETIME Ft;
    GetSystemTimeAsFileTime(&Ft);
    int64_t const iNowNs = ((int64_t)(((uint64_t)Ft.dwHighDateTime << 32) | Ft.dwLowDateTime) - INT64_C(116444736000000000)) * 100;
    int64_t const iHourNs = INT64_C(3600000000000);
    EXPECT_LT(iNowNs - Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch, iHourNs);
    EXPECT_GE(iNowNs - Info.ModificationTime.i64NanosecondsRelativeToUnixEpoch, -iHourNs);
    EXPECT_LT(iNowNs - Info.BirthTime.i64NanosecondsRelativeToUnixEpoch, iHourNs);

    RTFSOBJINFO Owner;
    memset(&Owner, 0xcc, sizeof(Owner));
    ASSERT_EQ(RTFileQueryInfo(hFile, &Owner, RTFSOBJATTRADD_UNIX_OWNER), VINF_SUCCESS);
    EXPECT_EQ(Owner.Attr.u.UnixOwner.uid, NIL_RTUID);
    EXPECT_EQ(Owner.Attr.u.UnixOwner.szName[0], '\0');
    EXPECT_EQ(Owner.cbObject, 3000);
    RTFSOBJINFO Ea;
    memset(&Ea, 0xcc, sizeof(Ea));
    ASSERT_EQ(RTFileQueryInfo(hFile, &Ea, RTFSOBJATTRADD_EASIZE), VINF_SUCCESS);
    EXPECT_EQ(Ea.Attr.u.EASize.cb, 0);
    EXPECT_EQ(Ea.Attr.enmAdditional, RTFSOBJATTRADD_EASIZE);

    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, (RTFSOBJATTRADD)0), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, (RTFSOBJATTRADD)6), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTFileQueryInfo(NIL_RTFILE, &Info, RTFSOBJATTRADD_NOTHING), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTFileQueryInfo(hFile, nullptr, RTFSOBJATTRADD_NOTHING), VERR_INVALID_PARAMETER);

    /* Read-only files lose their write bits. */
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    ASSERT_TRUE(SetFileAttributesW(TstLongW(strFile).c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_READ), VINF_SUCCESS);
    ASSERT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_NOTHING), VINF_SUCCESS);
    /* Wine reports every file as archived; Windows does once the attributes were set. */
    EXPECT_EQ(Info.Attr.fMode & ~RTFS_DOS_ARCHIVED, RTFS_TYPE_FILE | RTFS_DOS_READONLY | 0444u);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    SetFileAttributesW(TstLongW(strFile).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FileInfo, FileIdentifierFollowsTheFile)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("id.bin");
    std::string const strOther = Dir.sub("other.bin");
    ASSERT_TRUE(TstWriteFile(strFile, "first"));
    ASSERT_TRUE(TstWriteFile(strOther, "other"));

    /* Two handles with different sharing, as the launcher's re-opens: one id. */
    RTFILE hWriter = NIL_RTFILE, hReader1 = NIL_RTFILE, hReader2 = NIL_RTFILE, hOther = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hWriter, strFile.c_str(), RTFILE_O_WRITE | RTFILE_O_OPEN | RTFILE_O_DENY_WRITE), VINF_SUCCESS);
    ASSERT_EQ(RTFileOpen(&hReader1, strFile.c_str(), UINT64_C(0x1C000781)), VINF_SUCCESS);
    ASSERT_EQ(RTFileOpen(&hOther, strOther.c_str(), RTFILE_O_READ), VINF_SUCCESS);
    uint64_t const idWriter = tstFileIdOf(hWriter);
    EXPECT_NE(idWriter, 0u);
    EXPECT_EQ(tstFileIdOf(hReader1), idWriter);
    EXPECT_NE(tstFileIdOf(hOther), idWriter);
    EXPECT_EQ(RTFileClose(hWriter), VINF_SUCCESS);
    ASSERT_EQ(RTFileOpen(&hReader2, strFile.c_str(), UINT64_C(0x721)), VINF_SUCCESS);
    EXPECT_EQ(tstFileIdOf(hReader2), idWriter);

    RTFSOBJINFO Info1, Info2;
    ASSERT_EQ(RTFileQueryInfo(hReader1, &Info1, RTFSOBJATTRADD_UNIX), VINF_SUCCESS);
    ASSERT_EQ(RTFileQueryInfo(hReader2, &Info2, RTFSOBJATTRADD_UNIX), VINF_SUCCESS);
    EXPECT_EQ(Info1.Attr.u.Unix.INodeIdDevice, Info2.Attr.u.Unix.INodeIdDevice);
    EXPECT_EQ(RTFileClose(hReader1), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hReader2), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hOther), VINF_SUCCESS);

    /* Replaced by a file written beside it: a new id under the same name. The
     * replacement exists while the old file still does, so the file system
     * cannot hand out the old number again (a delete followed by a create may
     * get a recycled number on some Unix file systems under Wine). */
    std::string const strNew = Dir.sub("id.new");
    ASSERT_TRUE(TstWriteFile(strNew, "second"));
    ASSERT_EQ(RTFileRename(strNew.c_str(), strFile.c_str(), RTPATHRENAME_FLAGS_REPLACE), VINF_SUCCESS);
    RTFILE hNew = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hNew, strFile.c_str(), RTFILE_O_READ), VINF_SUCCESS);
    EXPECT_NE(tstFileIdOf(hNew), idWriter);
    EXPECT_EQ(RTFileClose(hNew), VINF_SUCCESS);
    EXPECT_EQ(TstReadFile(strFile), "second");
}

/*
 * Sharing.
 */

TEST(FileSharing, SecondOpenMatrix)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    /* Expected by the platform's rule: the second open's access must be shared
     * by the first, and the first one's access by the second. Attribute-only
     * opens take no part in sharing. */
    static const struct
    {
        uint64_t fFirst;
        uint64_t fSecond;
        int      rc;
    } s_aCases[] =
    {
        { RTFILE_O_READ | RTFILE_O_DENY_NONE,       RTFILE_O_READ | RTFILE_O_DENY_NONE,       VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_NONE,       RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_NONE,       RTFILE_O_READ | RTFILE_O_DENY_READ,       VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_NONE,       RTFILE_O_READ | RTFILE_O_DENY_WRITE,      VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,      RTFILE_O_READ | RTFILE_O_DENY_NONE,       VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,      RTFILE_O_READ | RTFILE_O_DENY_WRITE,      VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,      RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,      RTFILE_O_READWRITE | RTFILE_O_DENY_NONE,  VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,      RTFILE_O_WRITE | RTFILE_O_APPEND,         VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_READ,       RTFILE_O_READ | RTFILE_O_DENY_NONE,       VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_READ,       RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VINF_SUCCESS },
        { RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      RTFILE_O_READ | RTFILE_O_DENY_WRITE,      VERR_SHARING_VIOLATION },
        { RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VINF_SUCCESS },
        { RTFILE_O_WRITE | RTFILE_O_DENY_WRITE,     RTFILE_O_READ | RTFILE_O_DENY_NONE,       VINF_SUCCESS },
        { RTFILE_O_WRITE | RTFILE_O_DENY_WRITE,     RTFILE_O_READ | RTFILE_O_DENY_WRITE,      VERR_SHARING_VIOLATION },
        { RTFILE_O_WRITE | RTFILE_O_DENY_WRITE,     RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VERR_SHARING_VIOLATION },
        { RTFILE_O_READWRITE | RTFILE_O_DENY_ALL,   RTFILE_O_READ | RTFILE_O_DENY_NONE,       VERR_SHARING_VIOLATION },
        { RTFILE_O_READWRITE | RTFILE_O_DENY_ALL,   RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VERR_SHARING_VIOLATION },
        { RTFILE_O_READWRITE | RTFILE_O_DENY_ALL,   RTFILE_O_ACCESS_ATTR_READ | RTFILE_O_DENY_NONE, VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE, RTFILE_O_READWRITE | RTFILE_O_DENY_NONE,  VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_WRITE,
                                                    RTFILE_O_WRITE | RTFILE_O_DENY_NONE,      VERR_SHARING_VIOLATION },
        /* The launcher's writer against its two re-opens. */
        { UINT64_C(0x1C000322),                     UINT64_C(0x1C000781),                     VINF_SUCCESS },
        { UINT64_C(0x1C000322),                     UINT64_C(0x721),                          VERR_SHARING_VIOLATION },
        { UINT64_C(0x721),                          RTFILE_O_WRITE | RTFILE_O_OPEN,           VERR_SHARING_VIOLATION },
    };
    std::string const strFile = Dir.sub("shared.bin");
    ASSERT_TRUE(TstWriteFile(strFile, "data"));
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        i++;
        /* The launcher's writer replaces the file: keep it the same file for the next row. */
        uint64_t const fFirst = (Case.fFirst & RTFILE_O_ACTION_MASK) == RTFILE_O_CREATE_REPLACE
                              ? (Case.fFirst & ~RTFILE_O_ACTION_MASK) | RTFILE_O_OPEN : Case.fFirst;
        RTFILE hFirst = NIL_RTFILE;
        ASSERT_EQ(RTFileOpen(&hFirst, strFile.c_str(), fFirst), VINF_SUCCESS) << i;
        RTFILE hSecond = (RTFILE)0x1234;
        EXPECT_EQ(RTFileOpen(&hSecond, strFile.c_str(), Case.fSecond), Case.rc) << "row " << i;
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(RTFileClose(hSecond), VINF_SUCCESS);
        }
        else
        {
            EXPECT_EQ(hSecond, NIL_RTFILE) << i;
        }
        EXPECT_EQ(RTFileClose(hFirst), VINF_SUCCESS);
    }
}

TEST(FileSharing, DeleteAndRenameWhileOpen)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    static const struct
    {
        uint64_t fOpen;
        int      rcDelete;
        int      rcRename;
    } s_aCases[] =
    {
        { RTFILE_O_READ | RTFILE_O_DENY_NONE,                               VERR_SHARING_VIOLATION, VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_WRITE,                              VERR_SHARING_VIOLATION, VERR_SHARING_VIOLATION },
        { RTFILE_O_WRITE | RTFILE_O_DENY_ALL,                               VERR_SHARING_VIOLATION, VERR_SHARING_VIOLATION },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE,                         VINF_SUCCESS,           VINF_SUCCESS },
        { RTFILE_O_READ | RTFILE_O_DENY_NOT_DELETE | RTFILE_O_DENY_WRITE,   VINF_SUCCESS,           VINF_SUCCESS },
        /* Attribute-only handles take no part in sharing, so nothing is blocked. */
        { RTFILE_O_ACCESS_ATTR_READ | RTFILE_O_DENY_NONE,                   VINF_SUCCESS,           VINF_SUCCESS },
    };
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        for (unsigned iOp = 0; iOp < 2; iOp++)
        {
            std::string const strFile = Dir.sub("victim-" + std::to_string(i) + "-" + std::to_string(iOp));
            std::string const strMoved = strFile + ".moved";
            ASSERT_TRUE(TstWriteFile(strFile, "keep me"));
            RTFILE hFile = NIL_RTFILE;
            ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), Case.fOpen), VINF_SUCCESS);
            if (iOp == 0)
            {
                EXPECT_EQ(RTFileDelete(strFile.c_str()), Case.rcDelete) << "delete, row " << i;
            }
            else
            {
                EXPECT_EQ(RTFileRename(strFile.c_str(), strMoved.c_str(), 0), Case.rcRename) << "rename, row " << i;
            }
            EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
            if (iOp == 0)
            {
                EXPECT_EQ(TstExists(strFile), RT_FAILURE(Case.rcDelete)) << i;
            }
            else
            {
                EXPECT_EQ(TstExists(strFile), RT_FAILURE(Case.rcRename)) << i;
                EXPECT_EQ(TstExists(strMoved), RT_SUCCESS(Case.rcRename)) << i;
            }
        }
        i++;
    }
}

TEST(FileSharing, SecondProcess)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strFile = Dir.sub("cross " TSTW_UNICODE_NAME ".bin");

    /* The launcher's writer: write access, others denied writing. */
    RTFILE hWriter = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hWriter, strFile.c_str(), UINT64_C(0x1C000322)), VINF_SUCCESS);
    ASSERT_EQ(RTFileWrite(hWriter, "payload", 7, nullptr), VINF_SUCCESS);
    static const struct
    {
        const char *pszOp;
        int         rc;
    } s_aWhileOpen[] =
    {
        { "open-write", VERR_SHARING_VIOLATION },
        { "delete",     VERR_SHARING_VIOLATION },
        { "rename",     VERR_SHARING_VIOLATION },
        { "open-read",  VINF_SUCCESS },
    };
    for (auto const &Case : s_aWhileOpen)
        EXPECT_EQ(tstRunChild(Case.pszOp, strFile), Case.rc) << Case.pszOp;
    EXPECT_EQ(RTFileClose(hWriter), VINF_SUCCESS);
    EXPECT_EQ(TstReadFile(strFile), "payload");

    /* Once the writer is gone, the other process may do as it likes. */
    EXPECT_EQ(tstRunChild("open-write", strFile), VINF_SUCCESS);
    EXPECT_EQ(tstRunChild("delete", strFile), VINF_SUCCESS);
    EXPECT_FALSE(TstExists(strFile));
}

/*
 * Unique names.
 */

TEST(FileUnique, TemplateRunTable)
{
    static const struct
    {
        const char *pszTemplate;
        int         rc;
        size_t      off;
        size_t      cch;
    } s_aCases[] =
    {
        { "C:\\t\\pkgXXXX.msi",           VINF_SUCCESS, 8, 4 },
        { "C:\\t\\XXXXXXXXXXXXXXXXXXXXXXXX", VINF_SUCCESS, 5, 24 },
        { "C:\\t\\aX",                    VINF_SUCCESS, 6, 1 },
        { "XXX",                          VINF_SUCCESS, 0, 3 },
        { "C:\\t\\XXX",                   VINF_SUCCESS, 5, 3 },
        { "C:\\t\\aXXXbXXXXc",            VINF_SUCCESS, 10, 4 },
        { "C:\\t\\XXXXa",                 VINF_SUCCESS, 5, 4 },
        { "C:\\t\\XX.msi",                VERR_INVALID_PARAMETER, 0, 0 },
        { "C:\\XXXX\\a.txt",              VERR_INVALID_PARAMETER, 0, 0 },
        { "C:\\t\\XXXa",                  VINF_SUCCESS, 5, 3 },
        { "C:\\t\\XXa",                   VERR_INVALID_PARAMETER, 0, 0 },
        { "",                             VERR_INVALID_PARAMETER, 0, 0 },
        { "C:XXXXa.b",                    VINF_SUCCESS, 2, 4 },
    };
    for (auto const &Case : s_aCases)
    {
        size_t off = 999, cch = 999;
        EXPECT_EQ(rtFsUniqueTemplateLocate(Case.pszTemplate, &off, &cch), Case.rc) << Case.pszTemplate;
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(off, Case.off) << Case.pszTemplate;
            EXPECT_EQ(cch, Case.cch) << Case.pszTemplate;
        }
    }
}

TEST(FileUnique, CreatesFromTemplate)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strPrefix = Dir.sub("pkg");
    std::string strTemplate = strPrefix + "XXXX.msi";
    std::vector<char> abTemplate = TstBuf(strTemplate);
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileCreateUnique(&hFile, abTemplate.data(), UINT64_C(0x1C000222)), VINF_SUCCESS);
    std::string const strName = abTemplate.data();
    ASSERT_EQ(strName.size(), strTemplate.size());
    EXPECT_EQ(strName.compare(0, strPrefix.size(), strPrefix), 0);
    EXPECT_EQ(strName.substr(strName.size() - 4), ".msi");
    std::string const strRun = strName.substr(strPrefix.size(), 4);
    EXPECT_EQ(strRun.find_first_not_of("0123456789abcdefghijklmnopqrstuvwxyz"), std::string::npos) << strRun;
    EXPECT_TRUE(TstExists(strName));
    EXPECT_EQ(RTFileWrite(hFile, "u", 1, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);

    /* No run: refused, template emptied. Wrong action: refused, template kept. */
    char szBad[] = "C:\\t\\XX.msi";
    EXPECT_EQ(RTFileCreateUnique(&hFile, szBad, RTFILE_O_WRITE | RTFILE_O_CREATE), VERR_INVALID_PARAMETER);
    EXPECT_EQ(szBad[0], '\0');
    EXPECT_EQ(hFile, NIL_RTFILE);
    char szFlags[] = "C:\\t\\XXXX";
    EXPECT_EQ(RTFileCreateUnique(&hFile, szFlags, RTFILE_O_WRITE | RTFILE_O_OPEN_CREATE), VERR_INVALID_FLAGS);
    EXPECT_STREQ(szFlags, "C:\\t\\XXXX");

    /* A missing directory is not a name clash: one attempt, then empty. */
    std::string strMissing = Dir.sub("missing\\fileXXXXXX");
    std::vector<char> abMissing = TstBuf(strMissing);
    EXPECT_EQ(RTFileCreateUnique(&hFile, abMissing.data(), RTFILE_O_WRITE | RTFILE_O_CREATE), VERR_PATH_NOT_FOUND);
    EXPECT_EQ(abMissing[0], '\0');
}

TEST(FileFaults, UniqueRetriesOnlyOnClash)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnCreateFileW = tstFakeCreateFileW;

    /* Three clashes, then a free name. */
    g_CreateFilePlan.failFrom(1, ERROR_FILE_EXISTS, 3);
    std::string strTemplate = Dir.sub("uXXXXXXXX");
    std::vector<char> ab = TstBuf(strTemplate);
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileCreateUnique(&hFile, ab.data(), RTFILE_O_WRITE | RTFILE_O_CREATE), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    ASSERT_EQ(g_aCreateFileNames.size(), 4u);
    for (size_t i = 1; i < g_aCreateFileNames.size(); i++)
        EXPECT_NE(g_aCreateFileNames[i], g_aCreateFileNames[i - 1]);
    EXPECT_EQ(g_aCreateFileNames.back(), TstU8ToW(ab.data()));

    /* Any other failure ends it at once. */
    tstResetFakes();
    g_CreateFilePlan.failFrom(1, ERROR_ACCESS_DENIED, UINT32_MAX);
    std::vector<char> ab2 = TstBuf(strTemplate);
    EXPECT_EQ(RTFileCreateUnique(&hFile, ab2.data(), RTFILE_O_WRITE | RTFILE_O_CREATE), VERR_ACCESS_DENIED);
    EXPECT_EQ(g_aCreateFileNames.size(), 1u);
    EXPECT_EQ(ab2[0], '\0');
    EXPECT_EQ(hFile, NIL_RTFILE);
}

/*
 * Long and Unicode paths.
 */

TEST(FilePaths, LongAndUnicodePathsEverywhere)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    /* Nested directories to well past 260 characters, each name outside the ANSI code page. */
    std::string strDir = Dir.path();
    for (unsigned i = 0; i < 6; i++)
    {
        strDir += "\\" + std::string(40, (char)('a' + i)) + " " TSTW_UNICODE_NAME;
        ASSERT_TRUE(CreateDirectoryW(TstLongW(strDir).c_str(), nullptr)) << GetLastError();
    }
    ASSERT_GT(TstU8ToW(strDir).size(), 300u);
    std::string const strFile = strDir + "\\data " TSTW_UNICODE_NAME ".txt";
    std::string const strMoved = strDir + "\\moved " TSTW_UNICODE_NAME ".txt";

    RTFILE hFile = NIL_RTFILE;
    RTFILEACTION enmAction = RTFILEACTION_INVALID;
    ASSERT_EQ(RTFileOpenEx(strFile.c_str(), RTFILE_O_READWRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED,
                           &hFile, &enmAction), VINF_SUCCESS);
    EXPECT_EQ(enmAction, RTFILEACTION_CREATED);
    EXPECT_EQ(RTFileWrite(hFile, "long", 4, nullptr), VINF_SUCCESS);
    RTFSOBJINFO Info;
    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX), VINF_SUCCESS);
    EXPECT_EQ(Info.cbObject, 4);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_EQ(TstReadFile(strFile), "long");

    EXPECT_EQ(RTFileRename(strFile.c_str(), strMoved.c_str(), 0), VINF_SUCCESS);
    EXPECT_FALSE(TstExists(strFile));
    ASSERT_EQ(RTFileOpen(&hFile, strMoved.c_str(), RTFILE_O_READ), VINF_SUCCESS);
    char ab[4];
    EXPECT_EQ(RTFileRead(hFile, ab, 4, nullptr), VINF_SUCCESS);
    EXPECT_EQ(memcmp(ab, "long", 4), 0);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);

    std::string strTemplate = strDir + "\\u" TSTW_UNICODE_NAME "XXXXXX";
    std::vector<char> abTemplate = TstBuf(strTemplate);
    ASSERT_EQ(RTFileCreateUnique(&hFile, abTemplate.data(), RTFILE_O_WRITE | RTFILE_O_CREATE), VINF_SUCCESS);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_TRUE(TstExists(abTemplate.data()));
    EXPECT_EQ(RTFileDelete(abTemplate.data()), VINF_SUCCESS);

    EXPECT_EQ(RTFileDelete(strMoved.c_str()), VINF_SUCCESS);
    EXPECT_FALSE(TstExists(strMoved));
    EXPECT_EQ(RTFileDelete(strMoved.c_str()), VERR_FILE_NOT_FOUND);
}

TEST(FileRename, RulesTable)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strSrc = Dir.sub("src.txt");
    std::string const strDst = Dir.sub("dst.txt");
    std::string const strSubDir = Dir.sub("subdir");
    ASSERT_TRUE(CreateDirectoryW(TstLongW(strSubDir).c_str(), nullptr));
    ASSERT_TRUE(TstWriteFile(strSrc, "source"));
    ASSERT_TRUE(TstWriteFile(strDst, "target"));

    EXPECT_EQ(RTFileRename(strSrc.c_str(), strDst.c_str(), 2), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTFileRename(strSrc.c_str(), strDst.c_str(), 0), VERR_ALREADY_EXISTS);
    EXPECT_EQ(TstReadFile(strDst), "target");
    EXPECT_EQ(RTFileRename(strSubDir.c_str(), Dir.sub("subdir2").c_str(), 0), VERR_IS_A_DIRECTORY);
    EXPECT_TRUE(TstIsDir(strSubDir));
    EXPECT_EQ(RTFileRename(Dir.sub("absent").c_str(), Dir.sub("absent2").c_str(), 0), VERR_FILE_NOT_FOUND);
    EXPECT_EQ(RTFileRename(strSrc.c_str(), strDst.c_str(), RTPATHRENAME_FLAGS_REPLACE), VINF_SUCCESS);
    EXPECT_EQ(TstReadFile(strDst), "source");
    EXPECT_FALSE(TstExists(strSrc));
}

TEST(FileHandles, ValidityAndNative)
{
    EXPECT_FALSE(RTFileIsValid(NIL_RTFILE));
    EXPECT_EQ(RTFileClose(NIL_RTFILE), VINF_SUCCESS);
    RTFILE hFile = (RTFILE)0x1234;
    EXPECT_EQ(RTFileFromNative(&hFile, (intptr_t)INVALID_HANDLE_VALUE), VERR_INVALID_HANDLE);
    EXPECT_EQ(hFile, (RTFILE)0x1234);

    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    HANDLE h = CreateFileW(TstLongW(Dir.sub("native.bin")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(RTFileFromNative(&hFile, (intptr_t)h), VINF_SUCCESS);
    EXPECT_EQ(hFile, (RTFILE)h);
    EXPECT_TRUE(RTFileIsValid(hFile));
    RTFSTYPE enmType = (RTFSTYPE)99;
    EXPECT_EQ(RTFileQueryFsType(hFile, &enmType), VINF_SUCCESS);
    EXPECT_NE(enmType, (RTFSTYPE)99);
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_FALSE(RTFileIsValid(hFile)) << "a closed handle";
}

/*
 * Modes and file system types.
 */

TEST(FileModes, DerivationTable)
{
    static const struct
    {
        uint32_t    fAttr;
        const char *pszName;
        uint32_t    uTag;
        RTFMODE     fHint;
        RTFMODE     fExpect;
    } s_aCases[] =
    {
        { 0,                                                  "a.EXE",     0, 0, 0x81ff },
        { FILE_ATTRIBUTE_READONLY,                            "x.txt",     0, 0, 0x18124 },
        { FILE_ATTRIBUTE_DIRECTORY,                           "d",         0, 0, 0x1041ff },
        { FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY, "d",         0, 0, 0x1141ff },
        { 0,                                                  "d",         0, RTFS_TYPE_DIRECTORY, 0x1041ff },
        { 0,                                                  "run.bat",   0, 0, 0x81ff },
        { 0,                                                  "run.Cmd",   0, 0, 0x81ff },
        { 0,                                                  "run.com",   0, 0, 0x81ff },
        { 0,                                                  "run.btm",   0, 0, 0x81ff },
        { 0,                                                  ".exe",      0, 0, 0x81ff },
        { 0,                                                  "exe",       0, 0, 0x81b6 },
        { 0,                                                  "a.exe.txt", 0, 0, 0x81b6 },
        { 0,                                                  nullptr,     0, 0, 0x81b6 },
        { FILE_ATTRIBUTE_NORMAL,                              "n.txt",     0, 0, 0x8081b6 },
        { FILE_ATTRIBUTE_REPARSE_POINT,                       "link",      0xa000000c, 0, 0x400a1b6 },
        { FILE_ATTRIBUTE_REPARSE_POINT,                       "mount",     0xa0000003, 0, 0x40081b6 },
        { FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY, "dlink", 0xa000000c, 0, 0x410a1ff },
        { FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,      "h",         0, 0, 0x681b6 },
    };
    for (auto const &Case : s_aCases)
    {
        const char *pszName = Case.pszName;
        EXPECT_EQ(rtFsModeFromDos(Case.fAttr << RTFS_DOS_SHIFT, pszName, pszName ? strlen(pszName) : 0, Case.uTag,
                                  Case.fHint), Case.fExpect) << (pszName ? pszName : "(null)") << std::hex
                                                             << " attr " << Case.fAttr;
    }
}

TEST(FileModes, NormalisationTable)
{
    static const struct
    {
        RTFMODE     fMode;
        const char *pszName;
        RTFMODE     fExpect;
        bool        fValid;
    } s_aCases[] =
    {
        { 0700,                                           "C:\\t\\d",        0x1041c0, true },
        { 0500,                                           "C:\\t\\d",        0x114140, true },
        { 0700,                                           "C:\\t\\.hidden",  0x1241c0, true },
        { 0700,                                           "C:\\t\\..",       0x1041c0, true },
        { 0700,                                           ".",               0x1041c0, true },
        { RTFS_TYPE_FILE | 0700,                          "C:\\t\\f",        0x8081c0, true },
        { RTFS_TYPE_FILE | RTFS_DOS_DIRECTORY | 0700,     "C:\\t\\d",        0x1081c0, false },
        { RTFS_DOS_READONLY,                              "C:\\t\\d",        0x1141ff, true },
        { RTFS_TYPE_DIRECTORY | RTFS_DOS_HIDDEN | 0755,   "C:\\t\\d",        0x1241ed, true },
        { RTFS_DOS_DIRECTORY | 0755,                      "C:\\t\\d",        0x1041ed, true },
    };
    for (auto const &Case : s_aCases)
    {
        RTFMODE const fMode = rtFsModeNormalize(Case.fMode, Case.pszName, strlen(Case.pszName), RTFS_TYPE_DIRECTORY);
        EXPECT_EQ(fMode, Case.fExpect) << std::hex << Case.fMode << " " << Case.pszName;
        EXPECT_EQ(rtFsModeIsValid(fMode), Case.fValid) << std::hex << Case.fMode;
    }
}

TEST(FileModes, FsTypeNames)
{
    static const struct
    {
        const wchar_t *pwszName;
        RTFSTYPE       enmType;
        uint64_t       cbMax;
    } s_aCases[] =
    {
        { L"NTFS",               RTFSTYPE_NTFS,          0 },
        { L"FAT",                RTFSTYPE_FAT,           UINT64_C(0x100000000) },
        { L"FAT32",              RTFSTYPE_FAT,           UINT64_C(0x100000000) },
        { L"exFAT",              RTFSTYPE_EXFAT,         0 },
        { L"UDF",                RTFSTYPE_UDF,           0 },
        { L"CDFS",               RTFSTYPE_ISO9660,       UINT64_C(0x80000000000) },
        { L"HPFS",               RTFSTYPE_HPFS,          UINT64_C(0x80000000) },
        { L"ReFS",               RTFSTYPE_REFS,          0 },
        { L"KelbSharedFolderFS", RTFSTYPE_SHARED_FOLDER, 0 },
        { L"ntfs",               RTFSTYPE_UNKNOWN,       0 },
        { L"FAT3",               RTFSTYPE_UNKNOWN,       0 },
        { L"NTFSX",              RTFSTYPE_UNKNOWN,       0 },
        { L"",                   RTFSTYPE_UNKNOWN,       0 },
    };
    for (auto const &Case : s_aCases)
    {
        RTFSTYPE const enmType = rtFsTypeFromName((PCRTUTF16)Case.pwszName, wcslen(Case.pwszName));
        EXPECT_EQ(enmType, Case.enmType) << TstWToU8(Case.pwszName);
        EXPECT_EQ(rtFsTypeMaxFileSize(enmType), Case.cbMax) << TstWToU8(Case.pwszName);
    }
}

/*
 * Injected faults.
 */

TEST(FileFaults, OpenSharingViolation)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnCreateFileW = tstFakeCreateFileW;
    g_CreateFilePlan.failFrom(1, ERROR_SHARING_VIOLATION);
    RTFILE hFile = (RTFILE)0x1234;
    RTFILEACTION enmAction = (RTFILEACTION)99;
    EXPECT_EQ(RTFileOpenEx(Dir.sub("f").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE, &hFile, &enmAction),
              VERR_SHARING_VIOLATION);
    EXPECT_EQ(hFile, NIL_RTFILE);
    EXPECT_EQ(enmAction, RTFILEACTION_INVALID);
    EXPECT_FALSE(TstExists(Dir.sub("f")));
}

TEST(FileFaults, FailingCloseIsReported)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, Dir.sub("c").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE), VINF_SUCCESS);
    {
        TstSysRestore Restore;
        tstResetFakes();
        g_rtWinFsSys.pfnCloseHandle = tstFakeCloseHandle;
        g_ClosePlan.failFrom(1, ERROR_DISK_FULL); /* a close that flushes and fails */
        EXPECT_EQ(RTFileClose(hFile), VERR_DISK_FULL);
        ASSERT_EQ(g_ahClosed.size(), 1u);
        EXPECT_EQ(g_ahClosed[0], (HANDLE)hFile);
    }
    EXPECT_TRUE(RTFileIsValid(hFile));
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
}

TEST(FileFaults, FailedMarkingClosesTheHandle)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    tstResetFakes();
    g_rtWinFsSys.pfnSetFileAttributesW = tstFakeSetFileAttributesW;
    g_rtWinFsSys.pfnCloseHandle        = tstFakeCloseHandle;
    g_SetAttrPlan.failFrom(1, ERROR_ACCESS_DENIED);
    std::string const strFile = Dir.sub("marked.bin");
    RTFILE hFile = (RTFILE)0x1234;
    RTFILEACTION enmAction = RTFILEACTION_INVALID;
    EXPECT_EQ(RTFileOpenEx(strFile.c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE | RTFILE_O_NOT_CONTENT_INDEXED, &hFile,
                           &enmAction), VERR_ACCESS_DENIED);
    EXPECT_EQ(hFile, NIL_RTFILE);
    EXPECT_EQ(enmAction, RTFILEACTION_CREATED);
    EXPECT_EQ(g_ahClosed.size(), 1u) << "the created handle is closed exactly once";
    EXPECT_TRUE(TstExists(strFile)) << "the file just created stays";
    /* Closed for real: nobody holds it any more. */
    EXPECT_TRUE(DeleteFileW(TstLongW(strFile).c_str()));
}

TEST(FileFaults, DiskFullOrFileTooBig)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    static const struct
    {
        uint64_t       offWrite;
        size_t         cbWrite;
        const wchar_t *pwszFs;
        int            rc;
        bool           fAsksType;
    } s_aCases[] =
    {
        { 0x1000,                  16,    L"FAT32", VERR_DISK_FULL,    false },
        { UINT64_C(0x7fffff00),    16,    L"FAT32", VERR_DISK_FULL,    false },
        { UINT64_C(0x100000000),   16,    L"FAT32", VERR_FILE_TOO_BIG, true },
        { UINT64_C(0xffffff00),    0x200, L"FAT32", VERR_FILE_TOO_BIG, true },
        { UINT64_C(0xfffffd00),    0x200, L"FAT32", VERR_DISK_FULL,    true },
        { UINT64_C(0x100000000),   16,    L"NTFS",  VERR_DISK_FULL,    true },
        { UINT64_C(0x80000000),    16,    L"HPFS",  VERR_FILE_TOO_BIG, true },
        { UINT64_C(0x80000000),    16,    L"UDF",   VERR_DISK_FULL,    true },
    };
    std::string const strData(0x200, 'd');
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        for (unsigned fCount = 0; fCount < 2; fCount++)
        {
            RTFILE hFile = NIL_RTFILE;
            ASSERT_EQ(RTFileOpen(&hFile, Dir.sub("full-" + std::to_string(i)).c_str(),
                                 RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE), VINF_SUCCESS);
            ASSERT_EQ(RTFileSeek(hFile, (int64_t)Case.offWrite, RTFILE_SEEK_BEGIN, nullptr), VINF_SUCCESS);
            TstSysRestore Restore;
            tstResetFakes();
            g_rtWinFsSys.pfnWriteFile = tstFakeWriteFile;
            g_pfnRealNtQueryVolumeInformationFile = g_rtWinFsSys.pfnNtQueryVolumeInformationFile;
            g_rtWinFsSys.pfnNtQueryVolumeInformationFile = tstFakeNtQueryVolumeInformationFile;
            g_pwszFakeFsName = Case.pwszFs;
            g_WritePlan.failFrom(1, ERROR_DISK_FULL);
            size_t cbWritten = 77;
            EXPECT_EQ(RTFileWrite(hFile, strData.data(), Case.cbWrite, fCount ? &cbWritten : nullptr), Case.rc)
                << "row " << i << " count " << fCount;
            EXPECT_EQ(cbWritten, 77u);
            EXPECT_EQ(g_cFsTypeQueries != 0, Case.fAsksType) << "row " << i;
            rtWinFsSysReset();
            EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
            i++;
        }
    }
}

TEST(FileFaults, InsufficientMemoryChunksTheWrite)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strData = tstPattern(100000);
    std::string const strFile = Dir.sub("chunked.bin");
    TstSysRestore Restore;

    /* Without a count: every chunk until done, the data intact. */
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE), VINF_SUCCESS);
    tstResetFakes();
    g_rtWinFsSys.pfnWriteFile = tstFakeWriteFile;
    g_WritePlan.failFrom(1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(RTFileWrite(hFile, strData.data(), strData.size(), nullptr), VINF_SUCCESS);
    EXPECT_EQ(g_acbWrites, (std::vector<DWORD>{ 100000, 32768, 32768, 32768, 1696 }));
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
    EXPECT_TRUE(TstReadFile(strFile) == strData);

    /* With a count: the first chunk that goes through ends the call. */
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE_REPLACE), VINF_SUCCESS);
    tstResetFakes();
    g_WritePlan.failFrom(1, ERROR_NOT_ENOUGH_MEMORY, 2);
    size_t cbWritten = 0;
    EXPECT_EQ(RTFileWrite(hFile, strData.data(), strData.size(), &cbWritten), VINF_SUCCESS);
    EXPECT_EQ(g_acbWrites, (std::vector<DWORD>{ 100000, 32768, 16384 }));
    EXPECT_EQ(cbWritten, 16384u);

    /* Failing all the way down: the chunk halves to 8 bytes, then gives up. */
    tstResetFakes();
    g_WritePlan.failFrom(1, ERROR_NOT_ENOUGH_MEMORY, UINT32_MAX);
    EXPECT_EQ(RTFileWrite(hFile, strData.data(), strData.size(), nullptr), VERR_NO_MEMORY);
    EXPECT_EQ(g_acbWrites, (std::vector<DWORD>{ 100000, 32768, 16384, 8192, 4096, 2048, 1024, 512, 256, 128, 64, 32,
                                                16, 8 }));
    rtWinFsSysReset();
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
}

TEST(FileFaults, InsufficientMemoryChunksTheRead)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    std::string const strData = tstPattern(50000);
    std::string const strFile = Dir.sub("chunked-read.bin");
    ASSERT_TRUE(TstWriteFile(strFile, strData));
    TstSysRestore Restore;
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, strFile.c_str(), RTFILE_O_READ), VINF_SUCCESS);

    tstResetFakes();
    g_rtWinFsSys.pfnReadFile = tstFakeReadFile;
    g_ReadPlan.failFrom(1, ERROR_NOT_ENOUGH_MEMORY);
    std::string strBack(strData.size(), '\0');
    EXPECT_EQ(RTFileRead(hFile, &strBack[0], strBack.size(), nullptr), VINF_SUCCESS);
    EXPECT_EQ(g_acbReads, (std::vector<DWORD>{ 50000, 16384, 16384, 16384, 848 }));
    EXPECT_TRUE(strBack == strData);

    /* Chunked up to the end of the file: short of the request, so end of file. */
    EXPECT_EQ(RTFileSeek(hFile, 40000, RTFILE_SEEK_BEGIN, nullptr), VINF_SUCCESS);
    tstResetFakes();
    g_ReadPlan.failFrom(1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(RTFileRead(hFile, &strBack[0], 20000, nullptr), VERR_EOF);
    rtWinFsSysReset();
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
}

TEST(FileFaults, InformationOfDevicesWithoutIt)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    RTFILE hFile = NIL_RTFILE;
    ASSERT_EQ(RTFileOpen(&hFile, Dir.sub("dev").c_str(), RTFILE_O_WRITE | RTFILE_O_CREATE), VINF_SUCCESS);
    TstSysRestore Restore;
    g_rtWinFsSys.pfnNtQueryInformationFile = tstFakeNtQueryInformationFile;

    /* A device that knows no file information reads as a character device. */
    g_rcNtQueryInfoFake = (NTSTATUS)0xC0000010L; /* invalid device request */
    RTFSOBJINFO Info;
    memset(&Info, 0xcc, sizeof(Info));
    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_UNIX), VINF_SUCCESS);
    EXPECT_EQ(Info.Attr.fMode, UINT32_C(0x4081b6));
    EXPECT_EQ(Info.cbObject, 0);
    EXPECT_EQ(Info.Attr.enmAdditional, RTFSOBJATTRADD_UNIX);

    /* Refused access on a handle that is no console: an invalid handle. */
    g_rcNtQueryInfoFake = (NTSTATUS)0xC0000022L;
    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_NOTHING), VERR_INVALID_HANDLE);
    /* Anything else comes through converted. */
    g_rcNtQueryInfoFake = (NTSTATUS)0xC000000EL;
    EXPECT_EQ(RTFileQueryInfo(hFile, &Info, RTFSOBJATTRADD_NOTHING), VERR_FILE_NOT_FOUND);
    rtWinFsSysReset();
    EXPECT_EQ(RTFileClose(hFile), VINF_SUCCESS);
}
