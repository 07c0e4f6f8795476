/*
 * Runtime initialisation: the first call with the unobtrusive flag leaves the
 * process settings alone, a later one applies them; later calls check the
 * argument vector; the recorded process state. The cases run in order: the
 * first initialisation of the process is what they examine.
 */
#include <tulo/initterm.h>
#include <tulo/process.h>
#include <tulo/thread.h>
#include <tulo/time.h>
#include <tulo/err.h>

#include "r3/init.h"
#include "r3/win/internal-r3-win.h"
#include "common/misc/assert-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

char  g_szArg0[] = "tstw-init";
char  g_szArg1[] = "a";
char *g_apszArgs[] = { g_szArg0, g_szArg1, nullptr };

std::wstring dllDirectory()
{
    WCHAR wsz[MAX_PATH];
    DWORD const cwc = GetDllDirectoryW(RT_ELEMENTS(wsz), wsz);
    return std::wstring(wsz, cwc < RT_ELEMENTS(wsz) ? cwc : 0);
}

/* The filter in place, read by swapping it out and back. */
LPTOP_LEVEL_EXCEPTION_FILTER currentFilter()
{
    LPTOP_LEVEL_EXCEPTION_FILTER const pfn = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(pfn);
    return pfn;
}

LONG WINAPI tstForeignFilter(PEXCEPTION_POINTERS)
{
    return EXCEPTION_EXECUTE_HANDLER;
}

} /* namespace */

TEST(RTR3InitExe, UnobtrusiveFirstCallLeavesTheProcessAloneALaterCallAppliesTheSettings)
{
    SetErrorMode(0);
    ASSERT_TRUE(SetDllDirectoryW(L"C:\\windows"));
    SetUnhandledExceptionFilter(tstForeignFilter);

    char **papszArgs = g_apszArgs;
    ASSERT_EQ(RTR3InitExe(2, &papszArgs, RTR3INIT_FLAGS_UNOBTRUSIVE), VINF_SUCCESS);
    EXPECT_EQ(GetErrorMode(), 0u);
    EXPECT_EQ(dllDirectory(), L"C:\\windows");
    EXPECT_EQ(currentFilter(), &tstForeignFilter);
    EXPECT_EQ(g_fInitFlags, RTR3INIT_FLAGS_UNOBTRUSIVE);

    ASSERT_EQ(RTR3InitExe(2, &papszArgs, RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM), VINF_SUCCESS);
    EXPECT_EQ(GetErrorMode() & 0x8001u, 0x8001u);
    EXPECT_EQ(dllDirectory(), L"");
    EXPECT_EQ(g_fInitFlags, (uint32_t)RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM);

    /* Ours is in place and hands every exception to the one it replaced. */
    LPTOP_LEVEL_EXCEPTION_FILTER const pfnOwn = rtR3WinGetOwnUnhandledXcptFilter();
    EXPECT_EQ(currentFilter(), pfnOwn);
    EXCEPTION_RECORD XcptRec = {};
    XcptRec.ExceptionCode = EXCEPTION_BREAKPOINT;
    CONTEXT Ctx = {};
    EXCEPTION_POINTERS XcptPtrs = { &XcptRec, &Ctx };
    EXPECT_EQ(pfnOwn(&XcptPtrs), EXCEPTION_EXECUTE_HANDLER);

    /* A second obtrusive set-up must not make ours its own predecessor. */
    EXPECT_EQ(rtR3InitNativeObtrusive(0), VINF_SUCCESS);
    EXPECT_EQ(pfnOwn(&XcptPtrs), EXCEPTION_EXECUTE_HANDLER);
}

TEST(RTR3InitExe, LaterCallsCheckTheArgumentVectorAndCountAsUsers)
{
    char *apszOther[] = { g_szArg0, g_szArg1, nullptr };
    char **papszSame  = g_apszArgs;
    char **papszOther = apszOther;
    struct { int cArgs; char ***ppapszArgs; int rcExpected; } const s_aCases[] =
    {
        { 2, &papszSame,  VINF_SUCCESS },
        { 2, &papszOther, VERR_WRONG_ORDER },   /* same texts, another vector */
        { 1, &papszSame,  VERR_WRONG_ORDER },
        { 0, nullptr,     VINF_SUCCESS },       /* no vector: nothing to compare */
    };
    for (auto const &Case : s_aCases)
    {
        int32_t const cUsersBefore = g_cUsers;
        EXPECT_EQ(RTR3InitExe(Case.cArgs, Case.ppapszArgs, 0), Case.rcExpected) << Case.cArgs;
        EXPECT_EQ(g_cUsers, cUsersBefore + 1) << Case.cArgs;
    }
    EXPECT_EQ(g_crtArgs, 2);
    EXPECT_EQ(g_papszArgs, g_apszArgs);
    EXPECT_EQ(g_papszOrgArgs, g_apszArgs);
}

TEST(RTR3InitExe, RecordsThePlatformTheThreadThePathAndTheStartTime)
{
    EXPECT_EQ(g_hModKernel32, GetModuleHandleW(L"kernel32.dll"));
    EXPECT_EQ(g_hModNtDll, GetModuleHandleW(L"ntdll.dll"));
    EXPECT_EQ(g_WinOsInfoEx.dwOSVersionInfoSize, 284u);
    EXPECT_EQ(g_WinOsInfoEx.dwPlatformId, 2u);
    EXPECT_GE(g_WinOsInfoEx.dwMajorVersion, 5u);
    EXPECT_EQ(g_enmWinVer, rtR3WinClassifyVersion(g_WinOsInfoEx.dwPlatformId, g_WinOsInfoEx.dwMajorVersion,
                                                   g_WinOsInfoEx.dwMinorVersion, g_WinOsInfoEx.dwBuildNumber,
                                                   g_WinOsInfoEx.wProductType));
    EXPECT_GE((int)g_enmWinVer, (int)RTWINOSTYPE_XP);

    EXPECT_EQ(g_ProcessSelf, GetCurrentProcessId());
    ASSERT_NE(RTThreadSelfName(), nullptr);
    EXPECT_STREQ(RTThreadSelfName(), "main");

    WCHAR wszExe[MAX_PATH];
    ASSERT_GT(GetModuleFileNameW(nullptr, wszExe, RT_ELEMENTS(wszExe)), 0u);
    char szExe[MAX_PATH * 3];
    ASSERT_GT(WideCharToMultiByte(CP_UTF8, 0, wszExe, -1, szExe, sizeof(szExe), nullptr, nullptr), 0);
    EXPECT_STREQ(g_szExePath, szExe);
    EXPECT_EQ(g_cchExePath, strlen(szExe));
    EXPECT_STREQ(&g_szExePath[g_offExeName], "tstw-init.exe");

    EXPECT_NE(g_u64ProgramStartNanoTS, 0u);
    EXPECT_LE(g_u64ProgramStartNanoTS, RTTimeNanoTS());

    /* The socket library is in, for the assertion reports' error saving. */
    EXPECT_NE(GetModuleHandleW(L"ws2_32.dll"), nullptr);
    EXPECT_NE(g_pfnrtWSAGetLastError, nullptr);
    EXPECT_NE(g_pfnrtWSASetLastError, nullptr);
}

TEST(RTR3InitExe, ProgramPathOfALaterCallReplacesTheExecutablePathWithinItsLimit)
{
    std::string strSaved(g_szExePath);
    std::string const strLong(RTR3INIT_PROGRAM_PATH_MAX, 'x');
    EXPECT_EQ(rtR3Init(0, 0, nullptr, strLong.c_str()), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(std::string(g_szExePath), strSaved);

    EXPECT_EQ(rtR3Init(0, 0, nullptr, "C:\\Tools\\other.exe"), VINF_SUCCESS);
    EXPECT_STREQ(g_szExePath, "C:\\Tools\\other.exe");
    EXPECT_EQ(g_cchExePath, 18u);
    EXPECT_EQ(g_cchExeDir, 8u);
    EXPECT_EQ(g_offExeName, 9u);

    EXPECT_EQ(rtR3Init(0, 0, nullptr, strSaved.c_str()), VINF_SUCCESS);
    EXPECT_EQ(std::string(g_szExePath), strSaved);
}
