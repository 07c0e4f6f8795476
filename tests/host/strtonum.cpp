/*
 * Tests of the string to integer conversion: base detection, range and
 * sign handling, trailing text, whole-string and narrowed forms, the length
 * limit and argument checks.
 */
#include <tulo/string.h>
#include <tulo/err.h>
#include "common/string/strtonum-internal.h"

#include <gtest/gtest.h>

#include "guarded-page.h"

#include <stdint.h>
#include <string.h>
#include <string>


namespace {

/* Base argument with a character limit in the upper 24 bits. */
constexpr unsigned BaseLim(unsigned uBase, unsigned cchMax)
{
    return uBase | (cchMax << 8);
}

constexpr uint64_t kU64Max   = ~(uint64_t)0;
constexpr uint64_t kU64Bit63 = (uint64_t)1 << 63;

/* One text converted by both 64-bit prefix forms; the stop position is the
 * same for both because only the sign interpretation differs. */
struct PrefixRow
{
    const char *psz;
    unsigned    uBaseAndMaxLen;
    int         rcI64;
    int64_t     i64;
    int         rcU64;
    uint64_t    u64;
    size_t      offStop;
};

void CheckPrefixRows(const PrefixRow *paRows, size_t cRows)
{
    for (size_t i = 0; i < cRows; i++)
    {
        const PrefixRow &Row = paRows[i];
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\" base/limit 0x" << std::hex << Row.uBaseAndMaxLen);

        char *pszNext = nullptr;
        int64_t i64 = 0x5a5a5a5a;
        EXPECT_EQ(RTStrParseI64(Row.psz, &pszNext, Row.uBaseAndMaxLen, &i64), Row.rcI64);
        EXPECT_EQ(i64, Row.i64);
        EXPECT_EQ((size_t)(pszNext - Row.psz), Row.offStop);

        pszNext = nullptr;
        uint64_t u64 = 0x5a5a5a5a;
        EXPECT_EQ(RTStrParseU64(Row.psz, &pszNext, Row.uBaseAndMaxLen, &u64), Row.rcU64);
        EXPECT_EQ(u64, Row.u64);
        EXPECT_EQ((size_t)(pszNext - Row.psz), Row.offStop);
    }
}

TEST(StrToNum, BaseDetection)
{
    static const PrefixRow s_aRows[] =
    {
        { "0x1F",   0,   VINF_SUCCESS,        31, VINF_SUCCESS,        31, 4 },
        { "0X1f",   0,   VINF_SUCCESS,        31, VINF_SUCCESS,        31, 4 },
        /* No hex digit after the x: the 0 is the number, the x trails. */
        { "0x",     0,   VWRN_TRAILING_CHARS,  0, VWRN_TRAILING_CHARS,  0, 1 },
        { "0xg",    0,   VWRN_TRAILING_CHARS,  0, VWRN_TRAILING_CHARS,  0, 1 },
        { "017",    0,   VINF_SUCCESS,        15, VINF_SUCCESS,        15, 3 },
        /* Octal because of the 1; the 9 is no octal digit and ends the number. */
        { "019",    0,   VWRN_TRAILING_CHARS,  1, VWRN_TRAILING_CHARS,  1, 2 },
        { "08",     0,   VINF_SUCCESS,         8, VINF_SUCCESS,         8, 2 },
        { "0",      0,   VINF_SUCCESS,         0, VINF_SUCCESS,         0, 1 },
        { "1234",   0,   VINF_SUCCESS,      1234, VINF_SUCCESS,      1234, 4 },
        /* 36 and above mean detection as well. */
        { "0x10",   36,  VINF_SUCCESS,        16, VINF_SUCCESS,        16, 4 },
        { "0x10",   255, VINF_SUCCESS,        16, VINF_SUCCESS,        16, 4 },
        { "0x10",   0x8a, VINF_SUCCESS,       16, VINF_SUCCESS,        16, 4 },
        { "z",      36,  VERR_NO_DIGITS,       0, VERR_NO_DIGITS,       0, 0 },
        /* An explicit base 16 takes an optional 0x; other bases do not. */
        { "0x1F",   16,  VINF_SUCCESS,        31, VINF_SUCCESS,        31, 4 },
        { "1F",     16,  VINF_SUCCESS,        31, VINF_SUCCESS,        31, 2 },
        { "0x",     16,  VWRN_TRAILING_CHARS,  0, VWRN_TRAILING_CHARS,  0, 1 },
        { "0x1",    8,   VWRN_TRAILING_CHARS,  0, VWRN_TRAILING_CHARS,  0, 1 },
        { "017",    10,  VINF_SUCCESS,        17, VINF_SUCCESS,        17, 3 },
        { "1012",   2,   VWRN_TRAILING_CHARS,  5, VWRN_TRAILING_CHARS,  5, 3 },
        /* Base 35: y is the highest digit, z already ends the number. */
        { "yz",     35,  VWRN_TRAILING_CHARS, 34, VWRN_TRAILING_CHARS, 34, 1 },
        { "Zz",     35,  VERR_NO_DIGITS,       0, VERR_NO_DIGITS,       0, 0 },
    };
    CheckPrefixRows(s_aRows, RT_ELEMENTS(s_aRows));
}

TEST(StrToNum, RangeAndOverflow)
{
    static const PrefixRow s_aRows[] =
    {
        { "18446744073709551615", 10, VWRN_NUMBER_TOO_BIG, -1, VINF_SUCCESS, kU64Max, 20 },
        { "0xffffffffffffffff",   0,  VWRN_NUMBER_TOO_BIG, -1, VINF_SUCCESS, kU64Max, 18 },
        /* One more wraps to zero; the warning hides the trailing check. */
        { "18446744073709551616", 10, VWRN_NUMBER_TOO_BIG, 0, VWRN_NUMBER_TOO_BIG, 0, 20 },
        { "0x10000000000000000",  0,  VWRN_NUMBER_TOO_BIG, 0, VWRN_NUMBER_TOO_BIG, 0, 19 },
        /* 21 * 10^18 modulo 2^64, written so that the wrap is visible. */
        { "21000000000000000000", 10, VWRN_NUMBER_TOO_BIG,
          (int64_t)(UINT64_C(10000000000000000000) * 2 + UINT64_C(1000000000000000000)),
          VWRN_NUMBER_TOO_BIG, UINT64_C(10000000000000000000) * 2 + UINT64_C(1000000000000000000), 20 },
        { "21000000000000000000 x", 10, VWRN_NUMBER_TOO_BIG,
          (int64_t)(UINT64_C(10000000000000000000) * 2 + UINT64_C(1000000000000000000)),
          VWRN_NUMBER_TOO_BIG, UINT64_C(10000000000000000000) * 2 + UINT64_C(1000000000000000000), 20 },
        /* Signed limits: only -2^63 may have bit 63 set. */
        { "9223372036854775807",  10, VINF_SUCCESS, INT64_MAX, VINF_SUCCESS, (uint64_t)INT64_MAX, 19 },
        { "-9223372036854775808", 10, VINF_SUCCESS, INT64_MIN, VWRN_NEGATIVE_UNSIGNED, kU64Bit63, 20 },
        { "9223372036854775808",  10, VWRN_NUMBER_TOO_BIG, INT64_MIN, VINF_SUCCESS, kU64Bit63, 19 },
        { "-9223372036854775809", 10, VWRN_NUMBER_TOO_BIG, INT64_MAX, VWRN_NEGATIVE_UNSIGNED, (uint64_t)INT64_MAX, 20 },
        /* A minus sign on an unsigned conversion stores the two's complement. */
        { "-5",  10, VINF_SUCCESS, -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4, 2 },
        { "-0",  10, VINF_SUCCESS,  0, VWRN_NEGATIVE_UNSIGNED, 0, 2 },
        { "-18446744073709551616", 10, VWRN_NUMBER_TOO_BIG, 0, VWRN_NUMBER_TOO_BIG, 0, 21 },
        { "-5abc", 10, VWRN_TRAILING_CHARS, -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4, 2 },
    };
    CheckPrefixRows(s_aRows, RT_ELEMENTS(s_aRows));
}

TEST(StrToNum, SignsAndTrailingText)
{
    static const PrefixRow s_aRows[] =
    {
        /* "+" makes the sign positive, "-" flips it. */
        { "+-+5", 0, VINF_SUCCESS, 5, VINF_SUCCESS, 5, 4 },
        { "-+5",  0, VINF_SUCCESS, 5, VINF_SUCCESS, 5, 3 },
        { "--5",  0, VINF_SUCCESS, 5, VINF_SUCCESS, 5, 3 },
        { "+-5",  0, VINF_SUCCESS, -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4, 3 },
        { "-0x10", 0, VINF_SUCCESS, -16, VWRN_NEGATIVE_UNSIGNED, kU64Max - 15, 5 },
        /* No blanks are skipped before or after signs. */
        { " 5",   0, VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        { "- 5",  0, VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        { "-",    0, VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        { "",     0, VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        { "abc",  10, VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        /* Blanks are space and tab only; the stop position stays at the number's end. */
        { "12  ",     0, VWRN_TRAILING_SPACES, 12, VWRN_TRAILING_SPACES, 12, 2 },
        { "12\t ",    0, VWRN_TRAILING_SPACES, 12, VWRN_TRAILING_SPACES, 12, 2 },
        { "12abc",    0, VWRN_TRAILING_CHARS,  12, VWRN_TRAILING_CHARS,  12, 2 },
        { "12 \t x",  0, VWRN_TRAILING_CHARS,  12, VWRN_TRAILING_CHARS,  12, 2 },
        { "12\n",     0, VWRN_TRAILING_CHARS,  12, VWRN_TRAILING_CHARS,  12, 2 },
        { "12.5",     0, VWRN_TRAILING_CHARS,  12, VWRN_TRAILING_CHARS,  12, 2 },
    };
    CheckPrefixRows(s_aRows, RT_ELEMENTS(s_aRows));
}

/* Whole-string forms: trailing text becomes an error, except that the limit
 * may end the number cleanly. */
TEST(StrToNum, WholeForms)
{
    static const struct
    {
        const char *psz;
        unsigned    uBaseAndMaxLen;
        int         rcI64;
        int64_t     i64;
        int         rcU64;
        uint64_t    u64;
    } s_aRows[] =
    {
        { "12",    0, VINF_SUCCESS,          12, VINF_SUCCESS,          12 },
        { "12  ",  0, VERR_TRAILING_SPACES,  12, VERR_TRAILING_SPACES,  12 },
        { "12abc", 0, VERR_TRAILING_CHARS,   12, VERR_TRAILING_CHARS,   12 },
        { "",      0, VERR_NO_DIGITS,         0, VERR_NO_DIGITS,         0 },
        { "x",     0, VERR_NO_DIGITS,         0, VERR_NO_DIGITS,         0 },
        { "-5",    0, VINF_SUCCESS,          -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4 },
        /* A value warning with text after the number still fails the string. */
        { "-5 ",   0, VERR_TRAILING_SPACES,  -5, VERR_TRAILING_SPACES,  kU64Max - 4 },
        { "-5 x",  0, VERR_TRAILING_CHARS,   -5, VERR_TRAILING_CHARS,   kU64Max - 4 },
        { "18446744073709551616",   10, VWRN_NUMBER_TOO_BIG, 0, VWRN_NUMBER_TOO_BIG, 0 },
        { "18446744073709551616\t", 10, VERR_TRAILING_SPACES, 0, VERR_TRAILING_SPACES, 0 },
        { "18446744073709551616x",  10, VERR_TRAILING_CHARS, 0, VERR_TRAILING_CHARS, 0 },
        /* The limit ends the number: what lies beyond it does not count. */
        { "123abc", BaseLim(10, 3), VINF_SUCCESS, 123, VINF_SUCCESS, 123 },
        { "12  x",  BaseLim(10, 4), VERR_TRAILING_SPACES, 12, VERR_TRAILING_SPACES, 12 },
        { "12  x",  BaseLim(10, 5), VERR_TRAILING_CHARS, 12, VERR_TRAILING_CHARS, 12 },
        { "18446744073709551616x", BaseLim(10, 20), VWRN_NUMBER_TOO_BIG, 0, VWRN_NUMBER_TOO_BIG, 0 },
        { "-5x",    BaseLim(10, 2), VINF_SUCCESS, -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\" base/limit 0x" << std::hex << Row.uBaseAndMaxLen);
        int64_t i64 = 0x5a5a5a5a;
        EXPECT_EQ(RTStrParseI64Whole(Row.psz, Row.uBaseAndMaxLen, &i64), Row.rcI64);
        EXPECT_EQ(i64, Row.i64);
        uint64_t u64 = 0x5a5a5a5a;
        EXPECT_EQ(RTStrParseU64Whole(Row.psz, Row.uBaseAndMaxLen, &u64), Row.rcU64);
        EXPECT_EQ(u64, Row.u64);
    }
}

/* Narrowed forms: the value is stored cut to the target width, and a value
 * that does not fit turns any non-error status into VWRN_NUMBER_TOO_BIG. */
TEST(StrToNum, NarrowWholeForms)
{
    enum KIND { U32, U16, U8, I32, I16, I8 };
    static const struct
    {
        KIND        enmKind;
        const char *psz;
        int         rc;
        int64_t     iValue;     /* expected value, in the target type */
    } s_aRows[] =
    {
        { U32, "4294967295",  VINF_SUCCESS,          4294967295 },
        { U32, "4294967296",  VWRN_NUMBER_TOO_BIG,   0 },
        { U32, "0x100000005", VWRN_NUMBER_TOO_BIG,   5 },
        { U32, "-5",          VWRN_NUMBER_TOO_BIG,   4294967291 },
        { U32, "-0",          VWRN_NEGATIVE_UNSIGNED, 0 },
        { U32, "4294967296 ", VERR_TRAILING_SPACES,  0 },
        { U32, "",            VERR_NO_DIGITS,        0 },
        { U16, "65535",       VINF_SUCCESS,          65535 },
        { U16, "65536",       VWRN_NUMBER_TOO_BIG,   0 },
        { U8,  "255",         VINF_SUCCESS,          255 },
        { U8,  "256",         VWRN_NUMBER_TOO_BIG,   0 },
        { U8,  "-1",          VWRN_NUMBER_TOO_BIG,   255 },
        /* Errors of the 64-bit form stay errors, the cut value is still stored. */
        { U8,  "300x",        VERR_TRAILING_CHARS,   44 },
        { I32, "2147483647",  VINF_SUCCESS,          INT32_MAX },
        { I32, "-2147483648", VINF_SUCCESS,          INT32_MIN },
        { I32, "2147483648",  VWRN_NUMBER_TOO_BIG,   INT32_MIN },
        { I32, "-2147483649", VWRN_NUMBER_TOO_BIG,   INT32_MAX },
        { I16, "32767",       VINF_SUCCESS,          32767 },
        { I16, "-32768",      VINF_SUCCESS,          -32768 },
        { I16, "32768",       VWRN_NUMBER_TOO_BIG,   -32768 },
        { I8,  "-128",        VINF_SUCCESS,          -128 },
        { I8,  "127",         VINF_SUCCESS,          127 },
        { I8,  "128",         VWRN_NUMBER_TOO_BIG,   -128 },
        { I8,  "-129",        VWRN_NUMBER_TOO_BIG,   127 },
        { I8,  "0x7f",        VINF_SUCCESS,          127 },
        { I8,  "12 ",         VERR_TRAILING_SPACES,  12 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "kind " << Row.enmKind << " text \"" << Row.psz << "\"");
        int rc = 0;
        int64_t iGot = 0;
        switch (Row.enmKind)
        {
            case U32: { uint32_t u = 0x5a; rc = RTStrParseU32Whole(Row.psz, 0, &u); iGot = u; break; }
            case U16: { uint16_t u = 0x5a; rc = RTStrParseU16Whole(Row.psz, 0, &u); iGot = u; break; }
            case U8:  { uint8_t  u = 0x5a; rc = RTStrParseU8Whole(Row.psz, 0, &u);  iGot = u; break; }
            case I32: { int32_t  i = 0x5a; rc = RTStrParseI32Whole(Row.psz, 0, &i); iGot = i; break; }
            case I16: { int16_t  i = 0x5a; rc = RTStrParseI16Whole(Row.psz, 0, &i); iGot = i; break; }
            case I8:  { int8_t   i = 0x5a; rc = RTStrParseI8Whole(Row.psz, 0, &i);  iGot = i; break; }
        }
        EXPECT_EQ(rc, Row.rc);
        EXPECT_EQ(iGot, Row.iValue);
    }
}

TEST(StrToNum, NarrowPrefixForms)
{
    static const struct
    {
        const char *psz;
        int         rcU32;
        uint32_t    u32;
        int         rcU8;
        uint8_t     u8;
        size_t      offStop;
    } s_aRows[] =
    {
        { "255",            VINF_SUCCESS,         255, VINF_SUCCESS,        255, 3 },
        { "256 ",           VWRN_TRAILING_SPACES, 256, VWRN_NUMBER_TOO_BIG,   0, 3 },
        { "4294967296abc",  VWRN_NUMBER_TOO_BIG,    0, VWRN_NUMBER_TOO_BIG,   0, 10 },
        { "12.",            VWRN_TRAILING_CHARS,   12, VWRN_TRAILING_CHARS,  12, 2 },
        { "-0",             VWRN_NEGATIVE_UNSIGNED, 0, VWRN_NEGATIVE_UNSIGNED, 0, 2 },
        { "-1",             VWRN_NUMBER_TOO_BIG, 0xffffffffu, VWRN_NUMBER_TOO_BIG, 0xff, 2 },
        { "+",              VERR_NO_DIGITS,         0, VERR_NO_DIGITS,        0, 0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        char *pszNext = nullptr;
        uint32_t u32 = 0x5a;
        EXPECT_EQ(RTStrParseU32(Row.psz, &pszNext, 0, &u32), Row.rcU32);
        EXPECT_EQ(u32, Row.u32);
        EXPECT_EQ((size_t)(pszNext - Row.psz), Row.offStop);
        pszNext = nullptr;
        uint8_t u8 = 0x5a;
        EXPECT_EQ(RTStrParseU8(Row.psz, &pszNext, 0, &u8), Row.rcU8);
        EXPECT_EQ(u8, Row.u8);
        EXPECT_EQ((size_t)(pszNext - Row.psz), Row.offStop);
    }
}

TEST(StrToNum, LooseForm)
{
    static const struct
    {
        const char *psz;
        int32_t     iExpect;
    } s_aRows[] =
    {
        { "0x10",        16 },
        { "-1",          -1 },
        { "12abc",       12 },     /* warnings still give the value */
        { "4294967297",  1 },      /* low 32 bits */
        { "-2147483648", INT32_MIN },
        { "99999999999999999999", (int32_t)(uint32_t)(UINT64_C(10000000000000000000) * 10 - 1) }, /* wraps mod 2^64 */
        { "abc",         0 },
        { "",            0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        EXPECT_EQ(RTStrParseI32Loose(Row.psz), Row.iExpect);
    }
}

/* A limit cuts the text as if it ended there: signs, the 0x look-ahead and
 * the trailing check all count against it. */
TEST(StrToNum, LengthLimit)
{
    static const PrefixRow s_aRows[] =
    {
        { "12345", BaseLim(10, 3), VINF_SUCCESS, 123, VINF_SUCCESS, 123, 3 },
        { "12345", BaseLim(10, 5), VINF_SUCCESS, 12345, VINF_SUCCESS, 12345, 5 },
        { "12345", BaseLim(10, 9), VINF_SUCCESS, 12345, VINF_SUCCESS, 12345, 5 },
        { "12  x", BaseLim(0, 4),  VWRN_TRAILING_SPACES, 12, VWRN_TRAILING_SPACES, 12, 2 },
        { "12  x", BaseLim(0, 5),  VWRN_TRAILING_CHARS, 12, VWRN_TRAILING_CHARS, 12, 2 },
        { "0x1F",  BaseLim(0, 2),  VWRN_TRAILING_CHARS, 0, VWRN_TRAILING_CHARS, 0, 1 },
        { "0x1F",  BaseLim(0, 3),  VINF_SUCCESS, 1, VINF_SUCCESS, 1, 3 },
        { "0x1F",  BaseLim(16, 2), VWRN_TRAILING_CHARS, 0, VWRN_TRAILING_CHARS, 0, 1 },
        { "017",   BaseLim(0, 1),  VINF_SUCCESS, 0, VINF_SUCCESS, 0, 1 },
        { "017",   BaseLim(0, 2),  VINF_SUCCESS, 1, VINF_SUCCESS, 1, 2 },
        { "+5",    BaseLim(0, 1),  VERR_NO_DIGITS, 0, VERR_NO_DIGITS, 0, 0 },
        { "--5",   BaseLim(0, 3),  VINF_SUCCESS, 5, VINF_SUCCESS, 5, 3 },
        { "-5",    BaseLim(0, 2),  VINF_SUCCESS, -5, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4, 2 },
    };
    CheckPrefixRows(s_aRows, RT_ELEMENTS(s_aRows));
}

/* Any text parsed with limit k must give exactly what its first k characters
 * give on their own, for every form and every k. */
TEST(StrToNum, LimitEqualsTruncatedText)
{
    static const char *const s_apsz[] =
    {
        "12345", "0x1F", "-0x7fffffffffffffff", "019", "  12", "12 \t x", "+-+077",
        "18446744073709551616 ", "0X", "1a2b3c",
    };
    static const unsigned s_auBases[] = { 0, 8, 10, 16, 35 };
    for (const char *psz : s_apsz)
        for (unsigned uBase : s_auBases)
            for (size_t cch = 1; cch <= strlen(psz); cch++)
            {
                SCOPED_TRACE(testing::Message() << "text \"" << psz << "\" base " << uBase << " limit " << cch);
                std::string const strCut(psz, cch);
                unsigned const uArg = BaseLim(uBase, (unsigned)cch);

                char *pszNextLim = nullptr, *pszNextCut = nullptr;
                int64_t i64Lim = 1, i64Cut = 2;
                EXPECT_EQ(RTStrParseI64(psz, &pszNextLim, uArg, &i64Lim),
                          RTStrParseI64(strCut.c_str(), &pszNextCut, uBase, &i64Cut));
                EXPECT_EQ(i64Lim, i64Cut);
                EXPECT_EQ(pszNextLim - psz, pszNextCut - strCut.c_str());

                uint64_t u64Lim = 1, u64Cut = 2;
                EXPECT_EQ(RTStrParseU64Whole(psz, uArg, &u64Lim), RTStrParseU64Whole(strCut.c_str(), uBase, &u64Cut));
                EXPECT_EQ(u64Lim, u64Cut);
            }
}

TEST(StrToNum, NothingReadPastLimit)
{
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    static const struct
    {
        const char *pch;        /* text without a terminator in the guarded copy */
        unsigned    uBase;
        int         rcU64;
        uint64_t    u64;
        int         rcWhole;
    } s_aRows[] =
    {
        { "12345",                10, VINF_SUCCESS,         12345, VINF_SUCCESS },
        { "0x",                   0,  VWRN_TRAILING_CHARS,  0,     VERR_TRAILING_CHARS },
        { "0x",                   16, VWRN_TRAILING_CHARS,  0,     VERR_TRAILING_CHARS },
        { "0",                    0,  VINF_SUCCESS,         0,     VINF_SUCCESS },
        { "-",                    0,  VERR_NO_DIGITS,       0,     VERR_NO_DIGITS },
        { "12  ",                 0,  VWRN_TRAILING_SPACES, 12,    VERR_TRAILING_SPACES },
        { "18446744073709551616", 10, VWRN_NUMBER_TOO_BIG,  0,     VWRN_NUMBER_TOO_BIG },
        { "-5",                   10, VWRN_NEGATIVE_UNSIGNED, kU64Max - 4, VWRN_NEGATIVE_UNSIGNED },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.pch << "\" base " << Row.uBase);
        size_t const cch = strlen(Row.pch);
        const char *pch = Page.Place(Row.pch, cch);
        unsigned const uArg = BaseLim(Row.uBase, (unsigned)cch);

        uint64_t u64 = 1;
        char *pszNext = nullptr;
        EXPECT_EQ(RTStrParseU64(pch, &pszNext, uArg, &u64), Row.rcU64);
        EXPECT_EQ(u64, Row.u64);
        EXPECT_LE(pszNext, pch + cch);
        u64 = 1;
        EXPECT_EQ(RTStrParseU64Whole(pch, uArg, &u64), Row.rcWhole);
        EXPECT_EQ(u64, Row.u64);

        /* The other forms share the scan; each must stay within the limit and
         * agree with the same text given with a terminator instead. */
        std::string const str(Row.pch, cch);
        const char *psz = str.c_str();
        int64_t i64A = 1, i64B = 2;
        EXPECT_EQ(RTStrParseI64(pch, nullptr, uArg, &i64A), RTStrParseI64(psz, nullptr, Row.uBase, &i64B));
        EXPECT_EQ(i64A, i64B);
        EXPECT_EQ(RTStrParseI64Whole(pch, uArg, &i64A), RTStrParseI64Whole(psz, Row.uBase, &i64B));
        EXPECT_EQ(i64A, i64B);
        uint32_t u32A = 1, u32B = 2;
        EXPECT_EQ(RTStrParseU32(pch, nullptr, uArg, &u32A), RTStrParseU32(psz, nullptr, Row.uBase, &u32B));
        EXPECT_EQ(u32A, u32B);
        EXPECT_EQ(RTStrParseU32Whole(pch, uArg, &u32A), RTStrParseU32Whole(psz, Row.uBase, &u32B));
        EXPECT_EQ(u32A, u32B);
        uint8_t u8A = 1, u8B = 2;
        EXPECT_EQ(RTStrParseU8(pch, nullptr, uArg, &u8A), RTStrParseU8(psz, nullptr, Row.uBase, &u8B));
        EXPECT_EQ(u8A, u8B);
        int16_t i16A = 1, i16B = 2;
        EXPECT_EQ(RTStrParseI16Whole(pch, uArg, &i16A), RTStrParseI16Whole(psz, Row.uBase, &i16B));
        EXPECT_EQ(i16A, i16B);
    }
}

TEST(StrToNum, ArgumentChecks)
{
    const char *const pszGuardLow  = (const char *)(uintptr_t)16;
    const char *const pszGuardHigh = (const char *)(~(uintptr_t)0 - 15);
    int64_t i64 = 7;
    uint64_t u64 = 7;
    uint32_t u32 = 7;
    char *pszNext = nullptr;

    const char *const apszBad[] = { nullptr, pszGuardLow, pszGuardHigh };
    for (const char *psz : apszBad)
    {
        SCOPED_TRACE(testing::Message() << "string pointer " << (const void *)psz);
        EXPECT_EQ(RTStrParseI64(psz, &pszNext, 0, &i64), VERR_INVALID_POINTER);
        EXPECT_EQ(RTStrParseU64Whole(psz, 0, &u64), VERR_INVALID_POINTER);
        EXPECT_EQ(RTStrParseU32Whole(psz, 0, &u32), VERR_INVALID_POINTER);
        EXPECT_EQ(RTStrParseI32Loose(psz), 0);
    }
    /* Nothing is stored when the arguments are rejected. */
    EXPECT_EQ(i64, 7);
    EXPECT_EQ(u64, 7u);
    EXPECT_EQ(u32, 7u);
    EXPECT_EQ(pszNext, nullptr);

    /* Out-pointers are optional, but a non-null one must be usable. */
    EXPECT_EQ(RTStrParseU64("12x", nullptr, 0, nullptr), VWRN_TRAILING_CHARS);
    EXPECT_EQ(RTStrParseI64Whole("12", 0, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTStrParseU64("12", (char **)(uintptr_t)8, 0, &u64), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrParseU64("12", nullptr, 0, (uint64_t *)(~(uintptr_t)0 - 7)), VERR_INVALID_POINTER);

    /* Base 1 cannot express any number. */
    EXPECT_EQ(RTStrParseU64("0", nullptr, 1, &u64), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTStrParseU64Whole("0", BaseLim(1, 4), &u64), VERR_INVALID_PARAMETER);
}

/* The table behind every conversion: digits, and distinct end markers. */
TEST(StrToNum, DigitTable)
{
    for (unsigned i = 0; i < 256; i++)
    {
        SCOPED_TRACE(testing::Message() << "byte " << i);
        unsigned const u = g_abRTStrDigitValues[i];
        if (i >= '0' && i <= '9')
            EXPECT_EQ(u, i - '0');
        else if (i >= 'a' && i <= 'z')
            EXPECT_EQ(u, i - 'a' + 10);
        else if (i >= 'A' && i <= 'Z')
            EXPECT_EQ(u, i - 'A' + 10);
        else
            EXPECT_GE(u, 36u);
    }
    uint8_t const bNul = g_abRTStrDigitValues[0];
    uint8_t const bBlank = g_abRTStrDigitValues[(uint8_t)' '];
    uint8_t const bPeriod = g_abRTStrDigitValues[(uint8_t)'.'];
    uint8_t const bColon = g_abRTStrDigitValues[(uint8_t)':'];
    uint8_t const bOther = g_abRTStrDigitValues[(uint8_t)'/'];
    EXPECT_EQ(g_abRTStrDigitValues[(uint8_t)'\t'], bBlank);
    uint8_t const abMarks[] = { bNul, bBlank, bPeriod, bColon, bOther };
    for (size_t i = 0; i < RT_ELEMENTS(abMarks); i++)
        for (size_t j = i + 1; j < RT_ELEMENTS(abMarks); j++)
            EXPECT_NE(abMarks[i], abMarks[j]) << "markers " << i << " and " << j;
}

} /* namespace */
