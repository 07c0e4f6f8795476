/*
 * Tests of the text to UUID conversion: both notations, case, every kind of
 * malformed text, and pointer checks.
 */
#include <tulo/string.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include "guarded-page.h"

#include <stdint.h>
#include <string.h>
#include <string>

namespace {

/* The fields every well-formed row below spells, in some case and notation. */
void ExpectReference(const RTUUID &Uuid)
{
    EXPECT_EQ(Uuid.Gen.u32TimeLow, 0x01234567u);
    EXPECT_EQ(Uuid.Gen.u16TimeMid, 0x89abu);
    EXPECT_EQ(Uuid.Gen.u16TimeHiAndVersion, 0xcdefu);
    EXPECT_EQ(Uuid.Gen.u8ClockSeqHiAndReserved, 0xf0u);
    EXPECT_EQ(Uuid.Gen.u8ClockSeqLow, 0x1du);
    static const uint8_t s_abNode[6] = { 0x23, 0x45, 0x67, 0x89, 0xab, 0xce };
    EXPECT_EQ(0, memcmp(Uuid.Gen.au8Node, s_abNode, 6));
}

TEST(UuidStr, WellFormed)
{
    static const char *const s_apsz[] =
    {
        "01234567-89ab-cdef-f01d-23456789abce",
        "01234567-89AB-CDEF-F01D-23456789ABCE",
        "01234567-89aB-CdEf-F01d-23456789AbCe",
        "{01234567-89ab-cdef-f01d-23456789abce}",
        "{01234567-89AB-cdef-F01D-23456789abCE}",
    };
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const char *psz : s_apsz)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << psz << "\"");
        RTUUID Uuid;
        memset(&Uuid, 0xee, sizeof(Uuid));
        ASSERT_EQ(RTStrParseUuid(&Uuid, Page.Place(psz)), VINF_SUCCESS);
        ExpectReference(Uuid);
    }

    /* The 16-bit fields are numbers: the first digit pair is the high byte
     * whatever the byte order of the host. */
    RTUUID Uuid;
    ASSERT_EQ(RTStrParseUuid(&Uuid, "00000000-0102-0304-0506-0708090a0b0c"), VINF_SUCCESS);
    EXPECT_EQ(Uuid.Gen.u32TimeLow, 0u);
    EXPECT_EQ(Uuid.Gen.u16TimeMid, 0x0102u);
    EXPECT_EQ(Uuid.Gen.u16TimeHiAndVersion, 0x0304u);
    static const uint8_t s_abTail[8] = { 5, 6, 7, 8, 9, 10, 11, 12 };
    EXPECT_EQ(0, memcmp(&Uuid.au8[8], s_abTail, 8));
}

TEST(UuidStr, Malformed)
{
    static const char *const s_apsz[] =
    {
        "",
        "{",
        "{}",
        /* Too short or too long. */
        "01234567-89ab-cdef-f01d-23456789abc",
        "01234567-89ab-cdef-f01d-23456789abcef",
        "01234567-89ab-cdef-f01d",
        /* A separator missing, misplaced or of the wrong kind. */
        "0123456789ab-cdef-f01d-23456789abce-",
        "0123456-789ab-cdef-f01d-23456789abce",
        "01234567-89ab-cdef-f01d_23456789abce",
        "01234567:89ab:cdef:f01d:23456789abce",
        /* A character that is no hex digit, in each group. */
        "0123456g-89ab-cdef-f01d-23456789abce",
        "01234567-89ag-cdef-f01d-23456789abce",
        "01234567-89ab-cdeg-f01d-23456789abce",
        "01234567-89ab-cdef-g01d-23456789abce",
        "01234567-89ab-cdef-f01d-23456789abcg",
        "01234567-89ab-cdef-f01d-2345 789abce",
        "+1234567-89ab-cdef-f01d-23456789abce",
        /* Braces that do not match, or what follows the UUID. */
        "{01234567-89ab-cdef-f01d-23456789abce",
        "01234567-89ab-cdef-f01d-23456789abce}",
        "{01234567-89ab-cdef-f01d-23456789abce}}",
        "{01234567-89ab-cdef-f01d-23456789abce)",
        "(01234567-89ab-cdef-f01d-23456789abce)",
        "01234567-89ab-cdef-f01d-23456789abce ",
        " 01234567-89ab-cdef-f01d-23456789abce",
        "01234567-89ab-cdef-f01d-23456789abcex",
    };
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const char *psz : s_apsz)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << psz << "\"");
        RTUUID Uuid;
        memset(&Uuid, 0xee, sizeof(Uuid));
        EXPECT_EQ(RTStrParseUuid(&Uuid, Page.Place(psz)), VERR_INVALID_UUID_FORMAT);
        EXPECT_EQ(Uuid.au64[0], UINT64_C(0xeeeeeeeeeeeeeeee));
        EXPECT_EQ(Uuid.au64[1], UINT64_C(0xeeeeeeeeeeeeeeee));
    }

    /* A terminator inside the text ends it, wherever it is. */
    static const char s_szFull[] = "{01234567-89ab-cdef-f01d-23456789abce}";
    for (size_t cch = 0; cch + 1 < sizeof(s_szFull); cch++)
    {
        SCOPED_TRACE(testing::Message() << "cut at " << cch);
        std::string const str(s_szFull, cch);
        RTUUID Uuid;
        EXPECT_EQ(RTStrParseUuid(&Uuid, Page.Place(str.c_str())), VERR_INVALID_UUID_FORMAT);
    }
}

TEST(UuidStr, GuardZonePointers)
{
    const char *const pszGood = "01234567-89ab-cdef-f01d-23456789abce";
    void *const apvBad[] = { nullptr, (void *)(uintptr_t)4095, (void *)(~(uintptr_t)0 - 4095), (void *)(~(uintptr_t)0) };
    RTUUID Uuid;
    for (void *pv : apvBad)
    {
        SCOPED_TRACE(testing::Message() << "pointer " << pv);
        EXPECT_EQ(RTStrParseUuid((RTUUID *)pv, pszGood), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseUuid(&Uuid, (const char *)pv), VERR_INVALID_PARAMETER);
    }
    /* An ordinary pointer passes the same check. */
    EXPECT_EQ(RTStrParseUuid(&Uuid, pszGood), VINF_SUCCESS);
}

} /* namespace */
