/* Tests of joining two paths: RTPathJoin and RTPathJoinA. */
#include <tulo/path.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

/* The host build's style is Unix. */
struct JOINCASE
{
    const char *pszFirst;
    const char *pszSecond;
    const char *pszExpect;
};

const JOINCASE g_aCases[] =
{
    { "/usr",       "lib",      "/usr/lib" },
    { "/usr//",     "//lib",    "/usr/lib" },
    { "usr",        "/lib",     "usr/lib" },
    { "",           "lib",      "lib" },
    { "/usr",       "",         "/usr" },
    { "/usr",       nullptr,    "/usr" },
    { "/",          "/",        "/" },
    { "C:",         "x",        "C:/x" },
};

TEST(RTPathJoin, Table)
{
    for (const JOINCASE &Case : g_aCases)
    {
        SCOPED_TRACE(testing::Message() << "'" << Case.pszFirst << "' + '" << (Case.pszSecond ? Case.pszSecond : "(none)") << "'");
        size_t const cchExpect = strlen(Case.pszExpect);
        for (size_t cb = 0; cb <= cchExpect + 1; cb++)
        {
            SCOPED_TRACE(cb);
            char *psz = (char *)malloc(cb ? cb : 1);
            memset(psz, 'Z', cb ? cb : 1);
            int const rc = RTPathJoin(psz, cb, Case.pszFirst, Case.pszSecond);
            if (cb > cchExpect)
            {
                EXPECT_EQ(rc, VINF_SUCCESS);
                EXPECT_STREQ(psz, Case.pszExpect);
            }
            else
            {
                EXPECT_EQ(rc, VERR_BUFFER_OVERFLOW);
                if (cb)
                {
                    EXPECT_STREQ(psz, "") << "a failed join must not look like a path";
                }
                else
                {
                    EXPECT_EQ(psz[0], 'Z');
                }
            }
            free(psz);
        }

        char *pszJoined = RTPathJoinA(Case.pszFirst, Case.pszSecond);
        ASSERT_NE(pszJoined, nullptr);
        EXPECT_STREQ(pszJoined, Case.pszExpect);
        RTStrRelease(pszJoined);
    }
}

/* Joining onto the first path in place; a failure keeps it. */
TEST(RTPathJoin, InPlace)
{
    char sz[10];
    strcpy(sz, "/usr");
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), sz, "lib"), VINF_SUCCESS);
    EXPECT_STREQ(sz, "/usr/lib");
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), sz, "x"), VERR_BUFFER_OVERFLOW);
    EXPECT_STREQ(sz, "/usr/lib");
}

TEST(RTPathJoin, ArgumentErrors)
{
    char sz[16];
    memset(sz, 'Z', sizeof(sz));
    EXPECT_EQ(RTPathJoin(nullptr, sizeof(sz), "a", "b"), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), nullptr, "b"), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathJoin(sz, sizeof(sz), "a", (const char *)-1), VERR_INVALID_POINTER);
    EXPECT_EQ(sz[0], 'Z');
    EXPECT_EQ(RTPathJoinA(nullptr, "b"), nullptr);
    EXPECT_EQ(RTPathJoinA("a", (const char *)1), nullptr);
}

/* The worst case of RTPathJoinA's size: a separator added between. */
TEST(RTPathJoinA, LongPaths)
{
    std::string const strFirst(5000, 'a');
    std::string const strSecond(3000, 'b');
    char *psz = RTPathJoinA(strFirst.c_str(), strSecond.c_str());
    ASSERT_NE(psz, nullptr);
    EXPECT_EQ(std::string(psz), strFirst + "/" + strSecond);
    RTStrRelease(psz);
}

} /* namespace */
