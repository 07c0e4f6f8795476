/* The process-wide generator: created on first use, from racing threads too. */
#include <tulo/rand.h>

#include "thread-test.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

namespace {

/* Must run first: the generator does not exist before it. */
TEST(RandProcess, FirstUseFromRacingThreads)
{
    tstThreadInit();
    constexpr unsigned cThreads = 8;
    TstGate Start;
    std::atomic<unsigned> cOutOfRange{0};
    std::vector<std::unique_ptr<TstThread>> vecThreads;
    for (unsigned i = 0; i < cThreads; i++)
        vecThreads.push_back(std::make_unique<TstThread>([&]
        {
            Start.wait();
            for (unsigned j = 0; j < 200; j++)
                if (RTRandU32Ex(0, 35) > 35)
                    cOutOfRange++;
        }));
    Start.open();
    for (auto &pThread : vecThreads)
    {
        ASSERT_TRUE(pThread->join());
    }
    EXPECT_EQ(cOutOfRange, 0u);
}

TEST(RandProcess, DrawsStayInTheirRange)
{
    static const struct { uint32_t uFirst, uLast; } s_aRanges[] =
    {
        { 0, 0 }, { 7, 7 }, { 0, 1 }, { 0, 35 }, { 1000, 1999 }, { 0, 0x7ffffffe }, { 0x80000000, 0xffffffff },
        { 0, 0xfffffffe }, { 3, 0x90000000 },
    };
    for (const auto &Range : s_aRanges)
        for (unsigned i = 0; i < 2000; i++)
        {
            uint32_t const u = RTRandU32Ex(Range.uFirst, Range.uLast);
            ASSERT_GE(u, Range.uFirst);
            ASSERT_LE(u, Range.uLast);
        }
}

/* The characters of unique names: every one of the 36 shows up. */
TEST(RandProcess, SmallRangeCoversEveryValue)
{
    unsigned acHits[36] = {};
    for (unsigned i = 0; i < 20000; i++)
        acHits[RTRandU32Ex(0, 35)]++;
    for (unsigned i = 0; i < 36; i++)
    {
        EXPECT_GT(acHits[i], 300u) << i;
    }
}

/* Full-range draws use the top bits, which a single step cannot give. */
TEST(RandProcess, FullRangeSetsTheTopBits)
{
    unsigned cBit31 = 0, cBit30 = 0;
    for (unsigned i = 0; i < 4000; i++)
    {
        uint32_t const u = RTRandU32Ex(0, UINT32_MAX);
        cBit31 += u >> 31;
        cBit30 += (u >> 30) & 1;
    }
    EXPECT_GT(cBit31, 1500u);
    EXPECT_LT(cBit31, 2500u);
    EXPECT_GT(cBit30, 1500u);
    EXPECT_LT(cBit30, 2500u);
}

} /* anonymous namespace */
