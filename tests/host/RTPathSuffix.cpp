/* Tests of the suffix of a path. */
#include <tulo/path.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

TEST(RTPathSuffix, Table)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        int         offSuffix;      /**< -1: none */
    } const s_aCases[] =
    {
        { "x.tar.gz",               DOS,  5 },
        { R"(C:\dir\prog.exe)",     DOS,  11 },
        { R"(dir\.cfg)",            DOS,  4 },      /* the dot does not start the whole string */
        { ".cfg",                   DOS,  -1 },
        { "x.",                     DOS,  -1 },
        { "x",                      DOS,  -1 },
        { "",                       DOS,  -1 },
        { R"(a.b\c)",               DOS,  -1 },
        { R"(a.b/c)",               DOS,  -1 },
        { R"(a.b:c)",               DOS,  -1 },
        { R"(C:.x)",                DOS,  2 },
        { R"(dir.d\)",              DOS,  -1 },
        { "...",                    DOS,  -1 },
        { "..x",                    DOS,  1 },
        { R"(a.b\c)",               UNIX, 1 },
        { "a.b/c",                  UNIX, -1 },
        { "/x/.hidden",             UNIX, 3 },
        { "a.b:c",                  UNIX, 1 },
        { "/etc/a.conf",            RTPATH_STR_F_STYLE_HOST, 6 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "'" << Case.pszPath << "' style " << Case.fFlags);
        size_t const cb  = strlen(Case.pszPath) + 1;
        char        *psz = (char *)malloc(cb);
        memcpy(psz, Case.pszPath, cb);
        char *pszSuffix = RTPathSuffixEx(psz, Case.fFlags);
        if (Case.offSuffix < 0)
        {
            EXPECT_EQ(pszSuffix, nullptr);
        }
        else
        {
            EXPECT_EQ(pszSuffix, psz + Case.offSuffix);
        }
        if ((Case.fFlags & RTPATH_STR_F_STYLE_MASK) != DOS)
        {
            EXPECT_EQ(RTPathSuffix(psz), pszSuffix);
        }
        free(psz);
    }
    EXPECT_EQ(RTPathSuffixEx(nullptr, DOS), nullptr);
    EXPECT_EQ(RTPathSuffixEx("a.b", 0x10), nullptr);
}

} /* namespace */
