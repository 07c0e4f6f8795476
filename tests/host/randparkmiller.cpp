/* The Park-Miller generator: exact sequences, the spare-bit reservoir, state text. */
#include <tulo/rand.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

constexpr uint64_t PM_M = 2147483647;

/* The generator's definition written out plainly: one step, the reservoir,
 * and the four range classes. Kept apart from the runtime's code on purpose. */
struct PMMODEL
{
    uint32_t uState = 0x20080806;
    uint32_t uBits = 0;
    int32_t  cBits = 0;

    uint32_t step()
    {
        uint64_t x = uState ? uState : 20080806;
        uState = (uint32_t)(x * 16807 % PM_M);
        return uState;
    }
    uint32_t take(int32_t cWanted)
    {
        if (cBits < cWanted)
        {
            uBits = step();
            cBits = 30;
        }
        uint32_t const u = uBits & ((1u << cWanted) - 1);
        uBits >>= cWanted;
        cBits -= cWanted;
        return u;
    }
    uint32_t draw(uint32_t uFirst, uint32_t uLast)
    {
        uint32_t const uRange = uLast - uFirst;
        if (uRange == 0xffffffff)
        {
            uint32_t const x = step();
            return uFirst + ((take(2) << 30) | (x >> 1));
        }
        if (uRange == 0x7ffffffe)
            return uFirst + step();
        if (uRange < 0x7ffffff)
            return uFirst + (step() >> 1) % (uRange + 1);
        uint32_t const x = step();
        uint64_t const u36 = ((uint64_t)take(6) << 30) | (x >> 1);
        return uFirst + (uint32_t)(u36 % ((uint64_t)uRange + 1));
    }
};

class ParkMiller : public testing::Test
{
protected:
    RTRAND m_hRand = NIL_RTRAND;
    void SetUp() override { ASSERT_EQ(RTRandAdvCreateParkMiller(&m_hRand), VINF_SUCCESS); }
    void TearDown() override { EXPECT_EQ(RTRandAdvDestroy(m_hRand), VINF_SUCCESS); }

    std::string state()
    {
        char szState[64];
        size_t cb = sizeof(szState);
        EXPECT_EQ(RTRandAdvSaveState(m_hRand, szState, &cb), VINF_SUCCESS);
        return szState;
    }
};

TEST_F(ParkMiller, FreshGeneratorState)
{
    EXPECT_EQ(state(), "PM:20080806,00000000,00;");
}

TEST_F(ParkMiller, SeedOneSmallRange)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 1), VINF_SUCCESS);
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 9), 3u);
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 9), 4u);
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 9), 6u);
    /* 16807^3 mod (2^31 - 1) */
    static_assert(UINT32_C(0x60b7acd9) == (uint64_t)16807 * 16807 % PM_M * 16807 % PM_M, "16807^3 mod M");
    EXPECT_EQ(state(), "PM:60b7acd9,00000000,00;");
}

TEST_F(ParkMiller, SeedZeroUsesTheReplacementSeed)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 0), VINF_SUCCESS);
    /* The whole-period range returns the step itself. */
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 0x7ffffffe), (uint32_t)(UINT64_C(20080806) * 16807 % PM_M));
}

TEST_F(ParkMiller, SeedTakesTheLow32BitsAndEmptiesTheReservoir)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 5), VINF_SUCCESS);
    RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX);
    EXPECT_NE(state().substr(12), "00000000,00;");
    ASSERT_EQ(RTRandAdvSeed(m_hRand, UINT64_C(0xabcdef0100000007)), VINF_SUCCESS);
    EXPECT_EQ(state(), "PM:00000007,00000000,00;");
}

TEST_F(ParkMiller, FullRangeDrawTakesTwoReservoirBits)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 1), VINF_SUCCESS);
    /* First step 16807 gives the low bits; the refill step 282475249 ends in binary 01. */
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX), (UINT32_C(1) << 30) + 8403);
    static_assert(UINT64_C(0x10d63af1) == UINT64_C(16807) * 16807 % PM_M, "the refill step");
    EXPECT_EQ(state(), "PM:10d63af1,04358ebc,1c;");
    /* The offset wraps like any unsigned sum. */
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 1), VINF_SUCCESS);
    EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0x80000000, 0x7fffffff), UINT32_C(0x80000000) + (UINT32_C(1) << 30) + 8403);
}

/* Long sequences over every class of range against the plain model. */
TEST_F(ParkMiller, SequencesFollowTheDefinition)
{
    static const struct { uint32_t uFirst, uLast; } s_aRanges[] =
    {
        { 0, 0 }, { 0, 1 }, { 0, 9 }, { 0, 35 }, { 100, 199 }, { 0, 0x7fffffe }, { 0, 0x7ffffff },
        { 0, 0x7ffffffd }, { 0, 0x7ffffffe }, { 1, 0x7fffffff }, { 0, 0x7fffffff }, { 0, 0xfffffffe },
        { 0, UINT32_MAX }, { 0xffffff00, 0xffffffff }, { 0x10, 0x0f }, { 5, 4 },
    };
    static const uint64_t s_au64Seeds[] = { 0, 1, 2, 42, 0x7ffffffe, 0x7fffffff, 0x80000000, 0xffffffff,
                                            UINT64_C(0x123456789abcdef0) };
    for (uint64_t u64Seed : s_au64Seeds)
    {
        ASSERT_EQ(RTRandAdvSeed(m_hRand, u64Seed), VINF_SUCCESS);
        PMMODEL Model;
        Model.uState = (uint32_t)u64Seed;
        /* Interleave the ranges so that reservoir bits left by one class are used by another. */
        for (unsigned iRound = 0; iRound < 200; iRound++)
            for (const auto &Range : s_aRanges)
            {
                uint32_t const uExpect = Model.draw(Range.uFirst, Range.uLast);
                uint32_t const uGot = RTRandAdvU32Ex(m_hRand, Range.uFirst, Range.uLast);
                ASSERT_EQ(uGot, uExpect) << "seed " << u64Seed << " round " << iRound << " range "
                                         << Range.uFirst << ".." << Range.uLast;
            }
        char szExpect[32];
        snprintf(szExpect, sizeof(szExpect), "PM:%08x,%08x,%02x;", Model.uState, Model.uBits, (unsigned)Model.cBits);
        EXPECT_EQ(state(), szExpect);
    }
}

TEST_F(ParkMiller, StepsStayInsideTheModulus)
{
    for (uint64_t u64Seed : { UINT64_C(0), UINT64_C(1), UINT64_C(0x7ffffffe), UINT64_C(0x80000000), UINT64_C(0xffffffff) })
    {
        ASSERT_EQ(RTRandAdvSeed(m_hRand, u64Seed), VINF_SUCCESS);
        for (unsigned i = 0; i < 1000; i++)
        {
            uint32_t const u = RTRandAdvU32Ex(m_hRand, 0, 0x7ffffffe);
            ASSERT_GE(u, 1u) << u64Seed << " " << i;
            ASSERT_LE(u, 2147483646u);
        }
    }
}

/* A seed that is a multiple of the modulus makes the first step 0; the next
 * step then starts again from the replacement seed instead of staying at 0. */
TEST_F(ParkMiller, MultipleOfTheModulusRecoversThroughTheReplacementSeed)
{
    for (uint64_t u64Seed : { UINT64_C(0x7fffffff), UINT64_C(0xfffffffe) })
    {
        ASSERT_EQ(RTRandAdvSeed(m_hRand, u64Seed), VINF_SUCCESS);
        EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 0x7ffffffe), 0u);
        EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, 0x7ffffffe), (uint32_t)(UINT64_C(20080806) * 16807 % PM_M));
    }
}

TEST_F(ParkMiller, SaveNeedsTwentyFiveBytes)
{
    char szState[32];
    for (size_t cb : { (size_t)0, (size_t)1, (size_t)24 })
    {
        size_t cbInOut = cb;
        memset(szState, 'x', sizeof(szState));
        EXPECT_EQ(RTRandAdvSaveState(m_hRand, szState, &cbInOut), VERR_BUFFER_OVERFLOW) << cb;
        EXPECT_EQ(cbInOut, 25u);
        EXPECT_EQ(szState[0], 'x');
    }
    size_t cb = 25;
    memset(szState, 'x', sizeof(szState));
    ASSERT_EQ(RTRandAdvSaveState(m_hRand, szState, &cb), VINF_SUCCESS);
    EXPECT_EQ(strlen(szState), 24u);
    EXPECT_EQ(szState[25], 'x');
}

TEST_F(ParkMiller, RestoreReplaysTheSequence)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 77), VINF_SUCCESS);
    for (unsigned i = 0; i < 5; i++)
        RTRandAdvU32Ex(m_hRand, 0, UINT32_MAX);
    std::string const strSaved = state();
    uint32_t au32First[16];
    for (unsigned i = 0; i < RT_ELEMENTS(au32First); i++)
        au32First[i] = RTRandAdvU32Ex(m_hRand, 0, i % 2 ? UINT32_MAX : 0x90000000);
    ASSERT_EQ(RTRandAdvRestoreState(m_hRand, strSaved.c_str()), VINF_SUCCESS);
    EXPECT_EQ(state(), strSaved);
    for (unsigned i = 0; i < RT_ELEMENTS(au32First); i++)
        EXPECT_EQ(RTRandAdvU32Ex(m_hRand, 0, i % 2 ? UINT32_MAX : 0x90000000), au32First[i]) << i;
}

TEST_F(ParkMiller, RestoreTable)
{
    static const struct { const char *psz; int rc; const char *pszAfter; } s_aCases[] =
    {
        { "PM:00000001,00000003,1e;",  VINF_SUCCESS,     "PM:00000001,00000003,1e;" },
        { "PM:ABCDEF01,FfFfFfFf,02;",  VINF_SUCCESS,     "PM:abcdef01,ffffffff,02;" },
        { "PM:0000001,00000003,1e;",   VERR_PARSE_ERROR, nullptr },     /* short field */
        { "PM:000000001,00000003,1e;", VERR_PARSE_ERROR, nullptr },     /* long field */
        { "PM:00000001,00000003,1e",   VERR_PARSE_ERROR, nullptr },     /* no ';' */
        { "PM:00000001,00000003,1e;x", VERR_PARSE_ERROR, nullptr },     /* text after ';' */
        { "PM:00000001;00000003,1e;",  VERR_PARSE_ERROR, nullptr },
        { "PM:00000001,00000003,1g;",  VERR_PARSE_ERROR, nullptr },
        { "pm:00000001,00000003,1e;",  VERR_PARSE_ERROR, nullptr },
        { "PM:0000000g,00000003,1e;",  VERR_PARSE_ERROR, nullptr },
        { "PM:",                       VERR_PARSE_ERROR, nullptr },
        { "",                          VERR_PARSE_ERROR, nullptr },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.psz);
        ASSERT_EQ(RTRandAdvSeed(m_hRand, 1234), VINF_SUCCESS);
        std::string const strBefore = state();
        EXPECT_EQ(RTRandAdvRestoreState(m_hRand, Case.psz), Case.rc);
        EXPECT_EQ(state(), Case.pszAfter ? std::string(Case.pszAfter) : strBefore);
    }
}

TEST_F(ParkMiller, SixtyFourBitDraws)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 9), VINF_SUCCESS);
    PMMODEL Model;
    Model.uState = 9;
    /* A 32-bit range is one 32-bit draw; a wider one two full ones. */
    EXPECT_EQ(RTRandAdvU64Ex(m_hRand, 10, 19), 10 + (uint64_t)Model.draw(0, 9));
    uint64_t const uHi = Model.draw(0, UINT32_MAX);
    uint64_t const uExpect = (uHi << 32) | Model.draw(0, UINT32_MAX);
    EXPECT_EQ(RTRandAdvU64Ex(m_hRand, 0, UINT64_MAX), uExpect);
    for (unsigned i = 0; i < 1000; i++)
    {
        uint64_t const u = RTRandAdvU64Ex(m_hRand, UINT64_C(1) << 40, (UINT64_C(1) << 40) + 999999999999);
        ASSERT_GE(u, UINT64_C(1) << 40);
        ASSERT_LE(u, (UINT64_C(1) << 40) + 999999999999);
    }
}

TEST_F(ParkMiller, BytesAreFullRangeDrawsInLittleEndianOrder)
{
    ASSERT_EQ(RTRandAdvSeed(m_hRand, 3), VINF_SUCCESS);
    PMMODEL Model;
    Model.uState = 3;
    uint8_t ab[7];
    RTRandAdvBytes(m_hRand, ab, sizeof(ab));
    uint32_t const u0 = Model.draw(0, UINT32_MAX);
    uint32_t const u1 = Model.draw(0, UINT32_MAX);
    uint8_t const abExpect[7] = { (uint8_t)u0, (uint8_t)(u0 >> 8), (uint8_t)(u0 >> 16), (uint8_t)(u0 >> 24),
                                  (uint8_t)u1, (uint8_t)(u1 >> 8), (uint8_t)(u1 >> 16) };
    EXPECT_EQ(memcmp(ab, abExpect, sizeof(ab)), 0);
}

TEST(ParkMillerHandles, InvalidGenerators)
{
    /* A record that is not a live generator: wrong magic. */
    struct { uint32_t u32Magic; void *apv[16]; } Fake = { 0xe6aceee7, {} };
    RTRAND const ahBad[] = { NIL_RTRAND, (RTRAND)(uintptr_t)0x100, (RTRAND)(uintptr_t)-16, (RTRAND)&Fake };
    for (RTRAND hBad : ahBad)
    {
        char szState[32];
        size_t cb = sizeof(szState);
        EXPECT_EQ(RTRandAdvU32Ex(hBad, 0, 9), UINT32_MAX);
        EXPECT_EQ(RTRandAdvU64Ex(hBad, 0, 9), UINT64_MAX);
        EXPECT_EQ(RTRandAdvSeed(hBad, 1), VERR_INVALID_HANDLE);
        EXPECT_EQ(RTRandAdvSaveState(hBad, szState, &cb), VERR_INVALID_HANDLE);
        EXPECT_EQ(RTRandAdvRestoreState(hBad, "PM:00000001,00000003,1e;"), VERR_INVALID_HANDLE);
        if (hBad != NIL_RTRAND)
        {
            EXPECT_EQ(RTRandAdvDestroy(hBad), VERR_INVALID_HANDLE);
        }
    }
    EXPECT_EQ(RTRandAdvDestroy(NIL_RTRAND), VINF_SUCCESS);
    EXPECT_EQ(RTRandAdvCreateParkMiller(nullptr), VERR_INVALID_POINTER);
    RTRAND hRand = NIL_RTRAND;
    EXPECT_EQ(RTRandAdvCreateSystemFaster(&hRand), VERR_NOT_SUPPORTED);
    EXPECT_EQ(hRand, NIL_RTRAND);
}

} /* anonymous namespace */
