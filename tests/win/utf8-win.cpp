/*
 * Windows-side tests of the text conversions: UTF-8 to the process's ANSI
 * code page against the platform's own conversion, the UTF-8 code page and
 * failure paths through the module's call pointers, and the UTF-16
 * conversions against MultiByteToWideChar and WideCharToMultiByte.
 */
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <stdio.h>
#include <string.h>
#include <string>

/* The module's platform call pointers. */
extern "C" decltype(&GetACP)              g_pfnrtUtf8WinGetACP;
extern "C" decltype(&WideCharToMultiByte) g_pfnrtUtf8WinWideCharToMultiByte;

namespace {

/* What the platform makes of a UTF-8 text in the ANSI code page, through
 * UTF-16, with the system's own converters. */
std::string PlatformToAnsi(const char *psz)
{
    int const cwc = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, psz, -1, nullptr, 0);
    if (cwc <= 0)
        return "<mb-failed>";
    std::wstring wstr((size_t)cwc, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, psz, -1, &wstr[0], cwc);
    int const cb = WideCharToMultiByte(CP_ACP, 0, wstr.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (cb <= 0)
        return "<wc-failed>";
    std::string str((size_t)cb, '\0');
    WideCharToMultiByte(CP_ACP, 0, wstr.c_str(), -1, &str[0], cb, nullptr, nullptr);
    str.resize((size_t)cb - 1);
    return str;
}

/* Puts the module's call pointers back after every test. */
class CodePageTest : public testing::Test
{
protected:
    void TearDown() override
    {
        g_pfnrtUtf8WinGetACP              = GetACP;
        g_pfnrtUtf8WinWideCharToMultiByte = WideCharToMultiByte;
    }
};

UINT WINAPI FakeGetACPUtf8(void)
{
    return CP_UTF8;
}

/* Number of calls seen by the fakes below, and which one fails. */
int g_cFakeCalls;
int g_iFakeFailCall;
DWORD g_dwFakeError;

int WINAPI FakeWideCharToMultiByte(UINT uCodePage, DWORD fFlags, LPCWCH pwsz, int cwc, LPSTR psz, int cb,
                                   LPCCH pszDefault, LPBOOL pfUsedDefault)
{
    if (++g_cFakeCalls == g_iFakeFailCall)
    {
        SetLastError(g_dwFakeError);
        return 0;
    }
    return WideCharToMultiByte(uCodePage, fFlags, pwsz, cwc, psz, cb, pszDefault, pfUsedDefault);
}

TEST_F(CodePageTest, MatchesThePlatformConversion)
{
    static const char *const s_apszTexts[] =
    {
        "plain ASCII, 123",
        "Gr\xc3\xbc\xc3\x9f" "e aus K\xc3\xb6ln",           /* in most ANSI code pages */
        "\xe2\x82\xac 5",                                   /* euro sign */
        "\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80",        /* mostly not representable */
    };
    printf("process code page: %u\n", GetACP());
    for (const char *pszText : s_apszTexts)
    {
        SCOPED_TRACE(pszText);
        char *psz = nullptr;
        ASSERT_EQ(RTStrToCurrentCodePage(&psz, pszText), VINF_SUCCESS);
        ASSERT_NE(psz, nullptr);
        EXPECT_EQ(std::string(psz), PlatformToAnsi(pszText));
        RTStrRelease(psz);
    }

    /* The result really is in the ANSI code page when that is not UTF-8. */
    if (GetACP() == 1252)
    {
        char *psz = nullptr;
        ASSERT_EQ(RTStrToCurrentCodePage(&psz, "caf\xc3\xa9 \xe2\x82\xac"), VINF_SUCCESS);
        EXPECT_STREQ(psz, "caf\xe9 \x80");
        RTStrRelease(psz);
    }
}

TEST_F(CodePageTest, EmptyAndInvalidText)
{
    char *psz = nullptr;
    ASSERT_EQ(RTStrToCurrentCodePage(&psz, ""), VINF_SUCCESS);
    ASSERT_NE(psz, nullptr);
    EXPECT_EQ(psz[0], '\0');
    RTStrRelease(psz);

    static const struct { const char *psz; int rc; } s_aRows[] =
    {
        { "ab\xc0\x80",         VERR_INVALID_UTF8_ENCODING },
        { "\xed\xa0\x80",       VERR_CODE_POINT_SURROGATE },
        { "x\xef\xbf\xbf",      VERR_CODE_POINT_NONCHARACTER },
        { "\xf4\x90\x80\x80",   VERR_CODE_POINT_OUT_OF_RANGE },  /* no UTF-16 for it */
        { "cut \xe2\x82",       VERR_INVALID_UTF8_ENCODING },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Row.psz);
        psz = (char *)&psz;
        EXPECT_EQ(RTStrToCurrentCodePage(&psz, Row.psz), Row.rc);
        EXPECT_EQ(psz, nullptr);
    }
    EXPECT_EQ(RTStrToCurrentCodePage(nullptr, "a"), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrToCurrentCodePage(&psz, nullptr), VERR_INVALID_POINTER);
}

TEST_F(CodePageTest, Utf8CodePageCopiesAfterValidation)
{
    g_pfnrtUtf8WinGetACP = FakeGetACPUtf8;
    g_cFakeCalls = 0;
    g_iFakeFailCall = 1; /* any conversion call would fail */
    g_dwFakeError = ERROR_INVALID_PARAMETER;
    g_pfnrtUtf8WinWideCharToMultiByte = FakeWideCharToMultiByte;

    /* Copied as it is, beyond U+10FFFF too: validation without the UTF-16 limit. */
    static const char *const s_apszTexts[] = { "abc", "caf\xc3\xa9 \xf0\x9f\x98\x80", "\xf4\x90\x80\x80" };
    for (const char *pszText : s_apszTexts)
    {
        SCOPED_TRACE(pszText);
        char *psz = nullptr;
        ASSERT_EQ(RTStrToCurrentCodePage(&psz, pszText), VINF_SUCCESS);
        EXPECT_STREQ(psz, pszText);
        EXPECT_NE(psz, pszText);
        RTStrRelease(psz);
    }
    EXPECT_EQ(g_cFakeCalls, 0);

    char *psz = (char *)&psz;
    EXPECT_EQ(RTStrToCurrentCodePage(&psz, "a\x80"), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(RTStrToCurrentCodePage(&psz, "\xed\xa0\x80"), VERR_CODE_POINT_SURROGATE);
}

TEST_F(CodePageTest, PlatformFailuresAreConverted)
{
    if (GetACP() == CP_UTF8)
        GTEST_SKIP() << "the process code page is UTF-8; nothing is converted";
    static const struct
    {
        int   iFailCall;    /* 1: the size query, 2: the conversion */
        DWORD dwError;
        int   rc;
    } s_aRows[] =
    {
        { 1, ERROR_INVALID_PARAMETER,      VERR_INVALID_PARAMETER },
        { 1, ERROR_NO_UNICODE_TRANSLATION, VERR_NO_TRANSLATION },
        { 2, ERROR_INSUFFICIENT_BUFFER,    VERR_BUFFER_OVERFLOW },
        { 2, ERROR_INVALID_FLAGS,          VERR_INVALID_PARAMETER },
        /* A failure without an error number must still be a failure. */
        { 1, ERROR_SUCCESS,                VERR_NO_TRANSLATION },
        { 2, ERROR_SUCCESS,                VERR_NO_TRANSLATION },
    };
    g_pfnrtUtf8WinWideCharToMultiByte = FakeWideCharToMultiByte;
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "call " << Row.iFailCall << " error " << Row.dwError);
        g_cFakeCalls = 0;
        g_iFakeFailCall = Row.iFailCall;
        g_dwFakeError = Row.dwError;
        char *psz = (char *)&psz;
        EXPECT_EQ(RTStrToCurrentCodePage(&psz, "text"), Row.rc);
        EXPECT_EQ(psz, nullptr);
        EXPECT_EQ(g_cFakeCalls, Row.iFailCall);
    }

    /* Without a failure the fake passes through: two calls, the right text. */
    g_cFakeCalls = 0;
    g_iFakeFailCall = 0;
    char *psz = nullptr;
    EXPECT_EQ(RTStrToCurrentCodePage(&psz, "text"), VINF_SUCCESS);
    EXPECT_STREQ(psz, "text");
    EXPECT_EQ(g_cFakeCalls, 2);
    RTStrRelease(psz);
}

/* Valid texts: the runtime and the platform give the same UTF-16, and the
 * same UTF-8 back. */
TEST(Utf16Win, ConversionsMatchThePlatform)
{
    static const char *const s_apszTexts[] =
    {
        "",
        "C:\\Program Files\\Corvane",
        "Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac \xe6\x97\xa5\xe6\x9c\xac",
        "\xf0\x9f\x98\x80\xf4\x8f\xbf\xbf\xf0\x90\x80\x80",
        "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd\xef\xb7\x90",
    };
    for (const char *pszText : s_apszTexts)
    {
        SCOPED_TRACE(pszText);
        int const cwcPlatform = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, nullptr, 0);
        ASSERT_GT(cwcPlatform, 0);
        std::wstring wstrPlatform((size_t)cwcPlatform, L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, &wstrPlatform[0], cwcPlatform);

        PRTUTF16 pwsz = nullptr;
        ASSERT_EQ(RTStrToUtf16(pszText, &pwsz), VINF_SUCCESS);
        EXPECT_EQ(RTUtf16Length(pwsz) + 1, (size_t)cwcPlatform);
        EXPECT_EQ(memcmp(pwsz, wstrPlatform.c_str(), (size_t)cwcPlatform * sizeof(WCHAR)), 0);

        /* Into a caller buffer of exactly the platform's size. */
        WCHAR awc[64];
        PRTUTF16 pwszBuf = awc;
        size_t cwc = 0;
        ASSERT_EQ(RTStrToUtf16Ex(pszText, RTSTR_MAX, &pwszBuf, (size_t)cwcPlatform, &cwc), VINF_SUCCESS);
        EXPECT_EQ(cwc + 1, (size_t)cwcPlatform);
        EXPECT_EQ(memcmp(awc, wstrPlatform.c_str(), (size_t)cwcPlatform * sizeof(WCHAR)), 0);

        /* And back, against WideCharToMultiByte. */
        int const cbPlatform = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wstrPlatform.c_str(), -1,
                                                   nullptr, 0, nullptr, nullptr);
        ASSERT_GT(cbPlatform, 0);
        std::string strPlatform((size_t)cbPlatform, '\0');
        WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wstrPlatform.c_str(), -1, &strPlatform[0], cbPlatform,
                            nullptr, nullptr);
        char *psz = nullptr;
        size_t cch = 0;
        ASSERT_EQ(RTUtf16ToUtf8Ex(pwsz, RTSTR_MAX, &psz, 0, &cch), VINF_SUCCESS);
        EXPECT_EQ(cch + 1, (size_t)cbPlatform);
        EXPECT_STREQ(psz, strPlatform.c_str());
        EXPECT_STREQ(psz, pszText);
        RTStrRelease(psz);
        RTMemFree(pwsz);
    }
}

/* Malformed UTF-8 that the platform refuses too (with MB_ERR_INVALID_CHARS). */
TEST(Utf16Win, BothRefuseMalformedText)
{
    static const char *const s_apszTexts[] =
    {
        "\xc0\x80",             /* overlong */
        "ab\x80",               /* lone continuation */
        "cut \xe2\x82",         /* cut by the terminator */
        "\xf8\x88\x80\x80\x80", /* five bytes */
        "\xff",
    };
    for (const char *pszText : s_apszTexts)
    {
        SCOPED_TRACE(pszText);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, pszText, -1, nullptr, 0), 0);
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_UNICODE_TRANSLATION);
        PRTUTF16 pwsz = (PRTUTF16)&pwsz;
        EXPECT_TRUE(RT_FAILURE(RTStrToUtf16(pszText, &pwsz)));
        EXPECT_EQ(pwsz, nullptr);
    }
}

} /* namespace */
