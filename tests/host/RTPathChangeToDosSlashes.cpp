/* Tests of the slash conversion. */
#include <tulo/path.h>

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(RTPathChangeToDosSlashes, Table)
{
    struct
    {
        const char *pszPath;
        const char *pszExpect;
    } const s_aCases[] =
    {
        { "C:/a/b/",        R"(C:\a\b\)" },
        { "//srv/share",    R"(\\srv\share)" },
        { R"(a\b/c)",       R"(a\b\c)" },
        { "abc",            "abc" },
        { "",               "" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        for (bool fForce : { false, true })
        {
            char sz[32];
            strcpy(sz, Case.pszPath);
            EXPECT_EQ(RTPathChangeToDosSlashes(sz, fForce), sz);
            EXPECT_STREQ(sz, Case.pszExpect);
        }
    }
    EXPECT_EQ(RTPathChangeToDosSlashes(nullptr, false), nullptr);
}

} /* namespace */
