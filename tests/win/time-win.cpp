/* The monotonic clock and its sources, the program-relative clocks and the calendar time. */
#include <tulo/time.h>

#include "r3/win/time-win-internal.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

double qpcMs(const LARGE_INTEGER &Start, const LARGE_INTEGER &End)
{
    LARGE_INTEGER Freq;
    QueryPerformanceFrequency(&Freq);
    return (double)(End.QuadPart - Start.QuadPart) * 1000.0 / (double)Freq.QuadPart;
}

TEST(TimeNanoTS, MethodFollowsWhatThePlatformOffers)
{
    bool const fPrecise = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetInterruptTimePrecise") != nullptr;
    /* Wine 8 lacks the precise function; Windows 10 and later have it. */
    EXPECT_EQ(rtTimeNanoTSMethod(), fPrecise ? RTTIMENANOTS_METHOD_RTL_PRECISE : RTTIMENANOTS_METHOD_INTERRUPT_TIME);
    uint64_t u64;
    EXPECT_EQ(rtTimeNanoTSByMethod(RTTIMENANOTS_METHOD_RTL_PRECISE, &u64), fPrecise);
    EXPECT_FALSE(rtTimeNanoTSByMethod(7, &u64));
}

/* Every source counts the same time since boot, in its own steps. */
TEST(TimeNanoTS, SourcesAgree)
{
    uint64_t u64Tick = 0, u64Intr = 0, u64Precise = 0;
    ASSERT_TRUE(rtTimeNanoTSByMethod(RTTIMENANOTS_METHOD_INTERRUPT_TIME, &u64Intr));
    ASSERT_TRUE(rtTimeNanoTSByMethod(RTTIMENANOTS_METHOD_TICK_COUNT, &u64Tick));
    int64_t const i64Diff = (int64_t)(u64Tick - u64Intr);
    EXPECT_LT(i64Diff < 0 ? -i64Diff : i64Diff, INT64_C(100000000)) << u64Tick << " vs " << u64Intr;
    EXPECT_EQ(u64Tick % 1000000, 0u) << "tick counts are whole milliseconds";
    if (rtTimeNanoTSByMethod(RTTIMENANOTS_METHOD_RTL_PRECISE, &u64Precise))
    {
        int64_t const i64Diff2 = (int64_t)(u64Precise - u64Intr);
        EXPECT_LT(i64Diff2 < 0 ? -i64Diff2 : i64Diff2, INT64_C(100000000));
    }
}

TEST(TimeNanoTS, AdvancesWithTheWallClockAndNeverGoesBack)
{
    LARGE_INTEGER Start, End;
    QueryPerformanceCounter(&Start);
    uint64_t const u64Start = RTTimeNanoTS();
    uint64_t u64Prev = u64Start;
    for (unsigned i = 0; i < 100000; i++)
    {
        uint64_t const u64 = RTTimeNanoTS();
        ASSERT_GE(u64, u64Prev) << i;
        u64Prev = u64;
    }
    Sleep(200);
    uint64_t const u64End = RTTimeNanoTS();
    QueryPerformanceCounter(&End);
    double const dClockMs = (double)(u64End - u64Start) / 1e6;
    double const dQpcMs = qpcMs(Start, End);
    EXPECT_GE(dClockMs, 150.0);
    /* The interrupt time moves in steps of a timer tick. */
    EXPECT_NEAR(dClockMs, dQpcMs, 40.0);
}

TEST(TimeProgram, ClocksCountFromTheStartInTheirUnits)
{
    uint64_t const u64Saved = g_u64ProgramStartNanoTS;
    g_u64ProgramStartNanoTS = RTTimeNanoTS() - 7 * RT_NS_1SEC - 123 * RT_NS_1MS;
    for (unsigned i = 0; i < 1000; i++)
    {
        uint64_t const u64Before = RTTimeNanoTS() - g_u64ProgramStartNanoTS;
        uint64_t const u64Micro = RTTimeProgramMicroTS();
        uint64_t const u64Milli = RTTimeProgramMilliTS();
        uint32_t const u32Sec = RTTimeProgramSecTS();
        uint64_t const u64After = RTTimeNanoTS() - g_u64ProgramStartNanoTS;
        ASSERT_GE(u64Micro, u64Before / 1000);
        ASSERT_LE(u64Micro, u64After / 1000);
        ASSERT_GE(u64Milli, u64Before / 1000000);
        ASSERT_LE(u64Milli, u64After / 1000000);
        ASSERT_GE(u32Sec, u64Before / 1000000000);
        ASSERT_LE(u32Sec, u64After / 1000000000);
    }
    EXPECT_GE(RTTimeProgramSecTS(), 7u);
    g_u64ProgramStartNanoTS = u64Saved;
}

/* The calendar time agrees with the system's own broken-down UTC time. */
TEST(TimeNow, MatchesTheSystemTime)
{
    for (unsigned iTry = 0; iTry < 5; iTry++)
    {
        SYSTEMTIME Sys;
        GetSystemTime(&Sys);
        RTTIMESPEC Now;
        ASSERT_EQ(RTTimeNow(&Now), &Now);
        RTTIME Time;
        ASSERT_EQ(RTTimeExplode(&Time, &Now), &Time);
        if (Time.u8Second != Sys.wSecond)
            continue; /* a second boundary passed between the two readings */
        EXPECT_EQ(Time.i32Year, Sys.wYear);
        EXPECT_EQ(Time.u8Month, Sys.wMonth);
        EXPECT_EQ(Time.u8MonthDay, Sys.wDay);
        EXPECT_EQ(Time.u8Hour, Sys.wHour);
        EXPECT_EQ(Time.u8Minute, Sys.wMinute);
        /* SYSTEMTIME counts Sunday as 0, the breakdown Monday. */
        EXPECT_EQ(Time.u8WeekDay, (Sys.wDayOfWeek + 6) % 7);
        EXPECT_EQ(RTTimeNow(nullptr), nullptr);
        return;
    }
    FAIL() << "the second never stood still long enough";
}

} /* anonymous namespace */
