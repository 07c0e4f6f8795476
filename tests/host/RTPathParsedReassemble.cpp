/* Tests of rebuilding paths from parsed records. */
#include <tulo/path.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

/** A parsed record with room for 64 components. */
struct Parsed
{
    union
    {
        RTPATHPARSED Rec;
        uint8_t      ab[RTPATHPARSED_SIZE(64)];
    } u;
    int rc;
    Parsed(const char *pszPath, uint32_t fFlags) { rc = RTPathParse(pszPath, &u.Rec, sizeof(u), fFlags); }
};

/** Rebuilds into an exactly sized heap buffer of cb bytes; the text, or
 * "<rc>" on failure. */
std::string reassemble(const char *pszPath, PRTPATHPARSED pParsed, uint32_t fFlags, size_t cb, int *prc = nullptr)
{
    char *psz = (char *)malloc(cb ? cb : 1);
    memset(psz, 'Z', cb ? cb : 1);
    int const rc = RTPathParsedReassemble(pszPath, pParsed, fFlags, psz, cb);
    std::string Str = RT_SUCCESS(rc) ? std::string(psz) : "<" + std::to_string(rc) + ">";
    if (RT_FAILURE(rc) && cb)
    {
        EXPECT_EQ(psz[0], '\0') << "a failed rebuild must leave an empty string";
    }
    free(psz);
    if (prc)
        *prc = rc;
    return Str;
}

TEST(RTPathParsedReassemble, Table)
{
    struct
    {
        const char *pszPath;
        uint32_t    fParse;
        uint32_t    fStyle;
        const char *pszExpect;
    } const s_aCases[] =
    {
        { R"(C:/a//b/)",        DOS,  DOS,  R"(C:\a\b\)" },
        { R"(C:/a//b/)",        DOS,  UNIX, R"(C:/a/b/)" },
        { R"(C:\\\)",           DOS,  DOS,  R"(C:\)" },
        { R"(C:x)",             DOS,  DOS,  R"(C:x)" },
        { R"(//srv//share/x)",  DOS,  DOS,  R"(\\srv\share\x)" },
        { R"(\\?\C:/x)",        DOS,  DOS,  R"(\\?\C:\x)" },
        { R"(\\srv)",           DOS,  DOS,  R"(\\srv)" },
        { R"(/dir/)",           DOS,  DOS,  R"(\dir\)" },
        { R"(a\\b\)",           DOS,  DOS,  R"(a\b\)" },
        { R"(.\..\x)",          DOS,  DOS,  R"(.\..\x)" },
        { "/a//b",              UNIX, UNIX, "/a/b" },
        { "///",                UNIX, UNIX, "/" },
        { "///x//",             UNIX, DOS,  R"(\x\)" },
        { R"(a\b)",             UNIX, UNIX, R"(a\b)" },
        { R"(\\a\b\)",          DOS | RTPATH_STR_F_MIDDLE, DOS, R"(a\b)" },
        { "a",                  UNIX, RTPATH_STR_F_STYLE_HOST, "a" },
        { "a//b/",              UNIX, RTPATH_STR_F_STYLE_HOST, "a/b/" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' style " << Case.fStyle);
        Parsed P(Case.pszPath, Case.fParse);
        ASSERT_EQ(P.rc, VINF_SUCCESS);
        size_t const cchExpect = strlen(Case.pszExpect);
        EXPECT_EQ(P.u.Rec.cchPath, cchExpect) << "the parser's length and the rebuilt one differ";
        EXPECT_EQ(reassemble(Case.pszPath, &P.u.Rec, Case.fStyle, cchExpect + 1), Case.pszExpect);
        EXPECT_EQ(P.u.Rec.cchPath, cchExpect);

        /* One byte less: nothing cut, but the length is still reported. */
        int rc;
        reassemble(Case.pszPath, &P.u.Rec, Case.fStyle, cchExpect, &rc);
        EXPECT_EQ(rc, VERR_BUFFER_OVERFLOW);
        EXPECT_EQ(P.u.Rec.cchPath, cchExpect);
        P.u.Rec.cchPath = 0;
        EXPECT_EQ(RTPathParsedReassemble(Case.pszPath, &P.u.Rec, Case.fStyle, nullptr, 0), VERR_BUFFER_OVERFLOW);
        EXPECT_EQ(P.u.Rec.cchPath, cchExpect);
    }
}

/* Components with length 0 are left out; the root's separator or a drive
 * needs no separator after it, and a trailing one needs a component. */
TEST(RTPathParsedReassemble, DroppedComponents)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        uint32_t    fDrop;      /**< bit i: set component i to length 0 */
        const char *pszExpect;
    } const s_aCases[] =
    {
        { R"(C:\a\b\c)",        DOS,  0x2,  R"(C:\b\c)" },
        { R"(C:\a\b\c)",        DOS,  0x8,  R"(C:\a\b)" },
        { R"(C:\a\b\c)",        DOS,  0xe,  R"(C:\)" },
        { R"(C:\a\)",           DOS,  0x2,  R"(C:\)" },
        { R"(a\b\)",            DOS,  0x1,  R"(b\)" },
        { R"(a\b\)",            DOS,  0x3,  "" },
        { R"(C:x\y)",           DOS,  0x1,  R"(x\y)" },
        { R"(\\srv\share\x)",   DOS,  0x2,  R"(\\srv\x)" },
        { "/a/b/",              UNIX, 0x3,  "b/" },
        { "/a/b/",              UNIX, 0x6,  "/" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' drop " << Case.fDrop);
        Parsed P(Case.pszPath, Case.fFlags);
        ASSERT_EQ(P.rc, VINF_SUCCESS);
        for (unsigned i = 0; i < P.u.Rec.cComps; i++)
            if (Case.fDrop & (1u << i))
                P.u.Rec.aComps[i].cch = 0;
        EXPECT_EQ(reassemble(Case.pszPath, &P.u.Rec, Case.fFlags, strlen(Case.pszExpect) + 1), Case.pszExpect);
        EXPECT_EQ(P.u.Rec.cchPath, strlen(Case.pszExpect));
    }
}

/* The absolute-path code rebuilds a base that lives in the output buffer. */
TEST(RTPathParsedReassemble, InPlace)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        uint32_t    fDrop;
        const char *pszExpect;
    } const s_aCases[] =
    {
        { R"(C://a\\\b//c.d)",          DOS,  0x0, R"(C:\a\b\c.d)" },
        { R"(//srv///share//x//)",      DOS,  0x0, R"(\\srv\share\x\)" },
        { R"(C:\aaa\\\.\bbbb\..\cc)",   DOS,  0x1c, R"(C:\aaa\cc)" },
        { "////x////yy///zzz",          UNIX, 0x4, "/x/zzz" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszPath);
        Parsed P(Case.pszPath, Case.fFlags);
        ASSERT_EQ(P.rc, VINF_SUCCESS);
        for (unsigned i = 0; i < P.u.Rec.cComps; i++)
            if (Case.fDrop & (1u << i))
                P.u.Rec.aComps[i].cch = 0;
        size_t const cb  = strlen(Case.pszPath) + 1;
        char        *psz = (char *)malloc(cb);
        memcpy(psz, Case.pszPath, cb);
        EXPECT_EQ(RTPathParsedReassemble(psz, &P.u.Rec, Case.fFlags, psz, cb), VINF_SUCCESS);
        EXPECT_STREQ(psz, Case.pszExpect);
        free(psz);
    }
}

TEST(RTPathParsedReassemble, ArgumentErrors)
{
    Parsed P("a/b", UNIX);
    ASSERT_EQ(P.rc, VINF_SUCCESS);
    char sz[16];
    struct
    {
        uint32_t fFlags;
        int      rc;
    } const s_aFlags[] =
    {
        { RTPATH_STR_F_STYLE_RESERVED,          VERR_INVALID_FLAGS },
        { UNIX | RTPATH_STR_F_NO_START,         VERR_INVALID_FLAGS },
        { DOS | RTPATH_STR_F_NO_END,            VERR_INVALID_FLAGS },
        { UNIX | 0x100,                         VERR_INVALID_FLAGS },
    };
    for (const auto &Case : s_aFlags)
    {
        SCOPED_TRACE(Case.fFlags);
        memset(sz, 'Z', sizeof(sz));
        EXPECT_EQ(RTPathParsedReassemble("a/b", &P.u.Rec, Case.fFlags, sz, sizeof(sz)), Case.rc);
        EXPECT_EQ(sz[0], 'Z');
    }
    EXPECT_EQ(RTPathParsedReassemble("a/b", &P.u.Rec, UNIX, (char *)8, sizeof(sz)), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathParsedReassemble(nullptr, &P.u.Rec, UNIX, sz, sizeof(sz)), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathParsedReassemble("a/b", nullptr, UNIX, sz, sizeof(sz)), VERR_INVALID_POINTER);
    P.u.Rec.cComps = 0;
    EXPECT_EQ(RTPathParsedReassemble("a/b", &P.u.Rec, UNIX, sz, sizeof(sz)), VERR_INVALID_PARAMETER);
}

} /* namespace */
