/*
 * The portable loader: argument checks of RTLdrLoadSystem and its choice of
 * suffix, the module record of RTLdrLoadEx, and the handle checks of
 * RTLdrGetSymbol and RTLdrClose, over a recording native back end.
 */
#include <tulo/ldr.h>
#include <tulo/err.h>

#include "common/ldr/ldr-internal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NATIVECALLS
{
    unsigned    cLoadSystem, cLoad, cClose, cGetSymbol;
    std::string strName, strExt, strPath;
    bool        fExt;
    uint32_t    fFlags;
    int         rcLoad;
} g_Native;

} /* namespace */

/* The native half, recording what the portable half asks of it. */
int rtldrNativeLoadSystem(const char *pszFilename, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod)
{
    g_Native.cLoadSystem++;
    g_Native.strName = pszFilename;
    g_Native.fExt    = pszExt != nullptr;
    g_Native.strExt  = pszExt ? pszExt : "";
    g_Native.fFlags  = fFlags;
    return RTLdrLoadEx((std::string("/sys/") + pszFilename + g_Native.strExt).c_str(), phLdrMod, fFlags, nullptr);
}

int rtldrNativeLoad(const char *pszFilename, RTLDRNATIVEHANDLE *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo)
{
    (void)fFlags;
    g_Native.cLoad++;
    g_Native.strPath = pszFilename;
    if (RT_FAILURE(g_Native.rcLoad))
        return RTErrInfoSet(pErrInfo, g_Native.rcLoad, "load failed");
    *phHandle = 0x1234;
    return VINF_SUCCESS;
}

int rtldrNativeClose(PRTLDRMODINTERNAL pMod)
{
    g_Native.cClose++;
    pMod->hNative = NIL_RTLDRNATIVEHANDLE;
    return VINF_SUCCESS;
}

int rtldrNativeGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    (void)pMod;
    g_Native.cGetSymbol++;
    *ppvValue = std::string(pszSymbol) == "known" ? (void *)&g_Native : nullptr;
    return *ppvValue ? VINF_SUCCESS : VERR_SYMBOL_NOT_FOUND;
}

class ldr : public ::testing::Test
{
protected:
    void SetUp() override { g_Native = NATIVECALLS(); }
};

TEST_F(ldr, LoadSystemAddsTheDefaultSuffixOnlyToNamesWithoutOne)
{
    struct { const char *pszName; bool fNoUnload; bool fExt; uint32_t fFlags; } const s_aCases[] =
    {
        { "USER32",      true,  true,  RTLDRLOAD_FLAGS_NO_UNLOAD },
        { "user32.dll",  true,  false, RTLDRLOAD_FLAGS_NO_UNLOAD },
        { "foo.bar",     false, false, 0 },
        { "ws2_32",      false, true,  0 },
    };
    for (auto const &Case : s_aCases)
    {
        g_Native = NATIVECALLS();
        RTLDRMOD hLdrMod = NIL_RTLDRMOD;
        ASSERT_EQ(RTLdrLoadSystem(Case.pszName, Case.fNoUnload, &hLdrMod), VINF_SUCCESS) << Case.pszName;
        EXPECT_EQ(g_Native.cLoadSystem, 1u);
        EXPECT_EQ(g_Native.strName, Case.pszName);
        EXPECT_EQ(g_Native.fExt, Case.fExt) << Case.pszName;
        if (Case.fExt)
            EXPECT_EQ(g_Native.strExt, ".DLL");
        EXPECT_EQ(g_Native.fFlags, Case.fFlags);
        ASSERT_NE(hLdrMod, NIL_RTLDRMOD);
        EXPECT_EQ(hLdrMod->fFlags, Case.fFlags);
        EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
    }
}

TEST_F(ldr, LoadSystemRejectsPathsAndOverlongNamesBeforeTheNativeHalf)
{
    std::string const strLimit(RTLDR_SYSTEM_NAME_MAX, 'a');
    std::string const strBelow(RTLDR_SYSTEM_NAME_MAX - 1, 'a');
    struct { const char *pszName; int rcExpected; } const s_aCases[] =
    {
        { "dir/user32",        VERR_INVALID_PARAMETER },
        { "..\\user32.dll",    VERR_INVALID_PARAMETER },
        { "user32\\",          VERR_INVALID_PARAMETER },
        { "C:user32",          VERR_INVALID_PARAMETER },
        { nullptr,             VERR_INVALID_PARAMETER },
        { strLimit.c_str(),    VERR_INVALID_PARAMETER },
        { strBelow.c_str(),    VINF_SUCCESS },
    };
    for (auto const &Case : s_aCases)
    {
        g_Native = NATIVECALLS();
        RTLDRMOD hLdrMod = (RTLDRMOD)(uintptr_t)0x4242;
        EXPECT_EQ(RTLdrLoadSystem(Case.pszName, false, &hLdrMod), Case.rcExpected);
        EXPECT_EQ(g_Native.cLoadSystem, RT_SUCCESS(Case.rcExpected) ? 1u : 0u);
        if (Case.pszName && RT_FAILURE(Case.rcExpected))
            EXPECT_EQ(hLdrMod, NIL_RTLDRMOD);
        RTLdrClose(RT_SUCCESS(Case.rcExpected) ? hLdrMod : NIL_RTLDRMOD);
    }
    g_Native = NATIVECALLS();
    EXPECT_EQ(RTLdrLoadSystem("user32", false, nullptr), VERR_INVALID_PARAMETER);
    EXPECT_EQ(g_Native.cLoadSystem, 0u);
}

TEST_F(ldr, LoadExFillsTheRecordAndDropsItWhenTheLoadFails)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(RTLdrLoadEx("/sys/a.dll", &hLdrMod, RTLDRLOAD_FLAGS_NO_UNLOAD, nullptr), VINF_SUCCESS);
    EXPECT_EQ(hLdrMod->u32Magic, RTLDRMOD_MAGIC);
    EXPECT_EQ(hLdrMod->eState, RTLDRSTATE_LOADED);
    EXPECT_STREQ(hLdrMod->pOps->pszName, "native");
    EXPECT_EQ(hLdrMod->pReader, nullptr);
    EXPECT_EQ(hLdrMod->hNative, 0x1234u);
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
    EXPECT_EQ(g_Native.cClose, 1u);

    g_Native.rcLoad = VERR_MODULE_NOT_FOUND;
    char szMsg[32];
    RTERRINFO ErrInfo;
    RTErrInfoInit(&ErrInfo, szMsg, sizeof(szMsg));
    hLdrMod = (RTLDRMOD)(uintptr_t)0x4242;
    EXPECT_EQ(RTLdrLoadEx("/sys/b.dll", &hLdrMod, 0, &ErrInfo), VERR_MODULE_NOT_FOUND);
    EXPECT_EQ(hLdrMod, NIL_RTLDRMOD);
    EXPECT_EQ(ErrInfo.rc, VERR_MODULE_NOT_FOUND);
    EXPECT_STREQ(szMsg, "load failed");

    EXPECT_EQ(RTLdrLoadEx("/sys/c.dll", &hLdrMod, 0x10, nullptr), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrLoadEx(nullptr, &hLdrMod, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTLdrLoadEx("/sys/c.dll", nullptr, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(g_Native.cLoad, 2u);
}

TEST_F(ldr, GetSymbolAndCloseCheckTheHandleFirst)
{
    RTLDRMOD hLdrMod = NIL_RTLDRMOD;
    ASSERT_EQ(RTLdrLoadEx("/sys/a.dll", &hLdrMod, 0, nullptr), VINF_SUCCESS);

    void *pv = nullptr;
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, "known", &pv), VINF_SUCCESS);
    EXPECT_EQ(pv, (void *)&g_Native);
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, "unknown", &pv), VERR_SYMBOL_NOT_FOUND);
    EXPECT_EQ(pv, nullptr);
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, nullptr, &pv), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTLdrGetSymbol(hLdrMod, "known", nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTLdrGetSymbol(NIL_RTLDRMOD, "known", &pv), VERR_INVALID_HANDLE);
    EXPECT_EQ(g_Native.cGetSymbol, 2u);

    RTLDRMODINTERNAL Dead = *hLdrMod;
    Dead.u32Magic = RTLDRMOD_MAGIC + 1;
    EXPECT_EQ(RTLdrGetSymbol(&Dead, "known", &pv), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTLdrClose(&Dead), VERR_INVALID_HANDLE);
    EXPECT_EQ(g_Native.cClose, 0u);

    EXPECT_EQ(RTLdrClose(NIL_RTLDRMOD), VINF_SUCCESS);
    EXPECT_EQ(RTLdrClose(hLdrMod), VINF_SUCCESS);
    EXPECT_EQ(g_Native.cClose, 1u);
}

TEST_F(ldr, GetSystemSymbolLoadsForGoodAndClosesTheRecord)
{
    EXPECT_EQ(RTLdrGetSystemSymbol("lib", "known"), (void *)&g_Native);
    EXPECT_EQ(g_Native.fFlags, RTLDRLOAD_FLAGS_NO_UNLOAD);
    EXPECT_EQ(g_Native.cClose, 1u);
    EXPECT_EQ(RTLdrGetSystemSymbol("lib", "unknown"), nullptr);
    EXPECT_EQ(g_Native.cClose, 2u);
}
