/*
 * Calendar time: breakdown of nanoseconds since 1970 into UTC fields, the
 * ISO 8601 text form, and the leap year rule. Portable; the clocks that
 * produce the values live with the platform code.
 */
#include <tulo/time.h>

#include <string.h>

namespace {

constexpr int32_t RTTIME_FIRST_YEAR = 1670;
constexpr unsigned RTTIME_YEARS     = 600;
/* 1970 is entry 300, with day 0. */
constexpr unsigned RTTIME_EPOCH_IDX = 300;

constexpr bool rtTimeIsLeap(int32_t i32Year)
{
    return (i32Year % 4 == 0 && i32Year % 100 != 0) || i32Year % 400 == 0;
}

struct RTTIMEYEARTABLE
{
    int32_t ai32Jan1[RTTIME_YEARS];
};

/* Day number of January 1 of every year of the table, computed at build
 * time from the leap year rule so that no literal can carry a typo. */
constexpr RTTIMEYEARTABLE rtTimeMakeYearTable()
{
    RTTIMEYEARTABLE Table{};
    int32_t iDay = 0;
    Table.ai32Jan1[RTTIME_EPOCH_IDX] = 0;
    for (unsigned i = RTTIME_EPOCH_IDX + 1; i < RTTIME_YEARS; i++)
    {
        iDay += rtTimeIsLeap(RTTIME_FIRST_YEAR + (int32_t)i - 1) ? 366 : 365;
        Table.ai32Jan1[i] = iDay;
    }
    iDay = 0;
    for (unsigned i = RTTIME_EPOCH_IDX; i-- > 0;)
    {
        iDay -= rtTimeIsLeap(RTTIME_FIRST_YEAR + (int32_t)i) ? 366 : 365;
        Table.ai32Jan1[i] = iDay;
    }
    return Table;
}

constexpr RTTIMEYEARTABLE g_YearTable = rtTimeMakeYearTable();

static_assert(g_YearTable.ai32Jan1[RTTIME_EPOCH_IDX] == 0, "1970-01-01 is day 0");
static_assert(g_YearTable.ai32Jan1[RTTIME_EPOCH_IDX + 30] == 10957, "2000-01-01 is day 10957");
static_assert(g_YearTable.ai32Jan1[RTTIME_EPOCH_IDX - 70] == -25567, "1900-01-01 is day -25567");

/* Year day on which each month starts, with a 13th entry for the year's end. */
constexpr uint16_t g_au16MonthStartCommon[13] = { 1, 32, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366 };
constexpr uint16_t g_au16MonthStartLeap[13]   = { 1, 32, 61, 92, 122, 153, 183, 214, 245, 275, 306, 336, 367 };

/* Division rounding towards minus infinity, with the matching remainder in 0..divisor-1. */
inline int64_t rtTimeFloorDiv(int64_t i64Value, int64_t i64Divisor, int64_t *pi64Rem)
{
    int64_t i64Quot = i64Value / i64Divisor;
    int64_t i64Rem  = i64Value % i64Divisor;
    if (i64Rem < 0)
    {
        i64Rem += i64Divisor;
        i64Quot--;
    }
    *pi64Rem = i64Rem;
    return i64Quot;
}

/* Writes the digits of u32Value, at least cchMin of them, zero padded; returns the count. */
size_t rtTimeFmtU32(char *pszDst, uint32_t u32Value, unsigned cchMin)
{
    char achTmp[10];
    unsigned cch = 0;
    do
    {
        achTmp[cch++] = (char)('0' + u32Value % 10);
        u32Value /= 10;
    } while (u32Value);
    while (cch < cchMin)
        achTmp[cch++] = '0';
    for (unsigned i = 0; i < cch; i++)
        pszDst[i] = achTmp[cch - 1 - i];
    return cch;
}

} /* anonymous namespace */


bool RTTimeIsLeapYear(int32_t i32Year)
{
    return rtTimeIsLeap(i32Year);
}


PRTTIME RTTimeExplode(PRTTIME pTime, PCRTTIMESPEC pTimeSpec)
{
    if (!RT_VALID_PTR(pTime) || !RT_VALID_PTR(pTimeSpec))
        return nullptr;

    int64_t i64Rem;
    int64_t i64Value = rtTimeFloorDiv(RTTimeSpecGetNano(pTimeSpec), (int64_t)RT_NS_1SEC, &i64Rem);
    pTime->u32Nanosecond = (uint32_t)i64Rem;
    i64Value = rtTimeFloorDiv(i64Value, 60, &i64Rem);
    pTime->u8Second = (uint8_t)i64Rem;
    i64Value = rtTimeFloorDiv(i64Value, 60, &i64Rem);
    pTime->u8Minute = (uint8_t)i64Rem;
    int32_t const iDay = (int32_t)rtTimeFloorDiv(i64Value, 24, &i64Rem);
    pTime->u8Hour = (uint8_t)i64Rem;

    /* 1970-01-01 was a Thursday (3 with Monday as 0). */
    pTime->u8WeekDay = (uint8_t)(((iDay % 7) + 10) % 7);

    /* The estimate is at most one year off in either direction; the whole
     * range of the nanosecond count lies well inside the table. */
    int32_t iYear = iDay / 365 + (int32_t)RTTIME_EPOCH_IDX;
    while (iYear + 1 < (int32_t)RTTIME_YEARS && g_YearTable.ai32Jan1[iYear + 1] <= iDay)
        iYear++;
    while (iYear > 0 && g_YearTable.ai32Jan1[iYear] > iDay)
        iYear--;
    pTime->i32Year    = RTTIME_FIRST_YEAR + iYear;
    pTime->u16YearDay = (uint16_t)(iDay - g_YearTable.ai32Jan1[iYear] + 1);

    uint16_t const *pau16MonthStart;
    if (rtTimeIsLeap(pTime->i32Year))
    {
        pTime->fFlags   = RTTIME_FLAGS_TYPE_UTC | RTTIME_FLAGS_LEAP_YEAR;
        pau16MonthStart = g_au16MonthStartLeap;
    }
    else
    {
        pTime->fFlags   = RTTIME_FLAGS_TYPE_UTC | RTTIME_FLAGS_COMMON_YEAR;
        pau16MonthStart = g_au16MonthStartCommon;
    }

    /* No month is longer than 32 days, so this never starts past the right one. */
    unsigned iMonth = (pTime->u16YearDay - 1u) / 32u;
    while (pau16MonthStart[iMonth + 1] <= pTime->u16YearDay)
        iMonth++;
    pTime->u8Month    = (uint8_t)(iMonth + 1);
    pTime->u8MonthDay = (uint8_t)(pTime->u16YearDay - pau16MonthStart[iMonth] + 1);
    pTime->offUTC     = 0;
    return pTime;
}


char *RTTimeSpecToString(PCRTTIMESPEC pTimeSpec, char *psz, size_t cb)
{
    if (!RT_VALID_PTR(pTimeSpec) || !RT_VALID_PTR(psz))
        return nullptr;

    RTTIME Time;
    RTTimeExplode(&Time, pTimeSpec);

    /* The full text is at most 32 characters (a sign and ten year digits
     * are impossible for the 64-bit range, but cost nothing to allow). */
    char szText[48];
    size_t off = 0;
    uint32_t u32Year = (uint32_t)Time.i32Year;
    if (Time.i32Year < 0)
    {
        szText[off++] = '-';
        u32Year = 0u - u32Year;
    }
    off += rtTimeFmtU32(&szText[off], u32Year, 1);
    szText[off++] = '-';
    off += rtTimeFmtU32(&szText[off], Time.u8Month, 2);
    szText[off++] = '-';
    off += rtTimeFmtU32(&szText[off], Time.u8MonthDay, 2);
    szText[off++] = 'T';
    off += rtTimeFmtU32(&szText[off], Time.u8Hour, 2);
    szText[off++] = ':';
    off += rtTimeFmtU32(&szText[off], Time.u8Minute, 2);
    szText[off++] = ':';
    off += rtTimeFmtU32(&szText[off], Time.u8Second, 2);
    szText[off++] = '.';
    off += rtTimeFmtU32(&szText[off], Time.u32Nanosecond, 9);
    szText[off++] = 'Z';

    /* Bounded printing: what fits is stored and terminated; the caller only
     * gets the text back when it is complete, which the final 'Z' proves. */
    if (!cb)
        return nullptr;
    size_t const cchStored = off < cb - 1 ? off : cb - 1;
    memcpy(psz, szText, cchStored);
    psz[cchStored] = '\0';
    if (cchStored > 15 && psz[cchStored - 1] == 'Z')
        return psz;
    return nullptr;
}
