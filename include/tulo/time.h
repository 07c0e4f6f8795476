/* Monotonic clock, calendar time and its breakdown. */
#ifndef TULO_TIME_H
#define TULO_TIME_H

#include <tulo/cdefs.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** A duration in milliseconds, as the simple waits and sleeps take it. */
typedef uint32_t RTMSINTERVAL;
/** The timeout that never expires. */
#define RT_INDEFINITE_WAIT (~(RTMSINTERVAL)0)

#define RT_NS_1US   UINT64_C(1000)
#define RT_NS_1MS   UINT64_C(1000000)
#define RT_NS_1SEC  UINT64_C(1000000000)

/** Calendar time: signed nanoseconds since 1970-01-01 00:00:00 UTC. */
typedef struct RTTIMESPEC
{
    int64_t i64NanosecondsRelativeToUnixEpoch;
} RTTIMESPEC;
typedef RTTIMESPEC *PRTTIMESPEC;
typedef const RTTIMESPEC *PCRTTIMESPEC;

/** A calendar time broken down into its fields. */
typedef struct RTTIME
{
    int32_t  i32Year;
    uint8_t  u8Month;       /**< 1..12 */
    uint8_t  u8WeekDay;     /**< 0 Monday .. 6 Sunday */
    uint16_t u16YearDay;    /**< 1..366 */
    uint8_t  u8MonthDay;    /**< 1..31 */
    uint8_t  u8Hour;
    uint8_t  u8Minute;
    uint8_t  u8Second;
    uint32_t u32Nanosecond; /**< 0..999999999 */
    uint32_t fFlags;        /**< RTTIME_FLAGS_* */
    int32_t  offUTC;        /**< minutes east of UTC */
} RTTIME;
typedef RTTIME *PRTTIME;
typedef const RTTIME *PCRTTIME;

#define RTTIME_FLAGS_TYPE_UTC    UINT32_C(0x02)
#define RTTIME_FLAGS_LEAP_YEAR   UINT32_C(0x40)
#define RTTIME_FLAGS_COMMON_YEAR UINT32_C(0x80)

static inline PRTTIMESPEC RTTimeSpecSetNano(PRTTIMESPEC pTime, int64_t i64Nano)
{
    pTime->i64NanosecondsRelativeToUnixEpoch = i64Nano;
    return pTime;
}

static inline int64_t RTTimeSpecGetNano(PCRTTIMESPEC pTime)
{
    return pTime->i64NanosecondsRelativeToUnixEpoch;
}

/** Nanoseconds of the monotonic clock (arbitrary origin, never goes back). */
uint64_t RTTimeNanoTS(void);

/** The monotonic clock at runtime initialisation; the program-relative
 * clocks count from here. */
extern uint64_t g_u64ProgramStartNanoTS;
uint64_t RTTimeProgramMicroTS(void);
uint64_t RTTimeProgramMilliTS(void);
uint32_t RTTimeProgramSecTS(void);

/** The current calendar time into *pTimeSpec; returns pTimeSpec (NULL for an invalid pointer). */
PRTTIMESPEC RTTimeNow(PRTTIMESPEC pTimeSpec);

/** Breaks a calendar time down in UTC; returns pTime, or NULL for invalid pointers. */
PRTTIME RTTimeExplode(PRTTIME pTime, PCRTTIMESPEC pTimeSpec);

/** ISO 8601 text "YYYY-MM-DDThh:mm:ss.nnnnnnnnnZ" into psz (cb bytes);
 * returns psz, or NULL when the whole text did not fit. */
char *RTTimeSpecToString(PCRTTIMESPEC pTimeSpec, char *psz, size_t cb);

/** Gregorian leap year test. */
bool RTTimeIsLeapYear(int32_t i32Year);

RT_C_DECLS_END

#endif
