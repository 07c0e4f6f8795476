/*
 * Tests of the runtime's %R format types through the buffer front ends and
 * the engine. Every format is placed at the very end of a readable page, so
 * a handler that moves the format pointer past the terminator faults; every
 * result is also produced through an output callback that reports three
 * times what it was given, so a handler that returns a length of its own
 * instead of the callback's sum shows up.
 */
#include <tulo/errinfo.h>
#include <tulo/format.h>
#include <tulo/err.h>
#include <tulo/types.h>

#include "common/string/format-rt-internal.h"

#include <gtest/gtest.h>

#include "guarded-page.h"

#include <stdarg.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

/** 16 hex digits on 64-bit hosts, 8 on 32-bit ones. */
constexpr bool g_f64BitPtrs = sizeof(void *) == 8;

std::string natPtr(const char *psz64, const char *psz32)
{
    return g_f64BitPtrs ? psz64 : psz32;
}

struct COLLECT
{
    std::string str;
    unsigned    cEndCalls = 0;
    unsigned    cEmptyCalls = 0;
};

size_t collectTripled(void *pvArg, const char *pach, size_t cch)
{
    COLLECT *pCollect = (COLLECT *)pvArg;
    if (!pach)
    {
        pCollect->cEndCalls++;
        return 0;
    }
    if (!cch)
        pCollect->cEmptyCalls++;
    pCollect->str.append(pach, cch);
    return cch * 3;
}

GuardedPage g_Page;

/** Formats through RTFmtBufChecked and through RTFmtV, with the format at the
 * end of a page; checks that both agree and that the counts are sums. */
std::string fmtV(const char *pszFormat, va_list va)
{
    EXPECT_TRUE(g_Page.IsValid());
    const char *pszGuarded = g_Page.Place(pszFormat);

    va_list va2;
    va_copy(va2, va);
    char szBuf[8192];
    ptrdiff_t const cch = RTFmtBufCheckedV(szBuf, sizeof(szBuf), pszGuarded, va);
    EXPECT_GE(cch, 0) << pszFormat;
    std::string const str(szBuf, cch >= 0 ? (size_t)cch : 0);
    EXPECT_EQ(strlen(szBuf), str.size()) << pszFormat;

    COLLECT Collect;
    size_t const cchTripled = RTFmtV(collectTripled, &Collect, nullptr, nullptr, pszGuarded, va2);
    va_end(va2);
    EXPECT_EQ(Collect.str, str) << pszFormat;
    EXPECT_EQ(cchTripled, 3 * str.size()) << pszFormat;
    EXPECT_EQ(Collect.cEndCalls, 1u) << pszFormat;
    EXPECT_EQ(Collect.cEmptyCalls, 0u) << pszFormat;
    return str;
}

std::string fmt(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    std::string str = fmtV(pszFormat, va);
    va_end(va);
    return str;
}

/** A zeroed block for pointer arguments. */
alignas(16) uint8_t g_abZero[256];

/** Everything RTFmtV produces, for outputs too long for a buffer. */
size_t appendOutput(void *pvArg, const char *pach, size_t cch)
{
    if (pach)
        ((std::string *)pvArg)->append(pach, cch);
    return cch;
}

} /* namespace */


/*
 * Keyword recognition.
 */

TEST(FormatRt, EveryTableKeywordIsRecognised)
{
    static const char *const s_apszKeywords[] =
    {
        "Ci", "Cp", "Cr", "Cu", "Cv", "Cx", "Gi", "Gp", "Gr", "Gu", "Gv", "Gx", "Hi", "Hp", "Hr", "Hu", "Hv", "Hx",
        "I16", "I32", "I64", "I8", "Kv", "Rv", "Tbool", "Teic", "Teim", "Tfile", "Tfmode", "Tfoff", "Tfp16",
        "Tfp32", "Tfp64", "Tgid", "Tino", "Tint", "Tiop", "Tldrm", "Tmac", "Tnaddr", "Tnaipv4", "Tnaipv6",
        "Tnthrd", "Tproc", "Tptr", "Treg", "Tsel", "Tsem", "Tsock", "Tthrd", "Tuid", "Tuint", "Tunicp", "Tutf16",
        "Tuuid", "Txint", "U16", "U32", "U64", "U8", "X16", "X32", "X64", "X8",
        "Dtimespec",
    };
    for (const char *pszKeyword : s_apszKeywords)
    {
        SCOPED_TRACE(pszKeyword);
        /* The whole keyword goes; what follows it is literal text. */
        std::string const strFormat = std::string("<%R") + pszKeyword + "|";
        /* Zero arguments: null pointers and zero values print no letters
         * that could be mistaken for the rest of a keyword. */
        std::string const str = fmt(strFormat.c_str(), (uintptr_t)0, (uintptr_t)0, (uintptr_t)0);
        ASSERT_GE(str.size(), 2u);
        EXPECT_EQ(str.front(), '<');
        EXPECT_EQ(str.back(), '|');
        EXPECT_EQ(str.find(pszKeyword + 1), std::string::npos) << str;
    }
}

TEST(FormatRt, UnrecognisedAndCutShortKeywords)
{
    /* Unknown keywords print nothing and keep the rest as text; the format
     * must never be read past its terminator (it ends a readable page). */
    static const struct { const char *pszFormat; const char *pszExpect; } s_aRows[] =
    {
        { "a%RX3b",        "a3b" },          /* only the X goes */
        { "a%RTna|",       "ana|" },
        { "a%RTboo|",      "aboo|" },
        { "a%Rz|",         "a|" },
        { "a%RDtime|",     "atime|" },
        { "a%R",           "a" },
        { "a%Rr",          "a" },
        { "a%Rw",          "a" },
        { "a%RT",          "a" },
        { "a%RU",          "a" },
        { "a%RM",          "a" },
        { "a%RMa",         "a" },
        { "a%RMp",         "a" },
        { "a%Rh",          "a" },
        { "a%Rhx",         "a" },
        { "a%RhX",         "a" },
        { "a%Rhc",         "a" },
        { "a%Rhr",         "a" },
        { "a%Rb",          "a" },
        { "a%Rf",          "a" },
        { "a%RA",          "a" },
        { "a%RAx86",       "ax86" },
        { "a%RAx86[cr0",   "ax86[cr0" },
        { "a%R[",          "a" },
        { "a%R[foo",       "afoo" },
        /* Sub-letters that do not fit are consumed. */
        { "a%RMaz|",       "a|" },
        { "a%RMx|",        "a|" },
        { "a%RMpz|",       "a|" },
        { "a%Rhz|",        "a|" },
        { "a%Rhcz|",       "a|" },
        { "a%Rbz|",        "a|" },
        { "a%Rfz|",        "a|" },
        /* Another name or register: the brackets go, nothing prints. */
        { "a%RAx87[cr0]|", "a|" },
        { "a%RAx86[cr3]|", "a|" },
        { "a%RAx86[]|",    "a|" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, 1, 2, 3), Row.pszExpect) << Row.pszFormat;
}

TEST(FormatRt, BadLettersStillTakeTheirArguments)
{
    /* Status and dump groups take their arguments before the form letter. */
    EXPECT_EQ(fmt("%Rrz%d", -2, 7), "7");
    EXPECT_EQ(fmt("%Rwz%d", 5u, 7), "7");
    EXPECT_EQ(fmt("%Rhrz%d", 5u, 7), "7");
    EXPECT_EQ(fmt("%Rhxz%d", g_abZero, 7), "7");
    EXPECT_EQ(fmt("%RhXz%d", g_abZero, UINT64_C(0x1000), 7), "7");
    /* %R[name] takes one pointer-sized argument. */
    EXPECT_EQ(fmt("%R[foo]%d", (void *)g_abZero, 5), "<missing:%R[foo]>5");
    EXPECT_EQ(fmt("%R[]%d", (void *)g_abZero, 5), "<missing:%R[]>5");
    EXPECT_EQ(fmt("%R[a%d]", (void *)g_abZero, 5), "a5]");
    EXPECT_EQ(fmt("%R[a[b]%d", (void *)g_abZero, 5), "a[b]5");
}


/*
 * Table rows: integers, natural width, hidden values, booleans.
 */

TEST(FormatRt, SizedIntegers)
{
    static const struct { const char *pszFormat; uint32_t uArg; const char *pszExpect; } s_aRows[] =
    {
        { "%RU8",      511,          "255" },
        { "%RU8",      300,          "44" },
        { "%RI8",      300,          "300" },            /* signed values are not cut */
        { "%RI8",      UINT32_MAX,   "-1" },
        { "%RX8",      0x1ab,        "ab" },
        { "%RU16",     70000,        "4464" },
        { "%RI16",     UINT32_MAX,   "-1" },
        { "%RX16",     0x12345,      "2345" },
        { "%RU32",     UINT32_MAX,   "4294967295" },
        { "%RI32",     0x80000000u,  "-2147483648" },
        { "%RX32",     0xdeadbeef,   "deadbeef" },
        { "%#RX32",    255,          "0xff" },
        { "%08RX32",   255,          "000000ff" },
        { "%'RU32",    4294967295u,  "4 294 967 295" },
        { "%+RI32",    5,            "+5" },
        { "%5RU32",    42,           "   42" },
        { "%-5RU32|",  42,           "42   |" },
        { "%.4RU16",   7,            "0007" },
        { "%RCi",      (uint32_t)-9, "-9" },
        { "%RCx",      0xabc,        "abc" },
        { "%RHu",      12,           "12" },
        { "%RTint",    (uint32_t)-3, "-3" },
        { "%RTuint",   3,            "3" },
        { "%RTxint",   0x3f,         "3f" },
        { "%RTfile",   17,           "17" },
        { "%RTsock",   18,           "18" },
        { "%RTuid",    1000,         "1000" },
        { "%RTgid",    (uint32_t)-1, "-1" },
        { "%RTfmode",  0x81a4,       "000081a4" },       /* natural width: 4 bytes */
        { "%RTproc",   420,          "000001a4" },
        { "%#RTproc",  420,          "0x000001a4" },
        { "%4RTproc",  420,          " 1a4" },           /* a width turns the fill off */
        { "%RTiop",    0x60,         "0060" },
        { "%RTsel",    0x1b,         "001b" },
        { "%RTutf16",  'A',          "0041" },
        { "%RTunicp",  0x1f600,      "0001f600" },
        { "%RRv",      0xc0000000u,  "c0000000" },
        { "%RKv",      0x12345678,   "XXXXXXXX" },
        { "%#RKv",     0x12345678,   "0xXXXXXXXX" },
        { "%20RKv",    0x12345678,   "XXXXXXXX" },
        { "%RTbool",   1,            "true" },
        { "%RTbool",   0,            "false" },
        { "%RTbool",   2,            "!2!" },
        { "%RTbool",   0x100,        "false" },          /* one byte */
        { "%#RTbool",  1,            "true " },
        { "%#RTbool",  0,            "false" },
        { "%10RTbool", 1,            "true" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.uArg), Row.pszExpect) << Row.pszFormat << " " << Row.uArg;
}

TEST(FormatRt, Integers64)
{
    static const struct { const char *pszFormat; uint64_t uArg; const char *pszExpect; } s_aRows[] =
    {
        { "%RU64",     UINT64_MAX,                   "18446744073709551615" },
        { "%'RU64",    1234567,                      "1 234 567" },
        { "%'RU64",    999,                          "999" },
        { "%RI64",     UINT64_C(0x8000000000000000), "-9223372036854775808" },
        { "%RI64",     UINT64_C(0xffffffff),         "4294967295" },
        { "%RX64",     UINT64_C(0x123456789abcdef0), "123456789abcdef0" },
        { "%#RX64",    UINT64_C(0x1000000000),       "0x1000000000" },
        { "%RGi",      (uint64_t)-5,                 "-5" },
        { "%RGu",      5,                            "5" },
        { "%RGx",      0xfe,                         "fe" },
        { "%RTfoff",   (uint64_t)-1,                 "-1" },
        { "%RGp",      0x1000,                       "0000000000001000" },
        { "%RHp",      0xfee00000,                   "00000000fee00000" },
        { "%#RTino",   0x42,                         "0x0000000000000042" },
        { "%RTptr",    1,                            "0000000000000001" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.uArg), Row.pszExpect) << Row.pszFormat;
}

TEST(FormatRt, NaturalWidthHandles)
{
    /* Handles, native pointers and registers: as wide as a pointer. */
    static const struct { const char *pszFormat; uintptr_t uArg; const char *pszExpect64, *pszExpect32; } s_aRows[] =
    {
        { "%RTnthrd",  420,  "00000000000001a4",   "000001a4" },
        { "%#RTthrd",  420,  "0x00000000000001a4", "0x000001a4" },
        { "%RTsem",    0xff, "00000000000000ff",   "000000ff" },
        { "%RTldrm",   1,    "0000000000000001",   "00000001" },
        { "%RHv",      2,    "0000000000000002",   "00000002" },
        { "%RCv",      3,    "0000000000000003",   "00000003" },
        { "%RHr",      4,    "0000000000000004",   "00000004" },
        { "%RCr",      5,    "0000000000000005",   "00000005" },
        { "%RTreg",    6,    "0000000000000006",   "00000006" },
        { "%-6RTthrd|", 0x1a, "1a    |",           "1a    |" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.uArg), natPtr(Row.pszExpect64, Row.pszExpect32)) << Row.pszFormat;
    /* The full pointer value, not only its low half. */
    if (g_f64BitPtrs)
    {
        EXPECT_EQ(fmt("%RTthrd", (uintptr_t)UINT64_C(0x123456789a)), "000000123456789a");
    }
}

TEST(FormatRt, FarPointers)
{
    /* 16:16 in one 32-bit value; 16:32 in 8 bytes; 16:64 as offset and selector. */
    EXPECT_EQ(fmt("%RTfp16", 0x00081234u), "0008:1234");
    EXPECT_EQ(fmt("%RTfp16", 0xbeefu), "0000:beef");
    EXPECT_EQ(fmt("%RTfp32", UINT64_C(0x0000001b00401000)), "001b:00401000");
    EXPECT_EQ(fmt("%RTfp32", UINT64_C(0xffff002300000001)), "0023:00000001");
    EXPECT_EQ(fmt("%RTfp64|%d", UINT64_C(0xfffff80000001000), 0x10u, 9), "0010:fffff80000001000|9");
    /* Width does not apply. */
    EXPECT_EQ(fmt("%20RTfp16|", 0x00abcdefu), "00ab:cdef|");
}


/*
 * Network addresses and UUIDs.
 */

TEST(FormatRt, IPv4)
{
    RTNETADDRIPV4 Addr;
    static const struct { uint8_t ab[4]; const char *pszExpect; } s_aRows[] =
    {
        { { 192, 168, 0, 1 },     "192.168.0.1" },
        { { 0, 0, 0, 0 },         "0.0.0.0" },
        { { 255, 255, 255, 255 }, "255.255.255.255" },
        { { 10, 0, 200, 3 },      "10.0.200.3" },
    };
    for (const auto &Row : s_aRows)
    {
        memcpy(Addr.au8, Row.ab, 4);
        EXPECT_EQ(fmt("%RTnaipv4", Addr.u), Row.pszExpect);
    }
}

TEST(FormatRt, IPv6)
{
    static const struct { uint8_t ab[16]; const char *pszExpect; } s_aRows[] =
    {
        { { 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,1 },                     "::1" },
        { { 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0 },                     "::" },
        { { 0,0, 0,0, 0,0, 0,0, 0,0, 0xff,0xff, 1,2, 3,4 },               "::ffff:1.2.3.4" },
        { { 0,0, 0,0, 0,0, 0,0, 0xff,0xff, 0,0, 10,0, 0,1 },              "::ffff:0:10.0.0.1" },
        { { 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 1,2, 3,4 },                     "::1.2.3.4" },
        { { 0x20,0x01, 0x0d,0xb8, 0,0, 0,0, 0,1, 0,0, 0,0, 0,1 },         "2001:db8::1:0:0:1" },
        { { 0x20,0x01, 0x0d,0xb8, 0,0, 0,0, 0,0, 0,0, 0,0, 0,1 },         "2001:db8::1" },
        { { 0x20,0x01, 0x0d,0xb8, 0,1, 0,0, 0,1, 0,1, 0,1, 0,1 },         "2001:db8:1:0:1:1:1:1" },
        { { 0,1, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0 },                     "1::" },
        { { 0xfe,0x80, 0,0, 0,0, 0,0, 0x02,0x1a, 0x2b,0xff, 0xfe,0x3c, 0x4d,0x5e }, "fe80::21a:2bff:fe3c:4d5e" },
        { { 0xff,0xff, 0xff,0xff, 0xff,0xff, 0xff,0xff, 0xff,0xff, 0xff,0xff, 0xff,0xff, 0xff,0xff },
          "ffff:ffff:ffff:ffff:ffff:ffff:ffff:ffff" },
        { { 0,1, 0,0, 0,2, 0,0, 0,0, 0,3, 0,0, 0,0 },                     "1:0:2::3:0:0" },
        /* Not mapped: a non-zero byte in the first eight. */
        { { 0,0, 0,0, 0,0, 0,1, 0,0, 0xff,0xff, 1,2, 3,4 },               "::1:0:ffff:102:304" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt("%RTnaipv6", Row.ab), Row.pszExpect);

    EXPECT_EQ(fmt("%RTnaipv6", (void *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%RTnaipv6", (void *)(uintptr_t)0x10), "<" + natPtr("0000000000000010", "00000010") + "!BadIPv6>");
    EXPECT_EQ(fmt("%8RTnaipv6|", (void *)nullptr), "  <NULL>|");
}

TEST(FormatRt, MacAndNetAddr)
{
    static const uint8_t s_abMac[6] = { 0x00, 0x1b, 0x21, 0xaa, 0xbc, 0xff };
    EXPECT_EQ(fmt("%RTmac", s_abMac), "00:1b:21:aa:bc:ff");
    EXPECT_EQ(fmt("%RTmac", (void *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%RTmac", (void *)(~(uintptr_t)0 - 100)), "<" + natPtr("ffffffffffffff9b", "ffffff9b") + "!BadMac>");

    static const struct { RTNETADDR Addr; const char *pszExpect; } s_aRows[] =
    {
        { { { 192, 168, 1, 2 }, RTNETADDRTYPE_IPV4, 8080 },                         "192.168.1.2:8080" },
        { { { 192, 168, 1, 2 }, RTNETADDRTYPE_IPV4, RTNETADDR_PORT_NA },            "192.168.1.2" },
        { { { 192, 168, 1, 2 }, RTNETADDRTYPE_IPV4, 0 },                            "192.168.1.2:0" },
        { { { 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1 }, RTNETADDRTYPE_IPV6, RTNETADDR_PORT_NA }, "::1" },
        { { { 0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1 }, RTNETADDRTYPE_IPV6, 443 },         "[::1]:443" },
        { { { 0x00, 0x1b, 0x21, 0xaa, 0xbc, 0xff }, RTNETADDRTYPE_MAC, RTNETADDR_PORT_NA }, "00:1b:21:aa:bc:ff" },
        { { { 1, 2, 3, 4 }, 3, 80 },                                                "unsupported-netaddr-type=3" },
        { { { 1, 2, 3, 4 }, 0, RTNETADDR_PORT_NA },                                 "unsupported-netaddr-type=0" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt("%RTnaddr", &Row.Addr), Row.pszExpect);
    EXPECT_EQ(fmt("%RTnaddr", (void *)(uintptr_t)4095), "<" + natPtr("0000000000000fff", "00000fff") + "!BadNetAddr>");
}

TEST(FormatRt, Uuid)
{
    RTUUID Uuid;
    Uuid.Gen.u32TimeLow = 0x12345678;
    Uuid.Gen.u16TimeMid = 0x9abc;
    Uuid.Gen.u16TimeHiAndVersion = 0x4def;
    Uuid.Gen.u8ClockSeqHiAndReserved = 0x80;
    Uuid.Gen.u8ClockSeqLow = 0x01;
    static const uint8_t s_abNode[6] = { 0x02, 0x03, 0x04, 0x05, 0x06, 0xa7 };
    memcpy(Uuid.Gen.au8Node, s_abNode, 6);
    EXPECT_EQ(fmt("%RTuuid", &Uuid), "12345678-9abc-4def-8001-0203040506a7");
    EXPECT_EQ(fmt("%RTuuid", g_abZero), "00000000-0000-0000-0000-000000000000");
    EXPECT_EQ(fmt("%RTuuid", (void *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%RTuuid", (void *)(uintptr_t)8), "<" + natPtr("0000000000000008", "00000008") + "!BadUuid>");
    EXPECT_EQ(fmt("%-10RTuuid|", (void *)nullptr), "<NULL>    |");
}


/*
 * Error information, time specs, control registers, status codes.
 */

TEST(FormatRt, ErrInfo)
{
    char szMsg[] = "disk on fire";
    RTERRINFO Info = { RTERRINFO_MAGIC | RTERRINFO_FLAGS_SET, VERR_FILE_NOT_FOUND, sizeof(szMsg), szMsg };
    EXPECT_EQ(fmt("%RTeic", &Info), "The file or device was not found.: disk on fire");
    EXPECT_EQ(fmt("%#RTeic", &Info), "The file or device was not found. - disk on fire");
    EXPECT_EQ(fmt("%RTeim", &Info), ": disk on fire");
    EXPECT_EQ(fmt("%#RTeim", &Info), " - disk on fire");

    /* At most the buffer size of the message, terminated or not. */
    RTERRINFO Short = { RTERRINFO_MAGIC | RTERRINFO_FLAGS_SET | 0x30, VERR_FILE_NOT_FOUND, 4, szMsg };
    EXPECT_EQ(fmt("%RTeim", &Short), ": disk");

    /* No buffer: the status text only. */
    RTERRINFO NoMsg = { RTERRINFO_MAGIC | RTERRINFO_FLAGS_SET, 30000, 0, nullptr };
    EXPECT_EQ(fmt("%RTeic", &NoMsg), "Unknown Status 30000 (0x7530)");
    EXPECT_EQ(fmt("%RTeim|", &NoMsg), "|");

    /* A message pointer that must not be read is left out. */
    RTERRINFO BadMsg = { RTERRINFO_MAGIC | RTERRINFO_FLAGS_SET, VINF_SUCCESS, 10, (char *)(uintptr_t)16 };
    EXPECT_EQ(fmt("%RTeic", &BadMsg), "Success.");

    /* Records that are not initialised, or not readable, print nothing. */
    RTERRINFO NoMagic = { 0xbabe0000, VERR_FILE_NOT_FOUND, sizeof(szMsg), szMsg };
    RTERRINFO WrongMagic = { 0xbabf0004, VERR_FILE_NOT_FOUND, sizeof(szMsg), szMsg };
    EXPECT_EQ(fmt("[%RTeic]", &NoMagic), "[]");
    EXPECT_EQ(fmt("[%RTeic]", &WrongMagic), "[]");
    EXPECT_EQ(fmt("[%RTeic]", (void *)nullptr), "[]");
    EXPECT_EQ(fmt("[%RTeim]", (void *)(uintptr_t)32), "[]");
}

/* The records the runtime's operations fill (the loader's, say) print as the
 * format types read them: filled ones in full, fresh and cleared ones not. */
TEST(FormatRt, ErrInfoFromOperations)
{
    char szMsg[32];
    RTERRINFO Info;
    RTErrInfoInit(&Info, szMsg, sizeof(szMsg));
    EXPECT_EQ(fmt("[%RTeic]", &Info), "[]");
    EXPECT_EQ(RTErrInfoSetF(&Info, VERR_FILE_NOT_FOUND, "GetLastError=%u", 2u), VERR_FILE_NOT_FOUND);
    EXPECT_EQ(fmt("%RTeic", &Info), "The file or device was not found.: GetLastError=2");
    EXPECT_EQ(fmt("%RTeim", &Info), ": GetLastError=2");
    RTErrInfoClear(&Info);
    EXPECT_EQ(fmt("[%RTeic]", &Info), "[]");

    /* A text longer than the buffer is cut to it, terminated. */
    char szTiny[8];
    RTErrInfoInit(&Info, szTiny, sizeof(szTiny));
    RTErrInfoSet(&Info, VERR_NO_MEMORY, "Failed to allocate 64 bytes");
    EXPECT_EQ(fmt("%RTeim", &Info), ": Failed ");
}

TEST(FormatRt, TimeSpec)
{
    static const struct { int64_t i64; const char *pszExpect; } s_aRows[] =
    {
        { 1500000000,  "1 500 000 000 ns" },
        { 0,           "0 ns" },
        { 999,         "999 ns" },
        { -1234,       "-1 234 ns" },
        { INT64_MIN,   "-9 223 372 036 854 775 808 ns" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt("%RDtimespec", &Row.i64), Row.pszExpect);
    EXPECT_EQ(fmt("%RDtimespec", (void *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%RDtimespec", (void *)(uintptr_t)1), "<" + natPtr("0000000000000001", "00000001") + "!BadRD>");
}

TEST(FormatRt, ControlRegisters)
{
    static const struct { const char *pszFormat; uint64_t uValue; const char *pszExpect; } s_aRows[] =
    {
        { "%RAx86[cr0]",  UINT64_C(0x80000011),   "80000011{PE,ET,PG}" },
        { "%RAx86[cr0]",  UINT64_C(0x60000000),   "60000000{NW,CD}" },
        { "%RAx86[cr0]",  UINT64_C(0x80000100),   "80000100{PG,unkn=100}" },
        { "%RAx86[cr0]",  UINT64_C(0x40),         "00000040{unkn=40}" },
        { "%RAx86[cr0]",  UINT64_C(0x100000001),  "100000001{PE,unkn=100000000}" },
        { "%RAx86[cr4]",  0,                      "00000000" },
        { "%RAx86[cr4]",  UINT64_C(0x3424a0),     "003424a0{PAE,PGE,OSXMMEEXCPT,VMXE,OSXSAVE,SMEP,SMAP}" },
        { "%RAx86[cr4]",  UINT64_C(0x4000),       "00004000{SMXE}" },
        { "%RAx86[cr4]",  UINT64_C(0x200),        "00000200{OSFXSR}" },
        { "%#RAx86[cr4]", UINT64_C(0x1),          "0x000001{VME}" },
        { "%RAx86[cr0]|", UINT64_C(0x10),         "00000010{ET}|" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.uValue), Row.pszExpect) << Row.pszFormat;
    /* Another register takes no argument. */
    EXPECT_EQ(fmt("%RAx86[cr2]%d", 5), "5");
}

TEST(FormatRt, StatusCodes)
{
    static const struct { const char *pszFormat; int rc; const char *pszExpect; } s_aRows[] =
    {
        { "%Rrc", VERR_FILE_NOT_FOUND, "VERR_FILE_NOT_FOUND" },
        { "%Rrs", VERR_FILE_NOT_FOUND, "The file or device was not found." },
        { "%Rrf", VERR_FILE_NOT_FOUND, "The file or device was not found." },
        { "%Rra", VERR_FILE_NOT_FOUND, "VERR_FILE_NOT_FOUND (-102) - The file or device was not found." },
        { "%Rrc", VINF_SUCCESS,        "VINF_SUCCESS" },
        { "%Rra", VINF_SUCCESS,        "VINF_SUCCESS (0) - Success." },
        { "%Rrc", 30000,               "30000" },
        { "%Rrs", 30000,               "Unknown Status 30000 (0x7530)" },
        { "%Rra", -30000,              "Unknown Status -30000 (0xffff8ad0)" },
        { "%Rrc", 70000,               "70000" },
        /* Width and flags do not apply. */
        { "%30Rrc|", VERR_INVALID_PARAMETER, "VERR_INVALID_PARAMETER|" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.rc), Row.pszExpect) << Row.pszFormat << " " << Row.rc;

    static const struct { const char *pszFormat; uint32_t uCode; const char *pszExpect; } s_aWinRows[] =
    {
        { "%Rwc",  0,           "ERROR_SUCCESS" },
        { "%Rwf",  0,           "ERROR_SUCCESS" },
        { "%Rwa",  0,           "ERROR_SUCCESS (0x0)" },
        { "%Rwc",  5,           "0x5" },
        { "%Rwa",  5,           "Unknown Status 0x5" },
        { "%Rhrc", 0x80070000u, "ERROR_SUCCESS/0x80070000" },
        { "%Rhrf", 0x80004005u, "0x80004005" },
        { "%Rhra", 0x80070000u, "ERROR_SUCCESS (0x80070000)" },
        { "%Rhra", 0x80004005u, "Unknown Status 0x80004005" },
    };
    for (const auto &Row : s_aWinRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.uCode), Row.pszExpect) << Row.pszFormat << " " << Row.uCode;
}


/*
 * Escaped strings, names, big-endian UTF-16.
 */

TEST(FormatRt, EscapedStrings)
{
    static const struct { const char *pszFormat; const char *pszArg; const char *pszExpect; } s_aRows[] =
    {
        { "%RMas",    "a<\"b",          "\"a&lt;&quot;b\"" },
        { "%RMas",    "x>y&z\n\r'",     "\"x&gt;y&amp;z&#xA;&#xD;'\"" },
        { "%RMes",    "it'd",           "it&apos;d" },
        { "%RMes",    "<a href=\"x\">\n", "&lt;a href=&quot;x&quot;&gt;\n" },
        { "%RMjs",    "\t",             "\"\\t\"" },
        { "%RMjs",    "q\"b\\\b\f\n\r\x01\x1f", "\"q\\\"b\\\\\\b\\f\\n\\u000d\\u0001\\u001f\"" },
        { "%RMjs",    "caf\xc3\xa9\x7f", "\"caf\xc3\xa9\x7f\"" },
        { "%RMpa",    "a b+c/d~e.f_g-h", "a%20b%2Bc%2Fd~e.f_g-h" },
        { "%RMpq",    "a b+c/d",        "a%20b+c%2Fd" },
        { "%RMpf",    "a b&c",          "a+b%26c" },
        { "%RMpf",    "1+1",            "1%2B1" },
        { "%RMpp",    "/x y",           "/x%20y" },
        { "%RMpa",    "\xc3\xa9\xff",   "%C3%A9%FF" },
        { "%RMas",    "",               "\"\"" },
        { "%RMes",    "plain",          "plain" },
        /* Precision limits the source bytes. */
        { "%.3RMes",  "a<bcd",          "a&lt;b" },
        { "%.0RMjs",  "abc",            "\"\"" },
        /* Width counts source bytes; the quotes stay outside the fill. */
        { "%6RMas",   "a<",             "\"    a&lt;\"" },
        { "%-6RMas",  "a<",             "\"a&lt;    \"" },
        { "%5RMes",   "&",              "    &amp;" },
        { "%4RMpa",   "a b",            "%20a%20b" },
        { "%-5RMpf",  "a b",            "a+b%20%20" },
        { "%2RMjs",   "abc",            "\"abc\"" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.pszArg), Row.pszExpect) << Row.pszFormat << " " << Row.pszArg;

    /* Unreadable pointers become the text <NULL>, escaped like any other. */
    EXPECT_EQ(fmt("%RMes", (const char *)nullptr), "&lt;NULL&gt;");
    EXPECT_EQ(fmt("%RMjs", (const char *)(uintptr_t)100), "\"<NULL>\"");
    EXPECT_EQ(fmt("%RMpa", (const char *)nullptr), "%3CNULL%3E");

    /* An unterminated text is not read beyond its precision. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    const char *pchEdge = Page.Place("a&b", 3);
    EXPECT_EQ(fmt("%.3RMes", pchEdge), "a&amp;b");
}

TEST(FormatRt, EscapedRunsAreSingleCalls)
{
    /* Runs of plain bytes go out in one call each, escapes in their own. */
    std::vector<std::string> Pieces;
    auto pfnCollect = [](void *pvArg, const char *pach, size_t cch) -> size_t
    {
        if (pach)
            ((std::vector<std::string> *)pvArg)->emplace_back(pach, cch);
        return cch;
    };
    RTFmt(pfnCollect, &Pieces, nullptr, nullptr, "%RMes", "ab<cd&&e");
    EXPECT_EQ(Pieces, std::vector<std::string>({ "ab", "&lt;", "cd", "&amp;", "&amp;", "e" }));
}

TEST(FormatRt, BaseAndFunctionNames)
{
    static const struct { const char *pszFormat; const char *pszArg; const char *pszExpect; } s_aRows[] =
    {
        { "%Rbn", "C:\\dir\\file.txt", "file.txt" },
        { "%Rbn", "/usr/lib/libx.so",  "libx.so" },
        { "%Rbn", "a/b/",              "b/" },
        { "%Rbn", "a//b",              "b" },
        { "%Rbn", "C:file",            "file" },
        { "%Rbn", "///",               "///" },
        { "%Rbn", "name",              "name" },
        { "%Rbn", "",                  "" },
        { "%20Rbn", "a/b",             "b" },
        { "%Rfn", "int __cdecl rtR3InitBody(unsigned int,int,char ***,const char *)", "rtR3InitBody" },
        { "%Rfn", "void foo(void)",    "foo" },
        { "%Rfn", "main",              "main" },
        { "%Rfn", "static int  \tbar (int)", "bar " },
        { "%Rfn", "std::vector<int, alloc> make(int)", "make" },
        { "%Rfn", "RTCList<T, U>::append(T)", "RTCList<T, U>::append" },
        { "%Rfn", "int op ()",         "op " },
        { "%Rfn", "int foo  ",         "foo  " },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.pszArg), Row.pszExpect) << Row.pszFormat << " " << Row.pszArg;

    EXPECT_EQ(fmt("%Rbn", (const char *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%Rbn", (const char *)(uintptr_t)1), "<" + natPtr("0000000000000001", "00000001") + "!BadBaseName>");
    EXPECT_EQ(fmt("%Rfn", (const char *)(uintptr_t)2), "<" + natPtr("0000000000000002", "00000002") + "!BadFnNm>");
}

TEST(FormatRt, BigEndianUtf16)
{
    /* "Ab", U+00E9, U+20AC, U+1F600 (a pair), 0 */
    alignas(2) static const uint8_t s_abText[] = { 0, 'A', 0, 'b', 0x00, 0xe9, 0x20, 0xac, 0xd8, 0x3d, 0xde, 0x00, 0, 0, 0, 'x' };
    static const struct { const char *pszFormat; const char *pszExpect; } s_aRows[] =
    {
        { "%.2lRbs",     "Ab" },
        { "%.6lRbs",     "Ab\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" },
        { "%.100lRbs",   "Ab\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" },   /* stops at the 0 unit */
        { "%.0lRbs|",    "|" },
        { "%lRbs|",      "|" },                                        /* no precision, nothing */
        { "%5.2lRbs|",   "   Ab|" },                                   /* padded in units */
        { "%-5.2lRbs|",  "Ab   |" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, s_abText), Row.pszExpect) << Row.pszFormat;
    /* Without the size l nothing is printed and no argument is taken. */
    EXPECT_EQ(fmt("%Rbs%d", 42), "42");
    EXPECT_EQ(fmt("%.2Rbs%d", 42), "42");

    /* A lone low surrogate prints the writer's replacement byte. */
    alignas(2) static const uint8_t s_abBad[] = { 0xdc, 0x00, 0, 'z', 0, 0 };
    EXPECT_EQ(fmt("%.5lRbs", s_abBad), "\x7fz");

    /* A high surrogate in the last unit of the precision: the unit after it
     * lies beyond the readable page and must not be read. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    static const uint8_t s_abEdge[] = { 0, 'q', 0xd8, 0x3d };
    const char *pchEdge = Page.Place((const char *)s_abEdge, sizeof(s_abEdge));
    ASSERT_EQ((uintptr_t)pchEdge & 1, 0u);
    EXPECT_EQ(fmt("%.2lRbs", pchEdge), "q\x7f");

    EXPECT_EQ(fmt("%.10lRbs", (void *)nullptr), "<NULL>");
    EXPECT_EQ(fmt("%.3lRbs", (void *)(uintptr_t)64), "<NU");
    EXPECT_EQ(fmt("%8.10lRbs|", (void *)nullptr), "  <NULL>|");
}


/*
 * Hex dumps and sizes.
 */

TEST(FormatRt, HexDumpLines)
{
    uint8_t ab[40];
    memset(ab, 0, 32);
    memcpy(&ab[32], "ABCDEFG\x01", 8);

    /* Two lines of zeros (a single repeat prints) and a short third one. */
    std::string const strZeroLine = " 00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00 ................";
    EXPECT_EQ(fmt("%.*RhXD", 40, ab, UINT64_C(0x1000)),
              "00001000/0000:" + strZeroLine + "\n"
              "00001010/0010:" + strZeroLine + "\n"
              "00001020/0020: 41 42 43 44 45 46 47 01" + std::string(24, ' ') + " ABCDEFG.");
    /* The same with the data's own address, at the natural pointer width. */
    char szAddr[32];
    RTFmtBuf(szAddr, sizeof(szAddr), "%p", (void *)ab);
    EXPECT_EQ(fmt("%.16Rhxd", ab), std::string(szAddr) + "/0000:" + strZeroLine);
    EXPECT_EQ(strlen(szAddr), 2 * sizeof(void *));

    /* Width: bytes per line; columns 8, 16, ... start with a dash. */
    static const uint8_t s_abSeq[] = { 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x7e, 0x7f, 0x20 };
    EXPECT_EQ(fmt("%4.6RhXd", s_abSeq, UINT64_C(0)),
              "00000000/0000: 30 31 32 33 0123\n"
              "00000004/0004: 34 35" + std::string(2 * 3, ' ') + " 45");
    EXPECT_EQ(fmt("%10.13RhXd", s_abSeq, UINT64_C(0xfff0)),
              "0000fff0/0000: 30 31 32 33 34 35 36 37-38 39 0123456789\n"
              "0000fffa/000a: 7e 7f 20" + std::string(7 * 3, ' ') + " ~. ");
    /* 16 address digits when the addresses do not fit in 32 bits. */
    EXPECT_EQ(fmt("%.2RhXd", s_abSeq, UINT64_C(0x100000000)),
              "0000000100000000/0000: 30 31" + std::string(14 * 3, ' ') + " 01");
    EXPECT_EQ(fmt("%.2RhXd", s_abSeq, UINT64_C(0xffffffff)),
              "00000000ffffffff/0000: 30 31" + std::string(14 * 3, ' ') + " 01");
    EXPECT_EQ(fmt("%.1RhXd", s_abSeq, UINT64_C(0xffffffff)),
              "ffffffff/0000: 30" + std::string(15 * 3, ' ') + " 0");
    /* Offsets grow past four digits. */
    static uint8_t s_abBig[0x10010];
    std::string strBig;
    size_t const cchBig = RTFmt(appendOutput, &strBig, nullptr, nullptr, "%.*RhXd", (int)sizeof(s_abBig), s_abBig,
                                UINT64_C(0));
    EXPECT_EQ(cchBig, strBig.size());
    EXPECT_EQ(strBig.substr(strBig.rfind('\n'), 20), "\n00010000/10000: 00 ");
}

TEST(FormatRt, HexDumpRepeats)
{
    /* Six equal lines and a different last one: the first prints, the
     * other five are left out, the different one closes the run... */
    uint8_t ab[7 * 4];
    memset(ab, 0xaa, 6 * 4);
    memset(&ab[24], 0xbb, 4);
    std::string const strAA = " aa aa aa aa ....";
    EXPECT_EQ(fmt("%4.*RhXD", (int)sizeof(ab), ab, UINT64_C(0x100)),
              "00000100/0000:" + strAA + "\n"
              "******** ****  <ditto x 5>\n"
              "00000118/0018: bb bb bb bb ....");
    /* ...and d prints them all. */
    std::string const strAll = fmt("%4.*RhXd", (int)sizeof(ab), ab, UINT64_C(0x100));
    EXPECT_EQ(std::count(strAll.begin(), strAll.end(), '\n'), 6);

    /* Equal lines through to the end: the last line always prints. */
    uint8_t abZero[64] = {};
    EXPECT_EQ(fmt("%.*RhXD", 64, abZero, UINT64_C(0x10000000)),
              "10000000/0000: 00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00 ................\n"
              "******** ****  <ditto x 2>\n"
              "10000030/0030: 00 00 00 00 00 00 00 00-00 00 00 00 00 00 00 00 ................");
    /* The stars follow the address width. */
    EXPECT_EQ(fmt("%.*RhXD", 64, abZero, UINT64_C(0x100000000)).find("\n**************** ****  <ditto x 2>\n")
              != std::string::npos, true);
    /* A run broken by a different line is closed before it. */
    uint8_t abMix[8 * 2];
    memset(abMix, 1, sizeof(abMix));
    abMix[8] = 2;   /* lines: 1 1 1 1 2 1 1 1 (two bytes each) */
    EXPECT_EQ(fmt("%2.*RhXD", (int)sizeof(abMix), abMix, UINT64_C(0)),
              "00000000/0000: 01 01 ..\n"
              "******** ****  <ditto x 3>\n"
              "00000008/0008: 02 01 ..\n"
              "0000000a/000a: 01 01 ..\n"
              "0000000c/000c: 01 01 ..\n"
              "0000000e/000e: 01 01 ..");
}

TEST(FormatRt, HexStringsAndOddCases)
{
    static const uint8_t s_ab[] = { 0x01, 0xab, 0x7f, 0x00 };
    static const struct { const char *pszFormat; const char *pszExpect; } s_aRows[] =
    {
        { "%.4Rhxs",   "01 ab 7f 00" },
        { "%#.4Rhxs",  "01ab7f00" },
        { "%'.4Rhxs",  "01:ab:7f:00" },
        { "%#'.4Rhxs", "01ab7f00" },
        { "%.1Rhxs",   "01" },
        { "%.0Rhxs|",  "|" },
        { "%.0Rhxd|",  "|" },
        { "%30.2Rhxs", "01 ab" },                   /* width is not used */
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, s_ab), Row.pszExpect) << Row.pszFormat;
    EXPECT_EQ(fmt("%.3RhXs", s_ab, UINT64_C(0x7c00)), "00007c00: 01 ab 7f");
    EXPECT_EQ(fmt("%'.2RhXs", s_ab, UINT64_C(0x123456789)), "0000000123456789: 01:ab");

    /* A null pointer prints <null> whatever the form; the letter goes. */
    EXPECT_EQ(fmt("%.*RhxD|", 40, (void *)nullptr), "<null>|");
    EXPECT_EQ(fmt("%Rhxs|", (void *)nullptr), "<null>|");
    EXPECT_EQ(fmt("%RhXd|", (void *)nullptr, UINT64_C(5)), "<null>|");
    /* Other letters print nothing, even for a null pointer. */
    EXPECT_EQ(fmt("%Rhxq|", (void *)nullptr), "|");
    /* Other unreadable pointers print a marker instead of faulting. */
    EXPECT_EQ(fmt("%.4Rhxd", (void *)(uintptr_t)0x20),
              "<" + natPtr("0000000000000020", "00000020") + "!BadHexDump>");
    EXPECT_EQ(fmt("%.4Rhxs", (void *)(~(uintptr_t)0 - 15)),
              "<" + natPtr("fffffffffffffff0", "fffffff0") + "!BadHexDump>");
    /* A count that would run into the top guard zone is refused as well. */
    EXPECT_EQ(fmt("%.*Rhxs", 0x2000, (void *)(~(uintptr_t)0 - 0x1fff)),
              "<" + natPtr("ffffffffffffe000", "ffffe000") + "!BadHexDump>");
    /* Without a precision 16 bytes are dumped. */
    uint8_t ab16[16] = { 1 };
    EXPECT_EQ(fmt("%Rhxs", ab16), "01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
}

TEST(FormatRt, Sizes)
{
    static const struct { const char *pszFormat; uint64_t cb; const char *pszExpect; } s_aRows[] =
    {
        { "%Rhcb",     1536,                         "1.5KiB" },
        { "%Rhcb",     1023,                         "1023B" },
        { "%Rhcb",     0,                            "0B" },
        { "%.0Rhcb",   1024,                         "1024B" },
        { "%.0Rhcb",   2047,                         "2047B" },
        { "%.0Rhcb",   2048,                         "2KiB" },
        { "%.0Rhcb",   UINT64_C(3) << 29,            "1536MiB" },   /* 1.5 GiB is not 2 GiB */
        { "%Rhcb",     1024,                         "1.0KiB" },
        { "%.2Rhcb",   1536 + 256,                   "1.75KiB" },
        { "%.3Rhcb",   1023 * 1024 + 1023,           "1023.999KiB" },   /* truncated */
        { "%.9Rhcb",   1536,                         "1.500KiB" },      /* at most three digits */
        { "%Rhub",     1048576,                      "1.0Mi" },
        { "%Rhub",     1536,                         "1.5Ki" },
        { "%RhcB",     1536,                         "1.5KB" },
        { "%RhuB",     UINT64_C(5) << 30,            "5.0G" },
        { "%Rhcb",     UINT64_MAX,                   "15.9EiB" },
        { "%.3Rhcb",   UINT64_MAX,                   "15.999EiB" },
        { "%.3Rhcb",   (UINT64_C(1) << 60) + (UINT64_C(1) << 59), "1.500EiB" },
        { "%.3Rhub",   (UINT64_C(1) << 50) * 3 / 2,  "1.500Pi" },
        { "%Rhci",     1500,                         "1.5kB" },
        { "%Rhci",     999,                          "999B" },
        { "%Rhci",     1000,                         "1.0kB" },
        { "%.0Rhci",   1009,                         "1009B" },    /* below 1.01 k */
        { "%.0Rhci",   1010,                         "1kB" },
        { "%.2Rhci",   1005,                         "1.01kB" },   /* rounded */
        { "%.1Rhci",   1960,                         "2.0kB" },    /* rounding carries */
        { "%.1Rhui",   1999999,                      "2.0M" },
        { "%.3Rhci",   UINT64_C(1999999999999999999), "2.000EB" },
        { "%.3Rhci",   UINT64_C(18446744073709551615), "18.447EB" },
        { "%.2Rhui",   UINT64_C(1234567890123),      "1.23T" },
        { "% Rhcb",    1536,                         "1.5 KiB" },
        { "% Rhcb",    10,                           "10 B" },
        { "% Rhub",    10,                           "10 " },
        { "%8Rhcb",    1536,                         "  1.5KiB" },
        { "%08Rhcb",   1536,                         "001.5KiB" },
        { "%-8Rhcb|",  1536,                         "1.5KiB|" },  /* no fill at all */
        { "%3Rhcb",    1536,                         "1.5KiB" },
    };
    for (const auto &Row : s_aRows)
        EXPECT_EQ(fmt(Row.pszFormat, Row.cb), Row.pszExpect) << Row.pszFormat << " " << Row.cb;
}

TEST(FormatRt, LauncherFormats)
{
    /* The forms the launcher's messages use. */
    EXPECT_EQ(fmt("Wrote %'RU64 bytes", UINT64_C(110100480)), "Wrote 110 100 480 bytes");
    EXPECT_EQ(fmt("%'RU32 of %'RU32", 1000u, 1000000u), "1 000 of 1 000 000");
    EXPECT_EQ(fmt("code %#RX32", 0x80070005u), "code 0x80070005");
    EXPECT_EQ(fmt("%#RX64", UINT64_C(0xfffff80000000000)), "0xfffff80000000000");
    EXPECT_EQ(fmt("[%08RX32]", 0x3010u), "[00003010]");
    EXPECT_EQ(fmt("%RTbool/%Rrc", 1, VERR_FILE_NOT_FOUND), "true/VERR_FILE_NOT_FOUND");
}

TEST(FormatRt, ArgumentsStayInStep)
{
    /* A mix of types in one format: each takes exactly its own arguments. */
    static const uint8_t s_abV6[16] = { 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,0, 0,1 };
    int64_t const i64Ns = 42;
    EXPECT_EQ(fmt("%RU8|%RI16|%RX64|%RTfp64|%RTnaipv6|%RDtimespec|%R[x]|%Rhcb|%RAx86[cr0]|%Rrc|%s",
                  0x1ff, -2, UINT64_C(0xabc), UINT64_C(1), 2u, s_abV6, &i64Ns, (void *)nullptr, UINT64_C(2048),
                  UINT64_C(1), VERR_INVALID_PARAMETER, "end"),
              "255|-2|abc|0002:0000000000000001|::1|42 ns|<missing:%R[x]>|2.0KiB|00000001{PE}|"
              "VERR_INVALID_PARAMETER|end");
}
