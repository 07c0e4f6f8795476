/*
 * Tests of the allocating format front end. The program brings its own heap
 * helpers, which take the place of the runtime's: they record every request
 * with its size and tag and can be told to fail a given one, so the growth
 * steps, the single allocation of short texts and every failure path can be
 * watched. Leaks on the failure paths are reported by LeakSanitizer.
 */
#include <tulo/format.h>
#include <tulo/mem.h>
#include <tulo/string.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

namespace {

struct HeapCall
{
    char        chKind;     /* 'a' allocate, 'r' reallocate */
    size_t      cb;
    std::string strTag;

    bool operator==(const HeapCall &That) const
    {
        return chKind == That.chKind && cb == That.cb;
    }
};

std::ostream &operator<<(std::ostream &Out, const HeapCall &Call)
{
    return Out << Call.chKind << Call.cb;
}

std::vector<HeapCall> g_aCalls;
size_t                g_iFailAt = SIZE_MAX;   /* index of the request that fails */
size_t                g_cFrees = 0;

bool RecordAndDecide(char chKind, size_t cb, const char *pszTag)
{
    g_aCalls.push_back(HeapCall{ chKind, cb, pszTag ? pszTag : "" });
    return g_aCalls.size() - 1 != g_iFailAt;
}

void ResetHeap(size_t iFailAt = SIZE_MAX)
{
    g_aCalls.clear();
    g_iFailAt = iFailAt;
    g_cFrees = 0;
}

} /* namespace */

void *RTMemAllocTag(size_t cb, const char *pszTag)
{
    return RecordAndDecide('a', cb, pszTag) ? malloc(cb ? cb : 1) : nullptr;
}

void *RTMemAllocZTag(size_t cb, const char *pszTag)
{
    return RecordAndDecide('a', cb, pszTag) ? calloc(1, cb ? cb : 1) : nullptr;
}

void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag)
{
    return RecordAndDecide('r', cbNew, pszTag) ? realloc(pvOld, cbNew ? cbNew : 1) : nullptr;
}

void RTMemFree(void *pv)
{
    if (pv)
        g_cFrees++;
    free(pv);
}

namespace {

ptrdiff_t FmtAlloc(char **ppsz, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTFmtAllocTagV(ppsz, pszFormat, va, "tst-tag");
    va_end(va);
    return cch;
}

typedef std::vector<HeapCall> Calls;

HeapCall A(size_t cb) { return HeapCall{ 'a', cb, "" }; }
HeapCall R(size_t cb) { return HeapCall{ 'r', cb, "" }; }

/** A text of cch characters made one of two ways: as one chunk (a string
 * argument), or as many small chunks (width padding). */
struct GrowthRow
{
    size_t  cch;
    bool    fOneChunk;
    Calls   aExpected;
};

TEST(FormatAlloc, ShortTextsTouchTheHeapOnce)
{
    ResetHeap();
    char *psz = nullptr;
    EXPECT_EQ(FmtAlloc(&psz, "a%db%s", 42, "cd"), 6);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "a42bcd");
    EXPECT_EQ(g_aCalls, (Calls{ A(7) }));
    EXPECT_EQ(g_aCalls[0].strTag, "tst-tag");
    RTStrRelease(psz);

    ResetHeap();
    EXPECT_EQ(FmtAlloc(&psz, ""), 0);
    ASSERT_NE(psz, nullptr);
    EXPECT_STREQ(psz, "");
    EXPECT_EQ(g_aCalls, (Calls{ A(1) }));
    RTStrRelease(psz);
}

TEST(FormatAlloc, GrowthSteps)
{
    static const GrowthRow s_aRows[] =
    {
        /* Fits the frame buffer with its terminator. */
        { 2047,    false, { A(2048) } },
        { 2047,    true,  { A(2048) } },
        /* Padding comes in 64-byte chunks: the increment is the current
         * size, so the block doubles. */
        { 2048,    false, { A(4096), R(2049) } },
        { 5000,    false, { A(4096), R(8192), R(5001) } },
        /* A chunk larger than the increment gets its own length, rounded up
         * to 4096. */
        { 5000,    true,  { A(2048 + 8192), R(5001) } },
        { 4096,    true,  { A(2048 + 4096), R(4097) } },
        /* Doubling stops at 1 MiB steps. */
        { 3u << 20, false, { A(4096), R(8192), R(16384), R(32768), R(65536), R(131072), R(262144), R(524288),
                             R(1u << 20), R(2u << 20), R(3u << 20), R(4u << 20), R((3u << 20) + 1) } },
    };
    for (const GrowthRow &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << Row.cch << (Row.fOneChunk ? " in one chunk" : " in small chunks"));
        std::string const strExpected = std::string(Row.cch - 1, Row.fOneChunk ? 'x' : ' ') + "y";
        ResetHeap();
        char *psz = nullptr;
        ptrdiff_t const cch = Row.fOneChunk
                            ? FmtAlloc(&psz, "%s", strExpected.c_str())
                            : FmtAlloc(&psz, "%*s", (int)Row.cch, "y");
        EXPECT_EQ(cch, (ptrdiff_t)Row.cch);
        ASSERT_NE(psz, nullptr);
        EXPECT_EQ(strlen(psz), Row.cch);
        EXPECT_TRUE(strExpected == psz);
        EXPECT_EQ(g_aCalls, Row.aExpected);
        for (const HeapCall &Call : g_aCalls)
            EXPECT_EQ(Call.strTag, "tst-tag");
        RTStrRelease(psz);
    }
}

TEST(FormatAlloc, ManyLiteralRuns)
{
    /* Literal runs of 1000 characters split by %%: about 2 MiB of text. */
    std::string strFormat;
    std::string strExpected;
    for (unsigned i = 0; i < 2100; i++)
    {
        std::string const strRun(1000, (char)('a' + i % 26));
        strFormat += strRun + "%%";
        strExpected += strRun + "%";
    }
    ResetHeap();
    char *psz = nullptr;
    EXPECT_EQ(FmtAlloc(&psz, strFormat.c_str()), (ptrdiff_t)strExpected.size());
    ASSERT_NE(psz, nullptr);
    EXPECT_TRUE(strExpected == psz);
    EXPECT_EQ(g_aCalls.back(), R(strExpected.size() + 1));
    RTStrRelease(psz);
}

struct FailRow
{
    const char *pszWhat;
    size_t      cch;
    bool        fOneChunk;
    size_t      iFailAt;
    ptrdiff_t   cchExpected;     /* -1 or the length */
    size_t      cCallsExpected;  /* requests made in all */
    size_t      cFreesExpected;
};

TEST(FormatAlloc, Failures)
{
    static const FailRow s_aRows[] =
    {
        /* The final string of a short text. */
        { "final allocation",            10,   false, 0, -1,   1, 0 },
        /* The first growth: nothing was allocated, later chunks are dropped. */
        { "first growth, one chunk",     5000, true,  0, -1,   1, 0 },
        { "first growth, small chunks",  5000, false, 0, -1,   1, 0 },
        /* A later growth: the block so far is freed. */
        { "second growth",               5000, false, 1, -1,   2, 1 },
        /* Shrinking the result may fail: the larger block is the result. */
        { "final shrink",                5000, false, 2, 5000, 3, 0 },
        { "final shrink, one chunk",     5000, true,  1, 5000, 2, 0 },
    };
    for (const FailRow &Row : s_aRows)
    {
        SCOPED_TRACE(Row.pszWhat);
        std::string const strExpected = std::string(Row.cch - 1, Row.fOneChunk ? 'x' : ' ') + "y";
        ResetHeap(Row.iFailAt);
        char *psz = (char *)"not touched";
        /* More text after the failing chunk: it must be dropped, not cause
         * further requests. */
        ptrdiff_t const cch = Row.fOneChunk
                            ? FmtAlloc(&psz, "%s", strExpected.c_str())
                            : FmtAlloc(&psz, "%*s", (int)Row.cch, "y");
        EXPECT_EQ(cch, Row.cchExpected);
        EXPECT_EQ(g_aCalls.size(), Row.cCallsExpected);
        EXPECT_EQ(g_cFrees, Row.cFreesExpected);
        if (Row.cchExpected < 0)
        {
            EXPECT_EQ(psz, nullptr);
        }
        else
        {
            ASSERT_NE(psz, nullptr);
            EXPECT_TRUE(strExpected == psz);
            RTStrRelease(psz);
        }
    }

    /* Chunks after a failed growth are dropped without asking again. */
    ResetHeap(0);
    char *psz = nullptr;
    std::string const strLong(3000, 'z');
    EXPECT_EQ(FmtAlloc(&psz, "%s%s%s", strLong.c_str(), strLong.c_str(), strLong.c_str()), -1);
    EXPECT_EQ(psz, nullptr);
    EXPECT_EQ(g_aCalls.size(), 1u);
}

TEST(FormatAlloc, ArgumentChecks)
{
    ResetHeap();
    EXPECT_EQ(FmtAlloc(nullptr, "abc"), -1);
    EXPECT_TRUE(g_aCalls.empty());
}

} /* namespace */
