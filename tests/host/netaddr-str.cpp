/*
 * Tests of the network address parsers: dotted IPv4 addresses, IPv4
 * networks with a prefix length, and MAC addresses in both notations.
 */
#include <tulo/string.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include "guarded-page.h"

#include <stdint.h>
#include <string.h>

namespace {

const char *const g_pszGuardLow  = (const char *)(uintptr_t)1;
const char *const g_pszGuardHigh = (const char *)(~(uintptr_t)0 - 4095);

struct IPv4Row
{
    const char *psz;
    int         rc;
    uint8_t     ab[4];
    size_t      offStop;
};

const IPv4Row g_aIPv4Rows[] =
{
    { "192.168.1.1",      VINF_SUCCESS,         { 192, 168, 1, 1 }, 11 },
    { "0.0.0.0",          VINF_SUCCESS,         { 0, 0, 0, 0 },      7 },
    { "255.255.255.255",  VINF_SUCCESS,         { 255, 255, 255, 255 }, 15 },
    /* Leading zeros are decimal, plus signs are taken. */
    { "010.001.002.099",  VINF_SUCCESS,         { 10, 1, 2, 99 },   15 },
    { "+1.2.3.+4",        VINF_SUCCESS,         { 1, 2, 3, 4 },      9 },
    /* What follows the fourth field is reported, not rejected. */
    { "192.168.1.1 ",     VWRN_TRAILING_SPACES, { 192, 168, 1, 1 }, 11 },
    { "192.168.1.1x",     VWRN_TRAILING_CHARS,  { 192, 168, 1, 1 }, 11 },
    { "1.2.3.4.5",        VWRN_TRAILING_CHARS,  { 1, 2, 3, 4 },      7 },
    { "1.2.3.4/24",       VWRN_TRAILING_CHARS,  { 1, 2, 3, 4 },      7 },
    /* Malformed. */
    { "",                 VERR_INVALID_PARAMETER, {}, 0 },
    { "1.2.3",            VERR_INVALID_PARAMETER, {}, 0 },
    { "1.2.3.",           VERR_INVALID_PARAMETER, {}, 0 },
    { "1..2.3",           VERR_INVALID_PARAMETER, {}, 0 },
    { "256.1.1.1",        VERR_INVALID_PARAMETER, {}, 0 },
    { "1.2.3.256",        VERR_INVALID_PARAMETER, {}, 0 },
    { "-1.2.3.4",         VERR_INVALID_PARAMETER, {}, 0 },
    { "1.2.3.-0",         VERR_INVALID_PARAMETER, {}, 0 },
    { " 1.2.3.4",         VERR_INVALID_PARAMETER, {}, 0 },
    { "1 .2.3.4",         VERR_INVALID_PARAMETER, {}, 0 },
    { "1:2.3.4",          VERR_INVALID_PARAMETER, {}, 0 },
    { "0x1.2.3.4",        VERR_INVALID_PARAMETER, {}, 0 },
};

TEST(NetAddrStr, IPv4)
{
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const IPv4Row &Row : g_aIPv4Rows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        const char *psz = Page.Place(Row.psz);
        RTNETADDRIPV4 Addr;
        memset(&Addr, 0xee, sizeof(Addr));
        char *pszNext = (char *)g_pszGuardLow;
        EXPECT_EQ(RTStrParseIPv4(psz, &Addr, &pszNext), Row.rc);
        if (RT_SUCCESS(Row.rc))
        {
            EXPECT_EQ(0, memcmp(Addr.au8, Row.ab, 4));
            EXPECT_EQ((size_t)(pszNext - psz), Row.offStop);
        }
        else
        {
            /* A rejected text leaves the outputs alone. */
            EXPECT_EQ(Addr.u, 0xeeeeeeeeu);
            EXPECT_EQ(pszNext, g_pszGuardLow);
        }
    }
}

TEST(NetAddrStr, IPv4Whole)
{
    static const struct
    {
        const char *psz;
        int         rc;
        uint8_t     ab[4];
    } s_aRows[] =
    {
        { "192.168.1.1",          VINF_SUCCESS, { 192, 168, 1, 1 } },
        { "192.168.1.1 ",         VINF_SUCCESS, { 192, 168, 1, 1 } },
        { " \t\r\n192.168.1.1\t", VINF_SUCCESS, { 192, 168, 1, 1 } },
        { "192.168.1.1x",         VERR_INVALID_PARAMETER, {} },
        { "192.168.1.1 x",        VERR_INVALID_PARAMETER, {} },
        { "1.2.3.4.5",            VERR_INVALID_PARAMETER, {} },
        { "   ",                  VERR_INVALID_PARAMETER, {} },
        { "1.2.3.999",            VERR_INVALID_PARAMETER, {} },
    };
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        RTNETADDRIPV4 Addr;
        memset(&Addr, 0xee, sizeof(Addr));
        EXPECT_EQ(RTStrParseIPv4Whole(Row.psz, &Addr), Row.rc);
        if (RT_SUCCESS(Row.rc))
            EXPECT_EQ(0, memcmp(Addr.au8, Row.ab, 4));
        else
            EXPECT_EQ(Addr.u, 0xeeeeeeeeu);
    }
}

TEST(NetAddrStr, IPv4Cidr)
{
    static const struct
    {
        const char *psz;
        int         rc;
        uint32_t    uAddr;
        uint32_t    uMask;
    } s_aRows[] =
    {
        { "10.0.0.0/8",       VINF_SUCCESS, 0x0a000000, 0xff000000 },
        { "10/8",             VINF_SUCCESS, 0x0a000000, 0xff000000 },
        { "172.16/12",        VINF_SUCCESS, 0xac100000, 0xfff00000 },
        { "192.168.1/24",     VINF_SUCCESS, 0xc0a80100, 0xffffff00 },
        { "192.168.1.7",      VINF_SUCCESS, 0xc0a80107, 0xffffffff },
        { "192.168.1.7/32",   VINF_SUCCESS, 0xc0a80107, 0xffffffff },
        { "128.0.0.0/1",      VINF_SUCCESS, 0x80000000, 0x80000000 },
        { "0.0.0.0/8",        VINF_SUCCESS, 0x00000000, 0xff000000 },
        { "10.0.0.0/08",      VINF_SUCCESS, 0x0a000000, 0xff000000 },
        /* Host bits set below the prefix. */
        { "10.0.0.1/8",       VERR_INVALID_PARAMETER, 0, 0 },
        { "192.168.1.1/24",   VERR_INVALID_PARAMETER, 0, 0 },
        { "128.0.0.0/0",      VERR_INVALID_PARAMETER, 0, 0 },
        /* Too few fields for the prefix length. */
        { "10/9",             VERR_INVALID_PARAMETER, 0, 0 },
        { "192.168/24",       VERR_INVALID_PARAMETER, 0, 0 },
        { "10",               VERR_INVALID_PARAMETER, 0, 0 },
        /* 0 as first field only for 0.0.0.0 with a prefix of 1 to 31. */
        { "0.0.0.0/0",        VERR_INVALID_PARAMETER, 0, 0 },
        { "0.0.0.0",          VERR_INVALID_PARAMETER, 0, 0 },
        { "0.1.0.0/16",       VERR_INVALID_PARAMETER, 0, 0 },
        /* Malformed prefix length. */
        { "10.0.0.0/33",      VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0/",        VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0/8 ",      VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0/8/8",     VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0/-8",      VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0/264",     VERR_INVALID_PARAMETER, 0, 0 },
        /* Malformed address. */
        { "10.0.0.0.0/8",     VERR_INVALID_PARAMETER, 0, 0 },
        { "10.256.0.0/8",     VERR_INVALID_PARAMETER, 0, 0 },
        { "10.-0.0.0/8",      VERR_INVALID_PARAMETER, 0, 0 },
        { "10..0.0/8",        VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0x/8",      VERR_INVALID_PARAMETER, 0, 0 },
        { "10.0.0.0 /8",      VERR_INVALID_PARAMETER, 0, 0 },
        { "/8",               VERR_INVALID_PARAMETER, 0, 0 },
        { "",                 VERR_INVALID_PARAMETER, 0, 0 },
    };
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        uint32_t uAddr = 0xeeeeeeee, uMask = 0xeeeeeeee;
        EXPECT_EQ(RTStrParseIPv4Cidr(Page.Place(Row.psz), &uAddr, &uMask), Row.rc);
        EXPECT_EQ(uAddr, RT_SUCCESS(Row.rc) ? Row.uAddr : 0xeeeeeeeeu);
        EXPECT_EQ(uMask, RT_SUCCESS(Row.rc) ? Row.uMask : 0xeeeeeeeeu);
    }
}

TEST(NetAddrStr, Mac)
{
    static const struct
    {
        const char *psz;
        int         rc;
        uint8_t     ab[6];
    } s_aRows[] =
    {
        { "00:11:22:33:44:55",      VINF_SUCCESS, { 0x00, 0x11, 0x22, 0x33, 0x44, 0x55 } },
        { "001122334455",           VINF_SUCCESS, { 0x00, 0x11, 0x22, 0x33, 0x44, 0x55 } },
        { "aA:bB:Cc:dD:eE:Ff",      VINF_SUCCESS, { 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff } },
        { "AaBbCcDdEeFf",           VINF_SUCCESS, { 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff } },
        { "00::22:33:44:55",        VINF_SUCCESS, { 0x00, 0x00, 0x22, 0x33, 0x44, 0x55 } },
        { "00:11::::55",            VINF_SUCCESS, { 0x00, 0x11, 0x00, 0x00, 0x00, 0x55 } },
        { "0:1:2:3:4:5",            VINF_SUCCESS, { 0, 1, 2, 3, 4, 5 } },
        { " \t00:11:22:33:44:55 \r\n", VINF_SUCCESS, { 0x00, 0x11, 0x22, 0x33, 0x44, 0x55 } },
        { "001122334455 \n",        VINF_SUCCESS, { 0x00, 0x11, 0x22, 0x33, 0x44, 0x55 } },
        /* Plain form: exactly twelve digits, then blanks only. */
        { "001122334455x",          VERR_INVALID_PARAMETER, {} },
        { "0011223344556",          VERR_INVALID_PARAMETER, {} },
        { "00112233445g",           VERR_INVALID_PARAMETER, {} },
        { " 001122334455",          VERR_INVALID_PARAMETER, {} },
        { "0011223344",             VERR_INVALID_PARAMETER, {} },
        /* Colon form. */
        { "",                       VERR_INVALID_PARAMETER, {} },
        { ":11:22:33:44:55",        VERR_INVALID_PARAMETER, {} },
        { "100:11:22:33:44:55",     VERR_INVALID_PARAMETER, {} },
        { "00:11:22:33:44",         VERR_INVALID_PARAMETER, {} },
        { "00:11:22:33:44:55:66",   VERR_INVALID_PARAMETER, {} },
        { "00-11-22-33-44-55",      VERR_INVALID_PARAMETER, {} },
        /* Values a field may not carry never look like success. */
        { "00:11:22:33:44:55x",     VERR_INVALID_PARAMETER, {} },
        { "00:11:22:33:44:100",     VERR_INVALID_PARAMETER, {} },
        { "00:-1:22:33:44:55",      VERR_INVALID_PARAMETER, {} },
        { "00:11:22:33:44:-0",      VERR_INVALID_PARAMETER, {} },
        { "00:11:122:33:44:55",     VERR_INVALID_PARAMETER, {} },
        /* Errors of a field's conversion are passed on. */
        { "00:11:22:33:44:",        VERR_NO_DIGITS, {} },
        { "00:11: :33:44:55",       VERR_NO_DIGITS, {} },
    };
    GuardedPage Page;
    ASSERT_TRUE(Page.IsValid());
    for (const auto &Row : s_aRows)
    {
        SCOPED_TRACE(testing::Message() << "text \"" << Row.psz << "\"");
        RTMAC Mac;
        memset(&Mac, 0xee, sizeof(Mac));
        EXPECT_EQ(RTStrParseMac(Page.Place(Row.psz), &Mac), Row.rc);
        if (RT_SUCCESS(Row.rc))
            EXPECT_EQ(0, memcmp(Mac.au8, Row.ab, 6));
        else
        {
            static const uint8_t s_abUntouched[6] = { 0xee, 0xee, 0xee, 0xee, 0xee, 0xee };
            EXPECT_EQ(0, memcmp(Mac.au8, s_abUntouched, 6));
        }
    }
}

TEST(NetAddrStr, GuardZonePointers)
{
    RTNETADDRIPV4 Addr;
    RTMAC Mac;
    uint32_t uAddr, uMask;
    char *pszNext;
    const char *const apszBad[] = { nullptr, g_pszGuardLow, g_pszGuardHigh };
    for (const char *psz : apszBad)
    {
        SCOPED_TRACE(testing::Message() << "string pointer " << (const void *)psz);
        EXPECT_EQ(RTStrParseIPv4(psz, &Addr, &pszNext), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseIPv4Whole(psz, &Addr), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseIPv4Cidr(psz, &uAddr, &uMask), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseMac(psz, &Mac), VERR_INVALID_PARAMETER);
    }

    /* Output pointers in the guard zone are refused before anything is written. */
    void *const apvBad[] = { nullptr, (void *)g_pszGuardLow, (void *)g_pszGuardHigh };
    for (void *pv : apvBad)
    {
        SCOPED_TRACE(testing::Message() << "output pointer " << pv);
        EXPECT_EQ(RTStrParseIPv4("1.2.3.4", (RTNETADDRIPV4 *)pv, nullptr), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseIPv4Whole("1.2.3.4", (RTNETADDRIPV4 *)pv), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseIPv4Cidr("10/8", (uint32_t *)pv, &uMask), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseIPv4Cidr("10/8", &uAddr, (uint32_t *)pv), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTStrParseMac("00:11:22:33:44:55", (RTMAC *)pv), VERR_INVALID_PARAMETER);
    }
    /* The stop position is optional; when given it must be usable. */
    EXPECT_EQ(RTStrParseIPv4("1.2.3.4", &Addr, nullptr), VINF_SUCCESS);
    EXPECT_EQ(RTStrParseIPv4("1.2.3.4", &Addr, (char **)(void *)g_pszGuardHigh), VERR_INVALID_PARAMETER);
}

} /* namespace */
