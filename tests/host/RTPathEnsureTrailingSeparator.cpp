/* Tests of making a path end in a separator. */
#include <tulo/path.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

TEST(RTPathEnsureTrailingSeparator, Table)
{
    struct
    {
        const char *pszPath;
        size_t      cb;
        uint32_t    fFlags;
        size_t      cchResult;      /**< 0: does not fit */
        const char *pszExpect;      /**< the buffer afterwards */
    } const s_aCases[] =
    {
        { R"(C:\dir)",      8,  DOS,  7, R"(C:\dir\)" },
        { R"(C:\dir)",      7,  DOS,  0, R"(C:\dir)" },
        { R"(C:\dir\)",     8,  DOS,  7, R"(C:\dir\)" },
        { R"(C:\dir/)",     8,  DOS,  7, R"(C:\dir/)" },
        { R"(C:)",          3,  DOS,  2, R"(C:)" },
        { "",               3,  DOS,  2, R"(.\)" },
        { "",               2,  DOS,  0, "" },
        { "dir",            5,  UNIX, 4, "dir/" },
        { "dir",            4,  UNIX, 0, "dir" },
        { R"(dir\)",        6,  UNIX, 5, R"(dir\/)" },
        { "C:",             4,  UNIX, 3, "C:/" },
        { "",               3,  UNIX, 2, "./" },
        { "dir",            5,  RTPATH_STR_F_STYLE_HOST, 4, "dir/" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "'" << Case.pszPath << "' size " << Case.cb << " style " << Case.fFlags);
        char sz[16];
        memset(sz, 'Z', sizeof(sz));
        strcpy(sz, Case.pszPath);
        EXPECT_EQ(RTPathEnsureTrailingSeparatorEx(sz, Case.cb, Case.fFlags), Case.cchResult);
        EXPECT_STREQ(sz, Case.pszExpect);
        EXPECT_EQ(sz[Case.cb], Case.cb > strlen(Case.pszPath) + 1 ? sz[Case.cb] : 'Z') << "written past the size";
    }

    char sz[8];
    memcpy(sz, "abcdefgh", 8);
    EXPECT_EQ(RTPathEnsureTrailingSeparatorEx(sz, sizeof(sz), DOS), 0u);   /* no terminator within the size */
    EXPECT_EQ(memcmp(sz, "abcdefgh", 8), 0);
    strcpy(sz, "a");
    EXPECT_EQ(RTPathEnsureTrailingSeparator(sz, sizeof(sz)), 2u);
    EXPECT_STREQ(sz, "a/");
    EXPECT_EQ(RTPathEnsureTrailingSeparator(nullptr, 8), 0u);
}

} /* namespace */
