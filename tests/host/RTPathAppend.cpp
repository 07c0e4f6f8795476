/* Tests of appending to a path in place. */
#include <tulo/path.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

/** Appends in a heap buffer of cb bytes holding strPath; returns the status
 * and leaves the buffer's string in *pstrOut. */
int appendEx(const std::string &strPath, size_t cb, const char *pszAppend, size_t cchMax, uint32_t fFlags,
             std::string *pstrOut)
{
    char *psz = (char *)malloc(cb);
    memset(psz, 'Z', cb);
    memcpy(psz, strPath.c_str(), std::min(cb, strPath.size() + 1));
    int const rc = RTPathAppendEx(psz, cb, pszAppend, cchMax, fFlags);
    *pstrOut = std::string(psz, strnlen(psz, cb));
    free(psz);
    return rc;
}

struct APPENDCASE
{
    const char *pszPath;
    const char *pszAppend;
    size_t      cchMax;
    uint32_t    fFlags;
    const char *pszExpect;
};

const APPENDCASE g_aCases[] =
{
    { R"(C:)",          "x",            RTSTR_MAX,  DOS,    R"(C:x)" },
    { R"(C:)",          R"(\x)",        RTSTR_MAX,  DOS,    R"(C:\x)" },
    { R"(C:\)",         R"(\x)",        RTSTR_MAX,  DOS,    R"(C:\x)" },
    { R"(C:\\\)",       R"(x)",         RTSTR_MAX,  DOS,    R"(C:\x)" },
    { R"(C:\)",         R"(\\\)",       RTSTR_MAX,  DOS,    R"(C:\)" },
    { R"(C:/)",         R"(x)",         RTSTR_MAX,  DOS,    R"(C:/x)" },
    { R"(a\\\)",        "x",            RTSTR_MAX,  DOS,    R"(a\x)" },
    { R"(a//)",         "/x",           RTSTR_MAX,  DOS,    R"(a/x)" },
    { R"(a)",           R"(\\x)",       RTSTR_MAX,  DOS,    R"(a\x)" },
    { R"(a)",           R"(/\x)",       RTSTR_MAX,  DOS,    R"(a\x)" },
    { "",               "x",            RTSTR_MAX,  DOS,    "x" },
    { "",               R"(\\x)",       RTSTR_MAX,  DOS,    R"(\\x)" },
    { "a",              "b",            RTSTR_MAX,  DOS,    R"(a\b)" },
    { "ab:",            "c",            RTSTR_MAX,  DOS,    R"(ab:\c)" },
    { "1:",             "c",            RTSTR_MAX,  DOS,    R"(1:\c)" },
    { R"(\)",           R"(\x)",        RTSTR_MAX,  DOS,    R"(\x)" },
    { R"(\\)",          "x",            RTSTR_MAX,  DOS,    R"(\\x)" },
    { R"(\\srv\)",      "x",            RTSTR_MAX,  DOS,    R"(\\srv\x)" },
    { R"(\\srv\\)",     "x",            RTSTR_MAX,  DOS,    R"(\\srv\\x)" },
    { R"(\\srv\share\\\)", "x",         RTSTR_MAX,  DOS,    R"(\\srv\share\x)" },
    { R"(\\srv)",       "share",        RTSTR_MAX,  DOS,    R"(\\srv\share)" },
    { "dir",            "file.txt",     4,          DOS,    R"(dir\file)" },
    { "dir",            "file",         0,          DOS,    "dir" },
    { "dir",            "",             RTSTR_MAX,  DOS,    "dir" },
    { "dir",            nullptr,        RTSTR_MAX,  DOS,    "dir" },
    /* Unix style: no drives, '\' is part of a name. */
    { "/",              "x",            RTSTR_MAX,  UNIX,   "/x" },
    { "///",            "//x",          RTSTR_MAX,  UNIX,   "/x" },
    { "a///",           "x",            RTSTR_MAX,  UNIX,   "a/x" },
    { "a",              "//x",          RTSTR_MAX,  UNIX,   "a/x" },
    { "C:",             "x",            RTSTR_MAX,  UNIX,   "C:/x" },
    { R"(a\)",          R"(\x)",        RTSTR_MAX,  UNIX,   R"(a\/\x)" },
    { "a",              "b",            RTSTR_MAX,  RTPATH_STR_F_STYLE_HOST, "a/b" },
};

TEST(RTPathAppendEx, Table)
{
    for (const APPENDCASE &Case : g_aCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' text '"
                                        << (Case.pszAppend ? Case.pszAppend : "(none)") << "' max " << Case.cchMax
                                        << " style " << Case.fFlags);
        size_t const cchExpect = strlen(Case.pszExpect);
        std::string  strOut;
        EXPECT_EQ(appendEx(Case.pszPath, 64, Case.pszAppend, Case.cchMax, Case.fFlags, &strOut), VINF_SUCCESS);
        EXPECT_EQ(strOut, Case.pszExpect);

        /* Exactly large enough, and one byte less: then the path is untouched. */
        size_t const cbFit = std::max(cchExpect, strlen(Case.pszPath)) + 1;
        EXPECT_EQ(appendEx(Case.pszPath, cbFit, Case.pszAppend, Case.cchMax, Case.fFlags, &strOut), VINF_SUCCESS);
        EXPECT_EQ(strOut, Case.pszExpect);
        if (cchExpect >= strlen(Case.pszPath) + 1)
        {
            EXPECT_EQ(appendEx(Case.pszPath, cchExpect, Case.pszAppend, Case.cchMax, Case.fFlags, &strOut),
                      VERR_BUFFER_OVERFLOW);
            EXPECT_EQ(strOut, Case.pszPath);
        }
    }
}

TEST(RTPathAppend, HostStyle)
{
    /* The host build's style is Unix. */
    struct
    {
        const char *pszPath;
        const char *pszAppend;
        const char *pszExpect;
    } const s_aCases[] =
    {
        { "/usr",   "lib",      "/usr/lib" },
        { "/usr/",  "/lib",     "/usr/lib" },
        { "C:",     "x",        "C:/x" },
        { R"(a\)",  "x",        R"(a\/x)" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        char sz[32];
        strcpy(sz, Case.pszPath);
        EXPECT_EQ(RTPathAppend(sz, sizeof(sz), Case.pszAppend), VINF_SUCCESS);
        EXPECT_STREQ(sz, Case.pszExpect);
        strcpy(sz, Case.pszPath);
        EXPECT_EQ(RTPathAppend(sz, strlen(Case.pszExpect), Case.pszAppend), VERR_BUFFER_OVERFLOW);
        EXPECT_STREQ(sz, Case.pszPath);
    }
}

TEST(RTPathAppendEx, ArgumentErrors)
{
    char sz[8];
    memcpy(sz, "abcdefgh", 8);      /* no terminator within the size */
    EXPECT_EQ(RTPathAppendEx(sz, sizeof(sz), "x", RTSTR_MAX, DOS), VERR_INVALID_PARAMETER);
    EXPECT_EQ(memcmp(sz, "abcdefgh", 8), 0);
    EXPECT_EQ(RTPathAppendEx(sz, 0, "x", RTSTR_MAX, DOS), VERR_INVALID_PARAMETER);
    strcpy(sz, "a");
    EXPECT_EQ(RTPathAppendEx(sz, sizeof(sz), "x", RTSTR_MAX, RTPATH_STR_F_STYLE_RESERVED), VERR_INVALID_FLAGS);
    EXPECT_EQ(RTPathAppendEx(sz, sizeof(sz), "x", RTSTR_MAX, DOS | RTPATH_STR_F_NO_END), VERR_INVALID_FLAGS);
    EXPECT_EQ(RTPathAppendEx(nullptr, sizeof(sz), "x", RTSTR_MAX, DOS), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathAppendEx(sz, sizeof(sz), (const char *)100, RTSTR_MAX, DOS), VERR_INVALID_POINTER);
    EXPECT_STREQ(sz, "a");
}

/* The text need not be terminated within its maximum length. */
TEST(RTPathAppendEx, UnterminatedText)
{
    char *pachText = (char *)malloc(3);
    memcpy(pachText, "xyz", 3);
    std::string strOut;
    EXPECT_EQ(appendEx("d", 16, pachText, 3, UNIX, &strOut), VINF_SUCCESS);
    EXPECT_EQ(strOut, "d/xyz");
    free(pachText);
}

} /* namespace */
