/* Assertion reports: the KELB_ASSERT decision, the layout of both parts on
 * standard error and in the buffers, the hooks, quiet mode and the error state. */
#include <tulo/assert.h>
#include <tulo/format.h>

#include "common/misc/assert-internal.h"

#include <gtest/gtest.h>

#include <errno.h>
#include <stdlib.h>
#include <string>

namespace {

std::string g_strHook1;
std::string g_strHook2;
int         g_cHook1Calls;
int         g_cHook2Calls;

void hookAppend(std::string &rstr, const char *pszFormat, va_list va)
{
    char szBuf[8192];
    RTFmtBufV(szBuf, sizeof(szBuf), pszFormat, va);
    rstr += szBuf;
    /* A hook that clobbers the error state must not leak it to the asserting code. */
    errno = ENOENT;
}

void hook1(const char *pszFormat, va_list va)
{
    g_cHook1Calls++;
    hookAppend(g_strHook1, pszFormat, va);
}

void hook2(const char *pszFormat, va_list va)
{
    g_cHook2Calls++;
    hookAppend(g_strHook2, pszFormat, va);
}

class AssertTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_fAssertQuiet = false;
        g_fAssertMayPanic = true;
        g_pfnAssertMsg1Hook = nullptr;
        g_pfnAssertMsg2Hook = nullptr;
        g_strHook1.clear();
        g_strHook2.clear();
        g_cHook1Calls = g_cHook2Calls = 0;
        g_szAssertMsg2[0] = '\0';
        g_cchAssertMsg2 = 0;
    }
    void TearDown() override
    {
        g_fAssertQuiet = false;
        g_fAssertMayPanic = true;
        g_pfnAssertMsg1Hook = nullptr;
        g_pfnAssertMsg2Hook = nullptr;
        unsetenv("KELB_ASSERT");
    }
};

struct PANICCASE
{
    const char *pszValue;
    bool        fPanic;
};

const PANICCASE g_aPanicCases[] =
{
    { nullptr,        true  },
    { "breakpoint",   true  },
    { "panic",        true  },
    { "disabled",     false },
    { "",             false },
    { "Panic",        false },
    { "panic ",       false },
    { "breakpoints",  false },
    { "break",        false },
    { "0",            false },
};

TEST_F(AssertTest, ShouldPanicForValue)
{
    for (const PANICCASE &rCase : g_aPanicCases)
        EXPECT_EQ(rtAssertShouldPanicForValue(rCase.pszValue), rCase.fPanic)
            << (rCase.pszValue ? rCase.pszValue : "(unset)");
}

TEST_F(AssertTest, ShouldPanicFromEnvironment)
{
    unsetenv("KELB_ASSERT");
    EXPECT_TRUE(RTAssertShouldPanic());
    setenv("KELB_ASSERT", "disabled", 1);
    EXPECT_FALSE(RTAssertShouldPanic());
    setenv("KELB_ASSERT", "panic", 1);
    EXPECT_TRUE(RTAssertShouldPanic());
    setenv("KELB_ASSERT", "breakpoint", 1);
    EXPECT_TRUE(RTAssertShouldPanic());

    /* Disabled panics win over the environment. */
    g_fAssertMayPanic = false;
    EXPECT_FALSE(RTAssertShouldPanic());
    unsetenv("KELB_ASSERT");
    EXPECT_FALSE(RTAssertShouldPanic());
}

TEST_F(AssertTest, Msg1LayoutAndGlobals)
{
    static const char s_szFile[] = "Runtime/r3/thing.cpp";
    static const char s_szFunc[] = "rtThingDo";
    g_pfnAssertMsg1Hook = hook1;
    errno = EBADF;
    testing::internal::CaptureStderr();
    RTAssertMsg1("cItems < 16", 4242, s_szFile, s_szFunc);
    std::string const strErr = testing::internal::GetCapturedStderr();
    int const iErrno = errno;

    const char *pszExpected = "\n!!Assertion Failed!!\nExpression: cItems < 16\n"
                              "Location  : Runtime/r3/thing.cpp(4242) rtThingDo\n";
    EXPECT_EQ(strErr, pszExpected);
    EXPECT_STREQ(g_szAssertMsg1, pszExpected);
    EXPECT_EQ(g_strHook1, pszExpected);
    EXPECT_EQ(g_cHook1Calls, 1);
    EXPECT_STREQ(g_pszAssertExpr, "cItems < 16");
    EXPECT_EQ(g_pszAssertFile, s_szFile);
    EXPECT_EQ(g_pszAssertFunction, s_szFunc);
    EXPECT_EQ(g_uAssertLine, 4242u);
    EXPECT_EQ(iErrno, EBADF);
}

TEST_F(AssertTest, Msg1InvalidPointers)
{
    testing::internal::CaptureStderr();
    RTAssertMsg1(nullptr, 7, nullptr, (const char *)(uintptr_t)16);
    std::string const strErr = testing::internal::GetCapturedStderr();

    /* Standard error gets placeholders, the buffer what the engine prints. */
    EXPECT_EQ(strErr, "\n!!Assertion Failed!!\nExpression: <none>\nLocation  : <none>(7) \n");
    EXPECT_NE(std::string(g_szAssertMsg1).find("Expression: <NULL>\nLocation  : <NULL>(7) "), std::string::npos)
        << g_szAssertMsg1;
    EXPECT_EQ(std::string(g_szAssertMsg1).find("<none>"), std::string::npos);
}

TEST_F(AssertTest, Msg1TruncatedToBuffer)
{
    std::string strLong(3000, 'e');
    testing::internal::CaptureStderr();
    RTAssertMsg1(strLong.c_str(), 1, "f.cpp", "fn");
    std::string const strErr = testing::internal::GetCapturedStderr();
    EXPECT_EQ(strlen(g_szAssertMsg1), RTASSERT_MSG1_SIZE - 1);
    /* The standard error copy is cut at its own, larger buffer. */
    EXPECT_EQ(strErr.size(), 2047u);
    EXPECT_EQ(strErr.compare(0, 35, "\n!!Assertion Failed!!\nExpression: e"), 0);
}

TEST_F(AssertTest, Msg2ReplaceAndAppend)
{
    g_pfnAssertMsg2Hook = hook2;
    errno = EBADF;
    testing::internal::CaptureStderr();
    RTAssertMsg2("RTSemEventSignal -> %d\n", -38);
    RTAssertMsg2Add("%s=%u;", "count", 3u);
    RTAssertMsg2Add("%c\n", 'z');
    std::string const strErr = testing::internal::GetCapturedStderr();

    EXPECT_EQ(errno, EBADF);
    EXPECT_EQ(strErr, "RTSemEventSignal -> -38\ncount=3;z\n");
    EXPECT_STREQ(g_szAssertMsg2, "RTSemEventSignal -> -38\ncount=3;z\n");
    EXPECT_EQ(g_cchAssertMsg2, strlen(g_szAssertMsg2));
    EXPECT_EQ(g_strHook2, strErr);
    EXPECT_EQ(g_cHook2Calls, 3);

    /* A replace starts over. */
    testing::internal::CaptureStderr();
    RTAssertMsg2("again %x", 0xbeefu);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "again beef");
    EXPECT_STREQ(g_szAssertMsg2, "again beef");
    EXPECT_EQ(g_cchAssertMsg2, 10u);
}

TEST_F(AssertTest, Msg2AppendStopsNearTheEnd)
{
    std::string strFill(4091, 'a');
    g_fAssertQuiet = true;
    RTAssertMsg2("%s", strFill.c_str());
    EXPECT_EQ(g_cchAssertMsg2, 4091u);

    /* Below the limit: appended and cut to the buffer. */
    RTAssertMsg2Add("bcdefgh");
    EXPECT_EQ(g_cchAssertMsg2, 4095u);
    EXPECT_EQ(std::string(g_szAssertMsg2), strFill + "bcde");

    /* At or above the limit: left alone, but still reported. */
    g_fAssertQuiet = false;
    testing::internal::CaptureStderr();
    RTAssertMsg2Add("XYZ");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "XYZ");
    EXPECT_EQ(g_cchAssertMsg2, 4095u);
    EXPECT_EQ(std::string(g_szAssertMsg2), strFill + "bcde");

    g_fAssertQuiet = true;
    RTAssertMsg2("%s", std::string(4092, 'q').c_str());
    RTAssertMsg2Add("r");
    EXPECT_EQ(g_cchAssertMsg2, 4092u);
    EXPECT_EQ(g_szAssertMsg2[4091], 'q');
    EXPECT_EQ(g_szAssertMsg2[4092], '\0');
}

TEST_F(AssertTest, QuietFillsOnlyTheBuffers)
{
    g_fAssertQuiet = true;
    g_pfnAssertMsg1Hook = hook1;
    g_pfnAssertMsg2Hook = hook2;
    testing::internal::CaptureStderr();
    RTAssertMsg1("x", 1, "q.cpp", "quiet");
    RTAssertMsg2("why %d", 5);
    RTAssertMsg2Add("!");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(g_cHook1Calls + g_cHook2Calls, 0);
    EXPECT_STREQ(g_szAssertMsg1, "\n!!Assertion Failed!!\nExpression: x\nLocation  : q.cpp(1) quiet\n");
    EXPECT_STREQ(g_szAssertMsg2, "why 5!");
}

TEST_F(AssertTest, LastErrorsRecord)
{
    RTLASTERRORS Rec;
    errno = EACCES;
    rtLastErrorsSave(&Rec);
    EXPECT_EQ(Rec.u32Magic, RTLASTERRORS_MAGIC);
    EXPECT_EQ(Rec.uOsError, (uint32_t)EACCES);
    EXPECT_EQ(Rec.iSocketError, RTLASTERRORS_NO_SOCKET);
    errno = EINVAL;
    rtLastErrorsRestore(&Rec);
    EXPECT_EQ(errno, EACCES);

    /* A record without the magic is not applied. */
    Rec.u32Magic = 0;
    errno = EINVAL;
    rtLastErrorsRestore(&Rec);
    EXPECT_EQ(errno, EINVAL);
}

TEST_F(AssertTest, ReleaseMacroReportsAndPanicsOnlyWhenAsked)
{
    setenv("KELB_ASSERT", "disabled", 1);
    int volatile cItems = 3;
    testing::internal::CaptureStderr();
    AssertReleaseMsg(cItems == 4, ("cItems=%d\n", (int)cItems));
    std::string const strErr = testing::internal::GetCapturedStderr();
    EXPECT_NE(strErr.find("Expression: cItems == 4\nLocation  : "), std::string::npos) << strErr;
    EXPECT_NE(strErr.find("assert.cpp(" + std::to_string(__LINE__ - 3) + ") TestBody\n"), std::string::npos) << strErr;
    EXPECT_EQ(strErr.substr(strErr.size() - 9), "cItems=3\n");

    /* A holding expression reports nothing. */
    g_pszAssertExpr = nullptr;
    testing::internal::CaptureStderr();
    AssertReleaseMsg(cItems == 3, ("never\n"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(g_pszAssertExpr, nullptr);
}

} /* namespace */
