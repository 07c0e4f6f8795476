/*
 * Tests of the string buffer helpers: allocation, duplication and resizing,
 * copying and appending into fixed buffers, the comparisons and the search
 * helpers.
 */
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include "guarded-page.h"
#include "text-test-util.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

/* Sign of a comparison result, for rows that only fix the order. */
int Sign(int i)
{
    return i < 0 ? -1 : i > 0;
}

TEST(StrAlloc, AllocBuf)
{
    static const struct { size_t cb; size_t cbBlock; } s_aRows[] = { { 0, 1 }, { 1, 1 }, { 37, 37 } };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Row.cb);
        char *psz = RTStrAllocBuf(Row.cb);
        ASSERT_NE(psz, nullptr);
        EXPECT_EQ(psz[0], '\0');
        EXPECT_TRUE(HeapBlockSizeIs(psz, Row.cbBlock));
        RTStrRelease(psz);
    }
    EXPECT_EQ(RTStrAllocBuf(~(size_t)0 / 2), nullptr);
    RTStrRelease(nullptr);
}

TEST(StrAlloc, DupPrefixAndClone)
{
    static const struct
    {
        const char *psz;
        size_t      cchMax;
        const char *pszExpect;
    } s_aRows[] =
    {
        { "abc", 2,         "ab" },
        { "abc", 3,         "abc" },
        { "abc", 10,        "abc" },
        { "abc", RTSTR_MAX, "abc" },
        { "abc", 0,         "" },
        { "",    5,         "" },
        { "a\xc3\xa9", 2,   "a\xc3" },  /* bytes, not code points */
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.psz << " max " << (ptrdiff_t)Row.cchMax);
        char *psz = RTStrDupPrefix(Row.psz, Row.cchMax);
        ASSERT_NE(psz, nullptr);
        EXPECT_STREQ(psz, Row.pszExpect);
        EXPECT_TRUE(HeapBlockSizeIs(psz, strlen(Row.pszExpect) + 1));
        RTStrRelease(psz);

        psz = (char *)&psz;
        EXPECT_EQ(RTStrDupPrefixEx(&psz, Row.psz, Row.cchMax), VINF_SUCCESS);
        ASSERT_NE(psz, nullptr);
        EXPECT_STREQ(psz, Row.pszExpect);
        RTStrRelease(psz);
    }

    /* The maximum bounds the read: the source need not be terminated. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    char *psz = RTStrDupPrefix(Page.Place("abcd", 4), 4);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "abcd");
    RTStrRelease(psz);

    psz = RTStrClone("Kelb \xc3\xa9");
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "Kelb \xc3\xa9");
    RTStrRelease(psz);
    EXPECT_EQ(RTStrClone(nullptr), nullptr);
    EXPECT_EQ(RTStrDupPrefix(nullptr, 3), nullptr);
    psz = (char *)&psz;
    EXPECT_EQ(RTStrDupPrefixEx(&psz, nullptr, 3), VERR_INVALID_POINTER);
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(RTStrDupPrefixEx(nullptr, "a", 3), VERR_INVALID_POINTER);
}

TEST(StrAlloc, Resize)
{
    static const struct
    {
        const char *pszStart;   /* NULL: no string */
        size_t      cbNew;
        int         rc;
        const char *pszExpect;  /* NULL: the pointer is NULL afterwards */
        size_t      cbBlock;
    } s_aRows[] =
    {
        { "abcdef", 3,  VINF_SUCCESS, "ab",     3 },
        { "abcdef", 1,  VINF_SUCCESS, "",       1 },
        { "abcdef", 7,  VINF_SUCCESS, "abcdef", 7 },
        { "abcdef", 30, VINF_SUCCESS, "abcdef", 30 },
        { "abcdef", 0,  VINF_SUCCESS, nullptr,  0 },
        { nullptr,  0,  VINF_SUCCESS, nullptr,  0 },
        { nullptr,  5,  VINF_SUCCESS, "",       5 },
        /* Failures keep the old string as it was. */
        { "abcdef", ~(size_t)0 / 2, VERR_NO_STR_MEMORY, "abcdef", 7 },
        { nullptr,  ~(size_t)0 / 2, VERR_NO_STR_MEMORY, nullptr,  0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << (Row.pszStart ? Row.pszStart : "NULL") << " to " << Row.cbNew);
        char *psz = Row.pszStart ? RTStrClone(Row.pszStart) : nullptr;
        EXPECT_EQ(RTStrResize(&psz, Row.cbNew), Row.rc);
        if (!Row.pszExpect)
            EXPECT_EQ(psz, nullptr);
        else
        {
            ASSERT_NE(psz, nullptr);
            EXPECT_STREQ(psz, Row.pszExpect);
            EXPECT_TRUE(HeapBlockSizeIs(psz, Row.cbBlock));
            EXPECT_EQ(psz[Row.cbBlock - 1], '\0');
        }
        RTStrRelease(psz);
    }
    EXPECT_EQ(RTStrResize(nullptr, 3), VERR_INVALID_POINTER);
}

TEST(StrCopy, CopyTo)
{
    static const struct
    {
        const char *pszSrc;
        size_t      cbDst;
        int         rc;
        const char *pszExpect;  /* NULL: nothing written */
    } s_aRows[] =
    {
        { "hello", 6, VINF_SUCCESS,         "hello" },
        { "hello", 9, VINF_SUCCESS,         "hello" },
        { "hello", 5, VERR_BUFFER_OVERFLOW, "hell" },
        { "hello", 1, VERR_BUFFER_OVERFLOW, "" },
        { "hello", 0, VERR_BUFFER_OVERFLOW, nullptr },
        { "",      1, VINF_SUCCESS,         "" },
        { "",      0, VERR_BUFFER_OVERFLOW, nullptr },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.pszSrc << " into " << Row.cbDst);
        char achBuf[12];
        memset(achBuf, 'X', sizeof(achBuf));
        EXPECT_EQ(RTStrCopyTo(achBuf, Row.cbDst, Row.pszSrc), Row.rc);
        if (Row.pszExpect)
            EXPECT_STREQ(achBuf, Row.pszExpect);
        else
            EXPECT_EQ(achBuf[0], 'X');
        for (size_t i = Row.cbDst; i < sizeof(achBuf); i++)
            EXPECT_EQ(achBuf[i], 'X') << "written past the buffer at " << i;
    }
}

TEST(StrCopy, AppendTo)
{
    static const struct
    {
        const char *pszInitial;  /* bytes placed in the buffer, terminator included if any */
        size_t      cbInitial;
        size_t      cbDst;
        const char *pszSrc;
        int         rc;
        const char *pszExpect;   /* NULL: the buffer is unchanged */
    } s_aRows[] =
    {
        { "ab",   3, 6, "cd",   VINF_SUCCESS,           "abcd" },
        { "ab",   3, 5, "cd",   VINF_SUCCESS,           "abcd" },
        { "ab",   3, 4, "cd",   VERR_BUFFER_OVERFLOW,   "abc" },
        { "ab",   3, 3, "cd",   VERR_BUFFER_OVERFLOW,   "ab" },
        { "",     1, 1, "x",    VERR_BUFFER_OVERFLOW,   "" },
        { "",     1, 4, "",     VINF_SUCCESS,           "" },
        { "ab",   3, 3, "",     VINF_SUCCESS,           "ab" },
        /* No terminator within the buffer size. */
        { "abcd", 4, 4, "x",    VERR_INVALID_PARAMETER, nullptr },
        { "ab",   3, 2, "x",    VERR_INVALID_PARAMETER, nullptr },
        { "",     1, 0, "x",    VERR_INVALID_PARAMETER, nullptr },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "\"" << Row.pszInitial << "\" size " << Row.cbDst << " + " << Row.pszSrc);
        char achBuf[12];
        memset(achBuf, 'X', sizeof(achBuf));
        memcpy(achBuf, Row.pszInitial, Row.cbInitial);
        char achBefore[12];
        memcpy(achBefore, achBuf, sizeof(achBuf));
        EXPECT_EQ(RTStrAppendTo(achBuf, Row.cbDst, Row.pszSrc), Row.rc);
        if (Row.pszExpect)
            EXPECT_STREQ(achBuf, Row.pszExpect);
        else
            EXPECT_EQ(memcmp(achBuf, achBefore, sizeof(achBuf)), 0);
        for (size_t i = Row.cbDst > Row.cbInitial ? Row.cbDst : Row.cbInitial; i < sizeof(achBuf); i++)
            EXPECT_EQ(achBuf[i], 'X') << "written past the buffer at " << i;
    }

    /* The buffer is searched for its terminator only within its size. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    char *pch = (char *)Page.Place("abcd", 4);
    EXPECT_EQ(RTStrAppendTo(pch, 4, "x"), VERR_INVALID_PARAMETER);
}

TEST(StrCmp, CompareAndCompareN)
{
    static const char s_szSame[] = "same";
    static const struct
    {
        const char *psz1;
        const char *psz2;
        size_t      cchMax;
        int         iCompare;   /* exact result of RTStrCompare */
        int         iCompareN;  /* exact result of RTStrCompareN */
    } s_aRows[] =
    {
        { "abc",    "abc",    RTSTR_MAX, 0, 0 },
        { "abc",    "abd",    RTSTR_MAX, 'c' - 'd', 'c' - 'd' },
        { "abd",    "abc",    2,         'd' - 'c', 0 },
        { "abcx",   "abcy",   3,         'x' - 'y', 0 },
        { "abcx",   "abcy",   4,         'x' - 'y', 'x' - 'y' },
        { "a",      "",       RTSTR_MAX, 'a', 'a' },
        { "",       "a",      RTSTR_MAX, -'a', -'a' },
        { "a",      "b",      0,         -1, 0 },
        { "\xff",   "a",      RTSTR_MAX, 0xff - 'a', 0xff - 'a' },  /* unsigned bytes */
        { "ab",     "abc",    RTSTR_MAX, -'c', -'c' },
        { "A",      "a",      RTSTR_MAX, 'A' - 'a', 'A' - 'a' },
        { nullptr,  nullptr,  RTSTR_MAX, 0, 0 },
        { nullptr,  "",       RTSTR_MAX, -1, -1 },
        { "",       nullptr,  RTSTR_MAX, 1, 1 },
        { s_szSame, s_szSame, RTSTR_MAX, 0, 0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << (Row.psz1 ? Row.psz1 : "NULL") << " vs "
                                        << (Row.psz2 ? Row.psz2 : "NULL") << " max " << (ptrdiff_t)Row.cchMax);
        EXPECT_EQ(RTStrCompare(Row.psz1, Row.psz2), Row.iCompare);
        EXPECT_EQ(RTStrCompareN(Row.psz1, Row.psz2, Row.cchMax), Row.iCompareN);
    }

    /* The N form reads no further than its maximum. */
    GuardedPage Page1, Page2;
    ASSERT_TRUE(Page1.IsValid() && Page2.IsValid());
    EXPECT_EQ(RTStrCompareN(Page1.Place("abc", 3), Page2.Place("abc", 3), 3), 0);
}

TEST(StrCmp, CompareAsciiNoCase)
{
    static const struct
    {
        const char *psz1;
        const char *psz2;
        int         iResult;
    } s_aRows[] =
    {
        { "--HELP",        "--help",  0 },
        { "--help",        "--HELP",  0 },
        { "MiXeD",         "mixed",   0 },
        { "abc",           "ABD",     'c' - 'd' },
        { "B",             "a",       'b' - 'a' },
        { "a",             "",        'a' },
        { "",              "a",       -'a' },
        /* Only A to Z fold: '[' sorts after 'Z' but before 'a'. */
        { "[",             "a",       '[' - 'a' },
        { "Z",             "[",       'z' - '[' },
        /* A letter outside ASCII that differs sorts after its base letter. */
        { "\xc3\xa9",      "e",       1 },
        { "e",             "\xc3\xa9", 'e' - 0xc3 },
        { "\xe2\x82\xac",  "E",       1 },
        /* The first string is decoded, the second taken byte by byte. */
        { "\xc3\xa9",      "\xe9",    0 },
        /* From an invalid sequence on, the raw bytes are compared. */
        { "\x80",          "a",       0x80 - 'a' },
        { "A\xc3",         "ab",      0xc3 - 'b' },
        { "X\xc0\x80",     "x\xc0\x80", 0 },
        { nullptr,         "a",       -1 },
        { "a",             nullptr,   1 },
        { nullptr,         nullptr,   0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << (Row.psz1 ? Row.psz1 : "NULL") << " vs " << (Row.psz2 ? Row.psz2 : "NULL"));
        EXPECT_EQ(RTStrCompareAsciiNoCase(Row.psz1, Row.psz2), Row.iResult);
        /* Without a limit that matters, the N form agrees. */
        EXPECT_EQ(RTStrCompareAsciiNoCaseN(Row.psz1, Row.psz2, RTSTR_MAX), Row.iResult);
    }
}

TEST(StrCmp, CompareAsciiNoCaseN)
{
    static const struct
    {
        const char *psz1;
        const char *psz2;
        size_t      cchMax;
        int         iResult;
    } s_aRows[] =
    {
        { "a",         "b",        0, 0 },
        { "HELLOx",    "helloy",   5, 0 },
        { "HELLOx",    "helloy",   6, 'x' - 'y' },
        { "ab",        "abc",      2, 0 },              /* running out of bytes is equal */
        { "ab",        "abc",      3, -'c' },
        { "\xc3\xa9",  "e",        2, 1 },
        /* A sequence longer than the budget is invalid: bytes from there on. */
        { "\xc3\xa9",  "e",        1, 0xc3 - 'e' },
        { "x\xe2\x82\xac", "X\xe2\x82", 3, 0 },
        { "x\xe2\x82\xac", "X\xe2", 3, 0x82 },
        { "x\xe2\x82\xac", "X\xe1", 3, 0xe2 - 0xe1 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.psz1 << " vs " << Row.psz2 << " max " << Row.cchMax);
        EXPECT_EQ(RTStrCompareAsciiNoCaseN(Row.psz1, Row.psz2, Row.cchMax), Row.iResult);
    }

    /* The budget bounds what is read of the first string. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    EXPECT_EQ(RTStrCompareAsciiNoCaseN(Page.Place("ABC", 3), "abcd", 3), 0);
    EXPECT_EQ(Sign(RTStrCompareAsciiNoCaseN(Page.Place("AB\xc3", 3), "abc", 3)), 1);
}

TEST(StrFind, Find)
{
    static const struct
    {
        const char *pszHaystack;
        const char *pszNeedle;
        ptrdiff_t   off;        /* -1: not found */
    } s_aRows[] =
    {
        { "abcabc",   "ca",    2 },
        { "abcabc",   "abc",   0 },
        { "aab",      "ab",    1 },
        { "aaab",     "aab",   1 },
        { "abc",      "",      0 },
        { "",         "",      0 },
        { "",         "a",     -1 },
        { "abc",      "abcd",  -1 },
        { "abc",      "d",     -1 },
        { "ABC",      "b",     -1 },   /* case matters */
        { "x\xc3\xa9", "\xa9", 2 },    /* bytes, not code points */
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.pszHaystack << " / " << Row.pszNeedle);
        char *psz = RTStrFind(Row.pszHaystack, Row.pszNeedle);
        if (Row.off < 0)
            EXPECT_EQ(psz, nullptr);
        else
            EXPECT_EQ(psz, Row.pszHaystack + Row.off);
    }
    EXPECT_EQ(RTStrFind(nullptr, "a"), nullptr);
    EXPECT_EQ(RTStrFind("a", nullptr), nullptr);

    /* A needle longer than what is left must not read past the haystack. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    EXPECT_EQ(RTStrFind(Page.Place("aaaa"), "aaaaab"), nullptr);
    const char *psz = Page.Place("xxab");
    EXPECT_EQ(RTStrFind(psz, "ab"), psz + 2);
}

TEST(StrFind, SkipBlanksAndByteSets)
{
    static const struct { const char *psz; size_t off; } s_aBlanks[] =
    {
        { " \t\n\v\f\rx", 6 },
        { "x ",           0 },
        { "",             0 },
        { "   ",          3 },
        { "\x01 x",       0 },   /* control characters other than the five are no blanks */
        { "\xc2\xa0x",    0 },   /* nor is a no-break space */
    };
    for (const auto &Row : s_aBlanks)
    {
        SCOPED_TRACE(Row.off);
        EXPECT_EQ(RTStrSkipBlanks(Row.psz), Row.psz + Row.off);
    }

    static const struct { char ch; const char *pach; size_t cch; bool f; } s_aSets[] =
    {
        { 'b',    "abc",     3, true },
        { 'c',    "abc",     2, false },   /* only the first n bytes count */
        { 'a',    "abc",     0, false },
        { '\0',   "a\0b",    3, true },
        { '\0',   "ab",      2, false },
        { '\xff', "a\xff",   2, true },
    };
    for (const auto &Row : s_aSets)
    {
        SCOPED_TRACE(testing::Message() << (int)(uint8_t)Row.ch << " in " << Row.cch);
        EXPECT_EQ(RTStrIsByteInSet(Row.ch, Row.pach, Row.cch), Row.f);
    }
}

TEST(StrFind, HasCodePoint)
{
    static const struct { RTUNICP uCp; const char *psz; bool f; } s_aRows[] =
    {
        { 0xe9,    "caf\xc3\xa9",          true },
        { 0x1f600, "x\xf0\x9f\x98\x80",    true },
        { 'x',     "x\xf0\x9f\x98\x80",    true },
        { 0,       "abc",                  true },   /* the terminator */
        { 'z',     "abc",                  false },
        { 0xc3,    "caf\xc3\xa9",          false },  /* a byte of a sequence is no code point */
        { 'b',     "a\x80" "b",            false },  /* an invalid sequence ends the search */
        { 'a',     "a\x80",                true },   /* found before it */
        { RTCP_INVALID, "a\x80",           false },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << std::hex << Row.uCp);
        EXPECT_EQ(RTStrHasCodePoint(Row.uCp, Row.psz), Row.f);
    }
    EXPECT_FALSE(RTStrHasCodePoint('a', nullptr));
}

} /* namespace */
