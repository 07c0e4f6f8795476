/*
 * Fuzz target for the string to number conversion and the address and UUID
 * parsers. Every input is parsed as a terminated string and, for the integer
 * forms, as an exactly sized unterminated buffer with a length limit, so that
 * AddressSanitizer reports any read past the terminator or the limit. The
 * results must also agree with each other; a disagreement traps.
 */
#include <tulo/string.h>
#include <tulo/err.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define FUZZ_CHECK(a_Expr) do { if (!(a_Expr)) __builtin_trap(); } while (0)

namespace {

/** Everything the integer forms produce for one text and base argument. */
struct NUMRESULTS
{
    int      rcI64;      int64_t  i64;      size_t offI64;
    int      rcU64;      uint64_t u64;      size_t offU64;
    int      rcU32;      uint32_t u32;      size_t offU32;
    int      rcU8;       uint8_t  u8;       size_t offU8;
    int      rcI64Whole; int64_t  i64Whole;
    int      rcU64Whole; uint64_t u64Whole;
    int      rcI32Whole; int32_t  i32Whole;
    int      rcI16Whole; int16_t  i16Whole;
    int      rcI8Whole;  int8_t   i8Whole;
    int      rcU32Whole; uint32_t u32Whole;
    int      rcU16Whole; uint16_t u16Whole;
    int      rcU8Whole;  uint8_t  u8Whole;
};

void ParseAll(const char *pch, unsigned uBaseAndMaxLen, NUMRESULTS *pRes)
{
    memset(pRes, 0, sizeof(*pRes));
    /* A rejected argument leaves the stop position alone: start from the text. */
    char *pszNext = (char *)pch;
    pRes->rcI64 = RTStrParseI64(pch, &pszNext, uBaseAndMaxLen, &pRes->i64);
    pRes->offI64 = (size_t)(pszNext - pch);
    pszNext = (char *)pch;
    pRes->rcU64 = RTStrParseU64(pch, &pszNext, uBaseAndMaxLen, &pRes->u64);
    pRes->offU64 = (size_t)(pszNext - pch);
    pszNext = (char *)pch;
    pRes->rcU32 = RTStrParseU32(pch, &pszNext, uBaseAndMaxLen, &pRes->u32);
    pRes->offU32 = (size_t)(pszNext - pch);
    pszNext = (char *)pch;
    pRes->rcU8 = RTStrParseU8(pch, &pszNext, uBaseAndMaxLen, &pRes->u8);
    pRes->offU8 = (size_t)(pszNext - pch);
    pRes->rcI64Whole = RTStrParseI64Whole(pch, uBaseAndMaxLen, &pRes->i64Whole);
    pRes->rcU64Whole = RTStrParseU64Whole(pch, uBaseAndMaxLen, &pRes->u64Whole);
    pRes->rcI32Whole = RTStrParseI32Whole(pch, uBaseAndMaxLen, &pRes->i32Whole);
    pRes->rcI16Whole = RTStrParseI16Whole(pch, uBaseAndMaxLen, &pRes->i16Whole);
    pRes->rcI8Whole  = RTStrParseI8Whole(pch, uBaseAndMaxLen, &pRes->i8Whole);
    pRes->rcU32Whole = RTStrParseU32Whole(pch, uBaseAndMaxLen, &pRes->u32Whole);
    pRes->rcU16Whole = RTStrParseU16Whole(pch, uBaseAndMaxLen, &pRes->u16Whole);
    pRes->rcU8Whole  = RTStrParseU8Whole(pch, uBaseAndMaxLen, &pRes->u8Whole);
}

bool SameResults(const NUMRESULTS &A, const NUMRESULTS &B)
{
    return A.rcI64 == B.rcI64 && A.i64 == B.i64 && A.offI64 == B.offI64
        && A.rcU64 == B.rcU64 && A.u64 == B.u64 && A.offU64 == B.offU64
        && A.rcU32 == B.rcU32 && A.u32 == B.u32 && A.offU32 == B.offU32
        && A.rcU8 == B.rcU8 && A.u8 == B.u8 && A.offU8 == B.offU8
        && A.rcI64Whole == B.rcI64Whole && A.i64Whole == B.i64Whole
        && A.rcU64Whole == B.rcU64Whole && A.u64Whole == B.u64Whole
        && A.rcI32Whole == B.rcI32Whole && A.i32Whole == B.i32Whole
        && A.rcI16Whole == B.rcI16Whole && A.i16Whole == B.i16Whole
        && A.rcI8Whole == B.rcI8Whole && A.i8Whole == B.i8Whole
        && A.rcU32Whole == B.rcU32Whole && A.u32Whole == B.u32Whole
        && A.rcU16Whole == B.rcU16Whole && A.u16Whole == B.u16Whole
        && A.rcU8Whole == B.rcU8Whole && A.u8Whole == B.u8Whole;
}

/* Narrowing must be the 64-bit result plus a range test, nothing else. */
int NarrowedStatus(int rc64, bool fFits)
{
    return RT_FAILURE(rc64) || fFits ? rc64 : VWRN_NUMBER_TOO_BIG;
}

/* The prefix status decides the whole-string status, except for the value
 * warnings, which the whole form may turn into a trailing-text error. */
bool WholeMatchesPrefix(int rcPrefix, int rcWhole)
{
    switch (rcPrefix)
    {
        case VINF_SUCCESS:         return rcWhole == VINF_SUCCESS;
        case VWRN_TRAILING_CHARS:  return rcWhole == VERR_TRAILING_CHARS;
        case VWRN_TRAILING_SPACES: return rcWhole == VERR_TRAILING_SPACES;
        case VWRN_NUMBER_TOO_BIG:
        case VWRN_NEGATIVE_UNSIGNED:
            return rcWhole == rcPrefix || rcWhole == VERR_TRAILING_CHARS || rcWhole == VERR_TRAILING_SPACES;
        default:                   return rcWhole == rcPrefix;
    }
}

void CheckConsistency(const NUMRESULTS &R, size_t cchText, unsigned uBaseAndMaxLen)
{
    bool const fBadBase = (uBaseAndMaxLen & 0xff) == 1;
    if (fBadBase)
    {
        FUZZ_CHECK(R.rcI64 == VERR_INVALID_PARAMETER && R.rcU64 == VERR_INVALID_PARAMETER);
        return;
    }

    /* Status sets and stop positions. */
    FUZZ_CHECK(   R.rcI64 == VINF_SUCCESS || R.rcI64 == VWRN_NUMBER_TOO_BIG || R.rcI64 == VWRN_TRAILING_CHARS
               || R.rcI64 == VWRN_TRAILING_SPACES || R.rcI64 == VERR_NO_DIGITS);
    /* The statuses differ only by the sign warning or the signed range. */
    FUZZ_CHECK(R.rcU64 == R.rcI64 || R.rcU64 == VWRN_NEGATIVE_UNSIGNED || R.rcI64 == VWRN_NUMBER_TOO_BIG);
    FUZZ_CHECK(R.offI64 <= cchText && R.offU64 == R.offI64 && R.offU32 == R.offI64 && R.offU8 == R.offI64);
    FUZZ_CHECK((R.rcI64 == VERR_NO_DIGITS) == (R.rcU64 == VERR_NO_DIGITS));
    if (R.rcI64 == VERR_NO_DIGITS)
        FUZZ_CHECK(R.offI64 == 0 && R.i64 == 0 && R.u64 == 0);
    else
        FUZZ_CHECK(R.offI64 > 0);

    /* Both signednesses store the same two's complement pattern. */
    FUZZ_CHECK((uint64_t)R.i64 == R.u64);

    /* Whole forms against the prefix forms. */
    FUZZ_CHECK(WholeMatchesPrefix(R.rcI64, R.rcI64Whole) && R.i64Whole == R.i64);
    FUZZ_CHECK(WholeMatchesPrefix(R.rcU64, R.rcU64Whole) && R.u64Whole == R.u64);
    if (R.rcU64Whole == VINF_SUCCESS)
        FUZZ_CHECK(R.rcU64 == VINF_SUCCESS);

    /* Narrowing. */
    FUZZ_CHECK(R.u32 == (uint32_t)R.u64 && R.rcU32 == NarrowedStatus(R.rcU64, R.u64 <= UINT32_MAX));
    FUZZ_CHECK(R.u8 == (uint8_t)R.u64 && R.rcU8 == NarrowedStatus(R.rcU64, R.u64 <= UINT8_MAX));
    uint64_t const u64W = R.u64Whole;
    int64_t const i64W = R.i64Whole;
    FUZZ_CHECK(R.u32Whole == (uint32_t)u64W && R.rcU32Whole == NarrowedStatus(R.rcU64Whole, u64W <= UINT32_MAX));
    FUZZ_CHECK(R.u16Whole == (uint16_t)u64W && R.rcU16Whole == NarrowedStatus(R.rcU64Whole, u64W <= UINT16_MAX));
    FUZZ_CHECK(R.u8Whole == (uint8_t)u64W && R.rcU8Whole == NarrowedStatus(R.rcU64Whole, u64W <= UINT8_MAX));
    FUZZ_CHECK(R.i32Whole == (int32_t)i64W
               && R.rcI32Whole == NarrowedStatus(R.rcI64Whole, i64W >= INT32_MIN && i64W <= INT32_MAX));
    FUZZ_CHECK(R.i16Whole == (int16_t)i64W
               && R.rcI16Whole == NarrowedStatus(R.rcI64Whole, i64W >= INT16_MIN && i64W <= INT16_MAX));
    FUZZ_CHECK(R.i8Whole == (int8_t)i64W
               && R.rcI8Whole == NarrowedStatus(R.rcI64Whole, i64W >= INT8_MIN && i64W <= INT8_MAX));
}

bool IsBlank(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

void CheckAddressParsers(const char *psz, size_t cchText)
{
    /* IPv4: the dotted form of a parsed address parses back to itself. */
    RTNETADDRIPV4 Addr;
    char *pszNext = nullptr;
    int rc = RTStrParseIPv4(psz, &Addr, &pszNext);
    FUZZ_CHECK(rc == VINF_SUCCESS || rc == VWRN_TRAILING_CHARS || rc == VWRN_TRAILING_SPACES || rc == VERR_INVALID_PARAMETER);
    char szBuf[64];
    if (RT_SUCCESS(rc))
    {
        FUZZ_CHECK(pszNext > psz && (size_t)(pszNext - psz) <= cchText);
        FUZZ_CHECK(rc != VINF_SUCCESS || *pszNext == '\0');
        snprintf(szBuf, sizeof(szBuf), "%u.%u.%u.%u", Addr.au8[0], Addr.au8[1], Addr.au8[2], Addr.au8[3]);
        RTNETADDRIPV4 Addr2;
        FUZZ_CHECK(RTStrParseIPv4Whole(szBuf, &Addr2) == VINF_SUCCESS && Addr2.u == Addr.u);
    }

    RTNETADDRIPV4 AddrWhole;
    rc = RTStrParseIPv4Whole(psz, &AddrWhole);
    FUZZ_CHECK(rc == VINF_SUCCESS || rc == VERR_INVALID_PARAMETER);
    if (rc == VINF_SUCCESS)
    {
        const char *pszStart = psz;
        while (IsBlank(*pszStart))
            pszStart++;
        int rc2 = RTStrParseIPv4(pszStart, &Addr, nullptr);
        FUZZ_CHECK((rc2 == VINF_SUCCESS || rc2 == VWRN_TRAILING_SPACES) && Addr.u == AddrWhole.u);
    }

    /* IPv4 network: a prefix mask with no host bits, stable under reformatting. */
    uint32_t uAddr, uMask;
    rc = RTStrParseIPv4Cidr(psz, &uAddr, &uMask);
    FUZZ_CHECK(rc == VINF_SUCCESS || rc == VERR_INVALID_PARAMETER);
    if (rc == VINF_SUCCESS)
    {
        uint32_t const uHost = ~uMask;
        FUZZ_CHECK((uHost & (uHost + 1)) == 0);
        FUZZ_CHECK((uAddr & uHost) == 0);
        unsigned cBits = 0;
        while (cBits < 32 && (uMask & (UINT32_C(0x80000000) >> cBits)))
            cBits++;
        snprintf(szBuf, sizeof(szBuf), "%u.%u.%u.%u/%u", uAddr >> 24, (uAddr >> 16) & 0xff,
                 (uAddr >> 8) & 0xff, uAddr & 0xff, cBits);
        uint32_t uAddr2, uMask2;
        FUZZ_CHECK(RTStrParseIPv4Cidr(szBuf, &uAddr2, &uMask2) == VINF_SUCCESS && uAddr2 == uAddr && uMask2 == uMask);
    }

    /* MAC: only the terminal errors of a field may pass through. */
    RTMAC Mac;
    rc = RTStrParseMac(psz, &Mac);
    FUZZ_CHECK(rc == VINF_SUCCESS || rc == VERR_INVALID_PARAMETER || rc == VERR_NO_DIGITS);
    if (rc == VINF_SUCCESS)
    {
        RTMAC Mac2;
        snprintf(szBuf, sizeof(szBuf), "%02x:%02x:%02x:%02x:%02x:%02x",
                 Mac.au8[0], Mac.au8[1], Mac.au8[2], Mac.au8[3], Mac.au8[4], Mac.au8[5]);
        FUZZ_CHECK(RTStrParseMac(szBuf, &Mac2) == VINF_SUCCESS && memcmp(&Mac, &Mac2, 6) == 0);
        snprintf(szBuf, sizeof(szBuf), "%02X%02X%02X%02X%02X%02X",
                 Mac.au8[0], Mac.au8[1], Mac.au8[2], Mac.au8[3], Mac.au8[4], Mac.au8[5]);
        FUZZ_CHECK(RTStrParseMac(szBuf, &Mac2) == VINF_SUCCESS && memcmp(&Mac, &Mac2, 6) == 0);
    }

    /* UUID: the text is exactly the canonical form, up to case and braces. */
    RTUUID Uuid;
    rc = RTStrParseUuid(&Uuid, psz);
    FUZZ_CHECK(rc == VINF_SUCCESS || rc == VERR_INVALID_UUID_FORMAT);
    if (rc == VINF_SUCCESS)
    {
        bool const fBraces = cchText == 38;
        FUZZ_CHECK(cchText == 36 || (fBraces && psz[0] == '{' && psz[37] == '}'));
        snprintf(szBuf, sizeof(szBuf), "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                 Uuid.Gen.u32TimeLow, Uuid.Gen.u16TimeMid, Uuid.Gen.u16TimeHiAndVersion,
                 Uuid.Gen.u8ClockSeqHiAndReserved, Uuid.Gen.u8ClockSeqLow,
                 Uuid.Gen.au8Node[0], Uuid.Gen.au8Node[1], Uuid.Gen.au8Node[2],
                 Uuid.Gen.au8Node[3], Uuid.Gen.au8Node[4], Uuid.Gen.au8Node[5]);
        const char *pszBody = psz + (fBraces ? 1 : 0);
        for (size_t i = 0; i < 36; i++)
        {
            char ch = pszBody[i];
            if (ch >= 'A' && ch <= 'F')
                ch = (char)(ch - 'A' + 'a');
            FUZZ_CHECK(ch == szBuf[i]);
        }
    }
}

} /* namespace */

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    /* The limit lives in 24 bits; longer inputs add nothing. */
    if (cbData >= (1u << 24))
        return 0;

    /* Terminated copy, exactly sized. */
    char *pszText = (char *)malloc(cbData + 1);
    if (!pszText)
        return 0;
    memcpy(pszText, pbData, cbData);
    pszText[cbData] = '\0';
    size_t const cchText = strlen(pszText);

    /* Unterminated copy of exactly the input's size. */
    char *pchRaw = cbData ? (char *)malloc(cbData) : nullptr;
    if (cbData && !pchRaw)
    {
        free(pszText);
        return 0;
    }
    if (pchRaw)
        memcpy(pchRaw, pbData, cbData);

    /* A few fixed bases, and one taken from the input so that odd values
     * (1, 36 and above) are reached too. A cut position from the input
     * exercises limits in the middle of the text. */
    unsigned const auBases[] = { 0, 10, 16, 8, 2, 35, cbData ? pbData[0] : 0u };
    size_t const cchCut = cbData > 1 ? 1 + pbData[cbData - 1] % (cbData - 1) : 0;
    for (unsigned uBase : auBases)
    {
        NUMRESULTS Res;
        ParseAll(pszText, uBase, &Res);
        CheckConsistency(Res, cchText, uBase);

        if (uBase == 0)
        {
            int32_t const iLoose = RTStrParseI32Loose(pszText);
            FUZZ_CHECK(iLoose == (RT_FAILURE(Res.rcI64) ? 0 : (int32_t)(uint32_t)(uint64_t)Res.i64));
        }

        if (pchRaw)
        {
            /* A limit equal to the size acts like the terminator at that spot. */
            unsigned const uArg = uBase | (unsigned)(cbData << 8);
            NUMRESULTS ResRaw;
            ParseAll(pchRaw, uArg, &ResRaw);
            FUZZ_CHECK(SameResults(Res, ResRaw));
            NUMRESULTS ResLim;
            ParseAll(pszText, uArg, &ResLim);
            FUZZ_CHECK(SameResults(Res, ResLim));
        }

        if (cchCut)
        {
            /* A shorter limit acts like a terminator after cchCut characters. */
            char *pszCut = (char *)malloc(cchCut + 1);
            if (pszCut)
            {
                memcpy(pszCut, pbData, cchCut);
                pszCut[cchCut] = '\0';
                NUMRESULTS ResCut, ResLim;
                ParseAll(pszCut, uBase, &ResCut);
                ParseAll(pchRaw, uBase | (unsigned)(cchCut << 8), &ResLim);
                FUZZ_CHECK(SameResults(ResCut, ResLim));
                CheckConsistency(ResLim, cchCut, uBase);
                free(pszCut);
            }
        }
    }

    CheckAddressParsers(pszText, cchText);

    free(pchRaw);
    free(pszText);
    return 0;
}
