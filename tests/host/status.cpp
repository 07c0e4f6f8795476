/* Status codes: the success tests and the generated table of codes. */
#include <tulo/cdefs.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

struct STATUSENTRY
{
    int         iValue;
    const char *pszName;
    const char *pszMsg;
};

const STATUSENTRY g_aEntries[] =
{
#include "status-table.inc"
};

TEST(Status, SuccessAndFailureTests)
{
    const int aiSuccess[] = { VINF_SUCCESS, VINF_ALREADY_INITIALIZED, VWRN_NUMBER_TOO_BIG, VWRN_NEGATIVE_UNSIGNED,
                              VWRN_TRAILING_CHARS, VWRN_TRAILING_SPACES, VINF_GETOPT_NOT_OPTION,
                              VINF_LOG_DISABLED, VINF_LOG_NO_LOGGER, INT32_MAX };
    for (int rc : aiSuccess)
    {
        EXPECT_TRUE(RT_SUCCESS(rc)) << rc;
        EXPECT_TRUE(RT_SUCCESS_NP(rc)) << rc;
        EXPECT_FALSE(RT_FAILURE(rc)) << rc;
    }
    const int aiFailure[] = { -1, VERR_INVALID_PARAMETER, VERR_BUFFER_OVERFLOW, VERR_GETOPT_UNKNOWN_OPTION,
                              VERR_CRYPT_UNSUPPORTED_ALGORITHM, INT32_MIN };
    for (int rc : aiFailure)
    {
        EXPECT_FALSE(RT_SUCCESS(rc)) << rc;
        EXPECT_FALSE(RT_SUCCESS_NP(rc)) << rc;
        EXPECT_TRUE(RT_FAILURE(rc)) << rc;
    }
}

TEST(Status, ValuesOfCodesOthersTestFor)
{
    /* Codes that other modules and stored results compare against by value. */
    EXPECT_EQ(VERR_INVALID_POINTER, -6);
    EXPECT_EQ(VERR_BUFFER_OVERFLOW, -41);
    EXPECT_EQ(VERR_UNRESOLVED_ERROR, -35);
    EXPECT_EQ(VINF_GETOPT_NOT_OPTION, 828);
    EXPECT_EQ(VERR_GETOPT_UNKNOWN_OPTION, -825);
    EXPECT_EQ(VERR_GETOPT_REQUIRED_ARGUMENT_MISSING, -826);
    EXPECT_EQ(VERR_GETOPT_INVALID_ARGUMENT_FORMAT, -827);
    EXPECT_EQ(VERR_GETOPT_INDEX_MISSING, -829);
    EXPECT_EQ(VERR_TRUST_FAILURE, -3775);
}

TEST(Status, TableIsSortedUniqueAndWithinSixteenBits)
{
    ASSERT_GT(RT_ELEMENTS(g_aEntries), 100u);
    std::set<std::string> Names;
    for (size_t i = 0; i < RT_ELEMENTS(g_aEntries); i++)
    {
        const STATUSENTRY &Entry = g_aEntries[i];
        if (i)
            EXPECT_LT(g_aEntries[i - 1].iValue, Entry.iValue) << Entry.pszName;
        EXPECT_TRUE(Names.insert(Entry.pszName).second) << Entry.pszName;
        EXPECT_GE(Entry.iValue, INT16_MIN) << Entry.pszName;
        EXPECT_LE(Entry.iValue, INT16_MAX) << Entry.pszName;
        std::string const strName = Entry.pszName;
        bool const fError = strName.rfind("VERR_", 0) == 0;
        EXPECT_TRUE(fError || strName.rfind("VINF_", 0) == 0 || strName.rfind("VWRN_", 0) == 0) << strName;
        EXPECT_EQ(fError, RT_FAILURE(Entry.iValue)) << strName;
        EXPECT_NE(Entry.pszMsg[0], '\0') << strName;
    }
    EXPECT_EQ(g_aEntries[0].iValue, -23502);
    EXPECT_EQ(g_aEntries[RT_ELEMENTS(g_aEntries) - 1].iValue, 22302);
}

} /* namespace */
