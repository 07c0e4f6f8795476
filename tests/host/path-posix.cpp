/* Tests of the current-directory queries on a Unix host. */
#include <tulo/path.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string cwd()
{
    std::vector<char> Buf(70000);
    EXPECT_NE(getcwd(Buf.data(), Buf.size()), nullptr);
    return Buf.data();
}

/* Every size from 0 to one more than needed: exactly large enough works,
 * anything less overflows. */
TEST(RTPathGetCurrent, Sizes)
{
    std::string const strCwd = cwd();
    for (size_t cb = 0; cb <= strCwd.size() + 1; cb++)
    {
        SCOPED_TRACE(cb);
        char *psz = (char *)malloc(cb ? cb : 1);
        memset(psz, 'Z', cb ? cb : 1);
        int const rc = RTPathGetCurrent(psz, cb);
        if (cb > strCwd.size())
        {
            EXPECT_EQ(rc, VINF_SUCCESS);
            EXPECT_EQ(std::string(psz), strCwd);
        }
        else
        {
            EXPECT_EQ(rc, VERR_BUFFER_OVERFLOW);
        }
        free(psz);
    }
    EXPECT_EQ(RTPathGetCurrent(nullptr, 16), VERR_INVALID_POINTER);
}

/* The current directory may be longer than any fixed path limit. */
TEST(RTPathGetCurrent, Deep)
{
    int const fdOld = open(".", O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fdOld, 0);
    char szTmpl[] = "/tmp/tst-path-posix-XXXXXX";
    ASSERT_NE(mkdtemp(szTmpl), nullptr);
    ASSERT_EQ(chdir(szTmpl), 0);
    std::string const strName(250, 'd');
    for (unsigned i = 0; i < 24; i++)
    {
        ASSERT_EQ(mkdir(strName.c_str(), 0700), 0);
        ASSERT_EQ(chdir(strName.c_str()), 0);
    }
    std::string const strCwd = cwd();
    ASSERT_GT(strCwd.size(), 6000u);
    std::vector<char> Buf(strCwd.size() + 1);
    EXPECT_EQ(RTPathGetCurrent(Buf.data(), Buf.size()), VINF_SUCCESS);
    EXPECT_EQ(std::string(Buf.data()), strCwd);
    EXPECT_EQ(RTPathGetCurrent(Buf.data(), RTPATH_MAX), VERR_BUFFER_OVERFLOW);

    /* Removed while current. */
    ASSERT_EQ(fchdir(fdOld), 0);
    ASSERT_EQ(system(("rm -rf '" + std::string(szTmpl) + "'").c_str()), 0);
    char szGone[] = "/tmp/tst-path-posix-XXXXXX";
    ASSERT_NE(mkdtemp(szGone), nullptr);
    ASSERT_EQ(chdir(szGone), 0);
    ASSERT_EQ(rmdir(szGone), 0);
    char sz[RTPATH_MAX];
    EXPECT_EQ(RTPathGetCurrent(sz, sizeof(sz)), VERR_PATH_NOT_FOUND);
    EXPECT_EQ(fchdir(fdOld), 0);
    close(fdOld);
}

TEST(RTPathGetCurrentDrive, Root)
{
    struct
    {
        size_t      cb;
        int         rc;
    } const s_aCases[] = { { 0, VERR_BUFFER_OVERFLOW }, { 1, VERR_BUFFER_OVERFLOW }, { 2, VINF_SUCCESS }, { 64, VINF_SUCCESS } };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.cb);
        char sz[64];
        memset(sz, 'Z', sizeof(sz));
        EXPECT_EQ(RTPathGetCurrentDrive(sz, Case.cb), Case.rc);
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_STREQ(sz, "/");
        }
        else
        {
            EXPECT_EQ(sz[0], 'Z');
        }
    }
    EXPECT_EQ(RTPathGetCurrentDrive(nullptr, 8), VERR_INVALID_POINTER);
}

TEST(RTPathGetCurrentOnDrive, DriveRoot)
{
    struct
    {
        char        chDrive;
        size_t      cb;
        int         rc;
        const char *pszExpect;
    } const s_aCases[] =
    {
        { 'C', 4,  VINF_SUCCESS,           R"(C:\)" },
        { 'd', 64, VINF_SUCCESS,           R"(d:\)" },
        { 'C', 3,  VERR_BUFFER_OVERFLOW,   nullptr },
        { 'C', 0,  VERR_BUFFER_OVERFLOW,   nullptr },
        { '1', 8,  VERR_INVALID_PARAMETER, nullptr },
        { '\\', 8, VERR_INVALID_PARAMETER, nullptr },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << Case.chDrive << " " << Case.cb);
        char sz[64];
        memset(sz, 'Z', sizeof(sz));
        EXPECT_EQ(RTPathGetCurrentOnDrive(Case.chDrive, sz, Case.cb), Case.rc);
        if (Case.pszExpect)
        {
            EXPECT_STREQ(sz, Case.pszExpect);
        }
        else
        {
            EXPECT_EQ(sz[0], 'Z');
        }
    }
}

} /* namespace */
