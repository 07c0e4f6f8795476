/* Tests of the root test. */
#include <tulo/path.h>

#include <gtest/gtest.h>

namespace {

constexpr uint32_t DOS  = RTPATH_STR_F_STYLE_DOS;
constexpr uint32_t UNIX = RTPATH_STR_F_STYLE_UNIX;

TEST(RTPathStartsWithRoot, Table)
{
    struct
    {
        const char *pszPath;
        uint32_t    fFlags;
        bool        fRoot;
    } const s_aCases[] =
    {
        { R"(C:\Windows\System32)",   DOS,  true },
        { R"(c:rel)",                 DOS,  true },
        { R"(\dir)",                  DOS,  true },
        { R"(/dir)",                  DOS,  true },
        { R"(\\srv\share)",           DOS,  true },
        { R"(dir\x)",                 DOS,  false },
        { R"(1:\x)",                  DOS,  false },
        { "",                         DOS,  false },
        { "/usr",                     UNIX, true },
        { R"(\dir)",                  UNIX, false },
        { R"(C:\x)",                  UNIX, false },
        { "usr",                      UNIX, false },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << "'" << Case.pszPath << "' style " << Case.fFlags);
        EXPECT_EQ(RTPathStartsWithRootEx(Case.pszPath, Case.fFlags), Case.fRoot);
        /* The parser agrees: a root is recorded exactly then. */
        if (*Case.pszPath)
        {
            union { RTPATHPARSED Rec; uint8_t ab[RTPATHPARSED_SIZE(8)]; } u;
            ASSERT_GE(RTPathParse(Case.pszPath, &u.Rec, sizeof(u), Case.fFlags), 0);
            EXPECT_EQ((u.Rec.fProps & (RTPATH_PROP_ROOT_SLASH | RTPATH_PROP_UNC | RTPATH_PROP_VOLUME)) != 0, Case.fRoot);
        }
    }
    EXPECT_TRUE(RTPathStartsWithRoot("/usr"));
    EXPECT_FALSE(RTPathStartsWithRoot(R"(C:\x)"));     /* the host style is Unix */
    EXPECT_FALSE(RTPathStartsWithRoot(nullptr));
    EXPECT_FALSE(RTPathStartsWithRootEx("/x", RTPATH_STR_F_STYLE_RESERVED));
}

} /* namespace */
