/*
 * Fuzz target of the option parser.
 *
 * The first byte picks the initialisation flags, the start index and how
 * often values are fetched; the rest is split at NUL bytes into arguments.
 * Every argument, and the argument vector itself, lives in an exactly sized
 * heap block, so AddressSanitizer reports any read past an argument's
 * terminator or past argv[argc - 1]. The parser runs until it reports the end
 * or an error, and the invariants below are checked after every call.
 */
#include <tulo/getopt.h>
#include <tulo/err.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

namespace {

/** Every value kind (the undefined ones too) and every flag, long names in
 * all the spellings the parser knows, short-only and long-only entries. */
const RTGETOPTDEF g_aFuzzOptions[] =
{
    { "--string",   's',  RTGETOPT_VAL_STRING },
    { "--int8",     '1',  RTGETOPT_VAL_INT8 },
    { "--uint8",    '2',  RTGETOPT_VAL_UINT8 | RTGETOPT_FLAG_HEX },
    { "--int16",    '3',  RTGETOPT_VAL_INT16 | RTGETOPT_FLAG_OCT },
    { "--uint16",   '4',  RTGETOPT_VAL_UINT16 | RTGETOPT_FLAG_DEC },
    { "--int32",    '5',  RTGETOPT_VAL_INT32 },
    { "--uint32",   'n',  RTGETOPT_VAL_UINT32 },
    { "--int64",    '6',  RTGETOPT_VAL_INT64 | RTGETOPT_FLAG_HEX },
    { "--uint64",   '7',  RTGETOPT_VAL_UINT64 },
    { "--ip",       'I',  RTGETOPT_VAL_IPV4ADDR },
    { "--net",      'N',  RTGETOPT_VAL_IPV4CIDR },
    { "--mac",      'm',  RTGETOPT_VAL_MACADDR },
    { "--uuid",     'u',  RTGETOPT_VAL_UUID },
    { "--onoff",    'o',  RTGETOPT_VAL_BOOL_ONOFF },
    { "--bool",     'B',  RTGETOPT_VAL_BOOL },
    { "--pair32",   'P',  RTGETOPT_VAL_UINT32_PAIR },
    { "--pair64",   1001, RTGETOPT_VAL_UINT64_PAIR | RTGETOPT_FLAG_HEX },
    { "--opair32",  1002, RTGETOPT_VAL_UINT32_OPTIONAL_PAIR | RTGETOPT_FLAG_OCT },
    { "--opair64",  1003, RTGETOPT_VAL_UINT64_OPTIONAL_PAIR | RTGETOPT_FLAG_DEC },
    { "--idx",      'i',  RTGETOPT_VAL_STRING | RTGETOPT_FLAG_INDEX },
    { "--dash",     'd',  RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DASH | RTGETOPT_FLAG_INDEX_DEF_1 },
    { "--disk",     'k',  RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DEF_2 },
    { "--port",     'p',  RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DASH },
    { "--nic",      1004, RTGETOPT_VAL_BOOL | RTGETOPT_FLAG_INDEX | RTGETOPT_FLAG_INDEX_DEF_0 | RTGETOPT_FLAG_ICASE },
    { "--Case",     'c',  RTGETOPT_VAL_STRING | RTGETOPT_FLAG_ICASE },
    { "--Flag",     'F',  RTGETOPT_VAL_NOTHING | RTGETOPT_FLAG_ICASE },
    { NULL,         'q',  RTGETOPT_VAL_NOTHING },
    { NULL,         'x',  RTGETOPT_VAL_STRING },
    { "-a",         'a',  RTGETOPT_VAL_NOTHING },
    { "/extract",   'e',  RTGETOPT_VAL_NOTHING },
    { "--undef12",  1005, 12 },
    { "--undef31",  1006, 31 },
    { "--hexoct",   1007, RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX | RTGETOPT_FLAG_OCT },
    { "--strhex",   1008, RTGETOPT_VAL_STRING | RTGETOPT_FLAG_HEX },
    { "",           1009, RTGETOPT_VAL_NOTHING },
};

/** Kinds and flags handed to RTGetOptFetchValue, the refused ones included. */
const uint32_t g_afFetchFlags[] =
{
    RTGETOPT_VAL_STRING,
    RTGETOPT_VAL_UINT32 | RTGETOPT_FLAG_HEX,
    RTGETOPT_VAL_INT8,
    RTGETOPT_VAL_BOOL,
    RTGETOPT_VAL_UINT64_OPTIONAL_PAIR,
    RTGETOPT_VAL_MACADDR | RTGETOPT_FLAG_ICASE,
    RTGETOPT_VAL_UUID,
    13,
    RTGETOPT_VAL_NOTHING,
    RTGETOPT_VAL_STRING | UINT32_C(0x100),
};

const uint32_t g_afInitFlags[] =
{
    0,
    RTGETOPTINIT_FLAG_OPTS_FIRST,
    RTGETOPTINIT_FLAG_NO_STD_OPTS,
    RTGETOPTINIT_FLAG_OPTS_FIRST | RTGETOPTINIT_FLAG_NO_STD_OPTS,
};

void fuzzCheck(bool fOk)
{
    if (!fOk)
        __builtin_trap();
}

/** Whether psz lies within one of the arguments, its terminator included
 * (an empty value such as in "--string=" points there). */
bool fuzzPointsIntoArg(const char *psz, char * const *papszOrig, const size_t *pacchOrig, int cArgs)
{
    for (int i = 0; i < cArgs; i++)
        if (psz >= papszOrig[i] && psz <= papszOrig[i] + pacchOrig[i])
            return true;
    return false;
}

/** Whether argv holds exactly the original pointers; arguments are distinct
 * blocks, so counting each original once suffices. */
bool fuzzIsPermutation(char * const *papszArgs, char * const *papszOrig, int cArgs)
{
    for (int i = 0; i < cArgs; i++)
    {
        int cSeen = 0;
        for (int j = 0; j < cArgs; j++)
            if (papszArgs[j] == papszOrig[i])
                cSeen++;
        if (cSeen != 1)
            return false;
    }
    return true;
}

bool fuzzIsOurDef(PCRTGETOPTDEF pDef)
{
    if (pDef >= &g_aFuzzOptions[0] && pDef < &g_aFuzzOptions[RT_ELEMENTS(g_aFuzzOptions)])
        return true;
    /* The built-in definitions are the parser's own; they carry 'h' or 'V'. */
    return pDef && (pDef->iShort == 'h' || pDef->iShort == 'V') && pDef->pszLong;
}

void fuzzCheckState(const RTGETOPTSTATE &State, char * const *papszArgs, char * const *papszOrig, int cArgs)
{
    fuzzCheck(State.iNext >= 0 && State.iNext <= State.argc);
    fuzzCheck(State.argc == cArgs && State.argv == papszArgs);
    fuzzCheck(State.cNonOptArgs >= 0);
    fuzzCheck(State.cNonOptArgs == INT32_MAX || State.iNext + State.cNonOptArgs <= State.argc);
    fuzzCheck(fuzzIsPermutation(papszArgs, papszOrig, cArgs));
}

} /* namespace */


extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    if (cbData < 1 || cbData > 4096)
        return 0;
    uint8_t const bControl = pbData[0];
    pbData++;
    cbData--;

    /* Split the rest at NUL bytes; a trailing piece without NUL counts too. */
    enum { MAX_ARGS = 64 };
    int cArgs = 0;
    for (size_t off = 0; off < cbData && cArgs < MAX_ARGS; cArgs++)
    {
        const uint8_t *pbEnd = (const uint8_t *)memchr(&pbData[off], 0, cbData - off);
        off = pbEnd ? (size_t)(pbEnd - pbData) + 1 : cbData;
    }

    char  **papszArgs = (char **)malloc((size_t)(cArgs ? cArgs : 1) * sizeof(char *));
    char  **papszOrig = (char **)malloc((size_t)(cArgs ? cArgs : 1) * sizeof(char *));
    size_t *pacchOrig = (size_t *)malloc((size_t)(cArgs ? cArgs : 1) * sizeof(size_t));
    if (!papszArgs || !papszOrig || !pacchOrig)
        abort();
    size_t off = 0;
    for (int i = 0; i < cArgs; i++)
    {
        const uint8_t *pbEnd = (const uint8_t *)memchr(&pbData[off], 0, cbData - off);
        size_t const cch = pbEnd ? (size_t)(pbEnd - &pbData[off]) : cbData - off;
        char *psz = (char *)malloc(cch + 1);
        if (!psz)
            abort();
        memcpy(psz, &pbData[off], cch);
        psz[cch] = '\0';
        papszArgs[i] = papszOrig[i] = psz;
        pacchOrig[i] = cch;
        off += cch + 1;
    }

    uint32_t const fInit  = g_afInitFlags[bControl & 3];
    int const      iFirst = cArgs > 0 && (bControl & 4) ? 1 : 0;
    unsigned const uFetchEvery = (bControl >> 3) & 7; /* 0: never */

    RTGETOPTSTATE State;
    int rc = RTGetOptInit(&State, cArgs, papszArgs, g_aFuzzOptions, RT_ELEMENTS(g_aFuzzOptions), iFirst, fInit);
    fuzzCheck(rc == VINF_SUCCESS);

    /* Each call consumes an argument or a character of a group, so the
       number of calls that can succeed is bounded by the input's size. */
    size_t const cMaxCalls = cbData + 2 * (size_t)cArgs + 2;
    size_t       cCalls    = 0;
    unsigned     iFetch    = 0;
    for (;;)
    {
        fuzzCheck(++cCalls <= cMaxCalls);
        RTGETOPTUNION Value;
        memset(&Value, 0xa5, sizeof(Value));
        rc = RTGetOpt(&State, &Value);
        fuzzCheckState(State, papszArgs, papszOrig, cArgs);
        if (rc == 0)
        {
            fuzzCheck(State.iNext >= State.argc);
            break;
        }
        if (rc == VINF_GETOPT_NOT_OPTION || rc == VERR_GETOPT_UNKNOWN_OPTION)
        {
            /* The unknown boolean word is the value text, also an argument. */
            fuzzCheck(fuzzPointsIntoArg(Value.psz, papszOrig, pacchOrig, cArgs));
            fuzzCheck(State.pDef == NULL);
        }
        if (rc < 0)
            break;
        if (rc == VINF_GETOPT_NOT_OPTION)
            continue;

        /* An option: the state names its definition, the union holds the value. */
        fuzzCheck(State.pDef != NULL && fuzzIsOurDef(State.pDef) && State.pDef->iShort == rc);
        uint32_t const fFlags = State.pDef->fFlags;
        if ((fFlags & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_NOTHING)
            fuzzCheck(Value.pDef == State.pDef);
        else if ((fFlags & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_STRING)
            fuzzCheck(fuzzPointsIntoArg(Value.psz, papszOrig, pacchOrig, cArgs));
        if (!(fFlags & RTGETOPT_FLAG_INDEX))
            fuzzCheck(State.uIndex == UINT32_MAX);

        if (uFetchEvery && ++iFetch % uFetchEvery == 0)
        {
            uint32_t const fFetch = g_afFetchFlags[(iFetch / uFetchEvery + bControl) % RT_ELEMENTS(g_afFetchFlags)];
            int32_t const  iNextBefore = State.iNext;
            memset(&Value, 0x5a, sizeof(Value));
            rc = RTGetOptFetchValue(&State, &Value, fFetch);
            fuzzCheckState(State, papszArgs, papszOrig, cArgs);
            fuzzCheck(rc <= VINF_SUCCESS);   /* a status, never an option value */
            if (rc == VERR_INVALID_PARAMETER || rc == VERR_GETOPT_REQUIRED_ARGUMENT_MISSING)
                fuzzCheck(State.iNext == iNextBefore);
            else
                fuzzCheck(State.iNext == iNextBefore + 1);
            if (rc == VINF_SUCCESS && (fFetch & RTGETOPT_VAL_MASK) == RTGETOPT_VAL_STRING)
                fuzzCheck(fuzzPointsIntoArg(Value.psz, papszOrig, pacchOrig, cArgs));
            if (rc < 0)
                break;
        }
    }

    for (int i = 0; i < cArgs; i++)
        free(papszOrig[i]);
    free(pacchOrig);
    free(papszOrig);
    free(papszArgs);
    return 0;
}
