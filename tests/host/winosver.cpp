/* Classification of the Windows version: every row of the table, and its edges. */
#include "r3/winosver.h"

#include <gtest/gtest.h>

namespace {

struct WINOSVERCASE
{
    uint32_t    uPlatform, uMajor, uMinor, uBuild;
    uint8_t     bProductType;
    int         iExpected;
};

constexpr uint8_t W = 1;    /* workstation */
constexpr uint8_t S = 3;    /* server */

const WINOSVERCASE g_aCases[] =
{
    /* The 9x family: builds tell the releases apart. */
    { 1, 4,  0,   949, W, 0 }, { 1, 4,  0,  950, W, 1 }, { 1, 4, 0,  951, W, 2 }, { 1, 4,  3, 1080, W, 2 },
    { 1, 4,  9,  1081, W, 3 }, { 1, 4, 10, 1000, W, 0 }, { 1, 4, 10, 1997, W, 0 }, { 1, 4, 10, 1998, W, 4 },
    { 1, 4, 10,  1999, W, 5 }, { 1, 4, 10, 2182, W, 5 }, { 1, 4, 10, 2183, W, 6 }, { 1, 4, 90,    0, W, 7 },
    { 1, 4, 90,  3000, S, 7 }, { 1, 4, 11, 2222, W, 0 }, { 1, 4, 89, 2222, W, 0 }, { 1, 5,  0, 2222, W, 0 },
    { 1, 3, 10,  1998, W, 0 },
    /* Only the low 16 bits of the build count. */
    { 1, 4,  0, 0x10000 + 950, W, 1 },
    /* The NT family. */
    { 2, 3, 10, 0, W, 100 }, { 2, 3, 49, 0, W, 100 }, { 2, 3, 50, 0, W, 101 }, { 2, 3, 51, 0, S, 102 },
    { 2, 4,  0, 0, W, 103 }, { 2, 4,  9, 0, S, 103 }, { 2, 5,  0, 0, W, 104 }, { 2, 5,  1, 0, W, 105 },
    { 2, 5,  2, 0, W, 107 }, { 2, 5,  7, 0, S, 107 },
    { 2, 6,  0, 0, W, 108 }, { 2, 6,  0, 0, S, 109 }, { 2, 6,  1, 0, W, 110 }, { 2, 6,  1, 0, 2, 111 },
    { 2, 6,  2, 0, W, 112 }, { 2, 6,  2, 0, S, 113 }, { 2, 6,  3, 0, W, 114 }, { 2, 6,  3, 0, S, 115 },
    { 2, 6,  4, 0, W, 116 }, { 2, 6,  4, 0, S, 117 }, { 2, 6,  5, 0, W, 199 }, { 2, 6,  9, 0, S, 199 },
    { 2, 10, 0, 19045, W, 116 }, { 2, 10, 0, 21999, W, 116 }, { 2, 10, 0, 22000, W, 120 },
    { 2, 10, 0, 22631, W, 120 }, { 2, 10, 0, 14393, S, 117 }, { 2, 10, 0, 17762, S, 117 },
    { 2, 10, 0, 17763, S, 118 }, { 2, 10, 0, 20347, S, 118 }, { 2, 10, 0, 20348, S, 119 },
    { 2, 10, 0, 26100, 2, 119 },
    { 2, 10, 0, 0x10000 + 19045, W, 116 },
    /* Everything else in the family, and other families. */
    { 2, 10, 1, 22000, W, 199 }, { 2, 11, 0, 30000, W, 199 }, { 2, 7, 0, 0, W, 199 }, { 2, 2, 0, 0, W, 199 },
    { 0, 3, 10, 0, W, 0 }, { 3, 10, 0, 22000, W, 0 },
};

} /* namespace */

TEST(winosver, ClassifiesEveryRowOfTheVersionTable)
{
    for (auto const &Case : g_aCases)
        EXPECT_EQ((int)rtR3WinClassifyVersion(Case.uPlatform, Case.uMajor, Case.uMinor, Case.uBuild, Case.bProductType),
                  Case.iExpected)
            << "platform " << Case.uPlatform << " version " << Case.uMajor << "." << Case.uMinor << " build "
            << Case.uBuild << " product type " << (int)Case.bProductType;
}
