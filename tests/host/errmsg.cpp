/* Status texts: the generated table against the code list, the fallbacks, and
 * expansion of damaged stores. */
#include "common/status/errmsg.h"

#include <tulo/err.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct PLAINENTRY
{
    int         iValue;
    const char *pszName;
    const char *pszMsg;
};

/* The code list as plain text, generated from the same source as the table. */
const PLAINENTRY g_aPlain[] =
{
#include "status-table.inc"
};

size_t appendOutput(void *pvUser, const char *pach, size_t cch)
{
    if (pach)
        ((std::string *)pvUser)->append(pach, cch);
    return cch;
}

/* Collects every callback call separately. */
size_t collectOutput(void *pvUser, const char *pach, size_t cch)
{
    if (pach)
        ((std::vector<std::string> *)pvUser)->emplace_back(pach, cch);
    return cch;
}

typedef size_t FNPRINTER(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);

std::string print(FNPRINTER *pfnPrinter, int rc)
{
    std::string str;
    char szTmp[RTERR_SCRATCH_SIZE];
    size_t const cch = pfnPrinter(rc, appendOutput, &str, szTmp);
    EXPECT_EQ(cch, str.size());
    return str;
}

std::string printWin(size_t (*pfnPrinter)(uint32_t, PFNRTFMTOUTPUT, void *, char *), uint32_t uCode)
{
    std::string str;
    char szTmp[RTERR_SCRATCH_SIZE];
    size_t const cch = pfnPrinter(uCode, appendOutput, &str, szTmp);
    EXPECT_EQ(cch, str.size());
    return str;
}

} /* namespace */

TEST(ErrMsg, EveryCodeExpandsToItsNameAndMessage)
{
    for (const PLAINENTRY &Entry : g_aPlain)
    {
        SCOPED_TRACE(Entry.pszName);
        EXPECT_GE(rtErrLookup(Entry.iValue), 0);
        EXPECT_EQ(print(rtErrFormatDefine, Entry.iValue), Entry.pszName);
        EXPECT_EQ(print(rtErrFormatMessage, Entry.iValue), Entry.pszMsg);
        EXPECT_EQ(print(rtErrFormatAll, Entry.iValue),
                  std::string(Entry.pszName) + " (" + std::to_string(Entry.iValue) + ") - " + Entry.pszMsg);
    }
}

TEST(ErrMsg, UnknownCodes)
{
    static const struct { int rc; const char *pszDefine; const char *pszMessage; } s_aCases[] =
    {
        { 30000, "30000", "Unknown Status 30000 (0x7530)" },
        { -30000, "-30000", "Unknown Status -30000 (0xffff8ad0)" },
        { -1, "-1", "Unknown Status -1 (0xffffffff)" },
        /* Outside the 16-bit range, whatever the low 16 bits say. */
        { 70000, "70000", "Unknown Status 70000 (0x11170)" },
        { 0x1fffe, "131070", "Unknown Status 131070 (0x1fffe)" },
        { (int)0xfffefffe, "-65538", "Unknown Status -65538 (0xfffefffe)" },
        { INT32_MIN, "-2147483648", "Unknown Status -2147483648 (0x80000000)" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.rc);
        EXPECT_EQ(rtErrLookup(Case.rc), -1);
        EXPECT_EQ(print(rtErrFormatDefine, Case.rc), Case.pszDefine);
        EXPECT_EQ(print(rtErrFormatMessage, Case.rc), Case.pszMessage);
        EXPECT_EQ(print(rtErrFormatAll, Case.rc), Case.pszMessage);
    }
    /* The neighbours of listed codes are not found either. */
    EXPECT_EQ(rtErrLookup(VERR_INVALID_PARAMETER - 1000), -1);
    EXPECT_EQ(rtErrLookup(-23503), -1);
    EXPECT_EQ(rtErrLookup(22303), -1);
}

TEST(ErrMsg, DamagedStoresPrintNothingOutside)
{
    /* Words: 0x80 -> "ab" (valid), 0x81 -> points past the store; the escape
     * byte 0xff works because the dictionary has fewer than 256 entries. */
    std::vector<uint8_t> Store = { 'a', 'b', 'x', 0x80, 'y', 0x81, 'z',
                                   0xff, 'Q', 0xff, 0xc3, 0xa9, 0xff, 0x80, 0xff };
    std::vector<uint32_t> Dict(255);
    for (uint32_t i = 0; i < Dict.size(); i++)
        Dict[i] = i;
    Dict[0x80] = (2u << 22) | 0;
    Dict[0x81] = (4u << 22) | 13;
    RTSTATUSSTRTAB StrTab = { Store.data(), (uint32_t)Store.size(), (uint32_t)Dict.size(), Dict.data() };

    struct { uint32_t off, cch; std::vector<std::string> Pieces; } const s_aCases[] =
    {
        { 2, 3, { "x", "ab", "y" } },
        { 2, 5, { "x", "ab", "y" } },            /* the bad word ends the walk */
        { 7, 2, { "Q" } },                       /* escaped ASCII */
        { 9, 3, { "\xc3\xa9" } },                /* escaped UTF-8 character */
        { 12, 2, { "?" } },                      /* escape of a stray continuation byte */
        { 14, 1, { } },                          /* escape cut by the end of the text */
        { 9, 2, { "?" } },                       /* character cut by the text length */
        { 15, 0, { } },                          /* offset at the end of the store */
        { 100, 1, { } },
        { 10, 10, { } },                         /* runs past the store */
        { 0, UINT32_MAX, { } },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(testing::Message() << Case.off << "+" << Case.cch);
        std::vector<std::string> Pieces;
        size_t const cch = rtStatusStrTabOutputEx(&StrTab, Case.off, Case.cch, collectOutput, &Pieces);
        EXPECT_EQ(Pieces, Case.Pieces);
        size_t cchExpect = 0;
        for (const std::string &str : Case.Pieces)
            cchExpect += str.size();
        EXPECT_EQ(cch, cchExpect);
    }

    /* Uncompressed: one call with the stored bytes. */
    RTSTATUSSTRTAB Plain = { Store.data(), (uint32_t)Store.size(), 0, nullptr };
    std::vector<std::string> Pieces;
    EXPECT_EQ(rtStatusStrTabOutputEx(&Plain, 0, 3, collectOutput, &Pieces), 3u);
    EXPECT_EQ(Pieces, std::vector<std::string>({ "abx" }));
}

TEST(ErrMsg, Win32Names)
{
    EXPECT_EQ(rtErrWinLookup(0), 0);
    EXPECT_EQ(rtErrWinLookup(5), -1);
    EXPECT_EQ(rtErrWinLookup(0x10000), -1);
    EXPECT_EQ(printWin(rtErrWinFormatAll, 0), "ERROR_SUCCESS (0x0)");
    EXPECT_EQ(printWin(rtErrWinFormatDefine, 0), "ERROR_SUCCESS");
    EXPECT_EQ(printWin(rtErrWinFormatDefine, 5), "0x5");
    EXPECT_EQ(printWin(rtErrWinFormatDefine, 0x80070000), "ERROR_SUCCESS/0x80070000");
    EXPECT_EQ(printWin(rtErrWinFormatAll, 0x80070000), "ERROR_SUCCESS (0x80070000)");
    EXPECT_EQ(printWin(rtErrWinFormatAll, 5), "Unknown Status 0x5");
    EXPECT_EQ(printWin(rtErrWinFormatDefine, 0x80080000), "0x80080000");
}
