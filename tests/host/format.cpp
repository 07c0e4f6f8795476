/*
 * Tests of the format engine and its buffer front ends: literal runs,
 * flags, width and precision, sizes, the three string encodings, bad
 * pointers, doubles, %M, %N, the %R hand-off, the type callback, and the
 * truncating and checked buffer forms. Every text is produced through the
 * engine with a collecting callback and through each front end, and all of
 * them must agree.
 */
#include <tulo/format.h>
#include <tulo/err.h>
#include <tulo/mem.h>
#include <tulo/string.h>
#include <tulo/types.h>

#include <gtest/gtest.h>

#include "guarded-page.h"

#include <float.h>
#include <limits.h>
#include <stdint.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

bool const g_f64BitPointers = sizeof(void *) == 8;

/* ---------------------------------------------------------------------------
 * Helpers
 * ------------------------------------------------------------------------- */

/** Everything one engine run handed to its output callback. */
struct Collector
{
    std::string              strText;
    std::vector<std::string> aChunks;     /* "<END>" marks an end call */
    unsigned                 cEndCalls = 0;
    size_t                   cchReturn = 0;  /* what each call returns; 0 means its length */
};

size_t CollectOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    Collector *pColl = (Collector *)pvArg;
    if (!pachChars)
    {
        EXPECT_EQ(cbChars, 0u) << "an end call has a count of 0";
        pColl->cEndCalls++;
        pColl->aChunks.push_back("<END>");
        return 12345;     /* must not be added to the result */
    }
    EXPECT_NE(cbChars, 0u) << "no empty chunks besides the end call";
    pColl->strText.append(pachChars, cbChars);
    pColl->aChunks.push_back(std::string(pachChars, cbChars));
    return pColl->cchReturn ? pColl->cchReturn : cbChars;
}

/** Formats through the engine and through every front end; they must agree. */
std::string FmtV(const char *pszFormat, va_list va)
{
    Collector Coll;
    va_list vaCopy;
    va_copy(vaCopy, va);
    size_t const cchEngine = RTFmtV(CollectOutput, &Coll, nullptr, nullptr, pszFormat, vaCopy);
    va_end(vaCopy);
    std::string const &str = Coll.strText;
    size_t const cch = str.size();
    EXPECT_EQ(cchEngine, cch);
    EXPECT_GE(Coll.cEndCalls, 1u);
    EXPECT_EQ(Coll.aChunks.back(), "<END>") << "the run ends with the end call";

    /* Exactly sized buffer, with a guard byte behind it. */
    std::vector<char> achBuf(cch + 2, '\x5a');
    va_copy(vaCopy, va);
    EXPECT_EQ(RTFmtBufV(achBuf.data(), cch + 1, pszFormat, vaCopy), cch);
    va_end(vaCopy);
    EXPECT_EQ(std::string(achBuf.data(), cch), str);
    EXPECT_EQ(achBuf[cch], '\0');
    EXPECT_EQ(achBuf[cch + 1], '\x5a');

    std::fill(achBuf.begin(), achBuf.end(), '\x5a');
    va_copy(vaCopy, va);
    EXPECT_EQ(RTFmtBufCheckedV(achBuf.data(), cch + 1, pszFormat, vaCopy), (ptrdiff_t)cch);
    va_end(vaCopy);
    EXPECT_EQ(std::string(achBuf.data(), cch), str);
    EXPECT_EQ(achBuf[cch], '\0');
    EXPECT_EQ(achBuf[cch + 1], '\x5a');

    /* One byte short: the checked form reports the whole length. */
    if (cch)
    {
        std::fill(achBuf.begin(), achBuf.end(), '\x5a');
        va_copy(vaCopy, va);
        EXPECT_EQ(RTFmtBufCheckedV(achBuf.data(), cch, pszFormat, vaCopy), -(ptrdiff_t)cch - 1);
        va_end(vaCopy);
        EXPECT_EQ(std::string(achBuf.data(), cch - 1), str.substr(0, cch - 1));
        EXPECT_EQ(achBuf[cch - 1], '\0');
        EXPECT_EQ(achBuf[cch], '\x5a');
    }

    char *psz = nullptr;
    va_copy(vaCopy, va);
    EXPECT_EQ(RTFmtAllocTagV(&psz, pszFormat, vaCopy, "tst-format"), (ptrdiff_t)cch);
    va_end(vaCopy);
    EXPECT_NE(psz, nullptr);
    if (psz)
    {
        EXPECT_EQ(std::string(psz, cch), str);
        EXPECT_EQ(psz[cch], '\0');
        RTStrRelease(psz);
    }
    return str;
}

std::string Fmt(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    std::string str = FmtV(pszFormat, va);
    va_end(va);
    return str;
}

/** The chunks one run hands to the callback, end calls included. */
std::vector<std::string> Chunks(const char *pszFormat, ...)
{
    Collector Coll;
    va_list va;
    va_start(va, pszFormat);
    RTFmtV(CollectOutput, &Coll, nullptr, nullptr, pszFormat, va);
    va_end(va);
    return Coll.aChunks;
}

/** Formats pszOuter with pszNested and a pointer to the list of the
 * remaining arguments, as a %N caller does. */
std::string FmtNested(const char *pszOuter, const char *pszNested, ...)
{
    va_list va;
    va_start(va, pszNested);
    std::string str = Fmt(pszOuter, pszNested, &va);
    va_end(va);
    return str;
}

/** The address text of a bad pointer marker: every digit of the pointer. */
std::string NaturalHex(uintptr_t u)
{
    std::string str;
    for (int iShift = (int)sizeof(void *) * 8 - 4; iShift >= 0; iShift -= 4)
        str += "0123456789abcdef"[(u >> iShift) & 0xf];
    return str;
}

std::string BadMarker(const void *pv, const char *pszMarker)
{
    return "<" + NaturalHex((uintptr_t)pv) + pszMarker + ">";
}

/* ---------------------------------------------------------------------------
 * Literal text and the main loop
 * ------------------------------------------------------------------------- */

struct TextRow
{
    const char *pszFormat;
    const char *pszExpected;
};

TEST(Format, LiteralsAndPercentSigns)
{
    static const TextRow s_aRows[] =
    {
        { "",            ""          },
        { "abc",         "abc"       },
        { "100%%",       "100%"      },
        { "%%",          "%"         },
        { "%%%%",        "%%"        },
        { "a%%b%%c",     "a%b%c"     },
        { "%",           ""          },
        /* Unfinished specifications print nothing and take no argument. */
        { "abc%",        "abc"       },
        { "abc%-",       "abc"       },
        { "abc%#0' +",   "abc"       },
        { "abc%12",      "abc"       },
        { "abc%*",       "abc"       },
        { "abc%.",       "abc"       },
        { "abc%.*",      "abc"       },
        { "abc%-8.3",    "abc"       },
        { "abc%h",       "abc"       },
        { "abc%hh",      "abc"       },
        { "abc%ll",      "abc"       },
        { "abc%I",       "abc"       },
        { "abc%I64",     "abc"       },
        { "abc%I32",     "abc"       },
        /* I6 is the size I followed by the unknown conversion 6. */
        { "abc%I6x",     "abcx"      },
        /* Unknown conversions are dropped without an argument. */
        { "a%wb",        "ab"        },
        { "a%-5.2lwb",   "ab"        },
        { "a%5%b",       "ab"        },
    };
    for (const TextRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat), Row.pszExpected);
    }
}

TEST(Format, NothingIsReadPastTheTerminator)
{
    /* Each format ends the readable memory; any look-ahead past its
     * terminator faults. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    static const TextRow s_aRows[] =
    {
        { "x%",      "x" }, { "x%-",    "x" }, { "x%0",  "x" }, { "x%5",  "x" }, { "x%.", "x" },
        { "x%h",     "x" }, { "x%hh",   "x" }, { "x%l",  "x" }, { "x%ll", "x" }, { "x%I", "x" },
        { "x%I6",    "x" }, { "x%I3",   "x" }, { "x%I64", "x" }, { "x%%", "x%" }, { "x%R", "x" },
        { "x%R[",    "x" },
    };
    for (const TextRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Page.Place(Row.pszFormat)), Row.pszExpected);
    }
}

TEST(Format, LiteralTextComesInOneCall)
{
    typedef std::vector<std::string> Strs;
    EXPECT_EQ(Chunks("hello %d world %s!", 42, "x"), (Strs{ "hello ", "42", " world ", "x", "!", "<END>" }));
    EXPECT_EQ(Chunks("100%%"), (Strs{ "100", "%", "<END>" }));
    EXPECT_EQ(Chunks("a%%b%%c"), (Strs{ "a", "%b", "%c", "<END>" }));
    EXPECT_EQ(Chunks(""), (Strs{ "<END>" }));
    EXPECT_EQ(Chunks("%d%d", 1, 2), (Strs{ "1", "2", "<END>" }));
    EXPECT_EQ(Chunks("ab%5sc", "x"), (Strs{ "ab", "    ", "x", "c", "<END>" }));
    EXPECT_EQ(Chunks("ab%-3sc", "x"), (Strs{ "ab", "x", "  ", "c", "<END>" }));
    EXPECT_EQ(Chunks("[%s]", "a longer string in one piece"),
              (Strs{ "[", "a longer string in one piece", "]", "<END>" }));
}

TEST(Format, ResultIsTheSumOfWhatTheCallbackReturns)
{
    /* Each call claims 3 characters; the end call's claim is not counted. */
    Collector Coll;
    Coll.cchReturn = 3;
    EXPECT_EQ(RTFmt(CollectOutput, &Coll, nullptr, nullptr, "ab%dcd%s", 42, "xyz"), 4u * 3u);
    EXPECT_EQ(Coll.strText, "ab42cdxyz");
    EXPECT_EQ(Coll.cEndCalls, 1u);

    Collector Empty;
    EXPECT_EQ(RTFmt(CollectOutput, &Empty, nullptr, nullptr, ""), 0u);
    EXPECT_EQ(Empty.cEndCalls, 1u);

    /* Without an output callback nothing can happen. */
    EXPECT_EQ(RTFmt(nullptr, nullptr, nullptr, nullptr, "abc"), 0u);
}

/* ---------------------------------------------------------------------------
 * Integers
 * ------------------------------------------------------------------------- */

struct IntRow
{
    const char *pszFormat;
    int         iValue;
    const char *pszExpected;
};

TEST(Format, IntegerFlagsWidthAndPrecision)
{
    static const IntRow s_aRows[] =
    {
        { "%d",      0,          "0"            },
        { "%d",      -42,        "-42"          },
        { "%i",      123,        "123"          },
        { "%d",      INT_MIN,    "-2147483648"  },
        { "%d",      INT_MAX,    "2147483647"   },
        { "%5d",     -42,        "  -42"        },
        { "%05d",    -42,        "-0042"        },
        { "%+d",     5,          "+5"           },
        { "%+d",     -5,         "-5"           },
        { "% d",     5,          " 5"           },
        { "%+ d",    5,          "+5"           },
        { "%-5d|",   7,          "7    |"       },
        { "%-05d|",  3,          "3    |"       },
        { "%+5d",    5,          "   +5"        },
        { "%+05d",   5,          "+0005"        },
        /* Precision zeros come on top of the width. */
        { "%8.5d",   42,         "      00042"  },
        { "%-8.5d|", 42,         "00042      |" },
        { "%.3d",    7,          "007"          },
        { "%.3d",    -7,         "-007"         },
        { "%.0d",    0,          "0"            },
        { "%.d",     0,          "0"            },
        { "%5.3x",   0xa,        "    00a"      },
        /* The fill zeros count against the precision. */
        { "%08.3d",  42,         "00000042"     },
        /* Grouping: decimal only, and not with zero fill. */
        { "%'u",     1000,       "1 000"        },
        { "%'u",     999,        "999"          },
        { "%'d",     1234567,    "1 234 567"    },
        { "%'d",     -1234567,   "-1 234 567"   },
        { "%'d",     INT_MIN,    "-2 147 483 648" },
        { "%'05u",   1234,       "01234"        },
        { "%'x",     0x12345,    "12345"        },
        { "%'12d|",  1234567,    "   1 234 567|" },
        /* Bases and prefixes. */
        { "%u",      -1,         "4294967295"   },
        { "%x",      -1,         "ffffffff"     },
        { "%X",      255,        "FF"           },
        { "%#X",     255,        "0XFF"         },
        { "%#x",     0,          "0x0"          },
        { "%#x",     255,        "0xff"         },
        { "%08x",    255,        "000000ff"     },
        { "%#06x",   255,        "0x00ff"       },
        { "%#8x",    255,        "    0xff"     },
        { "%o",      8,          "10"           },
        { "%#o",     8,          "010"          },
        { "%#o",     0,          "00"           },
        { "%#d",     5,          "5"            },
        { "%#u",     5,          "5"            },
        /* Signs only for signed conversions. */
        { "%+u",     5,          "5"            },
        { "% x",     5,          "5"            },
    };
    for (const IntRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat, Row.iValue), Row.pszExpected);
    }
}

TEST(Format, WidthAndPrecisionArguments)
{
    EXPECT_EQ(Fmt("%*d|", 4, 7), "   7|");
    EXPECT_EQ(Fmt("%*d|", -4, 7), "7   |");
    EXPECT_EQ(Fmt("%-*d|", 4, 7), "7   |");
    EXPECT_EQ(Fmt("%*d|", 0, 7), "7|");
    EXPECT_EQ(Fmt("%.*d", 3, 7), "007");
    /* As with literal digits, the precision zeros do not count against the width. */
    EXPECT_EQ(Fmt("%*.*d|", 6, 3, 7), "     007|");
    /* A negative precision argument counts as 0. */
    EXPECT_EQ(Fmt("%.*s|", -1, "abc"), "|");
    EXPECT_EQ(Fmt("%.*d", -1, 0), "0");
    /* Fetched in order: width, precision, value. */
    EXPECT_EQ(Fmt("%*.*s|%d", 5, 2, "abc", 9), "   ab|9");
    /* An extreme width argument is well defined. */
    EXPECT_EQ(Fmt("%*d", INT_MIN, 1).size(), 62u);
}

TEST(Format, NumbersStayWithinTheScratchArea)
{
    std::string const strOnePadLeft = "1" + std::string(61, ' ');
    EXPECT_EQ(Fmt("%-70d", 1), strOnePadLeft);
    EXPECT_EQ(Fmt("%70d", 1), std::string(61, ' ') + "1");
    EXPECT_EQ(Fmt("%070d", 1), std::string(62, '0') + "1");
    EXPECT_EQ(Fmt("%.70d", 1), std::string(62, '0') + "1");
    /* Precision zeros and trailing spaces together stay within 62. */
    std::string const str = Fmt("%-70.60d", 1);
    EXPECT_EQ(str, std::string(59, '0') + "1" + std::string(2, ' '));
    EXPECT_EQ(Fmt("%99999999999999999999d", 1).size(), 62u);
}

/* The argument types a size conversion is fed with; a trailing %d of 7
 * shows that exactly one argument of the right width was taken. */
enum ArgKind { kInt, kLong, kLongLong, kSizeT, kPtrDiff, kIntMax };

struct SizeRow
{
    const char *pszFormat;
    ArgKind     enmKind;
    uint64_t    uValue;
    const char *pszExpected;
};

std::string FmtSized(const SizeRow &Row)
{
    switch (Row.enmKind)
    {
        case kInt:      return Fmt(Row.pszFormat, (int)(uint32_t)Row.uValue, 7);
        case kLong:     return Fmt(Row.pszFormat, (long)(int64_t)Row.uValue, 7);
        case kLongLong: return Fmt(Row.pszFormat, (long long)Row.uValue, 7);
        case kSizeT:    return Fmt(Row.pszFormat, (size_t)Row.uValue, 7);
        case kPtrDiff:  return Fmt(Row.pszFormat, (ptrdiff_t)(int64_t)Row.uValue, 7);
        case kIntMax:   return Fmt(Row.pszFormat, (intmax_t)Row.uValue, 7);
    }
    return "";
}

void CheckSizeRows(const SizeRow *paRows, size_t cRows)
{
    for (size_t i = 0; i < cRows; i++)
    {
        SCOPED_TRACE(paRows[i].pszFormat);
        EXPECT_EQ(FmtSized(paRows[i]), paRows[i].pszExpected);
    }
}

constexpr uint64_t kMinus1 = ~(uint64_t)0;

TEST(Format, SizesTakeTheirWidthFromTheList)
{
    static const SizeRow s_aRows[] =
    {
        /* 8 and 16 bits travel as int and are not cut down. */
        { "%hhd|%d",   kInt,      300,                        "300|7" },
        { "%hd|%d",    kInt,      70000,                      "70000|7" },
        { "%hu|%d",    kInt,      70000,                      "70000|7" },
        { "%hd|%d",    kInt,      (uint32_t)-3,               "-3|7" },
        /* For unsigned conversions h and hh sign-extend the 32-bit slot. */
        { "%hu|%d",    kInt,      (uint32_t)-1,               "18446744073709551615|7" },
        { "%hhx|%d",   kInt,      (uint32_t)-1,               "ffffffffffffffff|7" },
        { "%u|%d",     kInt,      (uint32_t)-1,               "4294967295|7" },
        { "%I32d|%d",  kInt,      (uint32_t)-5,               "-5|7" },
        { "%I32u|%d",  kInt,      (uint32_t)-5,               "4294967291|7" },
        /* 64 bits. */
        { "%lld|%d",   kLongLong, UINT64_C(1) << 40,          "1099511627776|7" },
        { "%lld|%d",   kLongLong, kMinus1,                    "-1|7" },
        { "%llu|%d",   kLongLong, kMinus1,                    "18446744073709551615|7" },
        { "%llx|%d",   kLongLong, UINT64_C(0x123456789abcdef0), "123456789abcdef0|7" },
        { "%Lu|%d",    kLongLong, UINT64_C(1) << 63,          "9223372036854775808|7" },
        { "%Ld|%d",    kLongLong, UINT64_C(1) << 63,          "-9223372036854775808|7" },
        { "%qd|%d",    kLongLong, kMinus1,                    "-1|7" },
        { "%jd|%d",    kIntMax,   UINT64_C(1) << 40,          "1099511627776|7" },
        { "%ju|%d",    kIntMax,   kMinus1,                    "18446744073709551615|7" },
        { "%I64d|%d",  kLongLong, UINT64_C(1) << 40,          "1099511627776|7" },
        { "%I64X|%d",  kLongLong, UINT64_C(0xdeadbeef00000001), "DEADBEEF00000001|7" },
        { "%Id|%d",    kLongLong, UINT64_C(1) << 40,          "1099511627776|7" },
        { "%Ix|%d",    kLongLong, UINT64_C(0xdeadbeef00000001), "deadbeef00000001|7" },
        /* Size and pointer difference: signed z shows a negative value. */
        { "%zd|%d",    kSizeT,    (size_t)-1,                 "-1|7" },
        { "%zu|%d",    kSizeT,    12345,                      "12345|7" },
        { "%td|%d",    kPtrDiff,  (uint64_t)-3,               "-3|7" },
        { "%tx|%d",    kPtrDiff,  (uint64_t)-1,               "ffffffffffffffff|7" },
        { "%ld|%d",    kLong,     (uint64_t)-5,               "-5|7" },
        { "%lu|%d",    kLong,     123456,                     "123456|7" },
    };
    CheckSizeRows(s_aRows, RT_ELEMENTS(s_aRows));
}

TEST(Format, SizesFollowThePlatformWidths)
{
    /* size_t and ptrdiff_t have the pointer's width, long the platform's:
     * 32 bits on Windows and i686, 64 on x86-64 Linux. */
    static const SizeRow s_aRows64[] =
    {
        { "%zu|%d",    kSizeT,    (size_t)-1,                 "18446744073709551615|7" },
        { "%zx|%d",    kSizeT,    UINT64_C(0x100000000),      "100000000|7" },
        { "%tu|%d",    kPtrDiff,  UINT64_C(1) << 40,          "1099511627776|7" },
    };
    static const SizeRow s_aRows32[] =
    {
        { "%zu|%d",    kSizeT,    UINT32_MAX,                 "4294967295|7" },
        { "%zx|%d",    kSizeT,    UINT32_MAX,                 "ffffffff|7" },
        /* t is a signed source type: extended with its sign. */
        { "%tu|%d",    kPtrDiff,  (uint64_t)-1,               "18446744073709551615|7" },
    };
    if (g_f64BitPointers)
        CheckSizeRows(s_aRows64, RT_ELEMENTS(s_aRows64));
    else
        CheckSizeRows(s_aRows32, RT_ELEMENTS(s_aRows32));

    static const SizeRow s_aRowsLong64[] =
    {
        { "%lu|%d",    kLong,     (uint64_t)-1,               "18446744073709551615|7" },
        { "%lx|%d",    kLong,     UINT64_C(0x123456789),      "123456789|7" },
    };
    static const SizeRow s_aRowsLong32[] =
    {
        { "%lu|%d",    kLong,     (uint64_t)-1,               "4294967295|7" },
        { "%lx|%d",    kLong,     (uint64_t)-1,               "ffffffff|7" },
    };
    if (sizeof(long) == 8)
        CheckSizeRows(s_aRowsLong64, RT_ELEMENTS(s_aRowsLong64));
    else
        CheckSizeRows(s_aRowsLong32, RT_ELEMENTS(s_aRowsLong32));
}

TEST(Format, Pointers)
{
    /* Every digit of the address by default, zero-filled; no prefix unless '#'. */
    std::string const strFF = NaturalHex(0xff);
    EXPECT_EQ(Fmt("%p", (void *)0xff), strFF);
    EXPECT_EQ(Fmt("%p", (void *)nullptr), NaturalHex(0));
    EXPECT_EQ(Fmt("%p", (void *)~(uintptr_t)0), NaturalHex(~(uintptr_t)0));
    EXPECT_EQ(Fmt("%lp|%hp", (void *)0xff, (void *)0xff), strFF + "|" + strFF);
    EXPECT_EQ(Fmt("%#p", (void *)0xff), "0x" + strFF.substr(2));
    EXPECT_EQ(Fmt("%4p", (void *)0x12345), "12345");
    EXPECT_EQ(Fmt("%6p", (void *)0xab), "0000ab");
    EXPECT_EQ(Fmt("%-6p|", (void *)0xab), "ab    |");
    EXPECT_EQ(Fmt("%p|%d", (void *)0x10, 7), NaturalHex(0x10) + "|7");
}

TEST(Format, Characters)
{
    EXPECT_EQ(Fmt("%c", 'A'), "A");
    EXPECT_EQ(Fmt("%3c|", 'A'), "  A|");
    EXPECT_EQ(Fmt("%-3c|", 'A'), "A  |");
    EXPECT_EQ(Fmt("%lc%hhc%llc", 'a', 'b', 'c'), "abc");
    EXPECT_EQ(Fmt("%c", 0x141), "A");
    EXPECT_EQ(Fmt("a%cb", 0), std::string("a\0b", 3));
    EXPECT_EQ(Fmt("%c%c|%d", 'x', 'y', 7), "xy|7");
}

/* ---------------------------------------------------------------------------
 * Strings
 * ------------------------------------------------------------------------- */

struct StrRow
{
    const char *pszFormat;
    const char *pszValue;
    const char *pszExpected;
};

TEST(Format, Utf8Strings)
{
    static const StrRow s_aRows[] =
    {
        { "%s",        "abc",     "abc"        },
        { "%S",        "abc",     "abc"        },
        { "%hs",       "abc",     "abc"        },
        { "%hhs",      "abc",     "abc"        },
        { "%js",       "abc",     "abc"        },
        { "%zs",       "abc",     "abc"        },
        { "%5s",       "ab",      "   ab"      },
        { "%-5s|",     "ab",      "ab   |"     },
        { "%.1s",      "ab",      "a"          },
        { "%.0s|",     "ab",      "|"          },
        { "%.9s",      "ab",      "ab"         },
        { "%5.1s",     "ab",      "    a"      },
        { "%-5.1s|",   "ab",      "a    |"     },
        { "%1s",       "abc",     "abc"        },
        { "%s",        "",        ""           },
        { "%3s",       "",        "   "        },
        { "%s",        "\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9" },
        { "%s",        nullptr,   "<NULL>"     },
        { "%10s",      nullptr,   "    <NULL>" },
        { "%-8s|",     nullptr,   "<NULL>  |"  },
        { "%.2s",      nullptr,   "<NULL>"     },
    };
    for (const StrRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat, Row.pszValue), Row.pszExpected);
    }
}

TEST(Format, PrecisionBoundsTheRead)
{
    /* Unterminated text right before an unreadable page. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    const char *pch = Page.Place("abc", 3);
    EXPECT_EQ(Fmt("%.3s", pch), "abc");
    EXPECT_EQ(Fmt("%5.3s|", pch), "  abc|");
    EXPECT_EQ(Fmt("%.2s", pch + 1), "bc");

    static const RTUTF16 s_awc[] = { 'a', 0xd83d, 0xde00 };
    PCRTUTF16 pwc = (PCRTUTF16)(const void *)Page.Place((const char *)s_awc, sizeof(s_awc));
    EXPECT_EQ(Fmt("%.2ls", pwc), "a\xf0\x9f\x98\x80");

    static const RTUNICP s_auCps[] = { 'x', 'y' };
    const RTUNICP *puCps = (const RTUNICP *)(const void *)Page.Place((const char *)s_auCps, sizeof(s_auCps));
    EXPECT_EQ(Fmt("%.2Ls", puCps), "xy");
}

struct Utf16Row
{
    const char   *pszFormat;
    RTUTF16       awc[8];
    const char   *pszExpected;
};

TEST(Format, Utf16Strings)
{
    static const Utf16Row s_aRows[] =
    {
        { "%ls",      { 'a', 'b', 'c' },                  "abc" },
        { "%ls",      { 0 },                              "" },
        { "%ls",      { 0x7f, 0x80, 0x7ff, 0x800 },       "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80" },
        { "%ls",      { 0xe9, 0x20ac, 0xfffd },           "\xc3\xa9\xe2\x82\xac\xef\xbf\xbd" },
        { "%ls",      { 0xd83d, 0xde00, '!' },            "\xf0\x9f\x98\x80!" },
        { "%ls",      { 0xdbff, 0xdfff },                 "\xf4\x8f\xbf\xbf" },
        /* The first invalid sequence ends the string. */
        { "%ls|",     { 'a', 0xd800, 'b' },               "a|" },
        { "%ls|",     { 'a', 0xd800 },                    "a|" },
        { "%ls|",     { 'a', 0xdc00, 'b' },               "a|" },
        { "%ls|",     { 'a', 0xfffe, 'b' },               "a|" },
        { "%ls|",     { 'x', 0xffff },                    "x|" },
        { "%ls|",     { 'a', 0xd83d, 0xd83d, 0xde00 },    "a|" },
        /* Precision and width count code points. */
        { "%.2ls",    { 0xd83d, 0xde00, 'a', 'b' },       "\xf0\x9f\x98\x80" "a" },
        { "%.0ls|",   { 'a' },                            "|" },
        { "%4ls|",    { 0xe9, 'b' },                      "  \xc3\xa9" "b|" },
        { "%-4ls|",   { 0xe9, 'b' },                      "\xc3\xa9" "b  |" },
        { "%3ls|",    { 'a', 0xd800, 'b' },               "  a|" },
        { "%lS",      { 'S' },                            "S" },
    };
    for (const Utf16Row &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat, Row.awc), Row.pszExpected);
    }

    /* One call per code point. */
    static const RTUTF16 s_awc[] = { 'a', 0xe9, 0xd83d, 0xde00, 0 };
    typedef std::vector<std::string> Strs;
    EXPECT_EQ(Chunks("%ls", s_awc), (Strs{ "a", "\xc3\xa9", "\xf0\x9f\x98\x80", "<END>" }));
}

struct CpRow
{
    const char *pszFormat;
    RTUNICP     auCps[8];
    const char *pszExpected;
};

TEST(Format, CodePointStrings)
{
    static const CpRow s_aRows[] =
    {
        { "%Ls",     { 'a', 0xe9, 0x1f600 },            "a\xc3\xa9\xf0\x9f\x98\x80" },
        { "%lls",    { 'b' },                           "b" },
        { "%qs",     { 'q' },                           "q" },
        /* No validation: surrogates, noncharacters and values beyond
         * Unicode are encoded as they come; what cannot be encoded is 0x7f. */
        { "%Ls",     { 0xd800, 0xfffe },                "\xed\xa0\x80\xef\xbf\xbe" },
        { "%Ls",     { 0x7fffffff, 0x80000000, 'z' },   "\xfd\xbf\xbf\xbf\xbf\xbf\x7fz" },
        { "%.2Ls|",  { 'a', 'b', 'c' },                 "ab|" },
        { "%5Ls|",   { 0xe9, 0xe9 },                    "   \xc3\xa9\xc3\xa9|" },
        { "%-3Ls|",  { 'a' },                           "a  |" },
    };
    for (const CpRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat, Row.auCps), Row.pszExpected);
    }
}

TEST(Format, BadPointersAreNeverRead)
{
    /* Anything within 4096 bytes of either end of the address space. */
    const uintptr_t auBad[] =
    {
        1, 0x10, 4095, ~(uintptr_t)0 - 100, ~(uintptr_t)0 - 4095, ~(uintptr_t)0,
    };
    for (uintptr_t uBad : auBad)
    {
        SCOPED_TRACE(NaturalHex(uBad));
        const void *pv = (const void *)uBad;
        EXPECT_EQ(Fmt("%s", (const char *)pv), BadMarker(pv, "!BadStr"));
        EXPECT_EQ(Fmt("%ls", (PCRTUTF16)pv), BadMarker(pv, "!BadStrW"));
        EXPECT_EQ(Fmt("%Ls", (const RTUNICP *)pv), BadMarker(pv, "!BadStrU"));
        EXPECT_EQ(Fmt("%.3s|%d", (const char *)pv, 7), BadMarker(pv, "!BadStr") + "|7");
    }
    EXPECT_EQ(Fmt("%ls", (PCRTUTF16)nullptr), "<NULL>");
    EXPECT_EQ(Fmt("%Ls", (const RTUNICP *)nullptr), "<NULL>");

    /* Width pads the marker like any text. */
    std::string const strMarker = BadMarker((const void *)0x10, "!BadStrW");
    EXPECT_EQ(Fmt("%*ls|", (int)strMarker.size() + 3, (PCRTUTF16)0x10), "   " + strMarker + "|");
    EXPECT_EQ(Fmt("%-*ls|", (int)strMarker.size() + 2, (PCRTUTF16)0x10), strMarker + "  |");
    EXPECT_EQ(Fmt("%2s", (const char *)1), BadMarker((const void *)1, "!BadStr"));
}

/* ---------------------------------------------------------------------------
 * Doubles
 * ------------------------------------------------------------------------- */

double DoubleFromBits(uint64_t u64)
{
    double rd;
    memcpy(&rd, &u64, sizeof(rd));
    return rd;
}

struct DoubleRow
{
    double      rd;
    const char *pszExpected;
};

TEST(Format, DoublesAsMantissaAndExponent)
{
    static const DoubleRow s_aRows[] =
    {
        { 1.0,                                          "+1m0x0000000000000^0" },
        { -0.25,                                        "-1m0x0000000000000^-2" },
        { 1.5,                                          "+1m0x8000000000000^0" },
        { 1024.0,                                       "+1m0x0000000000000^10" },
        { 3.0,                                          "+1m0x8000000000000^1" },
        { DBL_MAX,                                      "+1m0xfffffffffffff^1023" },
        { DBL_MIN,                                      "+1m0x0000000000000^-1022" },
        { 0.0,                                          "+0" },
        { -0.0,                                         "-0" },
        { DoubleFromBits(UINT64_C(0x7ff0000000000000)), "+Inf" },
        { DoubleFromBits(UINT64_C(0xfff0000000000000)), "-Inf" },
        { DoubleFromBits(UINT64_C(0x7ff8000000000000)), "+QNan" },
        { DoubleFromBits(UINT64_C(0xfff8000000000001)), "-QNan" },
        { DoubleFromBits(UINT64_C(0x7ff0000000000001)), "+SNan" },
        { DoubleFromBits(UINT64_C(0xfff4000000000000)), "-SNan" },
        /* Subnormals: no implicit one, no exponent. */
        { DoubleFromBits(UINT64_C(0x0000000000000001)), "+0m0x0000000000001" },
        { DoubleFromBits(UINT64_C(0x800fffffffffffff)), "-0m0xfffffffffffff" },
    };
    /* The conversion letter, width, precision and flags change nothing. */
    static const char * const s_apszFormats[] =
    {
        "%f|%d", "%e|%d", "%g|%d", "%a|%d", "%A|%d", "%E|%d", "%F|%d", "%G|%d", "%10.3f|%d", "%-+#030e|%d",
    };
    for (const DoubleRow &Row : s_aRows)
        for (const char *pszFormat : s_apszFormats)
        {
            SCOPED_TRACE(testing::Message() << pszFormat << " " << Row.pszExpected);
            EXPECT_EQ(Fmt(pszFormat, Row.rd, 7), std::string(Row.pszExpected) + "|7");
        }
}

/* ---------------------------------------------------------------------------
 * %M, %N and the hand-offs
 * ------------------------------------------------------------------------- */

TEST(Format, MSwitchesToTheArgumentFormat)
{
    EXPECT_EQ(Fmt("a%Mb", "c%d", 5), "ac5");
    /* The rest of the first format is abandoned, its arguments unused. */
    EXPECT_EQ(Fmt("x%My%d", "%d-", 1, 2), "x1-");
    EXPECT_EQ(Fmt("%M", "%M", "%s", "chained"), "chained");
    EXPECT_EQ(Fmt("a%Mb", ""), "a");
    /* A format that cannot be read ends the text with the marker. */
    EXPECT_EQ(Fmt("a%Mb", (const char *)nullptr), "a<NULL>");
    EXPECT_EQ(Fmt("a%Mb", (const char *)8), "a" + BadMarker((const void *)8, "!BadFmt"));

    /* Still one run: one end call. */
    typedef std::vector<std::string> Strs;
    EXPECT_EQ(Chunks("a%Mb", "c%d", 5), (Strs{ "a", "c", "5", "<END>" }));
}

std::vector<std::string> ChunksNested(const char *pszOuter, const char *pszNested, ...)
{
    va_list va;
    va_start(va, pszNested);
    std::vector<std::string> aChunks = Chunks(pszOuter, pszNested, &va);
    va_end(va);
    return aChunks;
}

std::string FmtNestedTwice(const char *pszNested, ...)
{
    va_list va;
    va_start(va, pszNested);
    std::string str = Fmt("%N|%N|%d", pszNested, &va, pszNested, &va, 9);
    va_end(va);
    return str;
}

TEST(Format, NRunsANestedFormat)
{
    EXPECT_EQ(FmtNested("x%Ny", "n%d", 42), "xn42y");
    EXPECT_EQ(FmtNested("%N", "%s-%s", "a", "b"), "a-b");
    EXPECT_EQ(FmtNested("[%10N]", "%d", 3), "[3]");
    /* The pointed-to list is copied, not advanced; the outer list goes on. */
    EXPECT_EQ(FmtNestedTwice("n%d", 42), "n42|n42|9");

    /* The nested run is a run of its own with its own end call. */
    typedef std::vector<std::string> Strs;
    EXPECT_EQ(ChunksNested("x%Ny", "n%d", 42), (Strs{ "x", "n", "42", "<END>", "y", "<END>" }));
    EXPECT_EQ(ChunksNested("%N", ""), (Strs{ "<END>", "<END>" }));

    /* A nested format or list that cannot be read prints a marker. */
    EXPECT_EQ(Fmt("a%Nb", (const char *)nullptr, (va_list *)nullptr), "a<NULL>b");
    EXPECT_EQ(FmtNested("a%Nb", (const char *)16), "a" + BadMarker((const void *)16, "!BadFmt") + "b");
    EXPECT_EQ(Fmt("a%Nb|%d", "x", (va_list *)8, 7), "a" + BadMarker((const void *)8, "!BadVaList") + "b|7");
}

TEST(Format, RuntimeTypesAreHandedOff)
{
    static const IntRow s_aRows[] =
    {
        { "a%Rrcb",     VERR_INVALID_PARAMETER,   "aVERR_INVALID_PARAMETERb" },
        { "%Rrc",       VINF_SUCCESS,             "VINF_SUCCESS" },
        { "%Rrc",       VERR_BUFFER_OVERFLOW,     "VERR_BUFFER_OVERFLOW" },
        { "<%Rrc>",     -987654,                  "<-987654>" },
    };
    for (const IntRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        EXPECT_EQ(Fmt(Row.pszFormat, Row.iValue), Row.pszExpected);
    }
    /* The handler takes its argument from the same list. */
    EXPECT_EQ(Fmt("%Rrc|%d|%Rrc", VERR_INVALID_POINTER, 7, VINF_SUCCESS), "VERR_INVALID_POINTER|7|VINF_SUCCESS");
    std::string const str = Fmt("%Rra", VERR_INVALID_PARAMETER);
    EXPECT_EQ(str.substr(0, 30), "VERR_INVALID_PARAMETER (-2) - ");
    /* Width, flags and size reach the handler as parsed. */
    EXPECT_EQ(Fmt("%08RX32|%d", 255, 7), "000000ff|7");
    EXPECT_EQ(Fmt("%#RX32", 255), "0xff");
    EXPECT_EQ(Fmt("%'RU64", (uint64_t)1234567), "1 234 567");
    /* The text goes on where the handler stopped: nothing for %RX, then 3. */
    EXPECT_EQ(Fmt("<%RX3>"), "<3>");
    /* A keyword cut short by the end of the format ends it. */
    EXPECT_EQ(Fmt("a%R"), "a");
    EXPECT_EQ(Fmt("a%-5.2lR"), "a");
    EXPECT_EQ(Fmt("a%R["), "a");
}

/** The type callback's view of one conversion. */
struct TypeCall
{
    int         cCalls = 0;
    char        chConv = 0;
    int         cchWidth = 0;
    int         cchPrecision = 0;
    unsigned    fFlags = 0;
    char        chArgSize = 0;
};

size_t RecordType(void *pvArg, PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                  int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    TypeCall *pCall = (TypeCall *)pvArg;
    pCall->cCalls++;
    pCall->chConv = **ppszFormat;
    pCall->cchWidth = cchWidth;
    pCall->cchPrecision = cchPrecision;
    pCall->fFlags = fFlags;
    pCall->chArgSize = chArgSize;
    *ppszFormat += 1;
    /* Consumes one int and prints it in angle brackets, through the engine. */
    int const iValue = va_arg(*pArgs, int);
    return RTFmt(pfnOutput, pvArgOutput, nullptr, nullptr, "<%d>", iValue);
}

struct TypeRow
{
    const char *pszFormat;
    char        chConv;
    int         cchWidth;
    int         cchPrecision;
    unsigned    fFlags;
    char        chArgSize;
};

TEST(Format, TypeCallbackGetsTheParsedSpecification)
{
    static const TypeRow s_aRows[] =
    {
        { "%w",          'w', -1, -1, 0, 0 },
        { "%-8.3lw",     'w',  8,  3, RTFMT_F_LEFT | RTFMT_F_WIDTH | RTFMT_F_PRECISION, 'l' },
        { "%#'+ 0k",     'k', -1, -1, RTFMT_F_SPECIAL | RTFMT_F_THOUSAND_GROUP | RTFMT_F_PLUS | RTFMT_F_BLANK
                                      | RTFMT_F_ZEROPAD, 0 },
        { "%.y",         'y', -1,  0, RTFMT_F_PRECISION, 0 },
        { "%hhw",        'w', -1, -1, 0, 'H' },
        { "%hw",         'w', -1, -1, 0, 'h' },
        { "%llw",        'w', -1, -1, 0, 'L' },
        { "%Lw",         'w', -1, -1, 0, 'L' },
        { "%qw",         'w', -1, -1, 0, 'L' },
        { "%jw",         'w', -1, -1, 0, 'j' },
        { "%zw",         'w', -1, -1, 0, 'z' },
        { "%tw",         'w', -1, -1, 0, 't' },
        { "%I64w",       'w', -1, -1, 0, 'L' },
        { "%I32w",       'w', -1, -1, 0, 0 },
        { "%Iw",         'w', -1, -1, 0, 'j' },
        { "%I6w",        '6', -1, -1, 0, 'j' },
        { "%12345w",     'w', 12345, -1, RTFMT_F_WIDTH, 0 },
    };
    for (const TypeRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszFormat);
        TypeCall Call;
        Collector Coll;
        std::string const strFormat = std::string("a") + Row.pszFormat + "b";
        RTFmt(CollectOutput, &Coll, RecordType, &Call, strFormat.c_str(), 5);
        EXPECT_EQ(Call.cCalls, 1);
        EXPECT_EQ(Call.chConv, Row.chConv);
        EXPECT_EQ(Call.cchWidth, Row.cchWidth);
        EXPECT_EQ(Call.cchPrecision, Row.cchPrecision);
        EXPECT_EQ(Call.fFlags, Row.fFlags);
        EXPECT_EQ(Call.chArgSize, Row.chArgSize);
        EXPECT_EQ(Coll.strText, Row.chConv == '6' ? "a<5>wb" : "a<5>b");
    }

    /* Star arguments are taken before the callback's own. */
    TypeCall Call;
    Collector Coll;
    size_t const cch = RTFmt(CollectOutput, &Coll, RecordType, &Call, "%*.*w|%d", -5, -2, 6, 7);
    EXPECT_EQ(Coll.strText, "<6>|7");
    EXPECT_EQ(cch, 5u);
    EXPECT_EQ(Call.cchWidth, 5);
    EXPECT_EQ(Call.cchPrecision, 0);
    EXPECT_EQ(Call.fFlags, RTFMT_F_LEFT | RTFMT_F_WIDTH | RTFMT_F_PRECISION);
    /* The nested end call of the callback's RTFmt shows up mid-output. */
    typedef std::vector<std::string> Strs;
    EXPECT_EQ(Coll.aChunks, (Strs{ "<", "6", ">", "<END>", "|", "7", "<END>" }));

    /* Known conversions never reach the callback; unfinished ones neither. */
    TypeCall None;
    Collector Coll2;
    RTFmt(CollectOutput, &Coll2, RecordType, &None, "%d%s%%%c%p%", 1, "s", 'c', (void *)nullptr);
    EXPECT_EQ(None.cCalls, 0);
    RTFmt(CollectOutput, &Coll2, RecordType, &None, "x%-*.*l");
    EXPECT_EQ(None.cCalls, 0);
}

/* ---------------------------------------------------------------------------
 * Buffer front ends
 * ------------------------------------------------------------------------- */

struct BufRow
{
    size_t      cbBuf;
    const char *pszFormat;
    const char *pszArg;
    ptrdiff_t   cchBuf;          /* RTFmtBuf's result */
    ptrdiff_t   cchChecked;      /* RTFmtBufChecked's result */
    const char *pszStored;       /* NULL: nothing may be written */
};

TEST(FormatBuf, TruncationAndOverflow)
{
    static const BufRow s_aRows[] =
    {
        { 4,  "abcdef",   nullptr, 3,  -7, "abc"    },
        { 7,  "abcdef",   nullptr, 6,   6, "abcdef" },
        { 6,  "abcdef",   nullptr, 5,  -7, "abcde"  },
        { 2,  "abcdef",   nullptr, 1,  -7, "a"      },
        { 1,  "abcdef",   nullptr, 0,  -7, ""       },
        { 0,  "abcdef",   nullptr, 0,  -7, nullptr  },
        { 0,  "",         nullptr, 0,  -1, nullptr  },
        { 1,  "",         nullptr, 0,   0, ""       },
        /* Cuts in the middle of later chunks. */
        { 5,  "ab%sgh",   "cdef",  4,  -9, "abcd"   },
        { 8,  "ab%sgh",   "cdef",  7,  -9, "abcdefg" },
        { 9,  "ab%sgh",   "cdef",  8,   8, "abcdefgh" },
        { 3,  "ab%sgh",   "cdef",  2,  -9, "ab"     },
        { 3,  "%s",       "ab",    2,   2, "ab"     },
        { 2,  "%s",       "ab",    1,  -3, "a"      },
    };
    for (const BufRow &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.pszFormat << " into " << Row.cbBuf);
        char achBuf[32];
        memset(achBuf, 0x5a, sizeof(achBuf));
        EXPECT_EQ((ptrdiff_t)RTFmtBuf(achBuf, Row.cbBuf, Row.pszFormat, Row.pszArg), Row.cchBuf);
        if (Row.pszStored)
        {
            EXPECT_STREQ(achBuf, Row.pszStored);
        }
        for (size_t i = Row.pszStored ? strlen(Row.pszStored) + 1 : 0; i < sizeof(achBuf); i++)
            ASSERT_EQ(achBuf[i], 0x5a) << "byte " << i << " written";

        memset(achBuf, 0x5a, sizeof(achBuf));
        EXPECT_EQ(RTFmtBufChecked(achBuf, Row.cbBuf, Row.pszFormat, Row.pszArg), Row.cchChecked);
        if (Row.pszStored)
        {
            EXPECT_STREQ(achBuf, Row.pszStored);
        }
        for (size_t i = Row.pszStored ? strlen(Row.pszStored) + 1 : 0; i < sizeof(achBuf); i++)
            ASSERT_EQ(achBuf[i], 0x5a) << "byte " << i << " written";
    }
}

/** "x%Ny" with the nested format and list into cbBuf bytes, through both
 * buffer forms; they must store the same text. */
size_t FmtBufNested(char *pszBuf, size_t cbBuf, ptrdiff_t *pcchChecked, const char *pszNested, ...)
{
    va_list va;
    va_start(va, pszNested);
    size_t const cch = RTFmtBuf(pszBuf, cbBuf, "x%Ny", pszNested, &va);
    char szChecked[64];
    EXPECT_LE(cbBuf, sizeof(szChecked));
    *pcchChecked = RTFmtBufChecked(szChecked, cbBuf, "x%Ny", pszNested, &va);
    EXPECT_STREQ(szChecked, pszBuf);
    va_end(va);
    return cch;
}

TEST(FormatBuf, NestedEndCallsKeepTheBufferInOrder)
{
    /* The end call of %N terminates mid-output; the text goes on after it,
     * and a cut inside the nested part is reported like any other. */
    char szBuf[16];
    ptrdiff_t cchChecked = 0;
    EXPECT_EQ(FmtBufNested(szBuf, sizeof(szBuf), &cchChecked, "n%d", 42), 5u);
    EXPECT_STREQ(szBuf, "xn42y");
    EXPECT_EQ(cchChecked, 5);
    EXPECT_EQ(FmtBufNested(szBuf, 4, &cchChecked, "n%d", 42), 3u);
    EXPECT_STREQ(szBuf, "xn4");
    EXPECT_EQ(cchChecked, -6);
}

/* ---------------------------------------------------------------------------
 * Number formatting
 * ------------------------------------------------------------------------- */

struct NumRow
{
    uint64_t    uValue;
    unsigned    uBase;
    int         cchWidth;
    int         cchPrecision;
    unsigned    fFlags;
    const char *pszExpected;
};

TEST(FormatNumber, Table)
{
    static const NumRow s_aRows[] =
    {
        { 0,                        10, -1, -1, 0,                                      "0" },
        { 255,                      16,  8, -1, RTFMT_F_ZEROPAD,                        "000000ff" },
        { 255,                      16,  6, -1, RTFMT_F_ZEROPAD | RTFMT_F_SPECIAL,      "0x00ff" },
        { 255,                      16, -1, -1, RTFMT_F_CAPITAL | RTFMT_F_SPECIAL,      "0XFF" },
        { (uint64_t)-42,            10,  5, -1, RTFMT_F_VALSIGNED,                      "  -42" },
        { (uint64_t)-42,            10,  5, -1, RTFMT_F_VALSIGNED | RTFMT_F_ZEROPAD,    "-0042" },
        { 5,                        10, -1, -1, RTFMT_F_VALSIGNED | RTFMT_F_PLUS,       "+5" },
        /* Without the 64-bit flag a value with a zero upper half is 32 bits. */
        { 0xffffffff,               10, -1, -1, RTFMT_F_VALSIGNED,                      "-1" },
        { 0xffffffff,               10, -1, -1, RTFMT_F_VALSIGNED | RTFMT_F_32BIT,      "-1" },
        { 0xffffffff,               10, -1, -1, RTFMT_F_VALSIGNED | RTFMT_F_64BIT,      "4294967295" },
        { 0x80000000,               10, -1, -1, RTFMT_F_VALSIGNED,                      "-2147483648" },
        { UINT64_C(1) << 63,        10, -1, -1, RTFMT_F_VALSIGNED,                      "-9223372036854775808" },
        { ~(uint64_t)0,             10, -1, -1, 0,                                      "18446744073709551615" },
        { ~(uint64_t)0,             10, -1, -1, RTFMT_F_THOUSAND_GROUP,                 "18 446 744 073 709 551 615" },
        { ~(uint64_t)0,              8, -1, -1, RTFMT_F_SPECIAL,                        "01777777777777777777777" },
        { ~(uint64_t)0,             16, -1, -1, RTFMT_F_CAPITAL,                        "FFFFFFFFFFFFFFFF" },
        { 0,                         8, -1, -1, RTFMT_F_SPECIAL,                        "00" },
        { 0,                        16, -1, -1, RTFMT_F_SPECIAL,                        "0x0" },
        { 1000,                     10, -1, -1, RTFMT_F_THOUSAND_GROUP,                 "1 000" },
        { 100000,                   10, -1, -1, RTFMT_F_THOUSAND_GROUP,                 "100 000" },
        { 1000,                     10,  6, -1, RTFMT_F_THOUSAND_GROUP | RTFMT_F_ZEROPAD, "001000" },
        { 1000,                     16, -1, -1, RTFMT_F_THOUSAND_GROUP,                 "3e8" },
        { 7,                        10,  4, -1, RTFMT_F_LEFT | RTFMT_F_ZEROPAD,         "7   " },
        { 42,                       10,  8,  5, 0,                                      "      00042" },
        { 12345678,                 10, -1, -1, 0,                                      "12345678" },
        { 99,                       10, -1, -1, 0,                                      "99" },
        { 100,                      10, -1, -1, 0,                                      "100" },
        { UINT64_C(10000000000000000000), 10, -1, -1, 0,                                "10000000000000000000" },
        { UINT64_C(4294967296),     10, -1, -1, 0,                                      "4294967296" },
        /* Bases other than 8, 10 and 16 give an empty text. */
        { 5,                         2, -1, -1, 0,                                      "" },
        { 5,                         0, -1, -1, 0,                                      "" },
        { 5,                        36, -1, -1, 0,                                      "" },
    };
    for (const NumRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszExpected);
        char szBuf[64];
        int const cch = RTFmtNumber(szBuf, Row.uValue, Row.uBase, Row.cchWidth, Row.cchPrecision, Row.fFlags);
        EXPECT_STREQ(szBuf, Row.pszExpected);
        EXPECT_EQ(cch, (int)strlen(Row.pszExpected));
    }
}

TEST(FormatNumber, NeverMoreThan63Characters)
{
    /* Every flag combination with widths and precisions around and far
     * beyond the limit, with the largest values of every base. */
    static const int s_acch[] = { -1, 0, 1, 20, 40, 60, 61, 62, 63, 64, 65, 70, 1000, INT_MAX, INT_MIN };
    static const uint64_t s_au[] = { 0, 1, 999, 1000, 0xffffffff, UINT64_C(1) << 63, ~(uint64_t)0 };
    static const unsigned s_auBases[] = { 8, 10, 16 };
    for (unsigned fFlags = 0; fFlags < 0x800; fFlags++)
    {
        if (fFlags & (RTFMT_F_WIDTH | RTFMT_F_PRECISION | RTFMT_F_HIDE_VALUE | RTFMT_F_CAPITAL))
            continue;   /* these change nothing about the length */
        for (uint64_t u : s_au)
            for (unsigned uBase : s_auBases)
                for (int cchWidth : s_acch)
                    for (int cchPrecision : s_acch)
                    {
                        char achBuf[80];
                        memset(achBuf, 0x5a, sizeof(achBuf));
                        int const cch = RTFmtNumber(achBuf, u, uBase, cchWidth, cchPrecision, fFlags);
                        bool const fOk = cch >= 1 && cch <= 63 && (size_t)cch == strlen(achBuf)
                                      && achBuf[64] == 0x5a;
                        if (!fOk)
                        {
                            ADD_FAILURE() << "flags " << fFlags << " value " << u << " base " << uBase
                                          << " width " << cchWidth << " precision " << cchPrecision
                                          << " gave " << cch;
                            return;
                        }
                    }
    }
    /* Left-justified text is capped at 62. */
    char szBuf[64];
    EXPECT_EQ(RTFmtNumber(szBuf, 1, 10, 70, -1, RTFMT_F_LEFT), 62);
    EXPECT_EQ(RTFmtNumber(szBuf, 1, 10, 70, 60, RTFMT_F_LEFT), 62);
    EXPECT_EQ(RTFmtNumber(szBuf, (uint64_t)-1, 10, 70, -1, RTFMT_F_LEFT | RTFMT_F_VALSIGNED), 62);
}

struct BoundedRow
{
    bool        f64;
    uint64_t    uValue;
    unsigned    fFlags;
    size_t      cbBuf;
    ptrdiff_t   rcExpected;
    const char *pszStored;       /* NULL: nothing may be written */
};

TEST(FormatNumber, Bounded)
{
    static const BoundedRow s_aRows[] =
    {
        { false, 12345,       0,                   64, 5,                    "12345" },
        { false, 12345,       0,                    6, 5,                    "12345" },
        { false, 12345,       0,                    5, VERR_BUFFER_OVERFLOW, "1234" },
        { false, 12345,       0,                    2, VERR_BUFFER_OVERFLOW, "1" },
        { false, 12345,       0,                    1, VERR_BUFFER_OVERFLOW, "" },
        { false, 12345,       0,                    0, VERR_BUFFER_OVERFLOW, nullptr },
        { true,  12345,       0,                    5, VERR_BUFFER_OVERFLOW, "1234" },
        { true,  ~(uint64_t)0, 0,                  21, 20,                   "18446744073709551615" },
        { true,  ~(uint64_t)0, 0,                  20, VERR_BUFFER_OVERFLOW, "1844674407370955161" },
        /* The 32-bit form signs a 32-bit value, the 64-bit one a 64-bit value,
         * whatever size bits the caller passes. */
        { false, 0xffffffff,  RTFMT_F_VALSIGNED,   16, 2,                    "-1" },
        { false, 0xffffffff,  RTFMT_F_VALSIGNED | RTFMT_F_64BIT, 16, 2,      "-1" },
        { true,  0xffffffff,  RTFMT_F_VALSIGNED,   16, 10,                   "4294967295" },
        { true,  0xffffffff,  RTFMT_F_VALSIGNED | RTFMT_F_32BIT, 16, 10,     "4294967295" },
    };
    for (const BoundedRow &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.uValue << " into " << Row.cbBuf);
        char achBuf[80];
        memset(achBuf, 0x5a, sizeof(achBuf));
        ptrdiff_t const rc = Row.f64
                           ? RTFmtNumber64(achBuf, Row.cbBuf, Row.uValue, 10, -1, -1, Row.fFlags)
                           : RTFmtNumber32(achBuf, Row.cbBuf, (uint32_t)Row.uValue, 10, -1, -1, Row.fFlags);
        EXPECT_EQ(rc, Row.rcExpected);
        if (Row.pszStored)
        {
            EXPECT_STREQ(achBuf, Row.pszStored);
        }
        size_t const cbWritten = Row.pszStored ? strlen(Row.pszStored) + 1 : 0;
        for (size_t i = cbWritten; i < sizeof(achBuf); i++)
            ASSERT_EQ(achBuf[i], 0x5a) << "byte " << i << " written";
    }

    /* A width that needs the whole scratch area, into a smaller buffer. */
    char achBuf[80];
    memset(achBuf, 0x5a, sizeof(achBuf));
    EXPECT_EQ(RTFmtNumber32(achBuf, 10, 1, 10, 70, -1, 0), VERR_BUFFER_OVERFLOW);
    EXPECT_STREQ(achBuf, "         ");
    EXPECT_EQ(achBuf[10], 0x5a);
    EXPECT_EQ(RTFmtNumber32(achBuf, 64, 1, 10, 70, -1, 0), 62);
    EXPECT_EQ(RTFmtNumber32(nullptr, 16, 1, 10, -1, -1, 0), VERR_INVALID_POINTER);
}

} /* namespace */
