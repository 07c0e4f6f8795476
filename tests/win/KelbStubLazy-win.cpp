/*
 * The launcher's lazily bound libraries and its user messages: no box, no
 * user32; the first box loads it from the system directory; every function is
 * looked up once. The program does not import user32 itself (see the import
 * check beside it), and the cases run in order: the first one needs a
 * process that has not loaded it yet.
 */
#include "KelbStub.h"
#include "KelbStubLazy.h"

#include <tulo/initterm.h>
#include <tulo/stream.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

unsigned g_cLoads   = 0;
unsigned g_cLookups = 0;

int tstCountingLoadSystem(const char *pszFilename, bool fNoUnloadable, PRTLDRMOD phLdrMod)
{
    g_cLoads++;
    return RTLdrLoadSystem(pszFilename, fNoUnloadable, phLdrMod);
}

int tstCountingGetSymbol(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue)
{
    g_cLookups++;
    return RTLdrGetSymbol(hLdrMod, pszSymbol, ppvValue);
}

class StubLazy : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_EQ(RTR3InitExe(0, nullptr, RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM), VINF_SUCCESS);
        g_pfnStubLazyLoadSystem = tstCountingLoadSystem;
        g_pfnStubLazyGetSymbol  = tstCountingGetSymbol;
    }
    void SetUp() override
    {
        g_cLoads = g_cLookups = 0;
        g_fSilent = false;
    }
};

} /* namespace */

TEST_F(StubLazy, RunWithoutABoxNeverLoadsUser32)
{
    ASSERT_EQ(GetModuleHandleW(L"user32.dll"), nullptr) << "the test program itself pulled user32 in";
    g_fSilent = true;
    EXPECT_EQ(StubShowError("silent %s", "error"), 1);
    StubShowInfo("silent info");
    EXPECT_EQ(StubShowSyntaxError("bad option %d", 3), 2);
    EXPECT_EQ(StubConsoleErrorRc(-48, "package %u", 1u), -48);
    EXPECT_EQ(StubConsoleErrorExit("record missing"), 1);
    EXPECT_GT(StubConsoleError("close failed"), 0);
    EXPECT_EQ(g_cLoads, 0u);
    EXPECT_EQ(g_cLookups, 0u);
    EXPECT_EQ(g_StubLazyUser32.hLdrMod, NIL_RTLDRMOD);
    EXPECT_EQ(GetModuleHandleW(L"user32.dll"), nullptr);
}

TEST_F(StubLazy, FirstBoxBindsUser32FromTheSystemDirectoryAndLaterBoxesDoNotLookUpAgain)
{
    EXPECT_EQ(StubShowError("interactive %s", "error"), 1);
    EXPECT_EQ(g_cLoads, 1u);
    EXPECT_EQ(g_cLookups, 2u);  /* GetDesktopWindow and MessageBoxW */

    HMODULE const hUser32 = GetModuleHandleW(L"user32.dll");
    ASSERT_NE(hUser32, nullptr);
    WCHAR wszFile[MAX_PATH], wszSysDir[MAX_PATH];
    GetModuleFileNameW(hUser32, wszFile, RT_ELEMENTS(wszFile));
    UINT const cwcSysDir = GetSystemDirectoryW(wszSysDir, RT_ELEMENTS(wszSysDir));
    EXPECT_EQ(CompareStringOrdinal(wszFile, (int)cwcSysDir, wszSysDir, (int)cwcSysDir, TRUE), CSTR_EQUAL);

    StubShowInfo("interactive info");
    EXPECT_EQ(StubShowSyntaxError("bad option %d", 4), 2);
    EXPECT_EQ(g_cLoads, 1u);
    EXPECT_EQ(g_cLookups, 2u);

    EXPECT_EQ(g_StubLazyUser32.paEntries[STUBLAZY_User32_MessageBoxW].pvFunc,
              (void *)GetProcAddress(hUser32, "MessageBoxW"));
    EXPECT_EQ(g_StubLazyUser32.paEntries[STUBLAZY_User32_GetDesktopWindow].pvFunc,
              (void *)GetProcAddress(hUser32, "GetDesktopWindow"));
    EXPECT_EQ(g_StubLazyUser32.paEntries[STUBLAZY_User32_MessageBoxA].pvFunc, nullptr);
}

TEST_F(StubLazy, EveryTableEntryResolvesOnceToTheSystemLibrarysExport)
{
    STUBLAZYLIB *const apLibs[] = { &g_StubLazyMsi, &g_StubLazyCrypt32, &g_StubLazyUser32, &g_StubLazyShell32 };
    for (STUBLAZYLIB *pLib : apLibs)
    {
        bool const fLoaded = pLib->hLdrMod != NIL_RTLDRMOD;
        unsigned cUnbound = 0;
        for (uint32_t i = 0; i < pLib->cEntries; i++)
            cUnbound += !pLib->paEntries[i].pvFunc;
        for (int iPass = 0; iPass < 2; iPass++)
            for (uint32_t i = 0; i < pLib->cEntries; i++)
            {
                void *pv = StubLazyResolve(pLib, i);
                HMODULE const hMod = (HMODULE)(uintptr_t)GetModuleHandleA(pLib->pszName);
                ASSERT_NE(hMod, nullptr) << pLib->pszName;
                EXPECT_EQ(pv, (void *)GetProcAddress(hMod, pLib->paEntries[i].pszName)) << pLib->paEntries[i].pszName;
            }
        EXPECT_EQ(g_cLoads, fLoaded ? 0u : 1u) << pLib->pszName;
        EXPECT_EQ(g_cLookups, cUnbound) << pLib->pszName;
        g_cLoads = g_cLookups = 0;
    }
    /* The typed accessor calls the bound function (the program must not import user32 itself). */
    auto const pfnDesktop = (decltype(&GetDesktopWindow))(void *)GetProcAddress(GetModuleHandleW(L"user32.dll"),
                                                                              "GetDesktopWindow");
    EXPECT_EQ(STUB_LAZY(User32, GetDesktopWindow)(), pfnDesktop());
}
