/*
 * String to integer conversion: prefix forms that report where the number
 * ended and what follows it, whole-string forms, narrowing to 8..32 bits and
 * the loose 32-bit form.
 */
#include <tulo/string.h>
#include <tulo/err.h>
#include "strtonum-internal.h"

/* Values of the bytes that are not digits. Anything >= 36 ends a number in
 * every base; the separators get values of their own so that the address
 * parsers can tell them apart with one table look-up. */
static constexpr uint8_t RTSTR_DIGIT_OTHER  = 36;
static constexpr uint8_t RTSTR_DIGIT_BLANK  = 37;   /* space and tab */
static constexpr uint8_t RTSTR_DIGIT_PERIOD = 38;
static constexpr uint8_t RTSTR_DIGIT_COLON  = 39;
static constexpr uint8_t RTSTR_DIGIT_NUL    = 40;

#define XX RTSTR_DIGIT_OTHER
#define BL RTSTR_DIGIT_BLANK
#define PE RTSTR_DIGIT_PERIOD
#define CO RTSTR_DIGIT_COLON
#define NU RTSTR_DIGIT_NUL

constexpr uint8_t g_abRTStrDigitValues[256] =
{
    /* 0x00 */ NU, XX, XX, XX, XX, XX, XX, XX, XX, BL, XX, XX, XX, XX, XX, XX,
    /* 0x10 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0x20 */ BL, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, PE, XX,
    /* 0x30 */  0,  1,  2,  3,  4,  5,  6,  7,  8,  9, CO, XX, XX, XX, XX, XX,
    /* 0x40 */ XX, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
    /* 0x50 */ 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, XX, XX, XX, XX, XX,
    /* 0x60 */ XX, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24,
    /* 0x70 */ 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, XX, XX, XX, XX, XX,
    /* 0x80 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0x90 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xa0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xb0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xc0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xd0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xe0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX,
    /* 0xf0 */ XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX, XX
};

#undef XX
#undef BL
#undef PE
#undef CO
#undef NU

/* Proof at compile time that the literal table says what it should. */
static constexpr bool rtStrDigitTableIsRight()
{
    for (unsigned i = 0; i < 256; i++)
    {
        unsigned uExpect = RTSTR_DIGIT_OTHER;
        if (i >= '0' && i <= '9')
            uExpect = i - '0';
        else if (i >= 'A' && i <= 'Z')
            uExpect = i - 'A' + 10;
        else if (i >= 'a' && i <= 'z')
            uExpect = i - 'a' + 10;
        else if (i == ' ' || i == '\t')
            uExpect = RTSTR_DIGIT_BLANK;
        else if (i == '.')
            uExpect = RTSTR_DIGIT_PERIOD;
        else if (i == ':')
            uExpect = RTSTR_DIGIT_COLON;
        else if (i == 0)
            uExpect = RTSTR_DIGIT_NUL;
        if (g_abRTStrDigitValues[i] != uExpect)
            return false;
    }
    return true;
}
static_assert(rtStrDigitTableIsRight(), "digit table");

/* The base argument: base in the low 8 bits, character limit above them. */
static constexpr unsigned RTSTR_BASE_MASK = 0xffu;
static constexpr unsigned RTSTR_MAXLEN_SHIFT = 8;

static inline uint8_t rtStrDigit(char ch)
{
    return g_abRTStrDigitValues[(uint8_t)ch];
}

/** What one scan of a number found; the value is not yet signed or narrowed. */
struct RTSTRNUMSCAN
{
    uint64_t    uAccum;     /* digits accumulated modulo 2^64 */
    const char *pszStop;    /* first character not taken */
    size_t      cchLeft;    /* characters left within the limit at pszStop */
    bool        fNegative;  /* the sign sequence ended negative */
    bool        fOverflow;  /* a digit step did not fit in 64 bits */
    bool        fDigits;    /* at least one digit was taken */
};

/* Signs, base detection and digits. Never looks at a character once the
 * limit is used up or past a NUL. */
static void rtStrScanNumber(const char *psz, unsigned uBaseAndMaxLen, RTSTRNUMSCAN *pScan)
{
    size_t cchLeft = uBaseAndMaxLen >> RTSTR_MAXLEN_SHIFT;
    if (!cchLeft)
        cchLeft = ~(size_t)0;
    unsigned uBase = uBaseAndMaxLen & RTSTR_BASE_MASK;

    bool fNegative = false;
    while (cchLeft && (*psz == '+' || *psz == '-'))
    {
        fNegative = *psz == '-' ? !fNegative : false;
        psz++;
        cchLeft--;
    }

    /* A "0x" prefix is only taken when a hex digit follows within the
     * limit; otherwise the 0 is the number and the x is trailing text. */
    if (uBase == 0 || uBase >= 36)
    {
        uBase = 10;
        if (cchLeft >= 2 && psz[0] == '0')
        {
            if (   (psz[1] == 'x' || psz[1] == 'X')
                && cchLeft >= 3
                && rtStrDigit(psz[2]) < 16)
            {
                uBase = 16;
                psz += 2;
                cchLeft -= 2;
            }
            else if (rtStrDigit(psz[1]) < 8)
                uBase = 8;
        }
    }
    else if (   uBase == 16
             && cchLeft >= 3
             && psz[0] == '0'
             && (psz[1] == 'x' || psz[1] == 'X')
             && rtStrDigit(psz[2]) < 16)
    {
        psz += 2;
        cchLeft -= 2;
    }

    /* Overflow test without a division per digit (64-bit division is a
     * helper call on 32-bit targets). */
    uint64_t const uLimit = ~(uint64_t)0 / uBase;
    unsigned const uLimitDigit = (unsigned)(~(uint64_t)0 % uBase);

    uint64_t uAccum = 0;
    bool fOverflow = false;
    bool fDigits = false;
    while (cchLeft && *psz)
    {
        unsigned const uDigit = rtStrDigit(*psz);
        if (uDigit >= uBase)
            break;
        if (uAccum > uLimit || (uAccum == uLimit && uDigit > uLimitDigit))
            fOverflow = true;
        uAccum = uAccum * uBase + uDigit;
        fDigits = true;
        psz++;
        cchLeft--;
    }

    pScan->uAccum    = uAccum;
    pScan->pszStop   = psz;
    pScan->cchLeft   = cchLeft;
    pScan->fNegative = fNegative;
    pScan->fOverflow = fOverflow;
    pScan->fDigits   = fDigits;
}

/* Classifies what follows a number: nothing within the limit (0), only
 * spaces and tabs (77) or anything else (76). */
static int rtStrClassifyTail(const char *psz, size_t cchLeft)
{
    if (!cchLeft || !*psz)
        return VINF_SUCCESS;
    while (cchLeft && rtStrDigit(*psz) == RTSTR_DIGIT_BLANK)
    {
        psz++;
        cchLeft--;
    }
    if (!cchLeft || !*psz)
        return VWRN_TRAILING_SPACES;
    return VWRN_TRAILING_CHARS;
}

static bool rtStrBaseArgValid(unsigned uBaseAndMaxLen)
{
    /* Base 1 would accept nothing but zeros; it is a caller's mistake
     * rather than a request for detection. */
    return (uBaseAndMaxLen & RTSTR_BASE_MASK) != 1;
}

/* The prefix conversion shared by every front end; the value is the 64-bit
 * two's complement pattern for both signednesses. */
static int rtStrToU64Worker(const char *pszValue, unsigned uBaseAndMaxLen, bool fSigned,
                            uint64_t *pu64, RTSTRNUMSCAN *pScan)
{
    rtStrScanNumber(pszValue, uBaseAndMaxLen, pScan);
    if (!pScan->fDigits)
    {
        /* Nothing was converted, so nothing was consumed either. */
        pScan->pszStop = pszValue;
        *pu64 = 0;
        return VERR_NO_DIGITS;
    }

    int rc = pScan->fOverflow ? VWRN_NUMBER_TOO_BIG : VINF_SUCCESS;
    uint64_t const uAccum = pScan->uAccum;
    uint64_t const uSignBit = (uint64_t)1 << 63;
    if (fSigned)
    {
        /* -2^63 is the only value with bit 63 set that a signed result holds. */
        if ((uAccum & uSignBit) && !(pScan->fNegative && uAccum == uSignBit))
            rc = VWRN_NUMBER_TOO_BIG;
    }
    else if (pScan->fNegative && rc == VINF_SUCCESS)
        rc = VWRN_NEGATIVE_UNSIGNED;
    *pu64 = pScan->fNegative ? 0 - uAccum : uAccum;

    if (rc == VINF_SUCCESS)
        rc = rtStrClassifyTail(pScan->pszStop, pScan->cchLeft);
    return rc;
}

static int rtStrToU64Whole(const char *pszValue, unsigned uBaseAndMaxLen, bool fSigned, uint64_t *pu64)
{
    RTSTRNUMSCAN Scan;
    int rc = rtStrToU64Worker(pszValue, uBaseAndMaxLen, fSigned, pu64, &Scan);
    if (RT_FAILURE(rc))
        return rc;
    /* The stop character is only looked at while it is inside the limit. */
    if (!Scan.cchLeft || !*Scan.pszStop)
        return rc;
    if (rc == VWRN_TRAILING_CHARS)
        return VERR_TRAILING_CHARS;
    if (rc == VWRN_TRAILING_SPACES)
        return VERR_TRAILING_SPACES;
    /* A warning about the value itself hid the trailing text; the text
     * still disqualifies the string as a whole. */
    return rtStrClassifyTail(Scan.pszStop, Scan.cchLeft) == VWRN_TRAILING_SPACES
         ? VERR_TRAILING_SPACES : VERR_TRAILING_CHARS;
}

/* Out-pointers are optional; a non-null one must still be a usable address. */
static bool rtStrOptPtrValid(const void *pv)
{
    return !pv || RT_VALID_PTR(pv);
}

static int rtStrParseU64Common(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen,
                               bool fSigned, uint64_t *pu64)
{
    RTSTRNUMSCAN Scan;
    int rc = rtStrToU64Worker(pszValue, uBaseAndMaxLen, fSigned, pu64, &Scan);
    if (ppszNext)
        *ppszNext = (char *)Scan.pszStop;
    return rc;
}

template <typename T>
static constexpr bool rtStrIsSignedType()
{
    return T(-1) < T(0);
}

/* Narrowing keeps errors as they are and turns any other status into
 * VWRN_NUMBER_TOO_BIG when the 64-bit value does not fit in T. */
template <typename T>
static int rtStrNarrow(int rc, uint64_t u64)
{
    constexpr unsigned cBits = sizeof(T) * 8;
    if constexpr (cBits < 64)
    {
        if (RT_FAILURE(rc))
            return rc;
        if constexpr (rtStrIsSignedType<T>())
        {
            int64_t const i64 = (int64_t)u64;
            int64_t const iMax = (int64_t)(((uint64_t)1 << (cBits - 1)) - 1);
            if (i64 > iMax || i64 < -iMax - 1)
                return VWRN_NUMBER_TOO_BIG;
        }
        else if (u64 >> cBits)
            return VWRN_NUMBER_TOO_BIG;
    }
    return rc;
}

/* Every front end: the prefix forms (fWhole false) report where the number
 * ended, the whole forms refuse trailing text. The value cut to the width of
 * T is stored even when the status says it did not fit, so callers can see
 * what was there. */
template <typename T>
static int rtStrParseAs(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, bool fWhole, T *pValue)
{
    if (!RT_VALID_PTR(pszValue) || !rtStrOptPtrValid(ppszNext) || !rtStrOptPtrValid(pValue))
        return VERR_INVALID_POINTER;
    if (!rtStrBaseArgValid(uBaseAndMaxLen))
        return VERR_INVALID_PARAMETER;
    constexpr bool fSigned = rtStrIsSignedType<T>();
    uint64_t u64;
    int const rc = fWhole ? rtStrToU64Whole(pszValue, uBaseAndMaxLen, fSigned, &u64)
                          : rtStrParseU64Common(pszValue, ppszNext, uBaseAndMaxLen, fSigned, &u64);
    if (pValue)
        *pValue = (T)u64;
    return rtStrNarrow<T>(rc, u64);
}

int RTStrParseI64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int64_t *pi64)
{
    return rtStrParseAs(pszValue, ppszNext, uBaseAndMaxLen, false /*fWhole*/, pi64);
}

int RTStrParseU64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint64_t *pu64)
{
    return rtStrParseAs(pszValue, ppszNext, uBaseAndMaxLen, false /*fWhole*/, pu64);
}

int RTStrParseU32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint32_t *pu32)
{
    return rtStrParseAs(pszValue, ppszNext, uBaseAndMaxLen, false /*fWhole*/, pu32);
}

int RTStrParseU8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint8_t *pu8)
{
    return rtStrParseAs(pszValue, ppszNext, uBaseAndMaxLen, false /*fWhole*/, pu8);
}

int RTStrParseI64Whole(const char *pszValue, unsigned uBaseAndMaxLen, int64_t *pi64)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pi64);
}

int RTStrParseU64Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint64_t *pu64)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pu64);
}

int RTStrParseI32Whole(const char *pszValue, unsigned uBaseAndMaxLen, int32_t *pi32)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pi32);
}

int RTStrParseI16Whole(const char *pszValue, unsigned uBaseAndMaxLen, int16_t *pi16)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pi16);
}

int RTStrParseI8Whole(const char *pszValue, unsigned uBaseAndMaxLen, int8_t *pi8)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pi8);
}

int RTStrParseU32Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint32_t *pu32)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pu32);
}

int RTStrParseU16Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint16_t *pu16)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pu16);
}

int RTStrParseU8Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint8_t *pu8)
{
    return rtStrParseAs(pszValue, nullptr, uBaseAndMaxLen, true /*fWhole*/, pu8);
}

int32_t RTStrParseI32Loose(const char *pszValue)
{
    int64_t i64;
    int rc = RTStrParseI64(pszValue, nullptr, 0, &i64);
    if (RT_FAILURE(rc))
        return 0;
    return (int32_t)(uint32_t)(uint64_t)i64;
}
