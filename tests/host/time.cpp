/* Calendar breakdown, ISO 8601 text and the leap year rule. */
#include <tulo/time.h>

#include <gtest/gtest.h>

#include <string.h>

namespace {

constexpr int64_t NS_PER_DAY = INT64_C(86400) * 1000000000;

struct EXPLODECASE
{
    int64_t     i64Nano;
    int32_t     i32Year;
    unsigned    uMonth, uMonthDay, uHour, uMinute, uSecond;
    uint32_t    u32Nano;
    unsigned    uWeekDay;       /* 0 = Monday */
    unsigned    uYearDay;
    uint32_t    fFlags;
};

/* Dates whose week days and year days are known from the calendar itself. */
const EXPLODECASE g_aExplodeCases[] =
{
    { 0,                                         1970,  1,  1,  0,  0,  0, 0,         3,   1, 0x82 },
    { -1,                                        1969, 12, 31, 23, 59, 59, 999999999, 2, 365, 0x82 },
    { 951782400 * INT64_C(1000000000),           2000,  2, 29,  0,  0,  0, 0,         1,  60, 0x42 },
    { 951782399 * INT64_C(1000000000),           2000,  2, 28, 23, 59, 59, 0,         0,  59, 0x42 },
    { 951868800 * INT64_C(1000000000),           2000,  3,  1,  0,  0,  0, 0,         2,  61, 0x42 },
    { 978220800 * INT64_C(1000000000),           2000, 12, 31,  0,  0,  0, 0,         6, 366, 0x42 },
    { 4102444800 * INT64_C(1000000000),          2100,  1,  1,  0,  0,  0, 0,         4,   1, 0x82 },
    { -2208988800 * INT64_C(1000000000),         1900,  1,  1,  0,  0,  0, 0,         0,   1, 0x82 },
    { 1709164800 * INT64_C(1000000000) + 123456789, 2024, 2, 29, 0,  0,  0, 123456789, 3,  60, 0x42 },
    { 1234567890 * INT64_C(1000000000),          2009,  2, 13, 23, 31, 30, 0,         4,  44, 0x82 },
    { -86400 * INT64_C(1000000000),              1969, 12, 31,  0,  0,  0, 0,         2, 365, 0x82 },
    { -1000000001,                               1969, 12, 31, 23, 59, 58, 999999999, 2, 365, 0x82 },
    /* The ends of the 64-bit range. */
    { INT64_MAX,                                 2262,  4, 11, 23, 47, 16, 854775807, 4, 101, 0x82 },
    { INT64_MIN,                                 1677,  9, 21,  0, 12, 43, 145224192, 1, 264, 0x82 },
};

TEST(TimeExplode, KnownDates)
{
    for (const EXPLODECASE &Case : g_aExplodeCases)
    {
        SCOPED_TRACE(Case.i64Nano);
        RTTIMESPEC TimeSpec;
        RTTIME Time;
        memset(&Time, 0xff, sizeof(Time));
        ASSERT_EQ(RTTimeExplode(&Time, RTTimeSpecSetNano(&TimeSpec, Case.i64Nano)), &Time);
        EXPECT_EQ(Time.i32Year, Case.i32Year);
        EXPECT_EQ(Time.u8Month, Case.uMonth);
        EXPECT_EQ(Time.u8MonthDay, Case.uMonthDay);
        EXPECT_EQ(Time.u8Hour, Case.uHour);
        EXPECT_EQ(Time.u8Minute, Case.uMinute);
        EXPECT_EQ(Time.u8Second, Case.uSecond);
        EXPECT_EQ(Time.u32Nanosecond, Case.u32Nano);
        EXPECT_EQ(Time.u8WeekDay, Case.uWeekDay);
        EXPECT_EQ(Time.u16YearDay, Case.uYearDay);
        EXPECT_EQ(Time.fFlags, Case.fFlags);
        EXPECT_EQ(Time.offUTC, 0);
    }
}

/* Civil date of a day number by the era-based method, which shares nothing
 * with the table walk under test. */
void civilFromDays(int64_t z, int32_t *piYear, unsigned *puMonth, unsigned *puDay)
{
    z += 719468;
    int64_t const era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned const doe = (unsigned)(z - era * 146097);
    unsigned const yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t const y = (int64_t)yoe + era * 400;
    unsigned const doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned const mp = (5 * doy + 2) / 153;
    *puDay = doy - (153 * mp + 2) / 5 + 1;
    *puMonth = mp < 10 ? mp + 3 : mp - 9;
    *piYear = (int32_t)(y + (*puMonth <= 2));
}

int64_t daysFromCivil(int32_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    int64_t const era = (y >= 0 ? y : y - 399) / 400;
    unsigned const yoe = (unsigned)(y - era * 400);
    unsigned const doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned const doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (int64_t)doe - 719468;
}

/* Every day of the range at two times of day, against the reference. */
TEST(TimeExplode, EveryDayAgreesWithTheCivilCalendar)
{
    int64_t const iFirstDay = INT64_MIN / NS_PER_DAY;
    int64_t const iLastDay  = INT64_MAX / NS_PER_DAY - 1;
    for (int64_t iDay = iFirstDay; iDay <= iLastDay; iDay++)
    {
        int32_t iYear;
        unsigned uMonth, uDay;
        civilFromDays(iDay, &iYear, &uMonth, &uDay);
        unsigned const uYearDay = (unsigned)(iDay - daysFromCivil(iYear, 1, 1)) + 1;
        unsigned const uWeekDay = (unsigned)(((iDay % 7) + 7 + 3) % 7);

        static const int64_t s_ai64Offsets[] = { 0, NS_PER_DAY - 1 };
        for (int64_t i64Off : s_ai64Offsets)
        {
            RTTIMESPEC TimeSpec;
            RTTIME Time;
            RTTimeExplode(&Time, RTTimeSpecSetNano(&TimeSpec, iDay * NS_PER_DAY + i64Off));
            if (   Time.i32Year != iYear || Time.u8Month != uMonth || Time.u8MonthDay != uDay
                || Time.u16YearDay != uYearDay || Time.u8WeekDay != uWeekDay
                || Time.fFlags != (RTTimeIsLeapYear(iYear) ? 0x42u : 0x82u))
            {
                FAIL() << "day " << iDay << " +" << i64Off << ": got " << Time.i32Year << "-" << (unsigned)Time.u8Month
                       << "-" << (unsigned)Time.u8MonthDay << " yday " << Time.u16YearDay << " wday "
                       << (unsigned)Time.u8WeekDay << ", expected " << iYear << "-" << uMonth << "-" << uDay
                       << " yday " << uYearDay << " wday " << uWeekDay;
            }
        }
    }
}

TEST(TimeExplode, InvalidPointers)
{
    RTTIMESPEC TimeSpec;
    RTTIME Time;
    RTTimeSpecSetNano(&TimeSpec, 0);
    EXPECT_EQ(RTTimeExplode(nullptr, &TimeSpec), nullptr);
    EXPECT_EQ(RTTimeExplode(&Time, nullptr), nullptr);
    EXPECT_EQ(RTTimeExplode(&Time, (PCRTTIMESPEC)(uintptr_t)16), nullptr);
}

TEST(TimeLeapYear, Rule)
{
    static const struct { int32_t iYear; bool fLeap; } s_aCases[] =
    {
        { 1970, false }, { 1972, true }, { 1900, false }, { 2000, true }, { 2100, false },
        { 2400, true },  { 2023, false }, { 2024, true }, { 0, true },    { -4, true },
        { -100, false }, { -400, true },  { 1, false },   { 1600, true }, { 1700, false },
    };
    for (const auto &Case : s_aCases)
        EXPECT_EQ(RTTimeIsLeapYear(Case.iYear), Case.fLeap) << Case.iYear;
}

struct TOSTRINGCASE
{
    int64_t     i64Nano;
    size_t      cbBuf;
    const char *pszExpect;      /* NULL: the call fails */
    const char *pszStored;      /* what the buffer holds afterwards */
};

const TOSTRINGCASE g_aToStringCases[] =
{
    { 0,                                    64, "1970-01-01T00:00:00.000000000Z", "1970-01-01T00:00:00.000000000Z" },
    { -1,                                   64, "1969-12-31T23:59:59.999999999Z", "1969-12-31T23:59:59.999999999Z" },
    { 1234567890 * INT64_C(1000000000) + 5, 64, "2009-02-13T23:31:30.000000005Z", "2009-02-13T23:31:30.000000005Z" },
    { INT64_MAX,                            64, "2262-04-11T23:47:16.854775807Z", "2262-04-11T23:47:16.854775807Z" },
    /* Exactly enough room, and one byte less. */
    { 0,                                    31, "1970-01-01T00:00:00.000000000Z", "1970-01-01T00:00:00.000000000Z" },
    { 0,                                    30, nullptr,                          "1970-01-01T00:00:00.000000000" },
    { 0,                                    16, nullptr,                          "1970-01-01T00:0" },
    { 0,                                     1, nullptr,                          "" },
};

TEST(TimeSpecToString, Table)
{
    for (const TOSTRINGCASE &Case : g_aToStringCases)
    {
        SCOPED_TRACE(testing::Message() << Case.i64Nano << " in " << Case.cbBuf);
        char szBuf[80];
        memset(szBuf, 'x', sizeof(szBuf));
        RTTIMESPEC TimeSpec;
        char *psz = RTTimeSpecToString(RTTimeSpecSetNano(&TimeSpec, Case.i64Nano), szBuf, Case.cbBuf);
        if (Case.pszExpect)
        {
            ASSERT_EQ(psz, szBuf);
            EXPECT_STREQ(psz, Case.pszExpect);
        }
        else
            EXPECT_EQ(psz, nullptr);
        EXPECT_STREQ(szBuf, Case.pszStored);
        EXPECT_EQ(szBuf[Case.cbBuf], 'x') << "wrote past the buffer";
    }
}

TEST(TimeSpecToString, ZeroSizeAndBadPointers)
{
    char ch = 'x';
    RTTIMESPEC TimeSpec;
    RTTimeSpecSetNano(&TimeSpec, 0);
    EXPECT_EQ(RTTimeSpecToString(&TimeSpec, &ch, 0), nullptr);
    EXPECT_EQ(ch, 'x');
    EXPECT_EQ(RTTimeSpecToString(nullptr, &ch, 1), nullptr);
    EXPECT_EQ(RTTimeSpecToString(&TimeSpec, nullptr, 64), nullptr);
}

} /* anonymous namespace */
