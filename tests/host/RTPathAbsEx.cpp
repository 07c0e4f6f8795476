/* Tests of absolute paths: RTPathAbsEx, RTPathAbs and RTPathAbsExDup. */
#include <tulo/path.h>
#include <tulo/string.h>
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

constexpr uint32_t DOS    = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX   = RTPATH_STR_F_STYLE_UNIX;
constexpr uint32_t BASE   = RTPATHABS_F_STOP_AT_BASE;
constexpr uint32_t CWD    = RTPATHABS_F_STOP_AT_CWD;
constexpr uint32_t ENSURE = RTPATHABS_F_ENSURE_TRAILING_SLASH;

/** One call into an exactly sized heap buffer (a pattern first, so that a
 * missing terminator shows). */
struct AbsResult
{
    int         rc;
    size_t      cb;         /**< the in/out size after the call */
    std::string str;        /**< the buffer's string after the call */
};

AbsResult absEx(const char *pszBase, const std::string &strPath, uint32_t fFlags, size_t cbBuf)
{
    char *psz = (char *)malloc(cbBuf ? cbBuf : 1);
    memset(psz, 'Z', cbBuf ? cbBuf : 1);
    AbsResult Res;
    Res.cb  = cbBuf;
    Res.rc  = RTPathAbsEx(pszBase, strPath.c_str(), fFlags, psz, &Res.cb);
    if (cbBuf)
    {
        EXPECT_TRUE(memchr(psz, '\0', cbBuf) != nullptr) << "unterminated output";
        Res.str = psz;
    }
    free(psz);
    return Res;
}

std::string repeat(const std::string &Str, size_t c)
{
    std::string Out;
    for (size_t i = 0; i < c; i++)
        Out += Str;
    return Out;
}

std::string rcText(int rc)
{
    return "<" + std::to_string(rc) + ">";
}

/** The result, or the status in angle brackets. */
std::string abs(const char *pszBase, const std::string &strPath, uint32_t fFlags, size_t cbBuf = 70000)
{
    AbsResult Res = absEx(pszBase, strPath, fFlags, cbBuf);
    if (RT_FAILURE(Res.rc))
        return rcText(Res.rc);
    EXPECT_EQ(Res.cb, Res.str.size()) << "the size out is the result's length";
    return Res.str;
}

/**
 * Every buffer size around the result's length: below it the call overflows,
 * leaves an empty string and asks for a size that works (exactly length + 1
 * when fExact); from length + 1 on it succeeds with the same result.
 */
void checkSizes(const char *pszBase, const std::string &strPath, uint32_t fFlags, const std::string &strExpect, bool fExact)
{
    size_t const cchExpect = strExpect.size();
    /* All sizes of short results; the edges and a few between of long ones. */
    std::vector<size_t> aSizes;
    for (size_t cb = 0; cb <= cchExpect + 2; cb++)
        if (cchExpect < 300 || cb < 8 || cb + 8 > cchExpect || cb % 509 == 0)
            aSizes.push_back(cb);
    for (size_t cb : aSizes)
    {
        SCOPED_TRACE(testing::Message() << "buffer size " << cb);
        AbsResult Res = absEx(pszBase, strPath, fFlags, cb);
        if (cb > cchExpect)
        {
            EXPECT_EQ(Res.rc, VINF_SUCCESS);
            EXPECT_EQ(Res.str, strExpect);
            EXPECT_EQ(Res.cb, cchExpect);
            continue;
        }
        ASSERT_EQ(Res.rc, VERR_BUFFER_OVERFLOW);
        if (cb)
        {
            EXPECT_EQ(Res.str, "");
        }
        if (fExact)
        {
            EXPECT_EQ(Res.cb, cchExpect + 1);
        }
        else
        {
            EXPECT_GT(Res.cb, cchExpect);
        }
        AbsResult Retry = absEx(pszBase, strPath, fFlags, Res.cb);
        EXPECT_EQ(Retry.rc, VINF_SUCCESS);
        EXPECT_EQ(Retry.str, strExpect);
    }
}

struct ABSCASE
{
    const char *pszBase;
    const char *pszPath;
    uint32_t    fFlags;
    const char *pszExpect;      /**< result, or "<rc>" */
};

/* Cases that need no current directory (a drive's current directory is its
 * root on this host, as on Windows for a drive never made current). */
const ABSCASE g_aDosCases[] =
{
    /* Absolute paths. */
    { nullptr,              R"(C:\a\.\b\..\c)",     DOS,            R"(C:\a\c)" },
    { nullptr,              R"(c:\x)",              DOS,            R"(C:\x)" },
    { nullptr,              R"(c:\a\..\x)",         DOS,            R"(C:\x)" },
    { nullptr,              R"(C:/a//b/)",          DOS,            R"(C:\a\b\)" },
    { nullptr,              R"(C:\..\..\x)",        DOS,            R"(C:\x)" },
    { nullptr,              R"(C:\a\)",             DOS,            R"(C:\a\)" },
    { nullptr,              R"(C:\a)",              DOS | ENSURE,   R"(C:\a\)" },
    { nullptr,              R"(C:\)",               DOS | ENSURE,   R"(C:\)" },
    { nullptr,              R"(C:\.)",              DOS | ENSURE,   R"(C:\)" },
    { "D:\\other",          R"(C:\a\.\b)",          DOS,            R"(C:\a\b)" },
    /* UNC, device and raw paths. */
    { nullptr,              R"(\\srv\share\..\x)",  DOS,            R"(\\srv\share\x)" },
    { nullptr,              R"(\\srv\share\..\..\x)", DOS,          R"(\\srv\share\x)" },
    { nullptr,              R"(//srv/share/a/./b)", DOS,            R"(\\srv\share\a\b)" },
    { nullptr,              R"(\\srv)",             DOS | ENSURE,   R"(\\srv)" },
    { nullptr,              R"(\\srv\share)",       DOS | ENSURE,   R"(\\srv\share\)" },
    { nullptr,              R"(\\?\C:\x)",          DOS,            R"(\\?\C:\x)" },
    { nullptr,              R"(\\?\C:\..\x)",       DOS,            R"(\\?\x)" },
    { nullptr,              R"(\\.\pipe\..\..\p)",  DOS,            R"(\\.\p)" },
    /* The share is protected whatever its name, as the platform does it. */
    { nullptr,              R"(\\srv\.\x)",         DOS,            R"(\\srv\.\x)" },
    { nullptr,              R"(\\srv\.\..\x)",     DOS,            R"(\\srv\.\x)" },
    { nullptr,              R"(\\srv\..\x)",        DOS,            R"(\\srv\..\x)" },
    { nullptr,              R"(//\.)",               DOS,            R"(\\\.)" },
    /* Rooted on the base's drive or share. */
    { R"(\\srv\share\sub)", R"(\dir)",              DOS,            R"(\\srv\share\dir)" },
    { R"(//srv/share)",     R"(/dir/..\x\)",        DOS,            R"(\\srv\share\x\)" },
    { R"(\\srv)",           R"(\dir)",              DOS,            R"(\\srv\dir)" },
    { R"(\\?\C:\x)",        R"(\dir)",              DOS,            R"(\\?\dir)" },
    { R"(d:\base)",         R"(\dir)",              DOS,            R"(D:\dir)" },
    { R"(d:rel)",           R"(\dir\.)",            DOS | ENSURE,   R"(D:\dir\)" },
    /* Drive-relative paths. */
    { R"(d:\base)",         R"(D:x)",               DOS,            R"(D:\base\x)" },
    { R"(C:\base)",         R"(D:x)",               DOS,            R"(D:\x)" },
    { R"(C:\base)",         R"(d:)",                DOS,            R"(D:\)" },
    { R"(C:\a)",            R"(C:)",                DOS,            R"(C:\a)" },
    { R"(C:\a\b)",          R"(c:..\x)",            DOS,            R"(C:\a\x)" },
    { nullptr,              R"(e:x\..\y)",          DOS,            R"(E:\y)" },
    /* Relative paths against a base. */
    { R"(C:\a)",            R"(..\..\x)",           DOS | BASE,     R"(C:\a\x)" },
    { R"(C:\a)",            R"(..\..\x)",           DOS,            R"(C:\x)" },
    { R"(C:\a)",            R"(..\..\x)",           DOS | CWD,      R"(C:\x)" },
    { R"(C:\a\)",           R"(.)",                 DOS,            R"(C:\a)" },
    { R"(C:\a\)",           R"(.\)",                DOS,            R"(C:\a\)" },
    { R"(C:\a)",            R"(.)",                 DOS | ENSURE,   R"(C:\a\)" },
    { R"(C:\)",             R"(.)",                 DOS | ENSURE,   R"(C:\)" },
    { R"(C:\)",             R"(..)",                DOS,            R"(C:\)" },
    { R"(C:\a)",            R"(b)",                 DOS | ENSURE,   R"(C:\a\b\)" },
    { R"(c:\A\.\B\..\c)",   R"(x)",                 DOS,            R"(C:\A\c\x)" },
    { R"(C:\\a\\)",         R"(x)",                 DOS,            R"(C:\a\x)" },
    { R"(C:\a\b)",          R"(x\..\..)",           DOS,            R"(C:\a)" },
    { R"(C:\a\b)",          R"(x\..\..\)",          DOS,            R"(C:\a\)" },
    { R"(C:\a\b)",          R"(a\\\b//c)",          DOS,            R"(C:\a\b\a\b\c)" },
    { R"(\\srv\share\sub)", R"(..\..\..\x)",        DOS,            R"(\\srv\share\x)" },
    { R"(\\srv\share)",     R"(x)",                 DOS,            R"(\\srv\share\x)" },
    { R"(\\srv\)",          R"(x)",                 DOS,            R"(\\srv\x)" },
    { R"(\\.\pipe)",        R"(..\x)",              DOS,            R"(\\.\x)" },
    { R"(\\?\C:\x)",        R"(..\..\y)",           DOS,            R"(\\?\y)" },
    /* Bases that cannot carry a path. */
    { R"(\\srv)",           R"(x)",                 DOS,            "<-142>" },
    { R"(\\)",              R"(x)",                 DOS,            "<-142>" },
    { R"(\\srv)",           R"(.)",                 DOS,            "<-142>" },
};

const ABSCASE g_aUnixCases[] =
{
    { nullptr,              "/a/b/../../..",        UNIX,           "/" },
    { nullptr,              "//a/./b//",            UNIX,           "/a/b/" },
    { nullptr,              "/a/./b",               UNIX | ENSURE,  "/a/b/" },
    { nullptr,              R"(/a\b)",              UNIX,           R"(/a\b)" },
    { nullptr,              "//",                   UNIX,           "/" },
    { "/base/dir",          "../x",                 UNIX,           "/base/x" },
    { "/base/dir",          "../../../x",           UNIX,           "/x" },
    { "/base/dir",          "../../../x",           UNIX | BASE,    "/base/dir/x" },
    { "/",                  "x/",                   UNIX,           "/x/" },
    { "//base//./dir/",     "x",                    UNIX,           "/base/dir/x" },
    { "/base/../other",     "./x/.",                UNIX,           "/other/x" },
    { "/base",              "C:x",                  UNIX,           "/base/C:x" },
    { "/base",              R"(\dir)",              UNIX,           R"(/base/\dir)" },
    { "/b",                 ".",                    UNIX,           "/b" },
    { "/b",                 "./",                   UNIX,           "/b/" },
    { "/b/",                ".",                    UNIX | ENSURE,  "/b/" },
    { "/b",                 "x//y",                 UNIX | ENSURE,  "/b/x/y/" },
    { "/a/b",               "x",                    RTPATH_STR_F_STYLE_HOST, "/a/b/x" },
};

TEST(RTPathAbsEx, DosTable)
{
    for (const ABSCASE &Case : g_aDosCases)
    {
        SCOPED_TRACE(testing::Message() << "base '" << (Case.pszBase ? Case.pszBase : "(none)") << "' path '"
                                        << Case.pszPath << "' flags " << std::hex << Case.fFlags);
        EXPECT_EQ(abs(Case.pszBase, Case.pszPath, Case.fFlags), Case.pszExpect);
    }
}

TEST(RTPathAbsEx, UnixTable)
{
    for (const ABSCASE &Case : g_aUnixCases)
    {
        SCOPED_TRACE(testing::Message() << "base '" << (Case.pszBase ? Case.pszBase : "(none)") << "' path '"
                                        << Case.pszPath << "' flags " << std::hex << Case.fFlags);
        EXPECT_EQ(abs(Case.pszBase, Case.pszPath, Case.fFlags), Case.pszExpect);
    }
}

/* Every case again with every buffer size up to its length. The size asked
 * for is exact unless the base itself had to be made absolute first. */
TEST(RTPathAbsEx, BufferSizes)
{
    for (const ABSCASE *paCases : { &g_aDosCases[0], &g_aUnixCases[0] })
    {
        size_t const cCases = paCases == g_aDosCases ? RT_ELEMENTS(g_aDosCases) : RT_ELEMENTS(g_aUnixCases);
        for (size_t i = 0; i < cCases; i++)
        {
            const ABSCASE &Case = paCases[i];
            if (Case.pszExpect[0] == '<')
                continue;
            SCOPED_TRACE(testing::Message() << "base '" << (Case.pszBase ? Case.pszBase : "(none)") << "' path '"
                                            << Case.pszPath << "'");
            bool fExact = true;
            if (Case.pszBase)
            {
                union { RTPATHPARSED Rec; uint8_t ab[1024]; } u;
                ASSERT_GE(RTPathParse(Case.pszBase, &u.Rec, sizeof(u), Case.fFlags & RTPATH_STR_F_STYLE_MASK), 0);
                fExact = (u.Rec.fProps & (RTPATH_PROP_ABSOLUTE | RTPATH_PROP_EXTRA_SLASHES | RTPATH_PROP_DOT_REFS))
                      == RTPATH_PROP_ABSOLUTE;
            }
            checkSizes(Case.pszBase, Case.pszPath, Case.fFlags, Case.pszExpect, fExact);
        }
    }
}

TEST(RTPathAbsEx, ArgumentErrors)
{
    struct
    {
        const char *pszBase;
        const char *pszPath;
        uint32_t    fFlags;
        int         rc;
    } const s_aCases[] =
    {
        { nullptr,  "",         DOS,                            VERR_PATH_ZERO_LENGTH },
        { "/b",     "",         UNIX,                           VERR_PATH_ZERO_LENGTH },
        { nullptr,  "/a",       RTPATH_STR_F_STYLE_RESERVED,    VERR_INVALID_FLAGS },
        { nullptr,  "/a",       UNIX | RTPATH_STR_F_NO_START,   VERR_INVALID_FLAGS },
        { nullptr,  "/a",       UNIX | RTPATH_STR_F_NO_END,     VERR_INVALID_FLAGS },
        { nullptr,  "/a",       UNIX | 0x80000,                 VERR_INVALID_FLAGS },
        { nullptr,  "/a",       UNIX | 0x4,                     VERR_INVALID_FLAGS },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' flags " << std::hex << Case.fFlags);
        char   sz[64];
        memset(sz, 'Z', sizeof(sz));
        size_t cb = sizeof(sz);
        EXPECT_EQ(RTPathAbsEx(Case.pszBase, Case.pszPath, Case.fFlags, sz, &cb), Case.rc);
        EXPECT_EQ(cb, sizeof(sz));
        EXPECT_EQ(sz[0], 'Z') << "a refused call must not touch the buffer";
    }

    char   sz[64];
    size_t cb = sizeof(sz);
    EXPECT_EQ(RTPathAbsEx(nullptr, nullptr, UNIX, sz, &cb), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAbsEx((const char *)4095, "a", UNIX, sz, &cb), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAbsEx(nullptr, "/a", UNIX, nullptr, &cb), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAbsEx(nullptr, "/a", UNIX, sz, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAbs(nullptr, sz, sizeof(sz)), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAbs("", sz, sizeof(sz)), VERR_PATH_ZERO_LENGTH);
}

/* Beyond the classic 260 characters and around the 4100-byte buffers callers
 * use; the parser's limit of 65535 characters applies to path and base. */
TEST(RTPathAbsEx, LongPaths)
{
    std::string const str300 = R"(C:\)" + repeat(R"(dir\)", 75);         /* 303 characters */
    EXPECT_EQ(abs(nullptr, str300 + "x", DOS), str300 + "x");
    EXPECT_EQ(abs(R"(C:\)", repeat(R"(dir\)", 75) + "x", DOS), str300 + "x");

    struct
    {
        size_t cchResult;
        int    rc;
        size_t cbOut;
    } const s_aCases[] =
    {
        { 4098, VINF_SUCCESS,         4098 },
        { 4099, VINF_SUCCESS,         4099 },
        { 4100, VERR_BUFFER_OVERFLOW, 4101 },
        { 5000, VERR_BUFFER_OVERFLOW, 5001 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.cchResult);
        /* The result is "/base/" and a name filling the rest. */
        std::string const strName(Case.cchResult - 6, 'n');
        AbsResult Res = absEx("/base", strName, UNIX, RTPATH_MAX);
        EXPECT_EQ(Res.rc, Case.rc);
        EXPECT_EQ(Res.cb, Case.cbOut);
        if (RT_SUCCESS(Res.rc))
        {
            EXPECT_EQ(Res.str, "/base/" + strName);
        }
        Res = absEx(nullptr, "C:/" + std::string(Case.cchResult - 3, 'n'), DOS, RTPATH_MAX);
        EXPECT_EQ(Res.rc, Case.rc);
        EXPECT_EQ(Res.cb, Case.cbOut);
    }

    EXPECT_EQ(abs(nullptr, "/" + std::string(65534, 'a'), UNIX, 65536), "/" + std::string(65534, 'a'));
    EXPECT_EQ(abs(nullptr, "/" + std::string(65535, 'a'), UNIX), rcText(VERR_FILENAME_TOO_LONG));
    std::string const strLongBase = "/" + std::string(65535, 'b');
    EXPECT_EQ(abs(strLongBase.c_str(), "x", UNIX), rcText(VERR_FILENAME_TOO_LONG));
    /* Base and path may each be near the limit; the result is not limited. */
    std::string const strBase = "/" + std::string(40000, 'b');
    std::string const strPath(40000, 'p');
    EXPECT_EQ(abs(strBase.c_str(), strPath, UNIX, 90000), strBase + "/" + strPath);
}

/* More components than the parsed record in automatic storage holds. */
TEST(RTPathAbsEx, ManyComponents)
{
    struct
    {
        std::string strBase;    /**< empty: none */
        std::string strPath;
        uint32_t    fFlags;
        std::string strExpect;
    } const s_aCases[] =
    {
        { "",               R"(C:\)" + repeat(R"(c\.\)", 300) + "x",       DOS,  R"(C:\)" + repeat(R"(c\)", 300) + "x" },
        { "",               R"(C:\)" + repeat(R"(c\..\)", 300) + "x",      DOS,  R"(C:\x)" },
        { "/b",             repeat("c/", 300) + repeat("../", 299) + "x",      UNIX, "/b/c/x" },
        { "/" + repeat("d/./", 300), repeat("../", 299) + "x",               UNIX, "/d/x" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.strPath.substr(0, 40));
        EXPECT_EQ(abs(Case.strBase.empty() ? nullptr : Case.strBase.c_str(), Case.strPath, Case.fFlags), Case.strExpect);
    }
}

/* Compares equal and is freed with the string free. */
TEST(RTPathAbsExDup, MatchesAbsEx)
{
    struct
    {
        const char *pszBase;
        std::string strPath;
        uint32_t    fFlags;
    } const s_aCases[] =
    {
        { R"(C:\a)",    R"(..\b\.\c)",                          DOS },
        { nullptr,      R"(\\srv\share\x\..\y)",                DOS | ENSURE },
        { "/base",      std::string(2040, 'x'),                 UNIX },     /* just fits 2050 */
        { "/base",      std::string(2044, 'x'),                 UNIX },     /* the first retry */
        { "/base",      repeat(std::string(200, 'y') + "/", 300), UNIX },   /* several retries */
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.strPath.substr(0, 40));
        std::string const strExpect = abs(Case.pszBase, Case.strPath, Case.fFlags);
        ASSERT_NE(strExpect[0], '<');
        char *psz = RTPathAbsExDup(Case.pszBase, Case.strPath.c_str(), Case.fFlags);
        ASSERT_NE(psz, nullptr);
        EXPECT_EQ(std::string(psz), strExpect);
        RTStrRelease(psz);
    }
    EXPECT_EQ(RTPathAbsExDup(nullptr, "", DOS), nullptr);
    EXPECT_EQ(RTPathAbsExDup(R"(\\srv)", "x", DOS), nullptr);
    EXPECT_EQ(RTPathAbsExDup(nullptr, "/a", RTPATH_STR_F_STYLE_RESERVED), nullptr);
    EXPECT_EQ(RTPathAbsExDup(nullptr, ("/" + std::string(65535, 'a')).c_str(), UNIX), nullptr);
}

/*
 * Against the current directory: the tests move into a directory of their
 * own and back.
 */
class RTPathAbsCwd : public testing::Test
{
protected:
    void SetUp() override
    {
        m_fdOld = open(".", O_RDONLY | O_DIRECTORY);
        ASSERT_GE(m_fdOld, 0);
        char szTmpl[] = "/tmp/tst-path-abs-XXXXXX";
        ASSERT_NE(mkdtemp(szTmpl), nullptr);
        m_strTop = szTmpl;
        ASSERT_EQ(chdir(szTmpl), 0);
        m_strCwd = cwd();
    }

    void TearDown() override
    {
        if (m_fdOld >= 0)
        {
            EXPECT_EQ(fchdir(m_fdOld), 0);
            close(m_fdOld);
        }
        if (!m_strTop.empty())
        {
            EXPECT_EQ(system(("rm -rf '" + m_strTop + "'").c_str()), 0);
        }
    }

    static std::string cwd()
    {
        std::vector<char> Buf(70000);
        EXPECT_NE(getcwd(Buf.data(), Buf.size()), nullptr);
        return Buf.data();
    }

    /** Creates the directory and moves into it; relative steps, so that the
     * depth is not limited by the length of one system call's path. */
    void descend(const std::string &strName)
    {
        ASSERT_EQ(mkdir(strName.c_str(), 0700), 0);
        ASSERT_EQ(chdir(strName.c_str()), 0);
    }

    std::string parentOf(const std::string &strPath)
    {
        size_t off = strPath.rfind('/');
        return off ? strPath.substr(0, off) : "/";
    }

    int         m_fdOld = -1;
    std::string m_strTop;
    std::string m_strCwd;
};

TEST_F(RTPathAbsCwd, Table)
{
    ASSERT_EQ(mkdir("sub", 0700), 0);
    ASSERT_EQ(chdir("sub"), 0);
    std::string const strCwd    = cwd();
    std::string const strParent = parentOf(strCwd);
    struct
    {
        const char *pszBase;
        const char *pszPath;
        uint32_t    fFlags;
        std::string strExpect;
    } const s_aCases[] =
    {
        { nullptr,      "x",            UNIX,           strCwd + "/x" },
        { nullptr,      "x/",           UNIX,           strCwd + "/x/" },
        { nullptr,      "x",            UNIX | ENSURE,  strCwd + "/x/" },
        { nullptr,      ".",            UNIX,           strCwd },
        { nullptr,      "./",           UNIX,           strCwd + "/" },
        { nullptr,      ".",            UNIX | ENSURE,  strCwd + "/" },
        { nullptr,      "..",           UNIX,           strParent },
        { nullptr,      "../x",         UNIX,           strParent + "/x" },
        { nullptr,      "../x",         UNIX | CWD,     strCwd + "/x" },
        { nullptr,      "../x",         UNIX | BASE,    strParent + "/x" },
        { nullptr,      "a/../../x",    UNIX | CWD,     strCwd + "/x" },
        { nullptr,      "x",            RTPATH_STR_F_STYLE_HOST, strCwd + "/x" },
        { "",           "x",            UNIX,           strCwd + "/x" },    /* an empty base is none */
        /* A relative base is made absolute against the current directory. */
        { "b",          "x",            UNIX,           strCwd + "/b/x" },
        { "b/../c/",    "./x",          UNIX,           strCwd + "/c/x" },
        { "..",         "x",            UNIX | CWD,     strCwd + "/x" },
        { "..",         "x",            UNIX,           strParent + "/x" },
        { "b",          "../../x",      UNIX | BASE,    strCwd + "/b/x" },
        /* DOS syntax on this host: no drive, so "\dir" stays rooted. */
        { nullptr,      R"(\dir\.\x)",  DOS,            R"(\dir\x)" },
        { "rel",        R"(\dir)",      DOS,            R"(\dir)" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "base '" << (Case.pszBase ? Case.pszBase : "(none)") << "' path '"
                                        << Case.pszPath << "' flags " << std::hex << Case.fFlags);
        EXPECT_EQ(abs(Case.pszBase, Case.pszPath, Case.fFlags), Case.strExpect);
        checkSizes(Case.pszBase, Case.pszPath, Case.fFlags, Case.strExpect, !Case.pszBase || !*Case.pszBase);
    }

    char sz[RTPATH_MAX];
    EXPECT_EQ(RTPathAbs("x/./y", sz, sizeof(sz)), VINF_SUCCESS);
    EXPECT_EQ(std::string(sz), strCwd + "/x/y");
    EXPECT_EQ(RTPathAbs("..", sz, strParent.size() + 1), VINF_SUCCESS);
    EXPECT_EQ(std::string(sz), strParent);
    EXPECT_EQ(RTPathAbs("..", sz, strParent.size()), VERR_BUFFER_OVERFLOW);
    EXPECT_STREQ(sz, "");
}

/* A current directory longer than the caller's buffer is fetched into a
 * temporary one; the sizes asked for still work. */
TEST_F(RTPathAbsCwd, LongCurrentDirectory)
{
    /* Make the current directory exactly 4097 characters long. */
    size_t const cchTarget = 4097;
    while (m_strCwd.size() + 1 + 255 < cchTarget)
    {
        descend(std::string(200, 'd'));
        m_strCwd = cwd();
    }
    descend(std::string(cchTarget - m_strCwd.size() - 1, 'e'));
    m_strCwd = cwd();
    ASSERT_EQ(m_strCwd.size(), cchTarget);

    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        int         rc;
        size_t      cbOut;
        std::string strExpect;
    } const s_aCases[] =
    {
        { "x",      UNIX,           VINF_SUCCESS,         4099, m_strCwd + "/x" },
        { "xy",     UNIX,           VERR_BUFFER_OVERFLOW, 4101, m_strCwd + "/xy" },
        { ".",      UNIX,           VINF_SUCCESS,         4097, m_strCwd },
        { ".",      UNIX | ENSURE,  VINF_SUCCESS,         4098, m_strCwd + "/" },
        { "../x",   UNIX,           VINF_SUCCESS,         parentOf(m_strCwd).size() + 2, parentOf(m_strCwd) + "/x" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        AbsResult Res = absEx(nullptr, Case.pszPath, Case.fFlags, RTPATH_MAX);
        EXPECT_EQ(Res.rc, Case.rc);
        EXPECT_EQ(Res.cb, Case.cbOut);
        if (RT_SUCCESS(Res.rc))
        {
            EXPECT_EQ(Res.str, Case.strExpect);
        }
        checkSizes(nullptr, Case.pszPath, Case.fFlags, Case.strExpect, true);
    }

    /* Deeper than 4100 bytes altogether. */
    for (unsigned i = 0; i < 5; i++)
        descend(std::string(250, 'f'));
    m_strCwd = cwd();
    ASSERT_GT(m_strCwd.size(), 5000u);
    char sz[RTPATH_MAX];
    EXPECT_EQ(RTPathAbs("x", sz, sizeof(sz)), VERR_BUFFER_OVERFLOW);
    AbsResult Res = absEx(nullptr, "x", UNIX, RTPATH_MAX);
    ASSERT_EQ(Res.rc, VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(Res.cb, m_strCwd.size() + 3);
    EXPECT_EQ(abs(nullptr, "x", UNIX, Res.cb), m_strCwd + "/x");
    char *psz = RTPathAbsExDup(nullptr, "../x", UNIX);
    ASSERT_NE(psz, nullptr);
    EXPECT_EQ(std::string(psz), parentOf(m_strCwd) + "/x");
    RTStrRelease(psz);
    EXPECT_EQ(abs("rel", "x", UNIX, 8), rcText(VERR_BUFFER_OVERFLOW));
    checkSizes("rel/.", "x", UNIX, m_strCwd + "/rel/x", false);
}

} /* namespace */
