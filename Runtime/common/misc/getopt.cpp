/* Option parser: walks an argument vector against a table of option
 * definitions, one option or operand per call, converting option values to
 * the kind each definition asks for. Never allocates; reordering for
 * options-first parsing permutes the caller's argv in place. */
#include <tulo/getopt.h>
#include <tulo/err.h>
#include <tulo/string.h>

#include <string.h>


/** Recognised unless RTGETOPTINIT_FLAG_NO_STD_OPTS is given; the order
 * matters: "-?" and the short-value search pick the first entry of a value. */
static const RTGETOPTDEF g_aStdOptions[] =
{
    { "--help",     'h', RTGETOPT_VAL_NOTHING },
    { "-help",      'h', RTGETOPT_VAL_NOTHING },
    { "--version",  'V', RTGETOPT_VAL_NOTHING },
    { "-version",   'V', RTGETOPT_VAL_NOTHING },
};

/** Base flags of a definition; at most one may be set. */
#define RTGETOPT_BASE_FLAGS  (RTGETOPT_FLAG_HEX | RTGETOPT_FLAG_OCT | RTGETOPT_FLAG_DEC)


static bool rtGetOptIsDigit(char ch)
{
    return ch >= '0' && ch <= '9';
}

static bool rtGetOptIsHexDigit(char ch)
{
    return rtGetOptIsDigit(ch) || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

static bool rtGetOptIsBlank(char ch)
{
    return ch == ' ' || ch == '\t';
}

/** "0x" or "0X" followed by a hexadecimal digit; the checks stop at the
 * terminator, so short strings are never read past their end. */
static bool rtGetOptHasHexPrefix(const char *psz)
{
    return psz[0] == '0' && (psz[1] == 'x' || psz[1] == 'X') && rtGetOptIsHexDigit(psz[2]);
}

static char rtGetOptAsciiLower(char ch)
{
    return ch >= 'A' && ch <= 'Z' ? (char)(ch - 'A' + 'a') : ch;
}

static bool rtGetOptStrEqual(const char *psz1, const char *psz2)
{
    size_t const cch = strlen(psz1);
    return strlen(psz2) == cch && memcmp(psz1, psz2, cch) == 0;
}

/**
 * Whether pszArg starts with the cchLong bytes of pszLong. Stops at the
 * argument's terminator, so an argument shorter than the name is never read
 * past its end. The case-insensitive form folds ASCII letters only: the match
 * is on a byte count, which case folding of other letters would not keep.
 */
static bool rtGetOptStartsWith(const char *pszArg, const char *pszLong, size_t cchLong, bool fICase)
{
    for (size_t off = 0; off < cchLong; off++)
    {
        char const chArg = pszArg[off];
        if (chArg == '\0')
            return false;
        if (chArg != pszLong[off])
        {
            if (!fICase || rtGetOptAsciiLower(chArg) != rtGetOptAsciiLower(pszLong[off]))
                return false;
        }
    }
    return true;
}

/** Matches the whole argument against the long name of one definition. */
static bool rtGetOptMatchLong(PCRTGETOPTDEF pOpt, const char *pszArg)
{
    if (!pOpt->pszLong)
        return false;

    uint32_t const fFlags = pOpt->fFlags;
    bool const     fICase = (fFlags & RTGETOPT_FLAG_ICASE) != 0;
    bool const     fValue = (fFlags & RTGETOPT_VAL_MASK) != RTGETOPT_VAL_NOTHING;
    if (fValue || (fFlags & RTGETOPT_FLAG_INDEX))
    {
        size_t const cchLong = strlen(pOpt->pszLong);
        if (!rtGetOptStartsWith(pszArg, pOpt->pszLong, cchLong, fICase))
            return false;
        const char *psz = pszArg + cchLong;
        if ((fFlags & RTGETOPT_FLAG_INDEX_DASH) && psz[0] == '-' && rtGetOptIsDigit(psz[1]))
            psz++;
        if (fFlags & RTGETOPT_FLAG_INDEX)
            while (rtGetOptIsDigit(*psz))
                psz++;
        if (fValue)
            return *psz == '\0' || *psz == ':' || *psz == '=';
        return *psz == '\0';
    }

    if (rtGetOptStrEqual(pszArg, pOpt->pszLong))
        return true;
    return fICase && RTStrCompareAsciiNoCase(pszArg, pOpt->pszLong) == 0;
}

/** First definition whose long name matches, the caller's table before the
 * built-in options (which match byte for byte only). */
static PCRTGETOPTDEF rtGetOptSearchLong(const RTGETOPTSTATE *pState, const char *pszArg)
{
    for (uint32_t i = 0; i < pState->cOptions; i++)
        if (rtGetOptMatchLong(&pState->paOptions[i], pszArg))
            return &pState->paOptions[i];

    if (!(pState->fFlags & RTGETOPTINIT_FLAG_NO_STD_OPTS))
        for (size_t i = 0; i < RT_ELEMENTS(g_aStdOptions); i++)
            if (rtGetOptStrEqual(pszArg, g_aStdOptions[i].pszLong))
                return &g_aStdOptions[i];
    return NULL;
}

/** First definition whose value is the option character ch. "-?" is a
 * built-in spelling of help, so it is off together with the other built-ins. */
static PCRTGETOPTDEF rtGetOptSearchShort(const RTGETOPTSTATE *pState, char ch)
{
    /* Bytes of UTF-8 sequences are compared as the characters 128..255, never
       as negative values that a caller might use for long-only options. */
    int32_t const iCh = (unsigned char)ch;
    for (uint32_t i = 0; i < pState->cOptions; i++)
        if (pState->paOptions[i].iShort == iCh)
            return &pState->paOptions[i];

    if (!(pState->fFlags & RTGETOPTINIT_FLAG_NO_STD_OPTS))
    {
        for (size_t i = 0; i < RT_ELEMENTS(g_aStdOptions); i++)
            if (g_aStdOptions[i].iShort == iCh)
                return &g_aStdOptions[i];
        if (ch == '?')
            return &g_aStdOptions[0];
    }
    return NULL;
}

/** Moves the entry at iFrom down to iTo; the entries in between (operands set
 * aside) shift up by one and keep their order. */
static void rtGetOptMoveArgvEntry(char **papszArgs, int32_t iTo, int32_t iFrom)
{
    if (iFrom > iTo)
    {
        char *pszMoved = papszArgs[iFrom];
        memmove(&papszArgs[iTo + 1], &papszArgs[iTo], (size_t)(iFrom - iTo) * sizeof(papszArgs[0]));
        papszArgs[iTo] = pszMoved;
    }
}


/*
 * Value conversion.
 */

static bool rtGetOptIsIntegerKind(uint32_t uKind)
{
    return (uKind >= RTGETOPT_VAL_INT8 && uKind <= RTGETOPT_VAL_UINT64)
        || (uKind >= RTGETOPT_VAL_UINT32_PAIR && uKind <= RTGETOPT_VAL_UINT64_OPTIONAL_PAIR);
}

/** Strict conversion of the whole text to the kind's width and signedness.
 * Only a clean result counts: the warnings of the conversion (too big,
 * negative unsigned) mean the value does not fit the kind. */
static int rtGetOptConvertIntegerWhole(uint32_t uKind, const char *pszValue, unsigned uBase, RTGETOPTUNION *pResult)
{
    int rc;
    switch (uKind)
    {
        case RTGETOPT_VAL_INT8:   rc = RTStrParseI8Whole(pszValue, uBase, &pResult->i8); break;
        case RTGETOPT_VAL_UINT8:  rc = RTStrParseU8Whole(pszValue, uBase, &pResult->u8); break;
        case RTGETOPT_VAL_INT16:  rc = RTStrParseI16Whole(pszValue, uBase, &pResult->i16); break;
        case RTGETOPT_VAL_UINT16: rc = RTStrParseU16Whole(pszValue, uBase, &pResult->u16); break;
        case RTGETOPT_VAL_INT32:  rc = RTStrParseI32Whole(pszValue, uBase, &pResult->i32); break;
        case RTGETOPT_VAL_UINT32: rc = RTStrParseU32Whole(pszValue, uBase, &pResult->u32); break;
        case RTGETOPT_VAL_INT64:  rc = RTStrParseI64Whole(pszValue, uBase, &pResult->i64); break;
        case RTGETOPT_VAL_UINT64: rc = RTStrParseU64Whole(pszValue, uBase, &pResult->u64); break;
        default:                  return VERR_INTERNAL_ERROR;
    }
    return rc == VINF_SUCCESS ? VINF_SUCCESS : VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
}

static void rtGetOptStoreInteger(uint32_t uKind, const RTGETOPTUNION *pResult, PRTGETOPTUNION pValueUnion)
{
    switch (uKind)
    {
        case RTGETOPT_VAL_INT8:   pValueUnion->i8  = pResult->i8;  break;
        case RTGETOPT_VAL_UINT8:  pValueUnion->u8  = pResult->u8;  break;
        case RTGETOPT_VAL_INT16:  pValueUnion->i16 = pResult->i16; break;
        case RTGETOPT_VAL_UINT16: pValueUnion->u16 = pResult->u16; break;
        case RTGETOPT_VAL_INT32:  pValueUnion->i32 = pResult->i32; break;
        case RTGETOPT_VAL_UINT32: pValueUnion->u32 = pResult->u32; break;
        case RTGETOPT_VAL_INT64:  pValueUnion->i64 = pResult->i64; break;
        default:                  pValueUnion->u64 = pResult->u64; break;
    }
}

static int rtGetOptConvertInteger(uint32_t uKind, uint32_t fBase, const char *pszValue, PRTGETOPTUNION pValueUnion)
{
    unsigned const uBase = fBase == RTGETOPT_FLAG_HEX ? 16 : fBase == RTGETOPT_FLAG_OCT ? 8 : 10;
    RTGETOPTUNION Result;
    Result.u64 = 0;
    int rc = rtGetOptConvertIntegerWhole(uKind, pszValue, uBase, &Result);
    /* Without a base flag a 0x prefix still selects hexadecimal; a leading
       zero does not select octal, so "012" stays twelve. */
    if (RT_FAILURE(rc) && fBase == 0 && rtGetOptHasHexPrefix(pszValue))
        rc = rtGetOptConvertIntegerWhole(uKind, pszValue, 16, &Result);
    if (RT_SUCCESS(rc))
        rtGetOptStoreInteger(uKind, &Result, pValueUnion);
    return rc;
}

/** Base of one number of a pair: a 0x prefix selects hexadecimal whatever the
 * base flag says, so the decimal flag does not forbid it here. */
static unsigned rtGetOptPairBase(const char *pszNum, uint32_t fBase)
{
    if (fBase == RTGETOPT_FLAG_HEX || rtGetOptHasHexPrefix(pszNum))
        return 16;
    return fBase == RTGETOPT_FLAG_OCT ? 8 : 10;
}

static int rtGetOptConvertPair(uint32_t uKind, uint32_t fBase, const char *pszValue, PRTGETOPTUNION pValueUnion)
{
    bool const fU64      = uKind == RTGETOPT_VAL_UINT64_PAIR || uKind == RTGETOPT_VAL_UINT64_OPTIONAL_PAIR;
    bool const fOptional = uKind == RTGETOPT_VAL_UINT32_OPTIONAL_PAIR || uKind == RTGETOPT_VAL_UINT64_OPTIONAL_PAIR;

    /* First number: tolerant, it is followed by the separator. */
    char    *pszNext = (char *)pszValue;
    uint64_t uFirst  = 0;
    int      rc;
    if (fU64)
        rc = RTStrParseU64(pszValue, &pszNext, rtGetOptPairBase(pszValue, fBase), &uFirst);
    else
    {
        uint32_t u32 = 0;
        rc = RTStrParseU32(pszValue, &pszNext, rtGetOptPairBase(pszValue, fBase), &u32);
        uFirst = u32;
    }
    if (rc != VINF_SUCCESS && rc != VWRN_TRAILING_CHARS && rc != VWRN_TRAILING_SPACES)
        return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
    if (!pszNext)
        return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;

    /* Separator: blanks, optionally around one of "/", ":" and "|". */
    const char *pszSecond = pszNext;
    while (rtGetOptIsBlank(*pszSecond))
        pszSecond++;
    if (*pszSecond == '/' || *pszSecond == ':' || *pszSecond == '|')
    {
        pszSecond++;
        while (rtGetOptIsBlank(*pszSecond))
            pszSecond++;
    }

    uint64_t uSecond;
    if (pszSecond != pszNext)
    {
        unsigned const uBase = rtGetOptPairBase(pszSecond, fBase);
        if (fU64)
            rc = RTStrParseU64Whole(pszSecond, uBase, &uSecond);
        else
        {
            uint32_t u32 = 0;
            rc = RTStrParseU32Whole(pszSecond, uBase, &u32);
            uSecond = u32;
        }
        if (rc != VINF_SUCCESS)
            return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
    }
    else if (fOptional)
        uSecond = UINT64_MAX;
    else
        return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;

    if (fU64)
    {
        pValueUnion->PairU64.uFirst  = uFirst;
        pValueUnion->PairU64.uSecond = uSecond;
    }
    else
    {
        pValueUnion->PairU32.uFirst  = (uint32_t)uFirst;
        pValueUnion->PairU32.uSecond = (uint32_t)uSecond;
    }
    return VINF_SUCCESS;
}

static bool rtGetOptIsWord(const char *pszValue, const char * const *papszWords, size_t cWords)
{
    for (size_t i = 0; i < cWords; i++)
        if (RTStrCompareAsciiNoCase(pszValue, papszWords[i]) == 0)
            return true;
    return false;
}

static int rtGetOptConvertBool(uint32_t uKind, const char *pszValue, PRTGETOPTUNION pValueUnion)
{
    static const char * const s_apszOn[]   = { "on" };
    static const char * const s_apszOff[]  = { "off" };
    static const char * const s_apszTrue[] = { "true", "t", "yes", "y", "enabled", "enable", "en", "e", "on" };
    static const char * const s_apszFalse[] = { "false", "f", "no", "n", "disabled", "disable", "dis", "d", "off" };

    bool fTrue, fFalse;
    if (uKind == RTGETOPT_VAL_BOOL_ONOFF)
    {
        fTrue  = rtGetOptIsWord(pszValue, s_apszOn, RT_ELEMENTS(s_apszOn));
        fFalse = rtGetOptIsWord(pszValue, s_apszOff, RT_ELEMENTS(s_apszOff));
    }
    else
    {
        /* The digits are exact; only the words ignore case. */
        fTrue  = rtGetOptStrEqual(pszValue, "1") || rtGetOptIsWord(pszValue, s_apszTrue, RT_ELEMENTS(s_apszTrue));
        fFalse = rtGetOptStrEqual(pszValue, "0") || rtGetOptIsWord(pszValue, s_apszFalse, RT_ELEMENTS(s_apszFalse));
    }
    if (fTrue == fFalse)
    {
        /* Reported like an unknown option, naming the text that is no boolean. */
        pValueUnion->psz = pszValue;
        return VERR_GETOPT_UNKNOWN_OPTION;
    }
    pValueUnion->f = fTrue;
    return VINF_SUCCESS;
}

/**
 * Converts pszValue to the value kind in fFlags and stores it in the union;
 * the union member is written only on success (the boolean kinds store the
 * text on failure, for the message).
 */
static int rtGetOptConvertValue(uint32_t fFlags, const char *pszValue, PRTGETOPTUNION pValueUnion)
{
    uint32_t const uKind = fFlags & RTGETOPT_VAL_MASK;
    uint32_t const fBase = fFlags & RTGETOPT_BASE_FLAGS;

    /* A base flag on a kind without numbers, or two base flags at once, is a
       mistake in the caller's table that no input could make right. */
    if (fBase != 0 && (!rtGetOptIsIntegerKind(uKind) || (fBase & (fBase - 1)) != 0))
        return VERR_INTERNAL_ERROR;

    switch (uKind)
    {
        case RTGETOPT_VAL_STRING:
            pValueUnion->psz = pszValue;
            return VINF_SUCCESS;

        case RTGETOPT_VAL_INT8:
        case RTGETOPT_VAL_UINT8:
        case RTGETOPT_VAL_INT16:
        case RTGETOPT_VAL_UINT16:
        case RTGETOPT_VAL_INT32:
        case RTGETOPT_VAL_UINT32:
        case RTGETOPT_VAL_INT64:
        case RTGETOPT_VAL_UINT64:
            return rtGetOptConvertInteger(uKind, fBase, pszValue, pValueUnion);

        case RTGETOPT_VAL_IPV4ADDR:
        {
            RTNETADDRIPV4 Addr;
            if (RTStrParseIPv4Whole(pszValue, &Addr) != VINF_SUCCESS)
                return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
            pValueUnion->IPv4Addr = Addr;
            return VINF_SUCCESS;
        }

        case RTGETOPT_VAL_IPV4CIDR:
        {
            uint32_t uNetwork = 0;
            uint32_t uNetmask = 0;
            if (RTStrParseIPv4Cidr(pszValue, &uNetwork, &uNetmask) != VINF_SUCCESS)
                return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
            pValueUnion->CidrIPv4.IPv4Network = uNetwork;
            pValueUnion->CidrIPv4.IPv4Netmask = uNetmask;
            return VINF_SUCCESS;
        }

        case RTGETOPT_VAL_MACADDR:
        {
            /* The MAC parser passes byte conversion warnings through (a field
               too big, text after the last field): only a clean result counts. */
            RTMAC Mac;
            if (RTStrParseMac(pszValue, &Mac) != VINF_SUCCESS)
                return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
            pValueUnion->MacAddr = Mac;
            return VINF_SUCCESS;
        }

        case RTGETOPT_VAL_UUID:
        {
            RTUUID Uuid;
            if (RTStrParseUuid(&Uuid, pszValue) != VINF_SUCCESS)
                return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
            pValueUnion->Uuid = Uuid;
            return VINF_SUCCESS;
        }

        case RTGETOPT_VAL_BOOL_ONOFF:
        case RTGETOPT_VAL_BOOL:
            return rtGetOptConvertBool(uKind, pszValue, pValueUnion);

        case RTGETOPT_VAL_UINT32_PAIR:
        case RTGETOPT_VAL_UINT64_PAIR:
        case RTGETOPT_VAL_UINT32_OPTIONAL_PAIR:
        case RTGETOPT_VAL_UINT64_OPTIONAL_PAIR:
            return rtGetOptConvertPair(uKind, fBase, pszValue, pValueUnion);

        default:
            return VERR_INTERNAL_ERROR;
    }
}


/*
 * The parser.
 */

/**
 * Takes the argument behind the option at iCur (and behind the operands set
 * aside after it) as the option's value: it is moved to iCur + 1 so that the
 * option and its value stay together, and parsing goes on after it.
 */
static int rtGetOptTakeNextArg(PRTGETOPTSTATE pState, int32_t iCur, const char **ppszValue)
{
    int64_t const iValue = (int64_t)iCur + pState->cNonOptArgs + 1;
    if (iValue >= pState->argc)
        return VERR_GETOPT_REQUIRED_ARGUMENT_MISSING;
    rtGetOptMoveArgvEntry(pState->argv, iCur + 1, (int32_t)iValue);
    *ppszValue   = pState->argv[iCur + 1];
    pState->iNext = iCur + 2;
    return VINF_SUCCESS;
}

/** Default index of an indexed option plus one, 0 when the index may not be
 * omitted. */
static uint32_t rtGetOptIndexDefPlusOne(uint32_t fFlags)
{
    return (fFlags & RTGETOPT_FLAG_INDEX_DEF_MASK) >> RTGETOPT_FLAG_INDEX_DEF_SHIFT;
}

/** Index and value of an indexed option that takes a value. */
static int rtGetOptIndexedValue(PRTGETOPTSTATE pState, PCRTGETOPTDEF pOpt, const char *pszArg, int32_t iCur,
                                uint32_t *puIndex, const char **ppszValue)
{
    uint32_t const uDefPlusOne = rtGetOptIndexDefPlusOne(pOpt->fFlags);
    const char    *pszRest     = pszArg + strlen(pOpt->pszLong);
    if (*pszRest == '\0' && uDefPlusOne == 0)
        return VERR_GETOPT_INDEX_MISSING;
    if ((pOpt->fFlags & RTGETOPT_FLAG_INDEX_DASH) && *pszRest == '-')
        pszRest++;

    char    *pszNext = (char *)pszRest;
    uint32_t uIndex  = 0;
    int      rc      = RTStrParseU32(pszRest, &pszNext, 10, &uIndex);
    if (rc == VERR_NO_DIGITS)
    {
        if (uDefPlusOne == 0)
            return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
        uIndex  = uDefPlusOne - 1;
        pszNext = (char *)pszRest;
        rc      = *pszRest != '\0' ? VWRN_TRAILING_CHARS : VINF_SUCCESS;
    }

    if (rc == VWRN_TRAILING_CHARS && pszNext && (*pszNext == ':' || *pszNext == '='))
        *ppszValue = pszNext + 1;
    else if (rc == VINF_SUCCESS)
    {
        rc = rtGetOptTakeNextArg(pState, iCur, ppszValue);
        if (RT_FAILURE(rc))
            return rc;
    }
    else
        return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
    *puIndex = uIndex;
    return VINF_SUCCESS;
}

/** Index of an indexed option without a value; the name match guarantees
 * that only digits (after an optional dash) follow the name. */
static int rtGetOptIndexOnly(PCRTGETOPTDEF pOpt, const char *pszArg, uint32_t *puIndex)
{
    const char *pszRest = pszArg + strlen(pOpt->pszLong);
    if ((pOpt->fFlags & RTGETOPT_FLAG_INDEX_DASH) && *pszRest == '-')
        pszRest++;
    if (*pszRest == '\0')
        /* An omitted index stays "none": the default is for options with values. */
        return rtGetOptIndexDefPlusOne(pOpt->fFlags) != 0 ? VINF_SUCCESS : VERR_GETOPT_INDEX_MISSING;
    uint32_t uIndex = 0;
    if (RTStrParseU32Whole(pszRest, 10, &uIndex) != VINF_SUCCESS)
        return VERR_GETOPT_INVALID_ARGUMENT_FORMAT;
    *puIndex = uIndex;
    return VINF_SUCCESS;
}


int RTGetOptInit(PRTGETOPTSTATE pState, int argc, char **argv,
                 PCRTGETOPTDEF paOptions, size_t cOptions, int iFirst, uint32_t fFlags)
{
    if (fFlags & ~(RTGETOPTINIT_FLAG_OPTS_FIRST | RTGETOPTINIT_FLAG_NO_STD_OPTS))
        return VERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(pState))
        return VERR_INVALID_POINTER;
    /* A negative start would make the parser read in front of argv. */
    if (argc < 0 || iFirst < 0 || (size_t)(uint32_t)cOptions != cOptions)
        return VERR_INVALID_PARAMETER;
    if ((argc > 0 && !RT_VALID_PTR(argv)) || (cOptions > 0 && !RT_VALID_PTR(paOptions)))
        return VERR_INVALID_POINTER;

    pState->iNext        = iFirst;
    pState->argv         = argv;
    pState->argc         = argc;
    pState->paOptions    = paOptions;
    pState->cOptions     = (uint32_t)cOptions;
    pState->pszNextShort = NULL;
    pState->pDef         = NULL;
    pState->uIndex       = UINT32_MAX;
    pState->fFlags       = fFlags;
    pState->cNonOptArgs  = 0;
    return VINF_SUCCESS;
}


int RTGetOpt(PRTGETOPTSTATE pState, PRTGETOPTUNION pValueUnion)
{
    if (!RT_VALID_PTR(pState) || !RT_VALID_PTR(pValueUnion))
        return VERR_INVALID_POINTER;

    pState->pDef   = NULL;
    pState->uIndex = UINT32_MAX;
    pValueUnion->u64 = 0;

    bool const     fOptsFirst = (pState->fFlags & RTGETOPTINIT_FLAG_OPTS_FIRST) != 0;
    bool const     fInGroup   = pState->pszNextShort != NULL;
    PCRTGETOPTDEF  pOpt;
    const char    *pszArg       = NULL; /* the whole argument of a long option */
    const char    *pszShortText = NULL; /* text after the character of a short option */
    int32_t        iCur;

    if (fInGroup)
    {
        /* Taking a group of short options apart; iNext designates the group. */
        iCur = pState->iNext;
        pOpt = rtGetOptSearchShort(pState, *pState->pszNextShort);
        if (!pOpt)
        {
            /* The state stays on the unknown character, so a caller that
               goes on gets the same error again rather than a guess. */
            pValueUnion->psz = pState->pszNextShort;
            return VERR_GETOPT_UNKNOWN_OPTION;
        }
        pszShortText = ++pState->pszNextShort;
    }
    else
    {
        for (;;)
        {
            if (pState->iNext >= pState->argc)
                return 0;
            if (pState->cNonOptArgs == INT32_MAX)
            {
                pValueUnion->psz = pState->argv[pState->iNext++];
                return VINF_GETOPT_NOT_OPTION;
            }
            if (pState->cNonOptArgs > 0 && (int64_t)pState->iNext + pState->cNonOptArgs >= pState->argc)
            {
                /* Only set-aside operands are left: hand them out in order. */
                pState->cNonOptArgs = INT32_MAX;
                continue;
            }

            iCur = pState->iNext++;
            int32_t const iArg = iCur + pState->cNonOptArgs;
            pszArg = pState->argv[iArg];

            pOpt = rtGetOptSearchLong(pState, pszArg);
            if (!pOpt && pszArg[0] == '-' && pszArg[1] != '-' && pszArg[1] != '\0')
            {
                pOpt = rtGetOptSearchShort(pState, pszArg[1]);
                if (pOpt)
                    pszShortText = &pszArg[2];
            }

            if (!pOpt && rtGetOptStrEqual(pszArg, "--"))
            {
                /* End of options: "--" goes in front of the set-aside operands
                   and everything behind it is an operand. */
                rtGetOptMoveArgvEntry(pState->argv, iCur, iArg);
                pState->cNonOptArgs = INT32_MAX;
                continue;
            }

            if (pOpt || pszArg[0] == '-')
            {
                /* Options, unknown ones too, go in front of the set-aside
                   operands; otherwise a caller that goes on after an unknown
                   option would lose the first operand and get the unknown
                   option back as one. */
                if (fOptsFirst)
                    rtGetOptMoveArgvEntry(pState->argv, iCur, iArg);
                if (pOpt)
                    break;
                pValueUnion->psz = pszArg;
                return VERR_GETOPT_UNKNOWN_OPTION;
            }

            if (!fOptsFirst)
            {
                pValueUnion->psz = pszArg;
                return VINF_GETOPT_NOT_OPTION;
            }

            /* An operand while options come first: set it aside and look at
               the next argument behind it. */
            pState->iNext = iCur;
            pState->cNonOptArgs++;
            if ((int64_t)pState->iNext + pState->cNonOptArgs >= pState->argc)
                pState->cNonOptArgs = INT32_MAX;
        }
    }

    pValueUnion->pDef = pOpt;
    uint32_t const fFlags = pOpt->fFlags;
    uint32_t       uIndex = UINT32_MAX;

    if ((fFlags & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_NOTHING)
    {
        if (pszShortText)
        {
            if (*pszShortText != '\0')
            {
                if (!fInGroup)
                {
                    /* A group begins: stay on this argument. */
                    pState->iNext        = iCur;
                    pState->pszNextShort = pszShortText;
                }
            }
            else if (fInGroup)
            {
                pState->iNext        = iCur + 1;
                pState->pszNextShort = NULL;
            }
        }
        else if (fFlags & RTGETOPT_FLAG_INDEX)
        {
            int rc = rtGetOptIndexOnly(pOpt, pszArg, &uIndex);
            if (RT_FAILURE(rc))
                return rc;
        }
        pState->pDef   = pOpt;
        pState->uIndex = uIndex;
        return pOpt->iShort;
    }

    const char *pszValue = NULL;
    if (pszShortText)
    {
        /* The value takes the rest of the group, or the next argument; either
           way the group ends here, missing value or not, so the state never
           stays on the group's terminator. */
        if (fInGroup)
        {
            pState->iNext        = iCur + 1;
            pState->pszNextShort = NULL;
        }
        if (*pszShortText == '\0')
        {
            int rc = rtGetOptTakeNextArg(pState, iCur, &pszValue);
            if (RT_FAILURE(rc))
                return rc;
        }
        else if (*pszShortText == ':' || *pszShortText == '=')
            pszValue = pszShortText + 1;
        else
            pszValue = pszShortText;
    }
    else if (!(fFlags & RTGETOPT_FLAG_INDEX))
    {
        const char *pszRest = pszArg + strlen(pOpt->pszLong);
        if (*pszRest == '\0')
        {
            int rc = rtGetOptTakeNextArg(pState, iCur, &pszValue);
            if (RT_FAILURE(rc))
                return rc;
        }
        else
            pszValue = pszRest + 1; /* after ':' or '=', as the name match guarantees */
    }
    else
    {
        int rc = rtGetOptIndexedValue(pState, pOpt, pszArg, iCur, &uIndex, &pszValue);
        if (RT_FAILURE(rc))
            return rc;
    }

    int rc = rtGetOptConvertValue(fFlags, pszValue, pValueUnion);
    if (RT_FAILURE(rc))
        return rc;
    pState->pDef   = pOpt;
    pState->uIndex = uIndex;
    return pOpt->iShort;
}


int RTGetOptFetchValue(PRTGETOPTSTATE pState, PRTGETOPTUNION pValueUnion, uint32_t fFlags)
{
    if (!RT_VALID_PTR(pState) || !RT_VALID_PTR(pValueUnion))
        return VERR_INVALID_POINTER;
    if ((fFlags & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_NOTHING || (fFlags & RTGETOPT_FETCH_VALUE_INVALID_MASK))
        return VERR_INVALID_PARAMETER;

    pValueUnion->u64 = 0;

    /*
     * The value is the first argument behind the operands set aside. Inside a
     * group of short options iNext still designates the group, so the value
     * comes after the group and is moved in front of it: iNext then goes on
     * designating the group and the value is never taken twice.
     */
    int32_t const cNonOpt = pState->cNonOptArgs == INT32_MAX ? 0 : pState->cNonOptArgs;
    int64_t const iValue  = (int64_t)pState->iNext + (pState->pszNextShort ? 1 : 0) + cNonOpt;
    if (iValue >= pState->argc)
        return VERR_GETOPT_REQUIRED_ARGUMENT_MISSING;

    int32_t const iTo = pState->iNext;
    rtGetOptMoveArgvEntry(pState->argv, iTo, (int32_t)iValue);
    const char *pszValue = pState->argv[iTo];
    pState->iNext = iTo + 1;

    pValueUnion->pDef = pState->pDef;
    return rtGetOptConvertValue(fFlags, pszValue, pValueUnion);
}
