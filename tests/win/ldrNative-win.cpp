/*
 * The native loader: system libraries from the system directory only, the
 * argument checks, symbol lookup and closing, and the side-by-side path test.
 */
#include <tulo/ldr.h>
#include <tulo/initterm.h>
#include <tulo/err.h>

#include "common/ldr/ldr-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::wstring lower(std::wstring str)
{
    for (auto &wc : str)
        if (wc >= 'A' && wc <= 'Z')
            wc = (wchar_t)(wc + ('a' - 'A'));
    return str;
}

std::wstring systemDirectory()
{
    WCHAR wsz[MAX_PATH];
    UINT const cwc = GetSystemDirectoryW(wsz, RT_ELEMENTS(wsz));
    return lower(std::wstring(wsz, cwc));
}

std::wstring moduleFile(RTLDRMOD hLdrMod)
{
    WCHAR wsz[MAX_PATH];
    DWORD const cwc = GetModuleFileNameW((HMODULE)hLdrMod->hNative, wsz, RT_ELEMENTS(wsz));
    return lower(std::wstring(wsz, cwc));
}

class Ldr : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ASSERT_EQ(RTR3InitExe(0, nullptr, RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM), VINF_SUCCESS); }
};

} /* namespace */

TEST_F(Ldr, LoadSystemTakesTheSystemDirectoryAndAddsTheSuffixOnlyToBareNames)
{
    struct { const char *pszName; int rcExpected; const wchar_t *pwszFile; } const s_aCases[] =
    {
        { "USER32",           VINF_SUCCESS,           L"\\user32.dll" },
        { "user32.dll",       VINF_SUCCESS,           L"\\user32.dll" },
        { "KERNEL32.DLL",     VINF_SUCCESS,           L"\\kernel32.dll" },
        /* A suffix is taken as it is: no ".DLL" behind it, no fallback to user32.dll. */
        { "user32.xyz",       VERR_MODULE_NOT_FOUND,  nullptr },
        { "NoSuchLibrary1234", VERR_MODULE_NOT_FOUND, nullptr },
        { "..\\user32.dll",   VERR_INVALID_PARAMETER, nullptr },
        { "system32/user32",  VERR_INVALID_PARAMETER, nullptr },
        { "C:user32.dll",     VERR_INVALID_PARAMETER, nullptr },
    };
    for (auto const &Case : s_aCases)
    {
        RTLDRMOD hLdrMod = (RTLDRMOD)(uintptr_t)0x4242;
        EXPECT_EQ(RTLdrLoadSystem(Case.pszName, true, &hLdrMod), Case.rcExpected) << Case.pszName;
        if (Case.pwszFile)
        {
            ASSERT_NE(hLdrMod, NIL_RTLDRMOD) << Case.pszName;
            EXPECT_EQ(hLdrMod->u32Magic, RTLDRMOD_MAGIC);
            EXPECT_EQ(hLdrMod->eState, RTLDRSTATE_LOADED);
            EXPECT_STREQ(hLdrMod->pOps->pszName, "native");
            EXPECT_EQ(hLdrMod->fFlags, RTLDRLOAD_FLAGS_NO_UNLOAD);
            EXPECT_EQ(moduleFile(hLdrMod), systemDirectory() + Case.pwszFile) << Case.pszName;
            EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
        }
        else
            EXPECT_EQ(hLdrMod, NIL_RTLDRMOD) << Case.pszName;
    }
}

TEST_F(Ldr, LoadSystemRejectsBadArguments)
{
    RTLDRMOD hLdrMod;
    EXPECT_EQ(RTLdrLoadSystem(nullptr, false, &hLdrMod), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrLoadSystem("user32", false, nullptr), VERR_INVALID_PARAMETER);
    std::string const strLong(3075, 'a');
    EXPECT_EQ(RTLdrLoadSystem(strLong.c_str(), false, &hLdrMod), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrLoadSystem(strLong.substr(1).c_str(), false, &hLdrMod), VERR_MODULE_NOT_FOUND);
}

TEST_F(Ldr, CloseUnloadsUnlessTheModuleMustStay)
{
    /* A library nothing else in the process uses. */
    static const char * const s_apszCandidates[] = { "version", "mpr", "msimg32", "wldap32", "netapi32" };
    const char *pszLib = nullptr;
    std::wstring wstrLib;
    for (const char *psz : s_apszCandidates)
    {
        std::wstring wstr(psz, psz + strlen(psz));
        wstr += L".dll";
        if (!GetModuleHandleW(wstr.c_str()))
        {
            pszLib = psz;
            wstrLib = wstr;
            break;
        }
    }
    if (!pszLib)
        GTEST_SKIP() << "every candidate library is loaded already";
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(RTLdrLoadSystem(pszLib, false, &hLdrMod), VINF_SUCCESS);
    EXPECT_NE(GetModuleHandleW(wstrLib.c_str()), nullptr);
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
    EXPECT_EQ(GetModuleHandleW(wstrLib.c_str()), nullptr) << pszLib;

    ASSERT_EQ(RTLdrLoadSystem(pszLib, true, &hLdrMod), VINF_SUCCESS);
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
    EXPECT_NE(GetModuleHandleW(wstrLib.c_str()), nullptr) << pszLib;
}

TEST_F(Ldr, GetSymbolAndCloseCheckTheirHandles)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(RTLdrLoadSystem("kernel32", true, &hLdrMod), VINF_SUCCESS);

    void *pv = (void *)(uintptr_t)1;
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, "GetTickCount", &pv), VINF_SUCCESS);
    EXPECT_EQ(pv, (void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount"));
    pv = (void *)(uintptr_t)1;
    EXPECT_LT(RTLdrGetSymbol(hLdrMod, "NoSuchExport1234", &pv), 0);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, nullptr, &pv), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, "GetTickCount", nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTLdrGetSymbol(NIL_RTLDRMOD, "GetTickCount", &pv), VERR_INVALID_HANDLE);

    /* A record whose magic is not the live one: closed, or never valid. */
    RTLDRMODINTERNAL Dead = *hLdrMod;
    Dead.u32Magic = RTLDRMOD_MAGIC + 1;
    EXPECT_EQ(RTLdrGetSymbol(&Dead, "GetTickCount", &pv), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTLdrClose(&Dead), VERR_INVALID_HANDLE);

    EXPECT_EQ(RTLdrClose(NIL_RTLDRMOD), VINF_SUCCESS);
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
}

TEST_F(Ldr, GetSystemSymbolAnswersTheAddressOrNull)
{
    EXPECT_EQ(RTLdrGetSystemSymbol("kernel32.dll", "GetTickCount"),
              (void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount"));
    EXPECT_EQ(RTLdrGetSystemSymbol("kernel32.dll", "NoSuchExport1234"), nullptr);
    EXPECT_EQ(RTLdrGetSystemSymbol("NoSuchLibrary1234", "GetTickCount"), nullptr);
}

TEST_F(Ldr, LoadExChecksPathAndFlagsAndExplainsFailures)
{
    RTLDRMOD hLdrMod = (RTLDRMOD)(uintptr_t)0x4242;
    EXPECT_EQ(RTLdrLoadEx("user32.dll", &hLdrMod, 0, nullptr), VERR_INTERNAL_ERROR_2);
    EXPECT_EQ(hLdrMod, NIL_RTLDRMOD);
    EXPECT_EQ(RTLdrLoadEx("C:\\windows\\system32\\user32.dll", &hLdrMod, RTLDRLOAD_FLAGS_LOCAL, nullptr),
              VERR_INVALID_FLAGS);
    EXPECT_EQ(RTLdrLoadEx("C:\\windows\\system32\\user32.dll", &hLdrMod, 0x10, nullptr), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrLoadEx("C:\\windows\\system32\\user32.dll", nullptr, 0, nullptr), VERR_INVALID_POINTER);

    char szMsg[64];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    int const rc = RTLdrLoadEx("C:\\NoSuchDir1234\\nothing", &hLdrMod, RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR, &ErrInfo);
    EXPECT_LT(rc, 0);
    EXPECT_EQ(ErrInfo.rc, rc);
    EXPECT_EQ(std::string(szMsg).rfind("GetLastError=", 0), 0u) << szMsg;
    EXPECT_EQ(hLdrMod, NIL_RTLDRMOD);

    /* Forward slashes become backslashes; a bare name gets ".DLL". */
    ASSERT_EQ(RTLdrLoadEx("C:/windows/system32/user32", &hLdrMod, RTLDRLOAD_FLAGS_NO_UNLOAD, nullptr), VINF_SUCCESS);
    EXPECT_EQ(moduleFile(hLdrMod), systemDirectory() + L"\\user32.dll");
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
}

TEST(LdrSideBySide, RedirectedPathsCountOnlyTheSeparatorsTheyShareWithTheSystemDirectory)
{
    struct { const wchar_t *pwszPath; unsigned cExpected; } const s_aCases[] =
    {
        { L"C:\\Windows\\WinSxS\\x86_a_1.0\\comctl32.dll",   2 },   /* same top directory: taken */
        { L"c:\\WINDOWS\\System32\\user32.dll",             2 },
        { L"C:/windows//system32\\user32.dll",              2 },   /* either separator, runs as one */
        { L"C:\\windowsX\\system32\\user32.dll",            1 },
        { L"C:\\Other\\user32.dll",                         1 },   /* another top directory */
        { L"D:\\windows\\system32\\user32.dll",             0 },   /* another drive */
        { L"\\\\server\\windows\\user32.dll",               0 },   /* a UNC path */
        { L"C:\\Wind\u00f6ws\\user32.dll",                  1 },
    };
    for (auto const &Case : s_aCases)
        EXPECT_EQ(rtldrNativeCountMatchingSeparators((PCRTUTF16)Case.pwszPath, (PCRTUTF16)L"C:\\windows\\system32"),
                  Case.cExpected) << (const void *)Case.pwszPath;
}
