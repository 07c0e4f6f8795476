/* Splitting command lines into argument vectors. */
#include <tulo/getopt.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

typedef std::vector<std::string> ARGS;

struct SPLITCASE
{
    const char *pszCmdLine;
    uint32_t    fStyle;
    const char *pszSeparators;
    ARGS        Expect;
};

ARGS split(const char *pszCmdLine, uint32_t fFlags, const char *pszSeparators, int *prc)
{
    char **papszArgv = (char **)(uintptr_t)0x1234;
    int cArgs = -1;
    *prc = RTGetOptArgvFromString(&papszArgv, &cArgs, pszCmdLine, fFlags, pszSeparators);
    ARGS Args;
    if (RT_FAILURE(*prc))
    {
        EXPECT_EQ(papszArgv, (char **)(uintptr_t)0x1234);
        EXPECT_EQ(cArgs, -1);
        return Args;
    }
    for (int i = 0; i < cArgs; i++)
        Args.push_back(papszArgv[i]);
    EXPECT_EQ(papszArgv[cArgs], nullptr);
    RTGetOptArgvFreeEx(papszArgv, fFlags);
    return Args;
}

const uint32_t MS = RTGETOPTARGV_STYLE_MS_CRT;
const uint32_t SH = RTGETOPTARGV_STYLE_BOURNE_SH;

} /* namespace */

TEST(GetOptArgv, MicrosoftAndBourneRules)
{
    const SPLITCASE s_aCases[] =
    {
        { "a b  c", MS, nullptr, { "a", "b", "c" } },
        { "\"a b\" c", MS, nullptr, { "a b", "c" } },
        { "a\"b c\"d", MS, nullptr, { "ab cd" } },
        { "\"a\"\"b\"", MS, nullptr, { "a\"b" } },
        { "a\"\"b", MS, nullptr, { "ab" } },
        { "a\\\"b", MS, nullptr, { "a\"b" } },
        { "a\\\\\"b", MS, nullptr, { "a\\b" } },
        { "a\\\\\\\"b", MS, nullptr, { "a\\\"b" } },
        { "a\\b", MS, nullptr, { "a\\b" } },
        { "a\\\\b", MS, nullptr, { "a\\\\b" } },
        { "'a b'", MS, nullptr, { "'a", "b'" } },
        { "\"\"", MS, nullptr, { "" } },
        { "\"", MS, nullptr, { "" } },
        { "x \"\" y", MS, nullptr, { "x", "", "y" } },
        { "\"C:\\My Dir\\\" --silent", MS, nullptr, { "C:\\My Dir\" --silent" } },
        { "\"C:\\Program Files\\Kelb\\KelbStub.exe\" --path \"C:\\a b\\\\\" -x", MS, nullptr,
          { "C:\\Program Files\\Kelb\\KelbStub.exe", "--path", "C:\\a b\\", "-x" } },
        { "\"unterminated quote", MS, nullptr, { "unterminated quote" } },
        { " \t\r\n lead and trail \t\r\n", MS, nullptr, { "lead", "and", "trail" } },
        { "J\xc3\xb6rg \xe4\xb8\xad\xe6\x96\x87", MS, nullptr, { "J\xc3\xb6rg", "\xe4\xb8\xad\xe6\x96\x87" } },
        { "a,b c", MS, ",", { "a", "b c" } },
        { "a,b c", MS, ", ", { "a", "b", "c" } },
        { "a\xc3\xa9" "b", MS, "\xc3\xa9", { "a", "b" } },
        { "a\xc3\xa9" "b", MS, nullptr, { "a\xc3\xa9" "b" } },

        { "a\\ b", SH, nullptr, { "a b" } },
        { "'a\\b'", SH, nullptr, { "a\\b" } },
        { "\"a\\$b\"", SH, nullptr, { "a$b" } },
        { "\"a\\xb\"", SH, nullptr, { "a\\xb" } },
        { "\"a\\\\b\" \"q\\\"q\"", SH, nullptr, { "a\\b", "q\"q" } },
        { "x '' y", SH, nullptr, { "x", "", "y" } },
        { "x \"\" y", SH, nullptr, { "x", "", "y" } },
        { "a'b c'\"d e\"f", SH, nullptr, { "ab cd ef" } },
        { "trailing\\", SH, nullptr, { "trailing" } },
        { "\"open\\", SH, nullptr, { "open" } },
        { "\\\xc3\xa9x", SH, nullptr, { "\xc3\xa9x" } },
        { "'it''s'", SH, nullptr, { "its" } },
    };
    for (const SPLITCASE &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszCmdLine);
        int rc;
        EXPECT_EQ(split(Case.pszCmdLine, Case.fStyle, Case.pszSeparators, &rc), Case.Expect);
        EXPECT_EQ(rc, VINF_SUCCESS);

        /* In place gives the same arguments. */
        std::string strCopy = Case.pszCmdLine;
        EXPECT_EQ(split(strCopy.data(), Case.fStyle | RTGETOPTARGV_F_IN_PLACE, Case.pszSeparators, &rc), Case.Expect);
        EXPECT_EQ(rc, VINF_SUCCESS);
    }
}

TEST(GetOptArgv, EmptyInputGivesAnEmptyVector)
{
    for (const char *psz : { "", " ", " \t\r\n  " })
    {
        char **papszArgv = nullptr;
        int cArgs = -1;
        ASSERT_EQ(RTGetOptArgvFromString(&papszArgv, &cArgs, psz, MS, nullptr), VINF_SUCCESS);
        EXPECT_EQ(cArgs, 0);
        ASSERT_NE(papszArgv, nullptr);
        EXPECT_EQ(papszArgv[0], nullptr);
        RTGetOptArgvFreeEx(papszArgv, MS);
    }
}

TEST(GetOptArgv, InPlaceOverlaysTheCommandLine)
{
    char szCmdLine[] = "prog \"a b\" c";
    char **papszArgv = nullptr;
    int cArgs = 0;
    ASSERT_EQ(RTGetOptArgvFromString(&papszArgv, &cArgs, szCmdLine, MS | RTGETOPTARGV_F_IN_PLACE, nullptr), VINF_SUCCESS);
    ASSERT_EQ(cArgs, 3);
    for (int i = 0; i < cArgs; i++)
    {
        EXPECT_GE(papszArgv[i], szCmdLine);
        EXPECT_LT(papszArgv[i], szCmdLine + sizeof(szCmdLine));
    }
    EXPECT_EQ(0, memcmp(szCmdLine, "prog\0a b\0c\0", 11));
    RTGetOptArgvFreeEx(papszArgv, MS | RTGETOPTARGV_F_IN_PLACE);
}

TEST(GetOptArgv, ManyArgumentsGrowTheVector)
{
    std::string strCmdLine;
    ARGS Expect;
    for (int i = 0; i < 100; i++)
    {
        Expect.push_back("arg" + std::to_string(i));
        strCmdLine += Expect.back() + " ";
    }
    int rc;
    EXPECT_EQ(split(strCmdLine.c_str(), SH, nullptr, &rc), Expect);
    EXPECT_EQ(rc, VINF_SUCCESS);
}

TEST(GetOptArgv, Errors)
{
    static const struct { const char *pszCmdLine; uint32_t fFlags; const char *pszSeparators; int rc; } s_aCases[] =
    {
        { "a b", 2, nullptr, VERR_INVALID_FLAGS },
        { "a b", 3, nullptr, VERR_INVALID_FLAGS },
        { "a b", MS, "", VERR_INVALID_PARAMETER },
        { "a \xc3", MS, nullptr, VERR_INVALID_UTF8_ENCODING },
        { "ok \"in \xff quotes\"", MS, nullptr, VERR_INVALID_UTF8_ENCODING },
        { "\xc0\x80", SH, nullptr, VERR_INVALID_UTF8_ENCODING },
        { "a\\\xc3", SH, nullptr, VERR_INVALID_UTF8_ENCODING },
        { "a \xed\xa0\x80", MS, nullptr, VERR_CODE_POINT_SURROGATE },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszCmdLine);
        int rc;
        split(Case.pszCmdLine, Case.fFlags, Case.pszSeparators, &rc);
        EXPECT_EQ(rc, Case.rc);
        /* Bits other than the style and in-place are ignored. */
        split(Case.pszCmdLine, Case.fFlags | 0x100, Case.pszSeparators, &rc);
        EXPECT_EQ(rc, Case.rc);
    }
}
