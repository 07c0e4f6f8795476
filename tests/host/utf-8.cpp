/*
 * Tests of the UTF-8 module: decoding under both acceptance rules, every
 * validator on the same malformed input, limits that cut sequences, the Ex
 * conversion contract, the code point writer and stepping back.
 */
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include "guarded-page.h"
#include "text-test-util.h"

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

/* A copy in a block of exactly its size, so that AddressSanitizer reports a
 * read on either side of it. */
class HeapCopy
{
public:
    HeapCopy(const void *pv, size_t cb) : m_pb((char *)malloc(cb ? cb : 1))
    {
        if (cb)
            memcpy(m_pb, pv, cb);
    }
    explicit HeapCopy(const char *psz) : HeapCopy(psz, strlen(psz) + 1) {}
    ~HeapCopy() { free(m_pb); }
    HeapCopy(const HeapCopy &) = delete;
    HeapCopy &operator=(const HeapCopy &) = delete;
    const char *str() const { return m_pb; }
private:
    char *m_pb;
};

std::string Hex(const char *pch, size_t cb)
{
    static const char s_szDigits[] = "0123456789abcdef";
    std::string str;
    for (size_t i = 0; i < cb; i++)
    {
        if (i)
            str += ' ';
        str += s_szDigits[(uint8_t)pch[i] >> 4];
        str += s_szDigits[(uint8_t)pch[i] & 15];
    }
    return str;
}

/** One sequence (or one malformed piece) and what each rule makes of it. */
struct DecodeRow
{
    const char *pszBytes;
    int         rcRead;   /* readers and code point counting */
    RTUNICP     uCp;      /* the value when rcRead is a success */
    int         rcUtf16;  /* UTF-16 length and conversion */
};

constexpr int kOk   = VINF_SUCCESS;
constexpr int kBad  = VERR_INVALID_UTF8_ENCODING;
constexpr int kSurr = VERR_CODE_POINT_SURROGATE;
constexpr int kNonC = VERR_CODE_POINT_NONCHARACTER;
constexpr int kOor  = VERR_CODE_POINT_OUT_OF_RANGE;

const DecodeRow g_aDecodeRows[] =
{
    /* The smallest and largest value of every length. */
    { "A",                        kOk, 0x41,       kOk },
    { "\x7f",                     kOk, 0x7f,       kOk },
    { "\xc2\x80",                 kOk, 0x80,       kOk },
    { "\xc3\xa9",                 kOk, 0xe9,       kOk },
    { "\xdf\xbf",                 kOk, 0x7ff,      kOk },
    { "\xe0\xa0\x80",             kOk, 0x800,      kOk },
    { "\xed\x9f\xbf",             kOk, 0xd7ff,     kOk },
    { "\xee\x80\x80",             kOk, 0xe000,     kOk },
    /* Only U+FFFE and U+FFFF are refused among the noncharacters. */
    { "\xef\xb7\x90",             kOk, 0xfdd0,     kOk },
    { "\xef\xbf\xbd",             kOk, 0xfffd,     kOk },
    { "\xf0\x90\x80\x80",         kOk, 0x10000,    kOk },
    { "\xf0\x9f\x98\x80",         kOk, 0x1f600,    kOk },
    { "\xf0\x9f\xbf\xbf",         kOk, 0x1ffff,    kOk },
    { "\xf4\x8f\xbf\xbf",         kOk, 0x10ffff,   kOk },
    /* Beyond U+10FFFF: the readers accept, UTF-16 cannot. */
    { "\xf4\x90\x80\x80",         kOk, 0x110000,   kOor },
    { "\xf7\xbf\xbf\xbf",         kOk, 0x1fffff,   kOor },
    { "\xf8\x88\x80\x80\x80",     kOk, 0x200000,   kOor },
    { "\xfb\xbf\xbf\xbf\xbf",     kOk, 0x3ffffff,  kOor },
    { "\xfc\x84\x80\x80\x80\x80", kOk, 0x4000000,  kOor },
    { "\xfd\xbf\xbf\xbf\xbf\xbf", kOk, 0x7fffffff, kOor },
    /* Surrogates and the two refused noncharacters. */
    { "\xed\xa0\x80",             kSurr, 0, kSurr },
    { "\xed\xbf\xbf",             kSurr, 0, kSurr },
    { "\xef\xbf\xbe",             kNonC, 0, kNonC },
    { "\xef\xbf\xbf",             kNonC, 0, kNonC },
    /* Overlong forms, including a surrogate and a noncharacter in disguise. */
    { "\xc0\x80",                 kBad, 0, kBad },
    { "\xc1\xbf",                 kBad, 0, kBad },
    { "\xe0\x80\x80",             kBad, 0, kBad },
    { "\xe0\x9f\xbf",             kBad, 0, kBad },
    { "\xf0\x8f\xbf\xbf",         kBad, 0, kBad },
    { "\xf0\x8d\xa0\x80",         kBad, 0, kBad },
    { "\xf8\x87\xbf\xbf\xbf",     kBad, 0, kBad },
    { "\xfc\x83\xbf\xbf\xbf\xbf", kBad, 0, kBad },
    /* Bytes that cannot lead. */
    { "\x80",                     kBad, 0, kBad },
    { "\xbf\x41",                 kBad, 0, kBad },
    { "\xfe",                     kBad, 0, kBad },
    { "\xff\x80\x80\x80",         kBad, 0, kBad },
    /* Missing continuation bytes, cut by the terminator or by other bytes. */
    { "\xc3",                     kBad, 0, kBad },
    { "\xe2\x82",                 kBad, 0, kBad },
    { "\xf0\x9f\x98",             kBad, 0, kBad },
    { "\xfd\xbf\xbf\xbf\xbf",     kBad, 0, kBad },
    { "\xc3\x41",                 kBad, 0, kBad },
    { "\xe2\x28\xa1",             kBad, 0, kBad },
    { "\xf0\x9f\x98\xc3\xa9",     kBad, 0, kBad },
};

/* Everything the validators and converters report for one text. */
void CheckAllValidators(const char *pch, size_t cchLimit, const DecodeRow &Row)
{
    bool const fRead   = RT_SUCCESS(Row.rcRead);
    bool const fUtf16  = RT_SUCCESS(Row.rcUtf16);
    size_t const cb    = strlen(Row.pszBytes);
    size_t const cwc   = Row.uCp >= 0x10000 ? 2 : 1;

    const char *pszCur = pch;
    RTUNICP uCp = 0x5a5a;
    size_t cchLeft = cchLimit;
    EXPECT_EQ(RTStrReadCpN(&pszCur, &cchLeft, &uCp), Row.rcRead);
    EXPECT_EQ(uCp, fRead ? Row.uCp : RTCP_INVALID);
    EXPECT_EQ((size_t)(pszCur - pch), fRead ? cb : 1u);
    EXPECT_EQ(cchLeft, cchLimit - (fRead ? cb : 1u));

    EXPECT_EQ(RTStrCheckUtf8(pch, cchLimit, 0), Row.rcRead);

    RTUNICP *paCps = nullptr;
    size_t cCps = 77;
    EXPECT_EQ(RTStrToCodePoints(pch, cchLimit, &paCps, 0, &cCps), Row.rcRead);
    if (fRead)
    {
        ASSERT_NE(paCps, nullptr);
        EXPECT_EQ(cCps, 1u);
        EXPECT_EQ(paCps[0], Row.uCp);
        EXPECT_EQ(paCps[1], 0u);
        RTMemFree(paCps);
    }
    else
    {
        EXPECT_EQ(paCps, nullptr);
        EXPECT_EQ(cCps, 77u);
    }

    size_t cwcCount = 77;
    EXPECT_EQ(RTStrCountUtf16UnitsEx(pch, cchLimit, &cwcCount), Row.rcUtf16);
    EXPECT_EQ(cwcCount, fUtf16 ? cwc : ~(size_t)0);

    PRTUTF16 pwsz = nullptr;
    size_t cwcOut = 77;
    EXPECT_EQ(RTStrToUtf16Ex(pch, cchLimit, &pwsz, 0, &cwcOut), Row.rcUtf16);
    if (fUtf16)
    {
        ASSERT_NE(pwsz, nullptr);
        EXPECT_EQ(cwcOut, cwc);
        /* The UTF-16 reader must give the same code point back. */
        PCRTUTF16 pwszCur = pwsz;
        RTUNICP uCpBack = 0;
        EXPECT_EQ(RTUtf16ReadCp(&pwszCur, &uCpBack), VINF_SUCCESS);
        EXPECT_EQ(uCpBack, Row.uCp);
        EXPECT_EQ((size_t)(pwszCur - pwsz), cwc);
        EXPECT_EQ(*pwszCur, 0);
        RTMemFree(pwsz);
    }
    else
    {
        EXPECT_EQ(pwsz, nullptr);
        EXPECT_EQ(cwcOut, 77u);
    }
}

TEST(Utf8, EveryValidatorOnTerminatedText)
{
    for (const DecodeRow &Row : g_aDecodeRows)
    {
        size_t const cb = strlen(Row.pszBytes);
        SCOPED_TRACE(Hex(Row.pszBytes, cb));
        HeapCopy Text(Row.pszBytes);
        const char *psz = Text.str();
        bool const fRead = RT_SUCCESS(Row.rcRead);
        bool const fUtf16 = RT_SUCCESS(Row.rcUtf16);

        const char *pszCur = psz;
        RTUNICP uCp = 0x5a5a;
        EXPECT_EQ(RTStrReadCp(&pszCur, &uCp), Row.rcRead);
        EXPECT_EQ(uCp, fRead ? Row.uCp : RTCP_INVALID);
        EXPECT_EQ((size_t)(pszCur - psz), fRead ? cb : 1u);

        EXPECT_EQ(RTStrCountCodePoints(psz), fRead ? 1u : 0u);
        size_t cwc = 77;
        EXPECT_EQ(RTStrCountUtf16Units(psz, &cwc), Row.rcUtf16);
        EXPECT_EQ(cwc, fUtf16 ? (Row.uCp >= 0x10000 ? 2u : 1u) : 77u);

        PRTUTF16 pwsz = (PRTUTF16)&cwc;
        EXPECT_EQ(RTStrToUtf16(psz, &pwsz), Row.rcUtf16);
        EXPECT_EQ(pwsz != nullptr, fUtf16);
        RTMemFree(pwsz);

        CheckAllValidators(psz, RTSTR_MAX, Row);
    }
}

TEST(Utf8, LimitActsAsTerminatorWithoutReadingBeyond)
{
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const DecodeRow &Row : g_aDecodeRows)
    {
        size_t const cb = strlen(Row.pszBytes);
        SCOPED_TRACE(Hex(Row.pszBytes, cb));
        /* The bytes end at the last readable byte; there is no terminator. */
        CheckAllValidators(Page.Place(Row.pszBytes, cb), cb, Row);

        /* Every cut of a valid multi-byte sequence is malformed for all. */
        if (RT_SUCCESS(Row.rcRead))
            for (size_t cbCut = 1; cbCut < cb; cbCut++)
            {
                SCOPED_TRACE(testing::Message() << "cut after " << cbCut);
                DecodeRow const Cut = { "?", kBad, 0, kBad };
                CheckAllValidators(Page.Place(Row.pszBytes, cbCut), cbCut, Cut);
            }
    }
}

TEST(Utf8, MalformedPieceInsideText)
{
    /* The status of the piece comes through whatever surrounds it. */
    for (const DecodeRow &Row : g_aDecodeRows)
    {
        std::string const strText = std::string("ab") + Row.pszBytes + "cd";
        SCOPED_TRACE(Hex(strText.c_str(), strText.size()));
        HeapCopy Text(strText.c_str());
        EXPECT_EQ(RTStrCheckUtf8(Text.str(), RTSTR_MAX, 0), Row.rcRead);
        size_t cwc = 0;
        EXPECT_EQ(RTStrCountUtf16Units(Text.str(), &cwc), Row.rcUtf16);
        EXPECT_EQ(RTStrCountCodePoints(Text.str()), RT_SUCCESS(Row.rcRead) ? 5u : 0u);
        if (RT_SUCCESS(Row.rcUtf16))
            EXPECT_EQ(cwc, Row.uCp >= 0x10000 ? 6u : 5u);
    }
}

TEST(Utf8, ReadersResynchroniseAfterOneByte)
{
    struct Step { int rc; RTUNICP uCp; };
    static const struct
    {
        const char *psz;
        std::vector<Step> aSteps;   /* up to and including the terminator */
    } s_aRows[] =
    {
        { "\x80\x41",              { { kBad, RTCP_INVALID }, { kOk, 0x41 }, { kOk, 0 } } },
        { "a\xe2\x82\xac" "b",     { { kOk, 'a' }, { kOk, 0x20ac }, { kOk, 'b' }, { kOk, 0 } } },
        { "\xe2\x82(",             { { kBad, RTCP_INVALID }, { kBad, RTCP_INVALID }, { kOk, '(' }, { kOk, 0 } } },
        { "\xed\xa0\x80x",         { { kSurr, RTCP_INVALID }, { kBad, RTCP_INVALID }, { kBad, RTCP_INVALID },
                                     { kOk, 'x' }, { kOk, 0 } } },
        { "\xf0\x9f\x98\x80\xc3",  { { kOk, 0x1f600 }, { kBad, RTCP_INVALID }, { kOk, 0 } } },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Hex(Row.psz, strlen(Row.psz)));
        HeapCopy Text(Row.psz);
        const char *psz = Text.str();
        for (size_t i = 0; i < Row.aSteps.size(); i++)
        {
            RTUNICP uCp = 0;
            EXPECT_EQ(RTStrReadCp(&psz, &uCp), Row.aSteps[i].rc) << "step " << i;
            EXPECT_EQ(uCp, Row.aSteps[i].uCp) << "step " << i;
        }
        EXPECT_EQ(psz, Text.str() + strlen(Row.psz) + 1);
    }
}

TEST(Utf8, ReaderWithBudget)
{
    /* An empty budget reads nothing. */
    const char *psz = "abc";
    size_t cch = 0;
    RTUNICP uCp = 0;
    EXPECT_EQ(RTStrReadCpN(&psz, &cch, &uCp), VERR_END_OF_STRING);
    EXPECT_EQ(uCp, RTCP_INVALID);
    EXPECT_STREQ(psz, "abc");
    EXPECT_EQ(cch, 0u);

    /* A budget walk over a text with a sequence cut by the budget. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    static const char s_achText[] = "a\xc3\xa9\xe2\x82"; /* a, é, then 2 of 3 bytes of € */
    const char *pch = Page.Place(s_achText, 5);
    cch = 5;
    EXPECT_EQ(RTStrReadCpN(&pch, &cch, &uCp), VINF_SUCCESS);
    EXPECT_EQ(uCp, 'a');
    EXPECT_EQ(RTStrReadCpN(&pch, &cch, &uCp), VINF_SUCCESS);
    EXPECT_EQ(uCp, 0xe9u);
    EXPECT_EQ(cch, 2u);
    EXPECT_EQ(RTStrReadCpN(&pch, &cch, &uCp), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(cch, 1u);
    EXPECT_EQ(RTStrReadCpN(&pch, &cch, &uCp), VERR_INVALID_UTF8_ENCODING); /* lone continuation */
    EXPECT_EQ(cch, 0u);
    EXPECT_EQ(RTStrReadCpN(&pch, &cch, &uCp), VERR_END_OF_STRING);
}

TEST(Utf8, CheckFlagsAndLimits)
{
    static const struct
    {
        const char *psz;
        size_t      cchLimit;
        uint32_t    fFlags;
        int         rc;
    } s_aRows[] =
    {
        { "abc", 4, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VINF_SUCCESS },
        { "abc", 5, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VERR_BUFFER_UNDERFLOW },
        { "abc", 3, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VERR_BUFFER_OVERFLOW },
        { "abc", RTSTR_MAX, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VERR_BUFFER_UNDERFLOW },
        /* Exact without a terminator: the limit must equal the bytes validated. */
        { "abc", 3, RTSTRCHECK_F_EXACT, VINF_SUCCESS },
        { "abc", 2, RTSTRCHECK_F_EXACT, VINF_SUCCESS },
        { "abc", 4, RTSTRCHECK_F_EXACT, VERR_BUFFER_UNDERFLOW },
        { "",    0, RTSTRCHECK_F_EXACT, VINF_SUCCESS },
        { "",    0, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VERR_BUFFER_OVERFLOW },
        /* Terminated: a NUL must come within the limit. */
        { "abc", 3, RTSTRCHECK_F_TERMINATED, VERR_BUFFER_OVERFLOW },
        { "abc", 4, RTSTRCHECK_F_TERMINATED, VINF_SUCCESS },
        { "abc", 9, RTSTRCHECK_F_TERMINATED, VINF_SUCCESS },
        { "abc", RTSTR_MAX, RTSTRCHECK_F_TERMINATED, VINF_SUCCESS },
        { "",    0, RTSTRCHECK_F_TERMINATED, VERR_BUFFER_OVERFLOW },
        /* No flags: only the encoding counts. */
        { "abc", 2, 0, VINF_SUCCESS },
        { "",    0, 0, VINF_SUCCESS },
        /* A limit inside a sequence cuts it. */
        { "\xc3\xa9", 1, 0, VERR_INVALID_UTF8_ENCODING },
        { "\xc3\xa9", 2, RTSTRCHECK_F_EXACT, VINF_SUCCESS },
        /* Encoding errors come before the size checks. */
        { "ab\xc0\x80", 5, RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT, VERR_INVALID_UTF8_ENCODING },
        { "\xed\xa0\x80", 1, RTSTRCHECK_F_EXACT, VERR_INVALID_UTF8_ENCODING },
        /* Undefined flags. */
        { "abc", 4, 4, VERR_INVALID_PARAMETER },
        { "abc", 4, 0x80000000u, VERR_INVALID_PARAMETER },
        { "\xff", 4, 7, VERR_INVALID_PARAMETER },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Hex(Row.psz, strlen(Row.psz)) << " limit " << Row.cchLimit
                                        << " flags " << Row.fFlags);
        HeapCopy Text(Row.psz);
        EXPECT_EQ(RTStrCheckUtf8(Text.str(), Row.cchLimit, Row.fFlags), Row.rc);
    }
}

TEST(Utf8, CountsOfLongerTexts)
{
    static const struct
    {
        const char *psz;
        size_t      cCps;
        int         rcUtf16;
        size_t      cwc;
    } s_aRows[] =
    {
        { "",                                          0, kOk, 0 },
        { "plain ASCII",                               11, kOk, 11 },
        { "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80",     4, kOk, 5 },
        { "\xf0\x9f\x98\x80\xf0\x9f\x98\x80",          2, kOk, 4 },
        { "x\xf4\x90\x80\x80y",                        3, kOor, 0 },
        { "x\xfd\xbf\xbf\xbf\xbf\xbfy",                3, kOor, 0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Hex(Row.psz, strlen(Row.psz)));
        HeapCopy Text(Row.psz);
        EXPECT_EQ(RTStrCountCodePoints(Text.str()), Row.cCps);
        size_t cwc = 77;
        EXPECT_EQ(RTStrCountUtf16Units(Text.str(), &cwc), Row.rcUtf16);
        EXPECT_EQ(cwc, RT_SUCCESS(Row.rcUtf16) ? Row.cwc : 77u);
        EXPECT_EQ(RTStrCountUtf16UnitsEx(Text.str(), RTSTR_MAX, nullptr), Row.rcUtf16);
    }

    /* Limits on sequence boundaries count what lies before them. */
    const char *psz = "a\xc3\xa9\xf0\x9f\x98\x80z";
    size_t cwc = 0;
    EXPECT_EQ(RTStrCountUtf16UnitsEx(psz, 3, &cwc), VINF_SUCCESS);
    EXPECT_EQ(cwc, 2u);
    EXPECT_EQ(RTStrCountUtf16UnitsEx(psz, 7, &cwc), VINF_SUCCESS);
    EXPECT_EQ(cwc, 4u);
    EXPECT_EQ(RTStrCountUtf16UnitsEx(psz, 6, &cwc), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(cwc, ~(size_t)0);
    EXPECT_EQ(RTStrCountUtf16UnitsEx(psz, 0, &cwc), VINF_SUCCESS);
    EXPECT_EQ(cwc, 0u);
}

TEST(Utf8, ToUtf16Texts)
{
    static const struct
    {
        const char            *psz;
        std::vector<uint16_t>  aUnits;
    } s_aRows[] =
    {
        { "",                                      { } },
        { "Kelb",                                  { 'K', 'e', 'l', 'b' } },
        { "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", { 0x61, 0xe9, 0x20ac, 0xd83d, 0xde00 } },
        { "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf",      { 0xd800, 0xdc00, 0xdbff, 0xdfff } },
        { "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd",  { 0xd7ff, 0xe000, 0xfffd } },
        { "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80",      { 0x7f, 0x80, 0x7ff, 0x800 } },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Hex(Row.psz, strlen(Row.psz)));
        HeapCopy Text(Row.psz);
        PRTUTF16 pwsz = nullptr;
        ASSERT_EQ(RTStrToUtf16(Text.str(), &pwsz), VINF_SUCCESS);
        ASSERT_NE(pwsz, nullptr);
        /* Exactly (units + 1) * 2 bytes: the size was known before allocating. */
        EXPECT_TRUE(HeapBlockSizeIs(pwsz, (Row.aUnits.size() + 1) * sizeof(RTUTF16)));
        for (size_t i = 0; i < Row.aUnits.size(); i++)
            EXPECT_EQ((uint16_t)pwsz[i], Row.aUnits[i]) << "unit " << i;
        EXPECT_EQ(pwsz[Row.aUnits.size()], 0);
        RTMemFree(pwsz);
    }
}

TEST(Utf8, ToUtf16NonAsciiAtEveryOffset)
{
    /* Long ASCII goes a block at a time: a multi-byte sequence at every
     * offset of a run, converted into an exactly sized caller block, must
     * land where it belongs and nothing may be written beyond the block. */
    static const struct
    {
        const char            *pszSeq;
        std::vector<uint16_t>  aUnits;
    } s_aSeqs[] =
    {
        { "\xc3\xa9",         { 0xe9 } },
        { "\xe2\x82\xac",     { 0x20ac } },
        { "\xf0\x9f\x98\x80", { 0xd83d, 0xde00 } },
    };
    for (const auto &Seq : s_aSeqs)
        for (size_t cchBefore = 0; cchBefore <= 24; cchBefore++)
            for (size_t cchAfter : { 0, 1, 7, 8, 9, 17 })
            {
                SCOPED_TRACE(testing::Message() << Hex(Seq.pszSeq, strlen(Seq.pszSeq)) << " with " << cchBefore
                                                << " bytes before, " << cchAfter << " after");
                std::string strText(cchBefore, 'a');
                strText += Seq.pszSeq;
                strText.append(cchAfter, 'z');
                std::vector<uint16_t> aExpect(cchBefore, 'a');
                aExpect.insert(aExpect.end(), Seq.aUnits.begin(), Seq.aUnits.end());
                aExpect.insert(aExpect.end(), cchAfter, 'z');

                size_t const cwcBuf = aExpect.size() + 1;
                PRTUTF16 pwszBuf = (PRTUTF16)malloc(cwcBuf * sizeof(RTUTF16));
                ASSERT_NE(pwszBuf, nullptr);
                PRTUTF16 pwsz = pwszBuf;
                size_t cwc = 0;
                HeapCopy Text(strText.c_str());
                ASSERT_EQ(RTStrToUtf16Ex(Text.str(), RTSTR_MAX, &pwsz, cwcBuf, &cwc), VINF_SUCCESS);
                EXPECT_EQ(cwc, aExpect.size());
                bool fSame = true;
                for (size_t i = 0; i < aExpect.size(); i++)
                    fSame = fSame && (uint16_t)pwszBuf[i] == aExpect[i];
                EXPECT_TRUE(fSame);
                EXPECT_EQ(pwszBuf[aExpect.size()], 0);
                free(pwszBuf);

                /* The same limited to the bytes before the sequence. */
                pwsz = nullptr;
                ASSERT_EQ(RTStrToUtf16Ex(Text.str(), cchBefore, &pwsz, 0, &cwc), VINF_SUCCESS);
                EXPECT_EQ(cwc, cchBefore);
                EXPECT_EQ(RTUtf16Length(pwsz), cchBefore);
                RTMemFree(pwsz);
            }
}

TEST(Utf8, ToUtf16ExCallerBuffer)
{
    static const char s_szText[] = "\xf0\x9f\x98\x80!"; /* D83D DE00 '!' */
    RTUTF16 awc[8];
    PRTUTF16 pwsz;
    size_t cwc;

    /* Exactly the length: no room for the terminator, nothing written. */
    for (RTUTF16 &wc : awc)
        wc = 0x5a5a;
    pwsz = awc;
    cwc = 77;
    EXPECT_EQ(RTStrToUtf16Ex(s_szText, RTSTR_MAX, &pwsz, 3, &cwc), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(pwsz, awc);
    EXPECT_EQ(cwc, 3u);
    for (RTUTF16 wc : awc)
        EXPECT_EQ(wc, 0x5a5a);

    /* One more unit fits, and nothing beyond it is touched. */
    EXPECT_EQ(RTStrToUtf16Ex(s_szText, RTSTR_MAX, &pwsz, 4, &cwc), VINF_SUCCESS);
    EXPECT_EQ(pwsz, awc);
    EXPECT_EQ(cwc, 3u);
    EXPECT_EQ(awc[0], 0xd83d);
    EXPECT_EQ(awc[1], 0xde00);
    EXPECT_EQ(awc[2], '!');
    EXPECT_EQ(awc[3], 0);
    EXPECT_EQ(awc[4], 0x5a5a);

    /* Only the pair: two units are one too few. */
    EXPECT_EQ(RTStrToUtf16Ex(s_szText, 4, &pwsz, 2, &cwc), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(cwc, 2u);

    /* A limit takes a prefix; the length output is optional. */
    EXPECT_EQ(RTStrToUtf16Ex("abcdef", 3, &pwsz, RT_ELEMENTS(awc), nullptr), VINF_SUCCESS);
    EXPECT_EQ(awc[0], 'a');
    EXPECT_EQ(awc[2], 'c');
    EXPECT_EQ(awc[3], 0);

    /* An invalid source leaves the buffer, the pointer and the length alone. */
    for (RTUTF16 &wc : awc)
        wc = 0x5a5a;
    cwc = 77;
    EXPECT_EQ(RTStrToUtf16Ex("ok\xed\xa0\x80", RTSTR_MAX, &pwsz, RT_ELEMENTS(awc), &cwc), VERR_CODE_POINT_SURROGATE);
    EXPECT_EQ(pwsz, awc);
    EXPECT_EQ(cwc, 77u);
    for (RTUTF16 wc : awc)
        EXPECT_EQ(wc, 0x5a5a);
}

TEST(Utf8, ToUtf16ExAllocates)
{
    static const struct
    {
        size_t cwcAsked;
        bool   fPointerSet;
        size_t cwcBlock;    /* units the block must have */
    } s_aRows[] =
    {
        { 0,  false, 4 },  /* length + 1 */
        { 2,  false, 4 },  /* smaller than needed: the length decides */
        { 10, false, 10 }, /* larger: the caller's size decides */
        { 0,  true,  4 },  /* size 0 with a buffer still allocates */
    };
    RTUTF16 awcDummy[2] = { 0x5a5a, 0x5a5a };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "asked " << Row.cwcAsked << " pointer " << Row.fPointerSet);
        PRTUTF16 pwsz = Row.fPointerSet ? awcDummy : nullptr;
        size_t cwc = 0;
        ASSERT_EQ(RTStrToUtf16Ex("a\xc3\xa9z", RTSTR_MAX, &pwsz, Row.cwcAsked, &cwc), VINF_SUCCESS);
        ASSERT_NE(pwsz, nullptr);
        ASSERT_NE(pwsz, awcDummy);
        EXPECT_EQ(cwc, 3u);
        EXPECT_EQ(pwsz[1], 0xe9);
        EXPECT_EQ(pwsz[3], 0);
        EXPECT_TRUE(HeapBlockSizeIs(pwsz, Row.cwcBlock * sizeof(RTUTF16)));
        RTMemFree(pwsz);
    }
    EXPECT_EQ(awcDummy[0], 0x5a5a);

    /* A size nobody can allocate fails cleanly, with the pointer cleared. */
    PRTUTF16 pwsz = nullptr;
    EXPECT_EQ(RTStrToUtf16Ex("abc", RTSTR_MAX, &pwsz, ~(size_t)0 / 2, nullptr), VERR_NO_UTF16_MEMORY);
    EXPECT_EQ(pwsz, nullptr);
    EXPECT_EQ(RTStrToUtf16Ex("abc", RTSTR_MAX, &pwsz, ~(size_t)0 / 4, nullptr), VERR_NO_UTF16_MEMORY);
    EXPECT_EQ(pwsz, nullptr);
}

TEST(Utf8, ToCodePoints)
{
    static const char s_szText[] = "a\xc3\xa9\xfd\xbf\xbf\xbf\xbf\xbf\xf4\x90\x80\x80";
    static const RTUNICP s_aExpect[] = { 0x61, 0xe9, 0x7fffffff, 0x110000, 0 };

    RTUNICP *paCps = nullptr;
    size_t cCps = 0;
    ASSERT_EQ(RTStrToCodePoints(s_szText, RTSTR_MAX, &paCps, 0, &cCps), VINF_SUCCESS);
    EXPECT_EQ(cCps, 4u);
    for (size_t i = 0; i < RT_ELEMENTS(s_aExpect); i++)
        EXPECT_EQ(paCps[i], s_aExpect[i]) << i;
    EXPECT_TRUE(HeapBlockSizeIs(paCps, 5 * sizeof(RTUNICP)));
    RTMemFree(paCps);

    /* Caller's array: the count must leave room for the 0 element. */
    RTUNICP aCps[6] = { 9, 9, 9, 9, 9, 9 };
    paCps = aCps;
    EXPECT_EQ(RTStrToCodePoints(s_szText, RTSTR_MAX, &paCps, 4, &cCps), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(aCps[0], 9u);
    EXPECT_EQ(RTStrToCodePoints(s_szText, RTSTR_MAX, &paCps, 5, &cCps), VINF_SUCCESS);
    EXPECT_EQ(paCps, aCps);
    for (size_t i = 0; i < RT_ELEMENTS(s_aExpect); i++)
        EXPECT_EQ(aCps[i], s_aExpect[i]) << i;
    EXPECT_EQ(aCps[5], 9u);

    /* Invalid: untouched. */
    aCps[0] = 9;
    cCps = 77;
    EXPECT_EQ(RTStrToCodePoints("a\x80", RTSTR_MAX, &paCps, 6, &cCps), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(aCps[0], 9u);
    EXPECT_EQ(cCps, 77u);

    /* Enormous arrays are refused, not wrapped around. */
    paCps = nullptr;
    EXPECT_EQ(RTStrToCodePoints("a", RTSTR_MAX, &paCps, ~(size_t)0 / 2, nullptr), VERR_NO_CODE_POINT_MEMORY);
    EXPECT_EQ(paCps, nullptr);
}

TEST(Utf8, WriteCp)
{
    static const struct
    {
        RTUNICP     uCp;
        const char *pszBytes;
    } s_aRows[] =
    {
        { 0x41,        "A" },
        { 0x7f,        "\x7f" },
        { 0x80,        "\xc2\x80" },
        { 0x7ff,       "\xdf\xbf" },
        { 0x800,       "\xe0\xa0\x80" },
        { 0xd800,      "\xed\xa0\x80" },  /* not refused on output */
        { 0xffff,      "\xef\xbf\xbf" },
        { 0x10000,     "\xf0\x90\x80\x80" },
        { 0x10ffff,    "\xf4\x8f\xbf\xbf" },
        { 0x1fffff,    "\xf7\xbf\xbf\xbf" },
        { 0x200000,    "\xf8\x88\x80\x80\x80" },
        { 0x3ffffff,   "\xfb\xbf\xbf\xbf\xbf" },
        { 0x4000000,   "\xfc\x84\x80\x80\x80\x80" },
        { 0x7fffffff,  "\xfd\xbf\xbf\xbf\xbf\xbf" },
        { 0x80000000,  "\x7f" },
        { RTCP_INVALID, "\x7f" },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << std::hex << Row.uCp);
        char achBuf[8];
        memset(achBuf, 0x5a, sizeof(achBuf));
        size_t const cb = strlen(Row.pszBytes);
        char *pszEnd = RTStrWriteCp(achBuf, Row.uCp);
        EXPECT_EQ((size_t)(pszEnd - achBuf), cb);
        EXPECT_EQ(Hex(achBuf, cb), Hex(Row.pszBytes, cb));
        EXPECT_EQ(achBuf[cb], 0x5a); /* no terminator */
    }

    /* Zero is one byte too. */
    char ch = 'x';
    EXPECT_EQ(RTStrWriteCp(&ch, 0), &ch + 1);
    EXPECT_EQ(ch, 0);
}

TEST(Utf8, WriteThenReadEveryUnicodeScalar)
{
    /* Every code point written comes back from the reader, except the ones
     * the reader refuses; a sample of the larger values too. */
    char achBuf[8];
    for (RTUNICP uCp = 1; uCp <= 0x10ffff; uCp++)
    {
        char *pszEnd = RTStrWriteCp(achBuf, uCp);
        *pszEnd = '\0';
        const char *psz = achBuf;
        RTUNICP uCpRead = 0;
        int const rc = RTStrReadCp(&psz, &uCpRead);
        int const rcExpect = uCp >= 0xd800 && uCp <= 0xdfff ? VERR_CODE_POINT_SURROGATE
                           : uCp == 0xfffe || uCp == 0xffff ? VERR_CODE_POINT_NONCHARACTER
                           : VINF_SUCCESS;
        if (rc != rcExpect || (RT_SUCCESS(rc) && (uCpRead != uCp || psz != pszEnd)))
            FAIL() << "code point " << std::hex << uCp << ": rc " << std::dec << rc;
    }
    for (RTUNICP uCp = 0x110000; uCp < 0x80000000; uCp += 0x10003)
    {
        char *pszEnd = RTStrWriteCp(achBuf, uCp);
        *pszEnd = '\0';
        const char *psz = achBuf;
        RTUNICP uCpRead = 0;
        ASSERT_EQ(RTStrReadCp(&psz, &uCpRead), VINF_SUCCESS) << std::hex << uCp;
        ASSERT_EQ(uCpRead, uCp);
        ASSERT_EQ(psz, pszEnd);
        ASSERT_EQ(RTStrCheckUtf8(achBuf, RTSTR_MAX, 0), VINF_SUCCESS);
        size_t cwc;
        ASSERT_EQ(RTStrCountUtf16Units(achBuf, &cwc), VERR_CODE_POINT_OUT_OF_RANGE);
    }
}

TEST(Utf8, StepBack)
{
    static const struct
    {
        const char *pszText;
        size_t      offPos;
        size_t      offExpect;
    } s_aRows[] =
    {
        { "abc",                         0, 0 },
        { "abc",                         2, 1 },
        { "abc",                         3, 2 },
        { "a\xc3\xa9",                   3, 1 },
        { "a\xe2\x82\xac",               4, 1 },
        { "\xf0\x9f\x98\x80",            4, 0 },
        { "x\xf0\x9f\x98\x80",           5, 1 },
        { "x\xfd\xbf\xbf\xbf\xbf\xbf",   7, 1 },
        /* Malformed before the position: the start of the string. */
        { "xy\xc3\xa9",                  3, 0 },   /* lead byte right before */
        { "xy\x80",                      3, 0 },   /* continuation after ASCII */
        { "xy\xc3\xa9\xa9",              5, 0 },   /* one continuation too many */
        { "xy\xe2\x82",                  4, 0 },   /* one continuation too few */
        { "xy\xfe\x80",                  4, 0 },   /* not a lead byte */
        { "x\xfd\xbf\xbf\xbf\xbf\xbf\xbf", 8, 0 }, /* six continuations */
        { "\x80\x80",                    2, 0 },   /* the start reached first */
        { "ab\x80\x80\x80\x80\x80\x80\x80\x80", 10, 0 },
        /* A position inside a sequence leaves it cut. */
        { "a\xe2\x82\xac",               2, 0 },
        { "a\xe2\x82\xac",               3, 0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Hex(Row.pszText, strlen(Row.pszText)) << " at " << Row.offPos);
        /* Exactly sized, so that a read before the start is caught. */
        HeapCopy Text(Row.pszText, strlen(Row.pszText));
        const char *psz = Text.str();
        EXPECT_EQ((size_t)(RTStrStepBackCp(psz, psz + Row.offPos) - psz), Row.offExpect);
    }

    /* Walking back over a whole text visits every code point start. */
    static const char s_szMixed[] = "a\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80" "b";
    static const size_t s_aoffStarts[] = { 10, 6, 3, 1, 0 };
    HeapCopy Text(s_szMixed, sizeof(s_szMixed) - 1);
    const char *pszPos = Text.str() + sizeof(s_szMixed) - 1;
    for (size_t offExpect : s_aoffStarts)
    {
        pszPos = RTStrStepBackCp(Text.str(), pszPos);
        EXPECT_EQ((size_t)(pszPos - Text.str()), offExpect);
    }
    EXPECT_EQ(RTStrStepBackCp(Text.str(), pszPos), Text.str());
}

TEST(Utf8, ArgumentChecks)
{
    PRTUTF16 pwsz = nullptr;
    RTUNICP *paCps = nullptr;
    RTUNICP uCp;
    size_t cwc = 77;
    const char *pszNull = nullptr;
    const char *pszLow = (const char *)(uintptr_t)16;

    EXPECT_EQ(RTStrCheckUtf8(nullptr, RTSTR_MAX, 0), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrCheckUtf8(pszLow, 4, 0), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrCountCodePoints(nullptr), 0u);
    EXPECT_EQ(RTStrCountUtf16Units(nullptr, &cwc), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrCountUtf16Units("a", nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrCountUtf16UnitsEx(nullptr, 4, &cwc), VERR_INVALID_POINTER);
    EXPECT_EQ(cwc, ~(size_t)0);
    EXPECT_EQ(RTStrToUtf16(nullptr, &pwsz), VERR_INVALID_POINTER);
    EXPECT_EQ(pwsz, nullptr);
    EXPECT_EQ(RTStrToUtf16("a", nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrToUtf16Ex("a", RTSTR_MAX, nullptr, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrToUtf16Ex(pszLow, RTSTR_MAX, &pwsz, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrToCodePoints("a", RTSTR_MAX, nullptr, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrToCodePoints(nullptr, RTSTR_MAX, &paCps, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrReadCp(nullptr, &uCp), VERR_INVALID_POINTER);
    EXPECT_EQ(RTStrReadCp(&pszNull, &uCp), VERR_INVALID_POINTER);
    size_t cch = 1;
    EXPECT_EQ(RTStrReadCpN(&pszNull, &cch, &uCp), VERR_INVALID_POINTER);
    EXPECT_EQ(cch, 1u);
}

} /* namespace */
