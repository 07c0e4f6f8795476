/* Tests of the path parser. */
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

/** A record of exactly cComps components on the heap, so that the sanitizer
 * sees any write past its end. Filled with a pattern first. */
struct HeapRecord
{
    explicit HeapRecord(size_t cComps) : cb(RTPATHPARSED_SIZE(cComps))
    {
        p = (PRTPATHPARSED)malloc(cb);
        memset(p, 0xa5, cb);
    }
    ~HeapRecord() { free(p); }
    HeapRecord(const HeapRecord &) = delete;
    HeapRecord &operator=(const HeapRecord &) = delete;
    size_t        cb;
    PRTPATHPARSED p;
};

/** The components of a record as "c0|c1|...", read from the source string. */
std::string components(const char *pszPath, PCRTPATHPARSED pParsed, unsigned cComps)
{
    std::string Str;
    for (unsigned i = 0; i < cComps; i++)
    {
        if (i)
            Str += '|';
        Str.append(&pszPath[pParsed->aComps[i].off], pParsed->aComps[i].cch);
    }
    return Str;
}

std::string repeat(const std::string &Str, size_t c)
{
    std::string Out;
    for (size_t i = 0; i < c; i++)
        Out += Str;
    return Out;
}

struct PARSECASE
{
    const char *pszPath;
    uint32_t    fFlags;
    uint16_t    fProps;
    uint16_t    cchPath;
    const char *pszComps;   /**< components separated by '|' */
    const char *pszSuffix;  /**< expected suffix, or nullptr */
};

/* The property values spelled out, as they appear in the records. */
const PARSECASE g_aParseCases[] =
{
    /* DOS roots. */
    { R"(C:\)",             DOS, 0x0160,  3, R"(C:\)",              nullptr },
    { R"(C:/dir/)",         DOS, 0x0162,  7, R"(C:/|dir)",          nullptr },
    { R"(C:\\\)",           DOS, 0x0560,  3, R"(C:\)",              nullptr },
    { R"(C:\\a)",           DOS, 0x0561,  4, R"(C:\|a)",            nullptr },
    { R"(c:x.txt)",         DOS, 0x0245,  7, R"(c:|x.txt)",         ".txt" },
    { R"(C:)",              DOS, 0x0240,  2, R"(C:)",               nullptr },
    { R"(a:b)",             DOS, 0x0241,  3, R"(a:|b)",             nullptr },
    { R"(1:x)",             DOS, 0x0201,  3, R"(1:x)",              nullptr },
    { R"(\\srv\share\f)",   DOS, 0x0131, 13, R"(\\srv\|share|f)",   nullptr },
    { R"(//srv//share)",    DOS, 0x0531, 11, R"(//srv/|share)",     nullptr },
    { R"(\\srv)",           DOS, 0x0110,  5, R"(\\srv)",            nullptr },
    { R"(\\srv\)",          DOS, 0x0130,  6, R"(\\srv\)",           nullptr },
    { R"(\\)",              DOS, 0x0110,  2, R"(\\)",               nullptr },
    { R"(\\\x)",            DOS, 0x0131,  4, R"(\\\|x)",            nullptr },
    { R"(\\?\C:\x)",        DOS, 0x2131,  8, R"(\\?\|C:|x)",        nullptr },
    { R"(\\.\pipe\p.x)",    DOS, 0x2135, 12, R"(\\.\|pipe|p.x)",    ".x" },
    { R"(\\..\x)",          DOS, 0x0131,  6, R"(\\..\|x)",          nullptr },
    { R"(\\?x\y)",          DOS, 0x0131,  6, R"(\\?x\|y)",          nullptr },
    { R"(\dir\f.c)",        DOS, 0x0225,  8, R"(\|dir|f.c)",        ".c" },
    { R"(/dir)",            DOS, 0x0221,  4, R"(/|dir)",            nullptr },
    /* DOS components, dots and separators. */
    { R"(C:\a\.\b\..\c)",   DOS, 0x1a61, 13, R"(C:\|a|.|b|..|c)",   nullptr },
    { R"(a\\b\)",           DOS, 0x0602,  4, R"(a|b)",              nullptr },
    { R"(a/b\c)",           DOS, 0x0201,  5, R"(a|b|c)",            nullptr },
    { R"(.\)",              DOS, 0x0a02,  2, R"(.)",                nullptr },
    { R"(..)",              DOS, 0x1201,  2, R"(..)",               nullptr },
    { R"(...)",             DOS, 0x0201,  3, R"(...)",              nullptr },
    { R"(a\...x)",          DOS, 0x0205,  6, R"(a|...x)",           ".x" },
    { R"(.cfg)",            DOS, 0x0201,  4, R"(.cfg)",             nullptr },
    { R"(dir\.cfg)",        DOS, 0x0201,  8, R"(dir|.cfg)",         nullptr },
    { R"(x.tar.gz)",        DOS, 0x0205,  8, R"(x.tar.gz)",         ".gz" },
    { R"(x.)",              DOS, 0x0201,  2, R"(x.)",               nullptr },
    { R"(a.b.)",            DOS, 0x0201,  4, R"(a.b.)",             nullptr },
    { R"(s.d\x)",           DOS, 0x0201,  5, R"(s.d|x)",            nullptr },
    { R"(C:\a.b\)",         DOS, 0x0162,  7, R"(C:\|a.b)",          nullptr },
    /* Unix style: '\' and ':' are ordinary characters. */
    { "/",                  UNIX, 0x0120,  1, "/",                  nullptr },
    { "///a",               UNIX, 0x0521,  2, "/|a",                nullptr },
    { "/a/../b/",           UNIX, 0x1222,  8, "/|a|..|b",           nullptr },
    { "/a/./b",             UNIX, 0x0921,  6, "/|a|.|b",            nullptr },
    { R"(a\b)",             UNIX, 0x0201,  3, R"(a\b)",             nullptr },
    { R"(C:\x.y)",          UNIX, 0x0205,  6, R"(C:\x.y)",          ".y" },
    { "//srv/share",        UNIX, 0x0521, 10, "/|srv|share",        nullptr },
    { "./x.c",              UNIX, 0x0a05,  5, ".|x.c",              ".c" },
    { "a//b//",             UNIX, 0x0602,  4, "a|b",                nullptr },
    /* Strings from the middle of a path. */
    { R"(\\a\b\)",          DOS | RTPATH_STR_F_MIDDLE,    0x0600, 3, "a|b", nullptr },
    { R"(C:\x)",            DOS | RTPATH_STR_F_NO_START,  0x0201, 4, R"(C:|x)", nullptr },
    { "/a.c",               UNIX | RTPATH_STR_F_NO_START, 0x0605, 3, "a.c", ".c" },
    { "a.txt",              UNIX | RTPATH_STR_F_NO_END,   0x0200, 5, "a.txt", nullptr },
    { "/a/",                UNIX | RTPATH_STR_F_NO_END,   0x0520, 2, "/|a", nullptr },
    /* The host build parses the host style as Unix. */
    { R"(C:\x)",            RTPATH_STR_F_STYLE_HOST, 0x0201, 4, R"(C:\x)", nullptr },
};

TEST(RTPathParse, Table)
{
    for (const PARSECASE &Case : g_aParseCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' flags " << Case.fFlags);
        HeapRecord Rec(16);
        ASSERT_EQ(RTPathParse(Case.pszPath, Rec.p, Rec.cb, Case.fFlags), VINF_SUCCESS);
        std::string const strComps = components(Case.pszPath, Rec.p, Rec.p->cComps);
        EXPECT_EQ(strComps, Case.pszComps);
        EXPECT_EQ(Rec.p->fProps, Case.fProps) << std::hex << Rec.p->fProps;
        EXPECT_EQ(Rec.p->cchPath, Case.cchPath);
        size_t const cchSrc = strlen(Case.pszPath);
        if (Case.pszSuffix)
        {
            ASSERT_LE(Rec.p->offSuffix + (size_t)Rec.p->cchSuffix, cchSrc);
            EXPECT_EQ(std::string(&Case.pszPath[Rec.p->offSuffix], Rec.p->cchSuffix), Case.pszSuffix);
            EXPECT_TRUE(Rec.p->fProps & RTPATH_PROP_SUFFIX);
        }
        else
        {
            EXPECT_EQ(Rec.p->offSuffix, cchSrc);
            EXPECT_EQ(Rec.p->cchSuffix, 0);
        }
    }
}

TEST(RTPathParse, ArgumentErrors)
{
    struct
    {
        const char *pszPath;
        size_t      cb;
        uint32_t    fFlags;
        int         rc;
    } const s_aCases[] =
    {
        { "",       RTPATHPARSED_SIZE(4), DOS,                           VERR_PATH_ZERO_LENGTH },
        { "a",      11,                   DOS,                           VERR_INVALID_PARAMETER },
        { "",       0,                    DOS,                           VERR_INVALID_PARAMETER },
        { "a",      RTPATHPARSED_SIZE(4), RTPATH_STR_F_STYLE_RESERVED,   VERR_INVALID_FLAGS },
        { "a",      RTPATHPARSED_SIZE(4), DOS | 0x40,                    VERR_INVALID_FLAGS },
        { "a",      RTPATHPARSED_SIZE(4), UNIX | RTPATHABS_F_STOP_AT_BASE, VERR_INVALID_FLAGS },
        { "a",      RTPATHPARSED_SIZE(4), 0x80000000u,                   VERR_INVALID_FLAGS },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' cb " << Case.cb << " flags " << Case.fFlags);
        HeapRecord Rec(4);
        uint8_t abBefore[RTPATHPARSED_SIZE(4)];
        memcpy(abBefore, Rec.p, sizeof(abBefore));
        EXPECT_EQ(RTPathParse(Case.pszPath, Rec.p, Case.cb, Case.fFlags), Case.rc);
        EXPECT_EQ(memcmp(abBefore, Rec.p, sizeof(abBefore)), 0) << "record touched on a refused call";
    }

    HeapRecord Rec(4);
    EXPECT_EQ(RTPathParse((const char *)16, Rec.p, Rec.cb, DOS), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathParse(nullptr, Rec.p, Rec.cb, DOS), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathParse("a", nullptr, Rec.cb, DOS), VERR_INVALID_POINTER);
    EXPECT_EQ(RTPathParse("a", (PRTPATHPARSED)(uintptr_t)-64, Rec.cb, DOS), VERR_INVALID_POINTER);
}

/* A record too small for the path: the header is complete, the components
 * that fit are right, nothing is written past the record, and a record of
 * the size the header implies succeeds. */
TEST(RTPathParse, RecordOverflow)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
    } const s_aCases[] =
    {
        { R"(C:\a\b\c.d)",      DOS },
        { R"(\\srv\share\x\)",  DOS },
        { "/usr//lib/../x",     UNIX },
        { "a",                  UNIX },
    };
    for (const auto &Case : s_aCases)
    {
        HeapRecord Full(64);
        ASSERT_EQ(RTPathParse(Case.pszPath, Full.p, Full.cb, Case.fFlags), VINF_SUCCESS);
        unsigned const cComps = Full.p->cComps;
        for (unsigned cCap = 0; cCap <= cComps; cCap++)
        {
            SCOPED_TRACE(testing::Message() << "path '" << Case.pszPath << "' capacity " << cCap);
            HeapRecord Rec(cCap);
            int const rc = RTPathParse(Case.pszPath, Rec.p, Rec.cb, Case.fFlags);
            EXPECT_EQ(rc, cCap < cComps ? VERR_BUFFER_OVERFLOW : VINF_SUCCESS);
            EXPECT_EQ(memcmp(Rec.p, Full.p, RTPATHPARSED_HDR_SIZE), 0);
            EXPECT_EQ(components(Case.pszPath, Rec.p, cCap), components(Case.pszPath, Full.p, cCap));
        }
        /* A record size between two components rounds down. */
        HeapRecord Odd(cComps);
        EXPECT_EQ(RTPathParse(Case.pszPath, Odd.p, Odd.cb - 1, Case.fFlags),
                  cComps ? VERR_BUFFER_OVERFLOW : VINF_SUCCESS);
    }
}

TEST(RTPathParse, ComponentCapacity)
{
    /* 1024 bytes hold 253 components. */
    struct
    {
        size_t cComps;
        int    rc;
    } const s_aCases[] = { { 252, VINF_SUCCESS }, { 253, VINF_SUCCESS }, { 254, VERR_BUFFER_OVERFLOW }, { 300, VERR_BUFFER_OVERFLOW } };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.cComps);
        std::string const strPath = repeat("c/", Case.cComps - 1) + "c";
        void *pv = malloc(1024);
        EXPECT_EQ(RTPathParse(strPath.c_str(), (PRTPATHPARSED)pv, 1024, UNIX), Case.rc);
        EXPECT_EQ(((PRTPATHPARSED)pv)->cComps, Case.cComps);
        EXPECT_EQ(((PRTPATHPARSED)pv)->cchPath, strPath.size());
        free(pv);
    }
}

TEST(RTPathParse, LengthLimit)
{
    struct
    {
        std::string strPath;
        uint32_t    fFlags;
        int         rc;
        size_t      cComps;
        size_t      cchPath;
    } const s_aCases[] =
    {
        { std::string(65535, 'a'),              DOS,  VINF_SUCCESS,           1,     65535 },
        { std::string(65536, 'a'),              DOS,  VERR_FILENAME_TOO_LONG, 0,     0 },
        { std::string(70000, 'a'),              UNIX, VERR_FILENAME_TOO_LONG, 0,     0 },
        /* The most components a path can have: 32768 one-letter names. */
        { repeat("a/", 32767) + "a",            UNIX, VINF_SUCCESS,           32768, 65535 },
        { "/" + repeat("a/", 32766) + "a",      UNIX, VINF_SUCCESS,           32768, 65534 },
        { repeat("\\", 65535),                DOS,  VINF_SUCCESS,           1,     3 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "length " << Case.strPath.size());
        HeapRecord Rec(32768);
        int const rc = RTPathParse(Case.strPath.c_str(), Rec.p, Rec.cb, Case.fFlags);
        EXPECT_EQ(rc, Case.rc);
        if (RT_SUCCESS(rc))
        {
            EXPECT_EQ(Rec.p->cComps, Case.cComps);
            EXPECT_EQ(Rec.p->cchPath, Case.cchPath);
            EXPECT_EQ(Rec.p->offSuffix, Case.strPath.size());
        }
    }
}

} /* namespace */
