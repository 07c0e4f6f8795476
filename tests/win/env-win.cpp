/* Environment lookups and the ring that owns their results. */
#include <tulo/env.h>

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

TEST(EnvGet, Values)
{
    static const struct { const wchar_t *pwszName; const wchar_t *pwszValue; const char *pszExpect; } s_aCases[] =
    {
        { L"TULO_TST_PLAIN",   L"value",                          "value" },
        { L"TULO_TST_SPACES",  L"  a b  ",                        "  a b  " },
        { L"TULO_TST_EMPTY",   L"",                               "" },
        { L"TULO_TST_UNICODE", L"Gr\u00fc\u00dfe \u65e5\u672c \U0001f600", "Gr\xc3\xbc\xc3\x9f" "e \xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x98\x80" },
        { L"TULO_TST_UNSET",   nullptr,                           nullptr },
    };
    for (const auto &Case : s_aCases)
    {
        ASSERT_TRUE(SetEnvironmentVariableW(Case.pwszName, Case.pwszValue) || !Case.pwszValue);
    }
    for (const auto &Case : s_aCases)
    {
        char szName[64];
        WideCharToMultiByte(CP_UTF8, 0, Case.pwszName, -1, szName, sizeof(szName), nullptr, nullptr);
        const char *psz = RTEnvGet(szName);
        if (!Case.pszExpect)
        {
            EXPECT_EQ(psz, nullptr) << szName;
        }
        else
        {
            ASSERT_NE(psz, nullptr) << szName;
            EXPECT_STREQ(psz, Case.pszExpect) << szName;
        }
    }
    /* Names are matched as the system matches them, without regard to case. */
    const char *psz = RTEnvGet("tulo_tst_plain");
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "value");
}

TEST(EnvGet, NamesThatCannotBeLookedUp)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"TULO_TST_EQ", L"x"));
    static const char *const s_apszNames[] = { "TULO_TST_EQ=", "=TULO_TST_EQ", "A=B", "TULO\xff", "\xc3" };
    for (const char *pszName : s_apszNames)
    {
        EXPECT_EQ(RTEnvGet(pszName), nullptr) << pszName;
    }
    EXPECT_EQ(RTEnvGet(nullptr), nullptr);
    EXPECT_EQ(RTEnvGet((const char *)(uintptr_t)0x10), nullptr);
}

/* Values around the first buffer size and up to the longest the system keeps
 * (32767 units with the terminator; Wine cuts a longer value to that). */
TEST(EnvGet, LongValues)
{
    for (size_t cch : { (size_t)511, (size_t)512, (size_t)513, (size_t)1023, (size_t)1024, (size_t)5000, (size_t)32766 })
    {
        std::wstring wstrValue;
        std::string strExpect;
        for (size_t i = 0; i < cch; i++)
        {
            wchar_t const wc = (wchar_t)(L'a' + i % 26);
            wstrValue += wc;
            strExpect += (char)wc;
        }
        ASSERT_TRUE(SetEnvironmentVariableW(L"TULO_TST_LONG", wstrValue.c_str())) << cch;
        const char *psz = RTEnvGet("TULO_TST_LONG");
        ASSERT_NE(psz, nullptr) << cch;
        ASSERT_EQ(strlen(psz), cch);
        EXPECT_TRUE(strExpect == psz) << cch;
    }
}

/* A result lives until 64 further successful lookups; failed ones do not count. */
TEST(EnvGet, RingKeepsSixtyFourResults)
{
    ASSERT_TRUE(SetEnvironmentVariableW(L"TULO_TST_RING", L"ring-value"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"TULO_TST_OTHER", L"other"));
    const char *pszFirst = RTEnvGet("TULO_TST_RING");
    ASSERT_NE(pszFirst, nullptr);
    for (unsigned i = 0; i < 63; i++)
    {
        ASSERT_NE(RTEnvGet("TULO_TST_OTHER"), nullptr);
        EXPECT_EQ(RTEnvGet("TULO_TST_MISSING"), nullptr);
    }
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, (void *)pszFirst));
    EXPECT_STREQ(pszFirst, "ring-value");
    const char *pszLast = RTEnvGet("TULO_TST_OTHER");
    ASSERT_NE(pszLast, nullptr);
    EXPECT_NE(pszLast, pszFirst);
    /* The 64th later result took the first one's slot and freed it. */
    EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, (void *)pszFirst));
}

} /* anonymous namespace */
