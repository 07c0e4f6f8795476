/* Tests of the final component of a path. */
#include <tulo/path.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

TEST(RTPathFilename, Table)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        int         offName;        /**< -1: none */
    } const s_aCases[] =
    {
        { R"(C:\dir\prog.exe)",     DOS,  7 },
        { R"(C:prog)",              DOS,  2 },
        { R"(C:)",                  DOS,  -1 },
        { R"(dir/sub\f)",           DOS,  8 },
        { R"(dir\)",                DOS,  -1 },
        { R"(dir/)",                DOS,  -1 },
        { R"(\\srv\share)",         DOS,  6 },
        { "f",                      DOS,  0 },
        { "",                       DOS,  -1 },
        { R"(a:b:c)",               DOS,  4 },
        { R"(dir\f)",               UNIX, 0 },
        { "/usr/lib",               UNIX, 5 },
        { "/usr/lib/",              UNIX, -1 },
        { "C:x",                    UNIX, 0 },
        { "",                       UNIX, -1 },
        { R"(a\b/c)",               RTPATH_STR_F_STYLE_HOST, 4 },   /* the host style is Unix */
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "'" << Case.pszPath << "' style " << Case.fFlags);
        /* An exactly sized copy, so that reading past the end shows. */
        size_t const cb  = strlen(Case.pszPath) + 1;
        char        *psz = (char *)malloc(cb);
        memcpy(psz, Case.pszPath, cb);
        char *pszName = RTPathFilenameEx(psz, Case.fFlags);
        if (Case.offName < 0)
        {
            EXPECT_EQ(pszName, nullptr);
        }
        else
        {
            EXPECT_EQ(pszName, psz + Case.offName);
        }
        if ((Case.fFlags & RTPATH_STR_F_STYLE_MASK) != DOS)
        {
            EXPECT_EQ(RTPathFilename(psz), pszName);
        }
        free(psz);
    }
    EXPECT_EQ(RTPathFilenameEx(nullptr, DOS), nullptr);
    EXPECT_EQ(RTPathFilenameEx("a", RTPATH_STR_F_STYLE_RESERVED), nullptr);
}

} /* namespace */
