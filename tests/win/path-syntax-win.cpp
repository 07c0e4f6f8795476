/*
 * Path syntax in the Windows build: the operations without a style argument
 * follow the DOS rules here, and absolute paths are made against the
 * process's current directories the way the system makes them, which
 * GetFullPathNameW shows.
 */
#include <tulo/path.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

TEST(PathSyntaxWin, OperationsWithoutStyleAreDos)
{
    char sz[64];
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), "/usr", "lib"), VINF_SUCCESS);
    EXPECT_STREQ(sz, "/usr\\lib");
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), "C:", "x"), VINF_SUCCESS);
    EXPECT_STREQ(sz, "C:x") << "a drive alone is drive-relative";
    strcpy(sz, "dir");
    EXPECT_EQ(RTPathEnsureTrailingSeparator(sz, sizeof(sz)), 4u);
    EXPECT_STREQ(sz, "dir\\");

    static const struct { const char *pszPath; const char *pszName; const char *pszSuffix; bool fRoot; } s_aRows[] =
    {
        { "dir\\f.txt",     "f.txt",    ".txt",     false },
        { "C:x.y",          "x.y",      ".y",       true  }, /* a drive counts as a root */
        { "C:\\x",          "x",        nullptr,    true  },
        { "a.b\\c",         "c",        nullptr,    false },
        { "/unix/style",    "style",    nullptr,    true  },
        { "\\\\srv\\share", "share",    nullptr,    true  },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszPath);
        const char *pszName = RTPathFilename(Row.pszPath);
        EXPECT_STREQ(pszName, Row.pszName);
        const char *pszSuffix = RTPathSuffix(Row.pszPath);
        EXPECT_STREQ(pszSuffix, Row.pszSuffix);
        EXPECT_EQ(RTPathStartsWithRoot(Row.pszPath), Row.fRoot);
    }
}

std::string fullPathName(const char *pszPath)
{
    std::wstring const wstrPath = TstU8ToW(pszPath);
    wchar_t wsz[4096];
    DWORD const cwc = GetFullPathNameW(wstrPath.c_str(), RT_ELEMENTS(wsz), wsz, nullptr);
    return cwc && cwc < RT_ELEMENTS(wsz) ? TstWToU8(std::wstring(wsz, cwc)) : std::string("<GetFullPathNameW failed>");
}

TEST(PathSyntaxWin, AbsoluteAgainstTheCurrentDirectories)
{
    static const char * const s_apszPaths[] =
    {
        "x", "x\\..\\y", ".\\a\\.\\b", "..", "a/b/c", "\\top", "/top/sub", "C:\\a\\..\\b", "C:\\", "Z:x",
        "\\\\srv\\share\\x\\..\\y", "J\xc3\xb6rg\\\xe4\xb8\xad\xe6\x96\x87",
    };
    for (const char *pszPath : s_apszPaths)
    {
        SCOPED_TRACE(pszPath);
        char sz[4100];
        ASSERT_EQ(RTPathAbs(pszPath, sz, sizeof(sz)), VINF_SUCCESS);
        EXPECT_EQ(std::string(sz), fullPathName(pszPath));
    }
}

} /* namespace */
