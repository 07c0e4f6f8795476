/*
 * Tests of the UTF-16 module: the readers in both byte orders, counting and
 * conversion to UTF-8 with unit limits and the Ex contract, and the wide
 * string buffer helpers.
 */
#include <tulo/utf16.h>
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include "guarded-page.h"
#include "text-test-util.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

typedef std::vector<uint16_t> Units;

/* The units with a terminator in a block of exactly that size. */
class Utf16Copy
{
public:
    explicit Utf16Copy(const Units &aUnits, bool fTerminate = true)
    {
        m_cwc = aUnits.size() + (fTerminate ? 1 : 0);
        m_pwsz = (PRTUTF16)malloc(m_cwc ? m_cwc * sizeof(RTUTF16) : 1);
        for (size_t i = 0; i < aUnits.size(); i++)
            m_pwsz[i] = (RTUTF16)aUnits[i];
        if (fTerminate)
            m_pwsz[aUnits.size()] = 0;
    }
    ~Utf16Copy() { free(m_pwsz); }
    Utf16Copy(const Utf16Copy &) = delete;
    Utf16Copy &operator=(const Utf16Copy &) = delete;
    PCRTUTF16 get() const { return m_pwsz; }
private:
    PRTUTF16 m_pwsz;
    size_t   m_cwc;
};

std::string HexUnits(const Units &aUnits)
{
    std::string str;
    char szBuf[8];
    for (uint16_t u : aUnits)
    {
        snprintf(szBuf, sizeof(szBuf), "%s%04x", str.empty() ? "" : " ", u);
        str += szBuf;
    }
    return str;
}

TEST(Utf16, ReadCpBothByteOrders)
{
    static const struct
    {
        Units   aUnits;     /* followed by a terminator */
        int     rc;
        RTUNICP uCp;
        size_t  cwcStep;
    } s_aRows[] =
    {
        { { 0x0041 },          VINF_SUCCESS, 0x41,     1 },
        { { 0x0000 },          VINF_SUCCESS, 0,        1 },
        { { 0xd7ff },          VINF_SUCCESS, 0xd7ff,   1 },
        { { 0xe000 },          VINF_SUCCESS, 0xe000,   1 },
        { { 0xfffd },          VINF_SUCCESS, 0xfffd,   1 },
        { { 0xd800, 0xdc00 },  VINF_SUCCESS, 0x10000,  2 },
        { { 0xd83d, 0xde00 },  VINF_SUCCESS, 0x1f600,  2 },
        { { 0xdbff, 0xdfff },  VINF_SUCCESS, 0x10ffff, 2 },
        { { 0xfffe },          VERR_CODE_POINT_NONCHARACTER, RTCP_INVALID, 1 },
        { { 0xffff },          VERR_CODE_POINT_NONCHARACTER, RTCP_INVALID, 1 },
        { { 0xdc00, 0xd800 },  VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 },
        { { 0xdfff },          VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 },
        { { 0xd800 },          VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 }, /* then the terminator */
        { { 0xd800, 0x0041 },  VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 },
        { { 0xdbff, 0xdbff },  VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 },
        { { 0xd800, 0xe000 },  VERR_INVALID_UTF16_ENCODING,  RTCP_INVALID, 1 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(HexUnits(Row.aUnits));
        Utf16Copy Text(Row.aUnits);
        PCRTUTF16 pwsz = Text.get();
        RTUNICP uCp = 0x5a5a;
        EXPECT_EQ(RTUtf16ReadCp(&pwsz, &uCp), Row.rc);
        EXPECT_EQ(uCp, Row.uCp);
        EXPECT_EQ((size_t)(pwsz - Text.get()), Row.cwcStep);

        /* The same units stored most significant byte first. */
        std::vector<uint8_t> abBe;
        for (uint16_t u : Row.aUnits)
        {
            abBe.push_back((uint8_t)(u >> 8));
            abBe.push_back((uint8_t)u);
        }
        abBe.push_back(0);
        abBe.push_back(0);
        std::vector<RTUTF16> awcBe(abBe.size() / 2);
        memcpy(awcBe.data(), abBe.data(), abBe.size());
        pwsz = awcBe.data();
        uCp = 0x5a5a;
        EXPECT_EQ(RTUtf16BeReadCp(&pwsz, &uCp), Row.rc);
        EXPECT_EQ(uCp, Row.uCp);
        EXPECT_EQ((size_t)(pwsz - awcBe.data()), Row.cwcStep);
    }
}

/** Units (terminated), a unit limit, and the UTF-8 they must give. */
struct ToUtf8Row
{
    Units       aUnits;
    size_t      cwcLimit;
    int         rc;
    const char *pszUtf8;   /* when rc is a success */
};

const ToUtf8Row g_aToUtf8Rows[] =
{
    { { },                                RTSTR_MAX, VINF_SUCCESS, "" },
    { { 'K', 'e', 'l', 'b' },             RTSTR_MAX, VINF_SUCCESS, "Kelb" },
    { { 0x7f, 0x80, 0x7ff, 0x800 },       RTSTR_MAX, VINF_SUCCESS, "\x7f\xc2\x80\xdf\xbf\xe0\xa0\x80" },
    { { 0xd7ff, 0xe000, 0xfffd },         RTSTR_MAX, VINF_SUCCESS, "\xed\x9f\xbf\xee\x80\x80\xef\xbf\xbd" },
    { { 0xd83d, 0xde00, '!' },            RTSTR_MAX, VINF_SUCCESS, "\xf0\x9f\x98\x80!" },
    { { 0xd800, 0xdc00, 0xdbff, 0xdfff }, RTSTR_MAX, VINF_SUCCESS, "\xf0\x90\x80\x80\xf4\x8f\xbf\xbf" },
    { { 'a', 0xe9, 0x20ac },              RTSTR_MAX, VINF_SUCCESS, "a\xc3\xa9\xe2\x82\xac" },
    /* Limits. */
    { { 'a', 'b', 'c' },                  2,         VINF_SUCCESS, "ab" },
    { { 'a', 'b', 'c' },                  0,         VINF_SUCCESS, "" },
    { { 'a', 0xd83d, 0xde00 },            3,         VINF_SUCCESS, "a\xf0\x9f\x98\x80" },
    { { 'a', 0xd83d, 0xde00 },            2,         VERR_INVALID_UTF16_ENCODING, nullptr }, /* pair cut */
    { { 'a', 0xfffe },                    1,         VINF_SUCCESS, "a" },
    /* Malformed. */
    { { 0xdc00 },                         RTSTR_MAX, VERR_INVALID_UTF16_ENCODING, nullptr },
    { { 'a', 0xd800 },                    RTSTR_MAX, VERR_INVALID_UTF16_ENCODING, nullptr },
    { { 0xd800, 'a' },                    RTSTR_MAX, VERR_INVALID_UTF16_ENCODING, nullptr },
    { { 0xd800, 0xd800, 0xdc00 },         RTSTR_MAX, VERR_INVALID_UTF16_ENCODING, nullptr },
    { { 0xffff },                         RTSTR_MAX, VERR_CODE_POINT_NONCHARACTER, nullptr },
    { { 'x', 0xfffe, 'y' },               RTSTR_MAX, VERR_CODE_POINT_NONCHARACTER, nullptr },
};

void CheckToUtf8(PCRTUTF16 pwsz, size_t cwcLimit, const ToUtf8Row &Row)
{
    bool const fOk = RT_SUCCESS(Row.rc);
    size_t const cchExpect = fOk ? strlen(Row.pszUtf8) : 0;

    size_t cch = 77;
    EXPECT_EQ(RTUtf16CountUtf8Bytes(pwsz, cwcLimit, &cch), Row.rc);
    EXPECT_EQ(cch, fOk ? cchExpect : 77u);
    cch = 77;
    EXPECT_EQ(RTUtf16CountUtf8BytesEx(pwsz, cwcLimit, &cch), Row.rc);
    EXPECT_EQ(cch, fOk ? cchExpect : ~(size_t)0);

    char *psz = nullptr;
    cch = 77;
    EXPECT_EQ(RTUtf16ToUtf8Ex(pwsz, cwcLimit, &psz, 0, &cch), Row.rc);
    if (fOk)
    {
        ASSERT_NE(psz, nullptr);
        EXPECT_EQ(cch, cchExpect);
        EXPECT_STREQ(psz, Row.pszUtf8);
        EXPECT_TRUE(HeapBlockSizeIs(psz, cchExpect + 1));
        RTStrRelease(psz);
    }
    else
    {
        EXPECT_EQ(psz, nullptr);
        EXPECT_EQ(cch, 77u);
    }
}

TEST(Utf16, ToUtf8Terminated)
{
    for (const ToUtf8Row &Row : g_aToUtf8Rows)
    {
        SCOPED_TRACE(testing::Message() << HexUnits(Row.aUnits) << " limit " << (ptrdiff_t)Row.cwcLimit);
        Utf16Copy Text(Row.aUnits);
        CheckToUtf8(Text.get(), Row.cwcLimit, Row);

        /* What converted must convert back to the same units. */
        if (RT_SUCCESS(Row.rc))
        {
            PRTUTF16 pwszBack = nullptr;
            ASSERT_EQ(RTStrToUtf16(Row.pszUtf8, &pwszBack), VINF_SUCCESS);
            size_t const cwc = RTUtf16Length(pwszBack);
            EXPECT_EQ(cwc, Row.cwcLimit < Row.aUnits.size() ? Row.cwcLimit : Row.aUnits.size());
            for (size_t i = 0; i < cwc; i++)
                EXPECT_EQ((uint16_t)pwszBack[i], Row.aUnits[i]);
            RTMemFree(pwszBack);
        }
    }
}

TEST(Utf16, ToUtf8LimitWithoutTerminator)
{
    /* The units end at the last readable byte; only the limit stops the walk. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const ToUtf8Row &Row : g_aToUtf8Rows)
    {
        size_t const cwc = Row.cwcLimit < Row.aUnits.size() ? Row.cwcLimit : Row.aUnits.size();
        SCOPED_TRACE(testing::Message() << HexUnits(Row.aUnits) << " limit " << cwc);
        std::vector<RTUTF16> awc(Row.aUnits.begin(), Row.aUnits.begin() + (ptrdiff_t)cwc);
        const char *pchUnits = cwc ? (const char *)awc.data() : "";
        PCRTUTF16 pwsz = (PCRTUTF16)Page.Place(pchUnits, cwc * sizeof(RTUTF16));
        /* Same expectations as with the terminator: a limit ends the text
         * exactly as a terminator would. */
        CheckToUtf8(pwsz, cwc, Row);
    }
}

TEST(Utf16, ToUtf8ExCallerBuffer)
{
    Utf16Copy Text(Units{ 'a', 0xe9, 0xd83d, 0xde00 }); /* 1 + 2 + 4 bytes */
    char achBuf[12];
    char *psz = achBuf;
    size_t cch;

    memset(achBuf, 0x5a, sizeof(achBuf));
    cch = 77;
    EXPECT_EQ(RTUtf16ToUtf8Ex(Text.get(), RTSTR_MAX, &psz, 7, &cch), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(psz, achBuf);
    EXPECT_EQ(cch, 7u);
    for (char ch : achBuf)
        EXPECT_EQ(ch, 0x5a);

    EXPECT_EQ(RTUtf16ToUtf8Ex(Text.get(), RTSTR_MAX, &psz, 8, &cch), VINF_SUCCESS);
    EXPECT_EQ(psz, achBuf);
    EXPECT_EQ(cch, 7u);
    EXPECT_STREQ(achBuf, "a\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_EQ(achBuf[8], 0x5a);

    /* Invalid: nothing written, nothing stored. */
    Utf16Copy Bad(Units{ 'a', 0xdc00 });
    memset(achBuf, 0x5a, sizeof(achBuf));
    cch = 77;
    EXPECT_EQ(RTUtf16ToUtf8Ex(Bad.get(), RTSTR_MAX, &psz, sizeof(achBuf), &cch), VERR_INVALID_UTF16_ENCODING);
    EXPECT_EQ(psz, achBuf);
    EXPECT_EQ(cch, 77u);
    EXPECT_EQ(achBuf[0], 0x5a);

    /* Allocating with a larger size than needed, or with size 0 and a buffer. */
    psz = nullptr;
    EXPECT_EQ(RTUtf16ToUtf8Ex(Text.get(), RTSTR_MAX, &psz, 20, nullptr), VINF_SUCCESS);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "a\xc3\xa9\xf0\x9f\x98\x80");
    EXPECT_TRUE(HeapBlockSizeIs(psz, 20u));
    RTStrRelease(psz);
    psz = achBuf;
    EXPECT_EQ(RTUtf16ToUtf8Ex(Text.get(), RTSTR_MAX, &psz, 0, nullptr), VINF_SUCCESS);
    ASSERT_NE(psz, achBuf);
    EXPECT_STREQ(psz, "a\xc3\xa9\xf0\x9f\x98\x80");
    RTStrRelease(psz);

    /* A size nobody can allocate. */
    psz = nullptr;
    EXPECT_EQ(RTUtf16ToUtf8Ex(Text.get(), RTSTR_MAX, &psz, ~(size_t)0 / 2, nullptr), VERR_NO_STR_MEMORY);
    EXPECT_EQ(psz, nullptr);
}

TEST(Utf16, Length)
{
    EXPECT_EQ(RTUtf16Length(nullptr), 0u);
    Utf16Copy Empty(Units{});
    EXPECT_EQ(RTUtf16Length(Empty.get()), 0u);
    Utf16Copy Text(Units{ 'a', 0xd83d, 0xde00, 0xffff });
    EXPECT_EQ(RTUtf16Length(Text.get()), 4u);
}

TEST(Utf16, AllocBufAndClone)
{
    static const struct { size_t cbAsked; size_t cbBlock; } s_aRows[] =
    {
        { 0, 2 }, { 1, 2 }, { 2, 2 }, { 3, 4 }, { 7, 8 }, { 64, 64 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(Row.cbAsked);
        PRTUTF16 pwsz = RTUtf16AllocBuf(Row.cbAsked);
        ASSERT_NE(pwsz, nullptr);
        EXPECT_EQ(pwsz[0], 0);
        EXPECT_TRUE(HeapBlockSizeIs(pwsz, Row.cbBlock));
        RTMemFree(pwsz);
    }
    /* Rounding the largest size up must not wrap to a tiny block. */
    EXPECT_EQ(RTUtf16AllocBuf(~(size_t)0), nullptr);
    EXPECT_EQ(RTUtf16AllocBuf(~(size_t)0 - 1), nullptr);

    Utf16Copy Text(Units{ 'a', 0xd83d, 0xde00, 'z' });
    PRTUTF16 pwszCopy = RTUtf16Clone(Text.get());
    ASSERT_NE(pwszCopy, nullptr);
    EXPECT_NE((PCRTUTF16)pwszCopy, Text.get());
    EXPECT_EQ(memcmp(pwszCopy, Text.get(), 5 * sizeof(RTUTF16)), 0);
    EXPECT_TRUE(HeapBlockSizeIs(pwszCopy, 5 * sizeof(RTUTF16)));
    RTMemFree(pwszCopy);
    EXPECT_EQ(RTUtf16Clone(nullptr), nullptr);
}

TEST(Utf16, Resize)
{
    static const Units s_aAbcdef = { 'a', 'b', 'c', 'd', 'e', 'f' };
    static const struct
    {
        bool   fStartWithText;  /* "abcdef", else NULL */
        size_t cbNew;
        int    rc;
        bool   fNull;           /* pointer NULL afterwards */
        Units  aUnitsExpect;    /* the string afterwards */
        size_t cbBlock;
    } s_aRows[] =
    {
        { true,  8,  VINF_SUCCESS, false, { 'a', 'b', 'c' }, 8 },                   /* shrunk, terminated */
        { true,  7,  VINF_SUCCESS, false, { 'a', 'b', 'c' }, 8 },                   /* odd sizes round up */
        { true,  2,  VINF_SUCCESS, false, { }, 2 },
        { true,  1,  VINF_SUCCESS, false, { }, 2 },
        { true,  40, VINF_SUCCESS, false, { 'a', 'b', 'c', 'd', 'e', 'f' }, 40 },  /* grown, text kept */
        { true,  0,  VINF_SUCCESS, true,  { }, 0 },
        { false, 0,  VINF_SUCCESS, true,  { }, 0 },
        { false, 5,  VINF_SUCCESS, false, { }, 6 },
        { true,  ~(size_t)0,      VERR_NO_STR_MEMORY,   false, { 'a', 'b', 'c', 'd', 'e', 'f' }, 14 },
        { true,  ~(size_t)0 / 2,  VERR_NO_STR_MEMORY,   false, { 'a', 'b', 'c', 'd', 'e', 'f' }, 14 },
        { false, ~(size_t)0,      VERR_NO_UTF16_MEMORY, true,  { }, 0 },
        { false, ~(size_t)0 / 2,  VERR_NO_UTF16_MEMORY, true,  { }, 0 },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << (Row.fStartWithText ? "abcdef" : "NULL") << " to " << Row.cbNew);
        PRTUTF16 pwsz = nullptr;
        if (Row.fStartWithText)
        {
            Utf16Copy Text(s_aAbcdef);
            pwsz = RTUtf16Clone(Text.get());
            ASSERT_NE(pwsz, nullptr);
        }
        EXPECT_EQ(RTUtf16Resize(&pwsz, Row.cbNew), Row.rc);
        EXPECT_EQ(pwsz == nullptr, Row.fNull);
        if (pwsz)
        {
            EXPECT_EQ(RTUtf16Length(pwsz), Row.aUnitsExpect.size());
            for (size_t i = 0; i < Row.aUnitsExpect.size(); i++)
                EXPECT_EQ((uint16_t)pwsz[i], Row.aUnitsExpect[i]);
            EXPECT_TRUE(HeapBlockSizeIs(pwsz, Row.cbBlock));
            /* The last unit of the new size is a terminator. */
            if (RT_SUCCESS(Row.rc))
                EXPECT_EQ(pwsz[Row.cbBlock / 2 - 1], 0);
        }
        RTMemFree(pwsz);
    }
    EXPECT_EQ(RTUtf16Resize(nullptr, 4), VERR_INVALID_POINTER);
}

TEST(Utf16, FromAscii)
{
    static const struct
    {
        const char *pszSrc;
        size_t      cwcDst;
        int         rc;
        Units       aUnits;     /* stored before the terminator */
    } s_aRows[] =
    {
        { "abc",     4, VINF_SUCCESS,         { 'a', 'b', 'c' } },
        { "abc",     9, VINF_SUCCESS,         { 'a', 'b', 'c' } },
        { "abc",     3, VERR_BUFFER_OVERFLOW, { 'a', 'b' } },
        { "abc",     1, VERR_BUFFER_OVERFLOW, { } },
        { "",        1, VINF_SUCCESS,         { } },
        { "a\x80z",  4, VERR_OUT_OF_RANGE,    { 'a', 0x7f, 'z' } },
        { "\xff\xc3",3, VERR_OUT_OF_RANGE,    { 0x7f, 0x7f } },
        /* Overflow outranks the range report. */
        { "\x80" "bc", 3, VERR_BUFFER_OVERFLOW, { 0x7f, 'b' } },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "\"" << Row.pszSrc << "\" into " << Row.cwcDst);
        RTUTF16 awc[12];
        for (RTUTF16 &wc : awc)
            wc = 0x5a5a;
        EXPECT_EQ(RTUtf16FromAscii(awc, Row.cwcDst, Row.pszSrc), Row.rc);
        for (size_t i = 0; i < Row.aUnits.size(); i++)
            EXPECT_EQ((uint16_t)awc[i], Row.aUnits[i]) << i;
        EXPECT_EQ(awc[Row.aUnits.size()], 0);
        for (size_t i = Row.cwcDst; i < RT_ELEMENTS(awc); i++)
            EXPECT_EQ(awc[i], 0x5a5a) << "written past the buffer at " << i;
    }

    /* A zero-sized buffer is never written, not even a terminator. */
    RTUTF16 wc = 0x5a5a;
    EXPECT_EQ(RTUtf16FromAscii(&wc, 0, ""), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(wc, 0x5a5a);

    /* Only what fits is read from the source. */
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    RTUTF16 awc[3];
    EXPECT_EQ(RTUtf16FromAscii(awc, 3, Page.Place("abc", 3)), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(awc[1], 'b');
}

TEST(Utf16, ArgumentChecks)
{
    size_t cch = 77;
    char *psz = nullptr;
    RTUNICP uCp;
    PCRTUTF16 pwszNull = nullptr;
    EXPECT_EQ(RTUtf16CountUtf8Bytes(nullptr, RTSTR_MAX, &cch), VERR_INVALID_POINTER);
    EXPECT_EQ(cch, 77u);
    EXPECT_EQ(RTUtf16CountUtf8BytesEx(nullptr, RTSTR_MAX, &cch), VERR_INVALID_POINTER);
    EXPECT_EQ(cch, ~(size_t)0);
    EXPECT_EQ(RTUtf16ToUtf8Ex(nullptr, RTSTR_MAX, &psz, 0, nullptr), VERR_INVALID_POINTER);
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(RTUtf16ReadCp(&pwszNull, &uCp), VERR_INVALID_POINTER);
    EXPECT_EQ(RTUtf16BeReadCp(nullptr, &uCp), VERR_INVALID_POINTER);
    EXPECT_EQ(RTUtf16FromAscii(nullptr, 4, "a"), VERR_INVALID_POINTER);
}

} /* namespace */
