/* Tests of the option parser and of its error messages. */
#include <tulo/getopt.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

/** An argument vector with "prog" in front; the strings stay put, so tests
 * can compare the permuted pointers with the original ones. */
class ArgVector
{
public:
    explicit ArgVector(const std::vector<const char *> &Args)
    {
        m_Strings.reserve(Args.size() + 1);
        m_Strings.emplace_back("prog");
        for (const char *psz : Args)
            m_Strings.emplace_back(psz);
        for (std::string &Str : m_Strings)
            m_Ptrs.push_back(Str.data());
        m_Original = m_Ptrs;
    }

    int    argc() const { return (int)m_Ptrs.size(); }
    char **argv()       { return m_Ptrs.data(); }

    /** The arguments behind the program path, in their current order. */
    std::vector<std::string> current() const
    {
        std::vector<std::string> Out;
        for (size_t i = 1; i < m_Ptrs.size(); i++)
            Out.emplace_back(m_Ptrs[i]);
        return Out;
    }

    /** Whether the vector still holds exactly the original pointers. */
    bool isPermutation() const
    {
        std::vector<char *> A = m_Ptrs, B = m_Original;
        std::sort(A.begin(), A.end());
        std::sort(B.begin(), B.end());
        return A == B;
    }

private:
    std::vector<std::string> m_Strings;
    std::vector<char *>      m_Ptrs;
    std::vector<char *>      m_Original;
};

/** A parser over a table and an argument vector, started at index 1. */
class Parser
{
public:
    template<size_t cDefs>
    Parser(const RTGETOPTDEF (&aDefs)[cDefs], const std::vector<const char *> &Args, uint32_t fFlags = 0)
        : m_Args(Args)
    {
        m_rcInit = RTGetOptInit(&State, m_Args.argc(), m_Args.argv(), aDefs, cDefs, 1, fFlags);
    }
    Parser(const Parser &) = delete;
    Parser &operator=(const Parser &) = delete;

    /** One call; the union is filled with a pattern first so that a field
     * the parser should have written cannot pass by accident. */
    int next()
    {
        memset(&Value, 0xa5, sizeof(Value));
        return RTGetOpt(&State, &Value);
    }

    int fetch(uint32_t fFlags)
    {
        memset(&Value, 0xa5, sizeof(Value));
        return RTGetOptFetchValue(&State, &Value, fFlags);
    }

    std::vector<std::string> argvNow() const { return m_Args.current(); }
    bool isPermutation() const { return m_Args.isPermutation(); }

    int           m_rcInit;
    RTGETOPTSTATE State;
    RTGETOPTUNION Value;

private:
    ArgVector     m_Args;
};

/** One expected result of RTGetOpt: the result and, where not null, the text
 * in the union (the value of a string option, the operand or the unknown
 * argument). */
struct STEP
{
    int         rc;
    const char *psz;
};

void expectSteps(Parser &P, const std::vector<STEP> &Steps)
{
    for (size_t i = 0; i < Steps.size(); i++)
    {
        SCOPED_TRACE("step " + std::to_string(i));
        int rc = P.next();
        ASSERT_EQ(Steps[i].rc, rc);
        if (Steps[i].psz)
        {
            ASSERT_NE(nullptr, P.Value.psz);
            EXPECT_STREQ(Steps[i].psz, P.Value.psz);
        }
    }
}

const RTGETOPTDEF g_aBasic[] =
{
    { "--alpha",   'a', RTGETOPT_VAL_NOTHING },
    { "--beta",    'b', RTGETOPT_VAL_STRING },
    { "--num",     'n', RTGETOPT_VAL_UINT32 },
    { NULL,        'q', RTGETOPT_VAL_NOTHING },
    { "/extract",  'x', RTGETOPT_VAL_NOTHING },
    { "--Path",    'p', RTGETOPT_VAL_STRING | RTGETOPT_FLAG_ICASE },
    { "--Quiet",   'Q', RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_ICASE },
    { "--beta-two", 1000, RTGETOPT_VAL_STRING },
};

} /* namespace */


/*
 * Initialisation.
 */

TEST(GetOptInit, RefusesUnknownFlagsAndBadStart)
{
    static const struct { uint32_t fFlags; int iFirst; int rc; } s_aCases[] =
    {
        { 0,                                   1,  VINF_SUCCESS },
        { RTGETOPTINIT_FLAG_OPTS_FIRST,        1,  VINF_SUCCESS },
        { RTGETOPTINIT_FLAG_NO_STD_OPTS,       0,  VINF_SUCCESS },
        { 3,                                   2,  VINF_SUCCESS },
        { 4,                                   1,  VERR_INVALID_PARAMETER },
        { UINT32_C(0x80000000),                1,  VERR_INVALID_PARAMETER },
        { 0,                                   -1, VERR_INVALID_PARAMETER },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.fFlags);
        ArgVector Args({ "-a" });
        RTGETOPTSTATE State;
        memset(&State, 0x5a, sizeof(State));
        int rc = RTGetOptInit(&State, Args.argc(), Args.argv(), g_aBasic, RT_ELEMENTS(g_aBasic), Case.iFirst, Case.fFlags);
        EXPECT_EQ(Case.rc, rc);
        if (rc == VINF_SUCCESS)
        {
            EXPECT_EQ(Case.iFirst, State.iNext);
            EXPECT_EQ(Args.argv(), State.argv);
            EXPECT_EQ(2, State.argc);
            EXPECT_EQ(g_aBasic, State.paOptions);
            EXPECT_EQ(RT_ELEMENTS(g_aBasic), State.cOptions);
            EXPECT_EQ(nullptr, State.pszNextShort);
            EXPECT_EQ(nullptr, State.pDef);
            EXPECT_EQ(UINT32_MAX, State.uIndex);
            EXPECT_EQ(Case.fFlags, State.fFlags);
            EXPECT_EQ(0, State.cNonOptArgs);
        }
    }
}


/*
 * Long names and the forms of values.
 */

TEST(GetOptLong, ValueForms)
{
    static const struct { std::vector<const char *> Args; int rc; const char *pszValue; int iNextAfter; } s_aCases[] =
    {
        { { "-b", "x" },       'b', "x",  3 },
        { { "-bx" },           'b', "x",  2 },
        { { "-b=x" },          'b', "x",  2 },
        { { "-b:x" },          'b', "x",  2 },
        { { "--beta", "x" },   'b', "x",  3 },
        { { "--beta=x" },      'b', "x",  2 },
        { { "--beta:x" },      'b', "x",  2 },
        { { "--beta=" },       'b', "",   2 },
        { { "--beta=a=b" },    'b', "a=b", 2 },
        { { "-b", "-a" },      'b', "-a", 3 },   /* the next argument is taken whatever it looks like */
        { { "--betax" },       VERR_GETOPT_UNKNOWN_OPTION, "--betax", 2 },
        { { "--bet" },         VERR_GETOPT_UNKNOWN_OPTION, "--bet", 2 },
        { { "--beta-two=y" },  1000, "y", 2 },
        { { "--beta" },        VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL, 2 },
        { { "-b" },            VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL, 2 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(::testing::PrintToString(Case.Args));
        Parser P(g_aBasic, Case.Args);
        ASSERT_EQ(VINF_SUCCESS, P.m_rcInit);
        int rc = P.next();
        ASSERT_EQ(Case.rc, rc);
        if (Case.pszValue)
        {
            EXPECT_STREQ(Case.pszValue, P.Value.psz);
        }
        else
        {
            EXPECT_EQ(&g_aBasic[1], P.Value.pDef);
        }
        EXPECT_EQ(Case.iNextAfter, P.State.iNext);
        if (rc > 0)
        {
            ASSERT_NE(nullptr, P.State.pDef);
            EXPECT_EQ(rc, P.State.pDef->iShort);
        }
        else
        {
            EXPECT_EQ(nullptr, P.State.pDef);
        }
        EXPECT_EQ(0, P.next());
    }
}

TEST(GetOptLong, NameMatching)
{
    static const struct { const char *pszArg; int rc; const char *psz; } s_aCases[] =
    {
        { "--alpha",     'a', NULL },
        { "--alphaX",    VERR_GETOPT_UNKNOWN_OPTION, "--alphaX" },
        { "--alpha=1",   VERR_GETOPT_UNKNOWN_OPTION, "--alpha=1" },  /* no value, so no value form */
        { "--ALPHA",     VERR_GETOPT_UNKNOWN_OPTION, "--ALPHA" },    /* case matters without the flag */
        { "--PATH=C:",   'p', "C:" },
        { "--path:x",    'p', "x" },
        { "--pAtH",      VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL },
        { "--QUIET",     'Q', NULL },
        { "--quiet",     'Q', NULL },
        { "--quie",      VERR_GETOPT_UNKNOWN_OPTION, "--quie" },
        { "/extract",    'x', NULL },
        { "/EXTRACT",    VINF_GETOPT_NOT_OPTION, "/EXTRACT" },       /* '/' is no option marker */
        { "/other",      VINF_GETOPT_NOT_OPTION, "/other" },
        { "-q",          'q', NULL },                               /* a definition without long name */
        { "-",           VERR_GETOPT_UNKNOWN_OPTION, "-" },
        { "--",          0,   NULL },                               /* consumed, nothing behind it */
        { "---alpha",    VERR_GETOPT_UNKNOWN_OPTION, "---alpha" },
        { "--z",         VERR_GETOPT_UNKNOWN_OPTION, "--z" },
        { "-z",          VERR_GETOPT_UNKNOWN_OPTION, "-z" },
        { "",            VINF_GETOPT_NOT_OPTION, "" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszArg);
        Parser P(g_aBasic, { Case.pszArg });
        int rc = P.next();
        ASSERT_EQ(Case.rc, rc);
        if (Case.psz)
        {
            EXPECT_STREQ(Case.psz, P.Value.psz);
        }
        else if (rc > 0)
        {
            ASSERT_NE(nullptr, P.State.pDef);
            EXPECT_EQ(P.State.pDef, P.Value.pDef);
        }
    }
}

TEST(GetOptLong, FirstMatchInTableOrderWins)
{
    static const RTGETOPTDEF s_aDefs[] =
    {
        { "--dup", 1, RTGETOPT_VAL_NOTHING },
        { "--dup", 2, RTGETOPT_VAL_NOTHING },
        { NULL,    'd', RTGETOPT_VAL_NOTHING },
        { "-d",    3, RTGETOPT_VAL_NOTHING },   /* a long name wins over the short-value search */
    };
    Parser P(s_aDefs, { "--dup", "-d" });
    expectSteps(P, { { 1, NULL }, { 3, NULL }, { 0, NULL } });
}


/*
 * Groups of short options.
 */

TEST(GetOptShort, Groups)
{
    static const struct { std::vector<const char *> Args; std::vector<STEP> Steps; int iNextAtEnd; } s_aCases[] =
    {
        { { "-ab", "VAL" },  { { 'a', NULL }, { 'b', "VAL" }, { 0, NULL } }, 3 },
        { { "-abVAL" },      { { 'a', NULL }, { 'b', "VAL" }, { 0, NULL } }, 2 },
        { { "-ab=VAL" },     { { 'a', NULL }, { 'b', "VAL" }, { 0, NULL } }, 2 },
        { { "-ba" },         { { 'b', "a" }, { 0, NULL } }, 2 },
        { { "-aqa", "op" },  { { 'a', NULL }, { 'q', NULL }, { 'a', NULL }, { VINF_GETOPT_NOT_OPTION, "op" }, { 0, NULL } }, 3 },
        /* An unknown character: the state stays on it. */
        { { "-az" },         { { 'a', NULL }, { VERR_GETOPT_UNKNOWN_OPTION, "z" }, { VERR_GETOPT_UNKNOWN_OPTION, "z" } }, 1 },
        { { "-azq" },        { { 'a', NULL }, { VERR_GETOPT_UNKNOWN_OPTION, "zq" } }, 1 },
        /* A value missing at the end of a group ends the group. */
        { { "-ab" },         { { 'a', NULL }, { VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL }, { 0, NULL } }, 2 },
        { { "-a?h" },        { { 'a', NULL }, { 'h', NULL }, { 'h', NULL }, { 0, NULL } }, 2 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.Args[0]);
        Parser P(g_aBasic, Case.Args);
        expectSteps(P, Case.Steps);
        EXPECT_EQ(Case.iNextAtEnd, P.State.iNext);
    }
}

TEST(GetOptShort, GroupStateBetweenCalls)
{
    Parser P(g_aBasic, { "-aqb", "v", "rest" });
    ASSERT_EQ('a', P.next());
    EXPECT_EQ(1, P.State.iNext);               /* still on the group */
    EXPECT_STREQ("qb", P.State.pszNextShort);
    EXPECT_EQ(&g_aBasic[0], P.State.pDef);
    ASSERT_EQ('q', P.next());
    EXPECT_STREQ("b", P.State.pszNextShort);
    ASSERT_EQ('b', P.next());
    EXPECT_STREQ("v", P.Value.psz);
    EXPECT_EQ(nullptr, P.State.pszNextShort);
    EXPECT_EQ(3, P.State.iNext);
    expectSteps(P, { { VINF_GETOPT_NOT_OPTION, "rest" }, { 0, NULL }, { 0, NULL } });
}


/*
 * Operands, options first and the end marker.
 */

TEST(GetOptOperands, InOrderWithoutReordering)
{
    Parser P(g_aBasic, { "op1", "-a", "op2", "--num", "7" });
    expectSteps(P, { { VINF_GETOPT_NOT_OPTION, "op1" }, { 'a', NULL }, { VINF_GETOPT_NOT_OPTION, "op2" }, { 'n', NULL } });
    EXPECT_EQ(7u, P.Value.u32);
    EXPECT_EQ(0, P.next());
    EXPECT_EQ((std::vector<std::string>{ "op1", "-a", "op2", "--num", "7" }), P.argvNow());
}

TEST(GetOptOperands, OptionsFirstReordersArgv)
{
    static const struct
    {
        std::vector<const char *> Args;
        std::vector<STEP>         Steps;
        std::vector<std::string>  FinalArgv;
    } s_aCases[] =
    {
        {
            { "op1", "-a", "op2", "--num", "7", "op3", "--", "-a", "op4" },
            { { 'a', NULL }, { 'n', NULL }, { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "op2" },
              { VINF_GETOPT_NOT_OPTION, "op3" }, { VINF_GETOPT_NOT_OPTION, "-a" }, { VINF_GETOPT_NOT_OPTION, "op4" },
              { 0, NULL }, { 0, NULL } },
            { "-a", "--num", "7", "--", "op1", "op2", "op3", "-a", "op4" },
        },
        {
            { "op1", "op2", "-ab", "v", "op3" },
            { { 'a', NULL }, { 'b', "v" }, { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "op2" },
              { VINF_GETOPT_NOT_OPTION, "op3" }, { 0, NULL } },
            { "-ab", "v", "op1", "op2", "op3" },
        },
        {
            { "op1", "op2" },
            { { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "op2" }, { 0, NULL } },
            { "op1", "op2" },
        },
        {
            /* A value that looks like an operand stays with its option. */
            { "op1", "-b", "val", "--beta=w", "op2", "-q" },
            { { 'b', "val" }, { 'b', "w" }, { 'q', NULL }, { VINF_GETOPT_NOT_OPTION, "op1" },
              { VINF_GETOPT_NOT_OPTION, "op2" }, { 0, NULL } },
            { "-b", "val", "--beta=w", "-q", "op1", "op2" },
        },
        {
            /* The missing value: the option is already in front of the operand. */
            { "op1", "-b" },
            { { VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL }, { VINF_GETOPT_NOT_OPTION, "op1" }, { 0, NULL } },
            { "-b", "op1" },
        },
        {
            /* An unknown option moves in front as well, so going on after the
               error still yields every operand exactly once. */
            { "op1", "-z", "op2" },
            { { VERR_GETOPT_UNKNOWN_OPTION, "-z" }, { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "op2" },
              { 0, NULL } },
            { "-z", "op1", "op2" },
        },
        {
            { "op1", "--", "-a" },
            { { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "-a" }, { 0, NULL } },
            { "--", "op1", "-a" },
        },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(::testing::PrintToString(Case.FinalArgv));
        Parser P(g_aBasic, Case.Args, RTGETOPTINIT_FLAG_OPTS_FIRST);
        ASSERT_EQ(VINF_SUCCESS, P.m_rcInit);
        for (size_t i = 0; i < Case.Steps.size(); i++)
        {
            SCOPED_TRACE(i);
            int const rc = P.next();
            ASSERT_EQ(Case.Steps[i].rc, rc);
            if (Case.Steps[i].psz)
            {
                EXPECT_STREQ(Case.Steps[i].psz, P.Value.psz);
            }
            if (rc == 'n')
            {
                EXPECT_EQ(7u, P.Value.u32);   /* every "--num" of the table has the value 7 */
            }
            EXPECT_LE(P.State.iNext, P.State.argc);
        }
        EXPECT_EQ(Case.FinalArgv, P.argvNow());
        EXPECT_STREQ("prog", P.State.argv[0]);
        EXPECT_TRUE(P.isPermutation());
    }
}

TEST(GetOptOperands, EndMarkerIsConsumed)
{
    Parser P(g_aBasic, { "--", "-a", "--" });
    expectSteps(P, { { VINF_GETOPT_NOT_OPTION, "-a" }, { VINF_GETOPT_NOT_OPTION, "--" }, { 0, NULL } });
    EXPECT_EQ(INT32_MAX, P.State.cNonOptArgs);
}


/*
 * Built-in options.
 */

TEST(GetOptBuiltin, HelpAndVersion)
{
    static const RTGETOPTDEF s_aOwnHost[] =
    {
        { "--host", 'h', RTGETOPT_VAL_STRING },
    };
    static const struct { const char *pszArg; int rc; const char *pszDefLong; int rcNoStd; } s_aCases[] =
    {
        { "--help",    'h', "--help",    VERR_GETOPT_UNKNOWN_OPTION },
        { "-help",     'h', "-help",     VERR_GETOPT_UNKNOWN_OPTION },
        { "-h",        'h', "--help",    VERR_GETOPT_UNKNOWN_OPTION },
        { "-?",        'h', "--help",    VERR_GETOPT_UNKNOWN_OPTION },
        { "--version", 'V', "--version", VERR_GETOPT_UNKNOWN_OPTION },
        { "-version",  'V', "-version",  VERR_GETOPT_UNKNOWN_OPTION },
        { "-V",        'V', "--version", VERR_GETOPT_UNKNOWN_OPTION },
        { "--HELP",    VERR_GETOPT_UNKNOWN_OPTION, NULL, VERR_GETOPT_UNKNOWN_OPTION },
        { "--help=1",  VERR_GETOPT_UNKNOWN_OPTION, NULL, VERR_GETOPT_UNKNOWN_OPTION },
        { "/?",        VINF_GETOPT_NOT_OPTION, NULL, VINF_GETOPT_NOT_OPTION },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszArg);
        Parser P(g_aBasic, { Case.pszArg });
        ASSERT_EQ(Case.rc, P.next());
        if (Case.pszDefLong)
        {
            ASSERT_NE(nullptr, P.State.pDef);
            EXPECT_STREQ(Case.pszDefLong, P.State.pDef->pszLong);
            EXPECT_EQ(P.State.pDef, P.Value.pDef);
            EXPECT_EQ(0, P.next());
        }

        Parser Q(g_aBasic, { Case.pszArg }, RTGETOPTINIT_FLAG_NO_STD_OPTS);
        EXPECT_EQ(Case.rcNoStd, Q.next());
    }

    /* The caller's table comes first, for short values as for names. */
    Parser P(s_aOwnHost, { "-h", "x", "--help" });
    ASSERT_EQ('h', P.next());
    EXPECT_STREQ("x", P.Value.psz);
    EXPECT_EQ(&s_aOwnHost[0], P.State.pDef);
    ASSERT_EQ('h', P.next());
    EXPECT_STREQ("--help", P.State.pDef->pszLong);
}


/*
 * Indexed options.
 */

TEST(GetOptIndex, WithValue)
{
    static const RTGETOPTDEF s_aDefs[] =
    {
        { "--idx",  'i', RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX },
        { "--dash", 'd', RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DASH },
        { "--def",  'f', RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DEF_1 },
        { "--cnt",  'g', RTGETOPT_VAL_UINT8  | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DEF_2 | RTGETOPT_FLAG_INDEX_DASH },
    };
    /* iDef: the definition an error names in the union. */
    static const struct { std::vector<const char *> Args; int rc; uint32_t uIndex; const char *pszValue; int iDef; int rcAfter; } s_aCases[] =
    {
        { { "--idx3", "4" },      'i', 3, "4", 0, 0 },
        { { "--idx5=6" },         'i', 5, "6", 0, 0 },
        { { "--idx7:8" },         'i', 7, "8", 0, 0 },
        { { "--idx0=" },          'i', 0, "",  0, 0 },
        { { "--idx4294967295=x" }, 'i', UINT32_MAX, "x", 0, 0 },
        { { "--idx4294967296=x" }, VERR_GETOPT_INVALID_ARGUMENT_FORMAT, UINT32_MAX, NULL, 0, 0 },
        { { "--idx", "9" },       VERR_GETOPT_INDEX_MISSING, UINT32_MAX, NULL, 0, VINF_GETOPT_NOT_OPTION },
        { { "--idx=9" },          VERR_GETOPT_INVALID_ARGUMENT_FORMAT, UINT32_MAX, NULL, 0, 0 },
        { { "--idxq" },           VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX, "--idxq", -1, 0 },
        { { "--idx3" },           VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, UINT32_MAX, NULL, 0, 0 },
        { { "--idx-3=4" },        VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX, "--idx-3=4", -1, 0 },
        { { "--dash-3=4" },       'd', 3, "4", 1, 0 },
        { { "--dash3=4" },        'd', 3, "4", 1, 0 },
        { { "--dash-12", "v" },   'd', 12, "v", 1, 0 },
        { { "--dash-=4" },        VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX, "--dash-=4", -1, 0 },
        { { "--dash--3=4" },      VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX, "--dash--3=4", -1, 0 },
        { { "--def", "9" },       'f', 1, "9", 2, 0 },
        { { "--def=9" },          'f', 1, "9", 2, 0 },
        { { "--def:9" },          'f', 1, "9", 2, 0 },
        { { "--def4=9" },         'f', 4, "9", 2, 0 },
        { { "--def" },            VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, UINT32_MAX, NULL, 2, 0 },
        { { "--def2=7" },         'f', 2, "7", 2, 0 },   /* digits after a name are its index */
        { { "--cnt=7" },          'g', 2, NULL, 3, 0 },
        { { "--cnt-5=7" },        'g', 5, NULL, 3, 0 },
        { { "--cnt-5=x" },        VERR_GETOPT_INVALID_ARGUMENT_FORMAT, UINT32_MAX, NULL, 3, 0 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.Args[0]);
        Parser P(s_aDefs, Case.Args);
        int rc = P.next();
        ASSERT_EQ(Case.rc, rc);
        EXPECT_EQ(Case.uIndex, P.State.uIndex);
        if (Case.pszValue)
        {
            EXPECT_STREQ(Case.pszValue, P.Value.psz);
        }
        else if (rc == 'g')
        {
            EXPECT_EQ(7, P.Value.u8);
        }
        else
        {
            EXPECT_EQ(&s_aDefs[Case.iDef], P.Value.pDef);
        }
        if (rc > 0)
        {
            EXPECT_EQ(&s_aDefs[Case.iDef], P.State.pDef);
        }
        EXPECT_EQ(Case.rcAfter, P.next());
    }
}

TEST(GetOptIndex, WithoutValue)
{
    static const RTGETOPTDEF s_aDefs[] =
    {
        { "--disk",  'k', RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_INDEX },
        { "--port",  'p', RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DASH | RTGETOPT_FLAG_INDEX_DEF_2 },
    };
    static const struct { const char *pszArg; int rc; uint32_t uIndex; } s_aCases[] =
    {
        { "--disk3",          'k', 3 },
        { "--disk0",          'k', 0 },
        { "--disk007",        'k', 7 },
        { "--disk",           VERR_GETOPT_INDEX_MISSING, UINT32_MAX },
        { "--disk99999999999", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, UINT32_MAX },
        { "--disk3=1",        VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX },
        { "--disk-3",         VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX },
        { "--port-4",         'p', 4 },
        { "--port4",          'p', 4 },
        /* The default index applies only to options with values. */
        { "--port",           'p', UINT32_MAX },
        { "--port-",          VERR_GETOPT_UNKNOWN_OPTION, UINT32_MAX },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszArg);
        Parser P(s_aDefs, { Case.pszArg });
        ASSERT_EQ(Case.rc, P.next());
        EXPECT_EQ(Case.uIndex, P.State.uIndex);
        if (Case.rc < 0 && Case.rc != VERR_GETOPT_UNKNOWN_OPTION)
        {
            EXPECT_EQ(&s_aDefs[0], P.Value.pDef);
        }
    }

    /* The index of one call does not outlive it. */
    Parser P(s_aDefs, { "--disk3", "--port" });
    ASSERT_EQ('k', P.next());
    EXPECT_EQ(3u, P.State.uIndex);
    ASSERT_EQ('p', P.next());
    EXPECT_EQ(UINT32_MAX, P.State.uIndex);
}


/*
 * Value conversion, through RTGetOpt and through RTGetOptFetchValue.
 */

namespace {

/** A value as the test tables give it: the member of the kind, widened with
 * its sign. */
uint64_t rawValue(uint32_t fFlags, const RTGETOPTUNION &Value)
{
    switch (fFlags & RTGETOPT_VAL_MASK)
    {
        case RTGETOPT_VAL_INT8:   return (uint64_t)(int64_t)Value.i8;
        case RTGETOPT_VAL_UINT8:  return Value.u8;
        case RTGETOPT_VAL_INT16:  return (uint64_t)(int64_t)Value.i16;
        case RTGETOPT_VAL_UINT16: return Value.u16;
        case RTGETOPT_VAL_INT32:  return (uint64_t)(int64_t)Value.i32;
        case RTGETOPT_VAL_UINT32: return Value.u32;
        case RTGETOPT_VAL_INT64:  return (uint64_t)Value.i64;
        case RTGETOPT_VAL_UINT64: return Value.u64;
        case RTGETOPT_VAL_BOOL:
        case RTGETOPT_VAL_BOOL_ONOFF: return Value.f ? 1 : 0;
        case RTGETOPT_VAL_IPV4ADDR:
            return ((uint64_t)Value.IPv4Addr.au8[0] << 24) | ((uint64_t)Value.IPv4Addr.au8[1] << 16)
                 | ((uint64_t)Value.IPv4Addr.au8[2] << 8) | Value.IPv4Addr.au8[3];
        case RTGETOPT_VAL_IPV4CIDR:
            return ((uint64_t)Value.CidrIPv4.IPv4Network << 32) | Value.CidrIPv4.IPv4Netmask;
        case RTGETOPT_VAL_MACADDR:
        {
            uint64_t u = 0;
            for (unsigned i = 0; i < 6; i++)
                u = (u << 8) | Value.MacAddr.au8[i];
            return u;
        }
        case RTGETOPT_VAL_UINT32_PAIR:
        case RTGETOPT_VAL_UINT32_OPTIONAL_PAIR:
            return ((uint64_t)Value.PairU32.uFirst << 32) | Value.PairU32.uSecond;
        default:
            ADD_FAILURE() << "no raw form for kind " << (fFlags & RTGETOPT_VAL_MASK);
            return 0;
    }
}

struct CONVCASE
{
    uint32_t    fFlags;
    const char *pszValue;
    int         rc;
    uint64_t    uExpected;  /* rawValue() on success */
};

/** Converts every case once as the value of an option and once through
 * RTGetOptFetchValue, and checks that both agree with the table. */
void checkConversions(const CONVCASE *paCases, size_t cCases)
{
    for (size_t i = 0; i < cCases; i++)
    {
        const CONVCASE &Case = paCases[i];
        SCOPED_TRACE(::testing::Message() << "flags " << std::hex << Case.fFlags << " value '" << Case.pszValue << "'");

        RTGETOPTDEF const aDefs[] = { { "--v", 1000, Case.fFlags }, { "--a", 'a', RTGETOPT_VAL_NOTHING } };
        for (int iWay = 0; iWay < 2; iWay++)
        {
            SCOPED_TRACE(iWay == 0 ? "RTGetOpt" : "RTGetOptFetchValue");
            std::string StrArg1 = iWay == 0 ? "--v" : "--a";
            std::string StrValue = Case.pszValue;
            char *apszArgs[] = { (char *)"prog", StrArg1.data(), StrValue.data(), NULL };
            RTGETOPTSTATE State;
            ASSERT_EQ(VINF_SUCCESS, RTGetOptInit(&State, 3, apszArgs, aDefs, RT_ELEMENTS(aDefs), 1, 0));
            RTGETOPTUNION Value;
            memset(&Value, 0xa5, sizeof(Value));
            int rc;
            if (iWay == 0)
                rc = RTGetOpt(&State, &Value);
            else
            {
                ASSERT_EQ('a', RTGetOpt(&State, &Value));
                memset(&Value, 0xa5, sizeof(Value));
                rc = RTGetOptFetchValue(&State, &Value, Case.fFlags);
            }
            int const rcSuccess = iWay == 0 ? 1000 : VINF_SUCCESS;
            ASSERT_EQ(Case.rc == VINF_SUCCESS ? rcSuccess : Case.rc, rc);
            EXPECT_EQ(3, State.iNext);
            if (Case.rc == VINF_SUCCESS)
            {
                if ((Case.fFlags & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_STRING)
                {
                    EXPECT_EQ(StrValue.data(), Value.psz);
                }
                else
                {
                    EXPECT_EQ(Case.uExpected, rawValue(Case.fFlags, Value));
                }
            }
            else if (Case.rc == VERR_GETOPT_UNKNOWN_OPTION)
                EXPECT_EQ(StrValue.data(), Value.psz);   /* a boolean that is none */
            else
                EXPECT_EQ(iWay == 0 ? &aDefs[0] : &aDefs[1], Value.pDef); /* value not written */
        }
    }
}

} /* namespace */

TEST(GetOptConvert, Integers)
{
    static const CONVCASE s_aCases[] =
    {
        { RTGETOPT_VAL_UINT32, "4294967295",  VINF_SUCCESS, UINT32_MAX },
        { RTGETOPT_VAL_UINT32, "4294967296",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "0x1",         VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_UINT32, "0XfF",        VINF_SUCCESS, 255 },
        { RTGETOPT_VAL_UINT32, "0xffffffff",  VINF_SUCCESS, UINT32_MAX },
        { RTGETOPT_VAL_UINT32, "0x100000000", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "010",         VINF_SUCCESS, 10 },
        { RTGETOPT_VAL_UINT32, "+7",          VINF_SUCCESS, 7 },
        { RTGETOPT_VAL_UINT32, " 12",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "12 ",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "12x",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "0x",          VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "0xg",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "",            VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32, "-1",          VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT8,   "-128",        VINF_SUCCESS, (uint64_t)-128 },
        { RTGETOPT_VAL_INT8,   "0x7f",        VINF_SUCCESS, 127 },
        { RTGETOPT_VAL_INT8,   "128",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT8,   "-129",        VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT8,   "0x80",        VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT8,  "0xff",        VINF_SUCCESS, 255 },
        { RTGETOPT_VAL_UINT8,  "256",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT16,  "-32768",      VINF_SUCCESS, (uint64_t)-32768 },
        { RTGETOPT_VAL_INT16,  "32768",       VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT16, "65535",       VINF_SUCCESS, 65535 },
        { RTGETOPT_VAL_UINT16, "0x10000",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT32,  "-2147483648", VINF_SUCCESS, (uint64_t)(int64_t)INT32_MIN },
        { RTGETOPT_VAL_INT32,  "2147483648",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT64,  "-9223372036854775808", VINF_SUCCESS, (uint64_t)INT64_MIN },
        { RTGETOPT_VAL_INT64,  "9223372036854775808",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT64,  "0x7fffffffffffffff",   VINF_SUCCESS, (uint64_t)INT64_MAX },
        { RTGETOPT_VAL_INT64,  "0x8000000000000000",   VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT64, "18446744073709551615", VINF_SUCCESS, UINT64_MAX },
        { RTGETOPT_VAL_UINT64, "18446744073709551616", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT64, "-5",          VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_STRING, " any text ",  VINF_SUCCESS, 0 },
    };
    checkConversions(s_aCases, RT_ELEMENTS(s_aCases));
}

TEST(GetOptConvert, BaseFlagsAndUndefinedKinds)
{
    static const CONVCASE s_aCases[] =
    {
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX, "10",    VINF_SUCCESS, 16 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX, "0x10",  VINF_SUCCESS, 16 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX, "Ff",    VINF_SUCCESS, 255 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX, "g",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT8   | RTGETOPT_FLAG_HEX, "80",    VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_INT8   | RTGETOPT_FLAG_HEX, "7f",    VINF_SUCCESS, 127 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_OCT, "17",    VINF_SUCCESS, 15 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_OCT, "8",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_OCT, "0x10",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_DEC, "0x10",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_DEC, "010",   VINF_SUCCESS, 10 },
        { RTGETOPT_VAL_UINT64 | RTGETOPT_FLAG_DEC, "99",    VINF_SUCCESS, 99 },
        /* A table mistake, whatever the text. */
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX | RTGETOPT_FLAG_OCT, "1", VERR_INTERNAL_ERROR, 0 },
        { RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX | RTGETOPT_FLAG_DEC, "1", VERR_INTERNAL_ERROR, 0 },
        { RTGETOPT_VAL_STRING | RTGETOPT_FLAG_HEX,   "1",       VERR_INTERNAL_ERROR, 0 },
        { RTGETOPT_VAL_BOOL   | RTGETOPT_FLAG_DEC,   "1",       VERR_INTERNAL_ERROR, 0 },
        { RTGETOPT_VAL_IPV4ADDR | RTGETOPT_FLAG_OCT, "1.2.3.4", VERR_INTERNAL_ERROR, 0 },
        { RTGETOPT_VAL_MACADDR | RTGETOPT_FLAG_HEX,  "001122334455", VERR_INTERNAL_ERROR, 0 },
        { 12, "1", VERR_INTERNAL_ERROR, 0 },
        { 13, "1", VERR_INTERNAL_ERROR, 0 },
        { 22, "1", VERR_INTERNAL_ERROR, 0 },
        { 31, "1", VERR_INTERNAL_ERROR, 0 },
        /* The case flag does not touch the conversion. */
        { RTGETOPT_VAL_UINT16 | RTGETOPT_FLAG_ICASE, "0x20", VINF_SUCCESS, 32 },
    };
    checkConversions(s_aCases, RT_ELEMENTS(s_aCases));
}

TEST(GetOptConvert, Booleans)
{
    static const CONVCASE s_aCases[] =
    {
        { RTGETOPT_VAL_BOOL, "TRUE",     VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "t",        VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "Yes",      VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "y",        VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "Enabled",  VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "enable",   VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "EN",       VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "E",        VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "on",       VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "1",        VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL, "false",    VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "F",        VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "no",       VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "N",        VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "disabled", VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "DISABLE",  VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "dis",      VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "d",        VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "OFF",      VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "0",        VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL, "maybe",    VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL, "",         VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL, "01",       VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL, "yes ",     VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL, "di",       VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL_ONOFF, "On",  VINF_SUCCESS, 1 },
        { RTGETOPT_VAL_BOOL_ONOFF, "oFF", VINF_SUCCESS, 0 },
        { RTGETOPT_VAL_BOOL_ONOFF, "yes", VERR_GETOPT_UNKNOWN_OPTION, 0 },
        { RTGETOPT_VAL_BOOL_ONOFF, "1",   VERR_GETOPT_UNKNOWN_OPTION, 0 },
    };
    checkConversions(s_aCases, RT_ELEMENTS(s_aCases));
}

TEST(GetOptConvert, Pairs32)
{
    static const CONVCASE s_aCases[] =
    {
        { RTGETOPT_VAL_UINT32_PAIR, "1:2",       VINF_SUCCESS, 0x0000000100000002 },
        { RTGETOPT_VAL_UINT32_PAIR, "1 / 2",     VINF_SUCCESS, 0x0000000100000002 },
        { RTGETOPT_VAL_UINT32_PAIR, "1|0x10",    VINF_SUCCESS, 0x0000000100000010 },
        { RTGETOPT_VAL_UINT32_PAIR, "0x10:2",    VINF_SUCCESS, 0x0000001000000002 },
        { RTGETOPT_VAL_UINT32_PAIR, "3 4",       VINF_SUCCESS, 0x0000000300000004 },
        { RTGETOPT_VAL_UINT32_PAIR, "3\t:\t4",   VINF_SUCCESS, 0x0000000300000004 },
        { RTGETOPT_VAL_UINT32_PAIR, "1,2",       VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "1",         VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "1::2",      VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, ":2",        VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "4294967296:1", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "1:4294967296", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "1:2 ",      VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR, "4294967295:4294967295", VINF_SUCCESS, UINT64_MAX },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "5",  VINF_SUCCESS, 0x00000005ffffffff },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "5x", VINF_SUCCESS, 0x00000005ffffffff },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "5:6", VINF_SUCCESS, 0x0000000500000006 },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "5 ", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "5:", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_OPTIONAL_PAIR, "x",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        /* Bases: the hex flag reads both numbers in base 16, a 0x prefix
           selects base 16 whatever the other flags say. */
        { RTGETOPT_VAL_UINT32_PAIR | RTGETOPT_FLAG_HEX, "10:20",   VINF_SUCCESS, 0x0000001000000020 },
        { RTGETOPT_VAL_UINT32_PAIR | RTGETOPT_FLAG_OCT, "10:0x10", VINF_SUCCESS, 0x0000000800000010 },
        { RTGETOPT_VAL_UINT32_PAIR | RTGETOPT_FLAG_OCT, "8:1",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_UINT32_PAIR | RTGETOPT_FLAG_DEC, "0x10:10", VINF_SUCCESS, 0x000000100000000a },
        { RTGETOPT_VAL_UINT32_PAIR, "010:2",     VINF_SUCCESS, 0x0000000a00000002 },
    };
    checkConversions(s_aCases, RT_ELEMENTS(s_aCases));
}

TEST(GetOptConvert, Pairs64)
{
    static const struct { uint32_t fFlags; const char *pszValue; int rc; uint64_t uFirst, uSecond; } s_aCases[] =
    {
        { RTGETOPT_VAL_UINT64_PAIR, "0x100000000:1", VINF_SUCCESS, UINT64_C(0x100000000), 1 },
        { RTGETOPT_VAL_UINT64_PAIR, "18446744073709551615/0", VINF_SUCCESS, UINT64_MAX, 0 },
        { RTGETOPT_VAL_UINT64_PAIR, "18446744073709551616/0", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0, 0 },
        { RTGETOPT_VAL_UINT64_PAIR, "7",             VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0, 0 },
        { RTGETOPT_VAL_UINT64_OPTIONAL_PAIR, "7",    VINF_SUCCESS, 7, UINT64_MAX },
        { RTGETOPT_VAL_UINT64_OPTIONAL_PAIR, "7|8",  VINF_SUCCESS, 7, 8 },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszValue);
        RTGETOPTDEF const aDefs[] = { { "--v", 'v', Case.fFlags } };
        Parser P(aDefs, { "--v", Case.pszValue });
        int rc = P.next();
        ASSERT_EQ(Case.rc == VINF_SUCCESS ? 'v' : Case.rc, rc);
        if (rc == 'v')
        {
            EXPECT_EQ(Case.uFirst, P.Value.PairU64.uFirst);
            EXPECT_EQ(Case.uSecond, P.Value.PairU64.uSecond);
        }
    }
}

TEST(GetOptConvert, Addresses)
{
    static const CONVCASE s_aCases[] =
    {
        { RTGETOPT_VAL_IPV4ADDR, "1.2.3.4",         VINF_SUCCESS, 0x01020304 },
        { RTGETOPT_VAL_IPV4ADDR, "192.168.0.255",   VINF_SUCCESS, 0xc0a800ff },
        { RTGETOPT_VAL_IPV4ADDR, "1.2.3",           VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_IPV4ADDR, "256.1.1.1",       VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_IPV4ADDR, "1.2.3.4x",        VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_IPV4CIDR, "10.0.0.0/8",      VINF_SUCCESS, UINT64_C(0x0a000000ff000000) },
        { RTGETOPT_VAL_IPV4CIDR, "192.168.1.1",     VINF_SUCCESS, UINT64_C(0xc0a80101ffffffff) },
        { RTGETOPT_VAL_IPV4CIDR, "10.0.0.1/8",      VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_IPV4CIDR, "10.0.0.0/33",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_MACADDR,  "00:11:22:33:44:55", VINF_SUCCESS, UINT64_C(0x001122334455) },
        { RTGETOPT_VAL_MACADDR,  "a0b1c2d3e4F5",    VINF_SUCCESS, UINT64_C(0xa0b1c2d3e4f5) },
        { RTGETOPT_VAL_MACADDR,  "00:11:22:33:44",  VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_MACADDR,  "00:11:22:33:44:555", VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
        { RTGETOPT_VAL_MACADDR,  "00112233445",     VERR_GETOPT_INVALID_ARGUMENT_FORMAT, 0 },
    };
    checkConversions(s_aCases, RT_ELEMENTS(s_aCases));
}

TEST(GetOptConvert, Uuids)
{
    static const struct { const char *pszValue; bool fOk; } s_aCases[] =
    {
        { "01234567-89ab-cdef-0123-456789ABCDEF",   true },
        { "{01234567-89AB-CDEF-0123-456789abcdef}", true },
        { "01234567-89ab-cdef-0123-456789ABCDE",    false },
        { "{01234567-89ab-cdef-0123-456789ABCDEF",  false },
        { "01234567-89ab-cdef-0123-456789ABCDEF0",  false },
        { "0123456789ab-cdef-0123-456789ABCDEF-",   false },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszValue);
        static const RTGETOPTDEF s_aDefs[] = { { "--uuid", 'u', RTGETOPT_VAL_UUID } };
        Parser P(s_aDefs, { "--uuid", Case.pszValue });
        int rc = P.next();
        if (!Case.fOk)
        {
            EXPECT_EQ(VERR_GETOPT_INVALID_ARGUMENT_FORMAT, rc);
            EXPECT_EQ(&s_aDefs[0], P.Value.pDef);
            continue;
        }
        ASSERT_EQ('u', rc);
        EXPECT_EQ(UINT32_C(0x01234567), P.Value.Uuid.Gen.u32TimeLow);
        EXPECT_EQ(0x89ab, P.Value.Uuid.Gen.u16TimeMid);
        EXPECT_EQ(0xcdef, P.Value.Uuid.Gen.u16TimeHiAndVersion);
        EXPECT_EQ(0x01, P.Value.Uuid.Gen.u8ClockSeqHiAndReserved);
        EXPECT_EQ(0x23, P.Value.Uuid.Gen.u8ClockSeqLow);
        static const uint8_t s_abNode[6] = { 0x45, 0x67, 0x89, 0xab, 0xcd, 0xef };
        EXPECT_EQ(0, memcmp(s_abNode, P.Value.Uuid.Gen.au8Node, 6));
    }
}


/*
 * RTGetOptFetchValue.
 */

TEST(GetOptFetchValue, RefusesBadFlagsLeavingTheUnionAlone)
{
    static const uint32_t s_afBad[] =
    {
        RTGETOPT_VAL_NOTHING,
        RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_HEX,
        RTGETOPT_VAL_STRING | UINT32_C(0x20),
        RTGETOPT_VAL_STRING | UINT32_C(0x8000),
        RTGETOPT_VAL_STRING | UINT32_C(0x01000000),
        RTGETOPT_VAL_STRING | UINT32_C(0x80000000),
    };
    for (uint32_t fFlags : s_afBad)
    {
        SCOPED_TRACE(fFlags);
        Parser P(g_aBasic, { "-a", "v" });
        ASSERT_EQ('a', P.next());
        RTGETOPTUNION Pattern;
        memset(&Pattern, 0x3c, sizeof(Pattern));
        P.Value = Pattern;
        EXPECT_EQ(VERR_INVALID_PARAMETER, RTGetOptFetchValue(&P.State, &P.Value, fFlags));
        EXPECT_EQ(0, memcmp(&Pattern, &P.Value, sizeof(Pattern)));
        EXPECT_EQ(2, P.State.iNext);
    }

    /* Every option flag is allowed, the index and case flags too. */
    Parser P(g_aBasic, { "-a", "v" });
    ASSERT_EQ('a', P.next());
    EXPECT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DASH
                                    | RTGETOPT_FLAG_INDEX_DEF_2 | RTGETOPT_FLAG_ICASE));
    EXPECT_STREQ("v", P.Value.psz);
}

TEST(GetOptFetchValue, TakesFollowingArguments)
{
    static const RTGETOPTDEF s_aDefs[] =
    {
        { "--prop", 'p', RTGETOPT_VAL_STRING },
        { "--a",    'a', RTGETOPT_VAL_NOTHING },
        { "--b",    'b', RTGETOPT_VAL_STRING },
    };

    /* Several values for one option. */
    {
        Parser P(s_aDefs, { "--prop", "name", "value", "rest" });
        ASSERT_EQ('p', P.next());
        EXPECT_STREQ("name", P.Value.psz);
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_STREQ("value", P.Value.psz);
        EXPECT_EQ(&s_aDefs[0], P.State.pDef);
        EXPECT_EQ(VERR_GETOPT_INVALID_ARGUMENT_FORMAT, P.fetch(RTGETOPT_VAL_UINT8 | RTGETOPT_FLAG_HEX)); /* "rest" */
        EXPECT_EQ(&s_aDefs[0], P.Value.pDef);
        EXPECT_EQ(0, P.next());
    }
    {
        Parser P(s_aDefs, { "--prop", "name", "1f", "tail" });
        ASSERT_EQ('p', P.next());
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_UINT8 | RTGETOPT_FLAG_HEX));
        EXPECT_EQ(0x1f, P.Value.u8);
        /* A value that does not convert names the option the fetch belongs to. */
        EXPECT_EQ(VERR_GETOPT_INVALID_ARGUMENT_FORMAT, P.fetch(RTGETOPT_VAL_UINT32));
        EXPECT_EQ(&s_aDefs[0], P.Value.pDef);
        EXPECT_EQ(4 + 1, P.State.iNext);
        EXPECT_EQ(VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_EQ(nullptr, P.Value.pDef);
        EXPECT_EQ(5, P.State.iNext);
        EXPECT_EQ(0, P.next());
    }

    /* Options first: values come from behind the set-aside operands, the
       missing value leaves argv as it is. */
    {
        Parser P(s_aDefs, { "op1", "--prop", "n", "v", "op2", "--a" }, RTGETOPTINIT_FLAG_OPTS_FIRST);
        ASSERT_EQ('p', P.next());
        EXPECT_STREQ("n", P.Value.psz);
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_STREQ("v", P.Value.psz);
        expectSteps(P, { { 'a', NULL } });
        std::vector<std::string> const Before = P.argvNow();
        EXPECT_EQ((std::vector<std::string>{ "--prop", "n", "v", "--a", "op1", "op2" }), Before);
        EXPECT_EQ(VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_EQ(Before, P.argvNow());
        expectSteps(P, { { VINF_GETOPT_NOT_OPTION, "op1" }, { VINF_GETOPT_NOT_OPTION, "op2" }, { 0, NULL } });
        EXPECT_TRUE(P.isPermutation());
    }
    {
        Parser P(s_aDefs, { "op1", "--a" }, RTGETOPTINIT_FLAG_OPTS_FIRST);
        ASSERT_EQ('a', P.next());
        EXPECT_EQ((std::vector<std::string>{ "--a", "op1" }), P.argvNow());
        EXPECT_EQ(VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_EQ((std::vector<std::string>{ "--a", "op1" }), P.argvNow());
        expectSteps(P, { { VINF_GETOPT_NOT_OPTION, "op1" }, { 0, NULL } });
    }

    /* Inside a group the value is the argument after the group, and the rest
       of the group is still parsed, with nothing taken twice. */
    {
        Parser P(s_aDefs, { "-ab", "x", "y", "z" });
        ASSERT_EQ('a', P.next());
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_STREQ("x", P.Value.psz);
        expectSteps(P, { { 'b', "y" }, { VINF_GETOPT_NOT_OPTION, "z" }, { 0, NULL } });
        EXPECT_TRUE(P.isPermutation());
    }
    {
        Parser P(s_aDefs, { "op1", "-ab", "x", "y" }, RTGETOPTINIT_FLAG_OPTS_FIRST);
        ASSERT_EQ('a', P.next());
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_STREQ("x", P.Value.psz);
        expectSteps(P, { { 'b', "y" }, { VINF_GETOPT_NOT_OPTION, "op1" }, { 0, NULL } });
        EXPECT_TRUE(P.isPermutation());
    }

    /* After the operands were reached every remaining argument is a value. */
    {
        Parser P(s_aDefs, { "--", "-a", "op" });
        ASSERT_EQ(VINF_GETOPT_NOT_OPTION, P.next());
        ASSERT_EQ(VINF_SUCCESS, P.fetch(RTGETOPT_VAL_STRING));
        EXPECT_STREQ("op", P.Value.psz);
        EXPECT_EQ(0, P.next());
    }
}


/*
 * RTGetOptPrintError.
 */

namespace {

/** What RTGetOptPrintError wrote, from "error: " on (the program name in
 * front of it belongs to the message layer). */
std::string printError(int ch, const RTGETOPTUNION *pValue, RTEXITCODE *penmExit)
{
    testing::internal::CaptureStderr();
    *penmExit = RTGetOptPrintError(ch, pValue);
    std::string const Out = testing::internal::GetCapturedStderr();
    size_t const off = Out.find("error: ");
    return off == std::string::npos ? "<no error prefix>" + Out : Out.substr(off);
}

} /* namespace */

TEST(GetOptPrintError, Messages)
{
    static const RTGETOPTDEF s_Num   = { "--num", 'n', RTGETOPT_VAL_UINT32 };
    static const RTGETOPTDEF s_Short = { NULL, 'q', RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX };
    static const struct { int ch; const char *psz; const RTGETOPTDEF *pDef; const char *pszExpected; } s_aCases[] =
    {
        { VINF_GETOPT_NOT_OPTION, "stray", NULL, "error: Invalid parameter: stray\n" },
        { 'x',   NULL, NULL, "error: Unhandled option: -x\n" },
        { '!',   NULL, NULL, "error: Unhandled option: -!\n" },
        { '~',   NULL, NULL, "error: Unhandled option: -~\n" },
        { ' ',   NULL, NULL, "error: Unhandled option: 32 (0x20)\n" },
        { 127,   NULL, NULL, "error: Unhandled option: 127 (0x7f)\n" },
        { 1000,  NULL, NULL, "error: Unhandled option: 1000 (0x3e8)\n" },
        { VERR_GETOPT_UNKNOWN_OPTION, "--zap", NULL, "error: Unknown option: '--zap'\n" },
        { VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL, NULL, "error: An option that takes a value is the last argument.\n" },
        { VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, NULL, &s_Num, "error: --num: An option that takes a value is the last argument.\n" },
        { VERR_GETOPT_INVALID_ARGUMENT_FORMAT, NULL, &s_Num, "error: The value given '--num' has an invalid format.\n" },
        { VERR_GETOPT_INVALID_ARGUMENT_FORMAT, NULL, NULL, "error: An option's value does not convert to the option's value kind.\n" },
        { VERR_GETOPT_INDEX_MISSING, NULL, &s_Short, "error: -q: An indexed option was given without its index.\n" },
        { VERR_INTERNAL_ERROR, NULL, &s_Num, "error: --num: An impossible value or state was met (first variant).\n" },
        { 0, NULL, NULL, "error: Success.\n" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.ch);
        RTGETOPTUNION Value;
        memset(&Value, 0, sizeof(Value));
        if (Case.psz)
            Value.psz = Case.psz;
        else
            Value.pDef = Case.pDef;
        RTEXITCODE enmExit = RTEXITCODE_SUCCESS;
        EXPECT_EQ(Case.pszExpected, printError(Case.ch, &Value, &enmExit));
        EXPECT_EQ(RTEXITCODE_SYNTAX, enmExit);
    }
}

TEST(GetOptPrintError, AfterParserResults)
{
    static const struct { std::vector<const char *> Args; const char *pszExpected; } s_aCases[] =
    {
        { { "--num", "abc" }, "error: The value given '--num' has an invalid format.\n" },
        { { "-n", "abc" },    "error: The value given '--num' has an invalid format.\n" },
        { { "--num" },        "error: --num: An option that takes a value is the last argument.\n" },
        { { "-z" },           "error: Unknown option: '-z'\n" },
        { { "--nope" },       "error: Unknown option: '--nope'\n" },
        { { "op" },           "error: Invalid parameter: op\n" },
        { { "-a" },           "error: Unhandled option: -a\n" },
        { { "--beta-two=x" }, "error: Unhandled option: 1000 (0x3e8)\n" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.Args[0]);
        Parser P(g_aBasic, Case.Args);
        int ch = P.next();
        RTEXITCODE enmExit = RTEXITCODE_SUCCESS;
        EXPECT_EQ(Case.pszExpected, printError(ch, &P.Value, &enmExit));
        EXPECT_EQ(RTEXITCODE_SYNTAX, enmExit);
    }
}
