/* Option parser: walks an argument vector against a table of option definitions. */
#ifndef TULO_GETOPT_H
#define TULO_GETOPT_H

#include <tulo/cdefs.h>
#include <tulo/types.h>
#include <stdbool.h>

RT_C_DECLS_BEGIN

/* Value kinds (bits 0..4 of RTGETOPTDEF::fFlags); 0 means the option takes no value. */
#define RTGETOPT_VAL_MASK                           UINT32_C(0x0000001f)
#define RTGETOPT_VAL_NOTHING                        UINT32_C(0)
#define RTGETOPT_VAL_STRING                         UINT32_C(1)
#define RTGETOPT_VAL_INT8                           UINT32_C(2)
#define RTGETOPT_VAL_UINT8                          UINT32_C(3)
#define RTGETOPT_VAL_INT16                          UINT32_C(4)
#define RTGETOPT_VAL_UINT16                         UINT32_C(5)
#define RTGETOPT_VAL_INT32                          UINT32_C(6)
#define RTGETOPT_VAL_UINT32                         UINT32_C(7)
#define RTGETOPT_VAL_INT64                          UINT32_C(8)
#define RTGETOPT_VAL_UINT64                         UINT32_C(9)
#define RTGETOPT_VAL_IPV4ADDR                       UINT32_C(10)
#define RTGETOPT_VAL_IPV4CIDR                       UINT32_C(11)
#define RTGETOPT_VAL_MACADDR                        UINT32_C(14)
#define RTGETOPT_VAL_UUID                           UINT32_C(15)
#define RTGETOPT_VAL_BOOL_ONOFF                     UINT32_C(16)
#define RTGETOPT_VAL_BOOL                           UINT32_C(17)
#define RTGETOPT_VAL_UINT32_PAIR                    UINT32_C(18)
#define RTGETOPT_VAL_UINT64_PAIR                    UINT32_C(19)
#define RTGETOPT_VAL_UINT32_OPTIONAL_PAIR           UINT32_C(20)
#define RTGETOPT_VAL_UINT64_OPTIONAL_PAIR           UINT32_C(21)

/* Option flags. */
#define RTGETOPT_FLAG_HEX                      UINT32_C(0x00010000)
#define RTGETOPT_FLAG_OCT                      UINT32_C(0x00020000)
#define RTGETOPT_FLAG_DEC                      UINT32_C(0x00040000)
#define RTGETOPT_FLAG_INDEX                    UINT32_C(0x00080000)
#define RTGETOPT_FLAG_INDEX_DEF_MASK           UINT32_C(0x00300000)
#define RTGETOPT_FLAG_INDEX_DEF_SHIFT          20
/** Default index 0, 1 or 2 when the index may be omitted. */
#define RTGETOPT_FLAG_INDEX_DEF_0              UINT32_C(0x00100000)
#define RTGETOPT_FLAG_INDEX_DEF_1              UINT32_C(0x00200000)
#define RTGETOPT_FLAG_INDEX_DEF_2              UINT32_C(0x00300000)
#define RTGETOPT_FLAG_INDEX_DASH               UINT32_C(0x00400000)
#define RTGETOPT_FLAG_ICASE                    UINT32_C(0x00800000)
/** Bits that RTGetOptFetchValue refuses. */
#define RTGETOPT_FETCH_VALUE_INVALID_MASK      UINT32_C(0xff00ffe0)

/* Initialisation flags. */
#define RTGETOPTINIT_FLAG_OPTS_FIRST           UINT32_C(1)
#define RTGETOPTINIT_FLAG_NO_STD_OPTS          UINT32_C(2)

/** One option definition. */
typedef struct RTGETOPTDEF
{
    /** Full text selecting the option ("--path", "/?"), or NULL for short only. */
    const char *pszLong;
    /** Value returned for the option; a character code also selects "-c". */
    int32_t     iShort;
    /** Value kind and option flags. */
    uint32_t    fFlags;
} RTGETOPTDEF;
typedef RTGETOPTDEF *PRTGETOPTDEF;
typedef const RTGETOPTDEF *PCRTGETOPTDEF;

/** The converted value of an option. */
typedef union RTGETOPTUNION
{
    PCRTGETOPTDEF   pDef;
    const char     *psz;
    int8_t          i8;
    uint8_t         u8;
    int16_t         i16;
    uint16_t        u16;
    int32_t         i32;
    uint32_t        u32;
    int64_t         i64;
    uint64_t        u64;
    bool            f;
    RTNETADDRIPV4   IPv4Addr;
    struct
    {
        uint32_t    IPv4Network;
        uint32_t    IPv4Netmask;
    } CidrIPv4;
    RTMAC           MacAddr;
    RTUUID          Uuid;
    struct
    {
        uint32_t    uFirst;
        uint32_t    uSecond;
    } PairU32;
    struct
    {
        uint64_t    uFirst;
        uint64_t    uSecond;
    } PairU64;
} RTGETOPTUNION;
typedef RTGETOPTUNION *PRTGETOPTUNION;
typedef const RTGETOPTUNION *PCRTGETOPTUNION;

/** Parser state, owned by the caller. */
typedef struct RTGETOPTSTATE
{
    int32_t         iNext;
    char          **argv;
    int32_t         argc;
    PCRTGETOPTDEF   paOptions;
    uint32_t        cOptions;
    const char     *pszNextShort;
    PCRTGETOPTDEF   pDef;
    uint32_t        uIndex;
    uint32_t        fFlags;
    int32_t         cNonOptArgs;
} RTGETOPTSTATE;
typedef RTGETOPTSTATE *PRTGETOPTSTATE;

int RTGetOptInit(PRTGETOPTSTATE pState, int argc, char **argv,
                 PCRTGETOPTDEF paOptions, size_t cOptions, int iFirst, uint32_t fFlags);
int RTGetOpt(PRTGETOPTSTATE pState, PRTGETOPTUNION pValueUnion);
int RTGetOptFetchValue(PRTGETOPTSTATE pState, PRTGETOPTUNION pValueUnion, uint32_t fFlags);
/** Prints the standard message for a result of RTGetOpt; returns RTEXITCODE_SYNTAX. */
RTEXITCODE RTGetOptPrintError(int ch, PCRTGETOPTUNION pValueUnion);

/* Command-line splitting styles and flags. */
#define RTGETOPTARGV_STYLE_MASK        UINT32_C(3)
/** The quoting of the Microsoft C runtime: double quotes, backslashes before quotes. */
#define RTGETOPTARGV_STYLE_MS_CRT      UINT32_C(0)
/** The quoting of the Bourne shell: single and double quotes, backslash escapes. */
#define RTGETOPTARGV_STYLE_BOURNE_SH   UINT32_C(1)
/** Write the arguments into the command-line buffer itself (it must be writable). */
#define RTGETOPTARGV_F_IN_PLACE        UINT32_C(4)

/** Splits a command line into a NULL-terminated argument vector. pszSeparators
 * NULL means space, tab, line feed and carriage return. Free the result with
 * RTGetOptArgvFreeEx and the same flags. */
int RTGetOptArgvFromString(char ***ppapszArgv, int *pcArgs, const char *pszCmdLine, uint32_t fFlags,
                           const char *pszSeparators);
/** Frees a vector from RTGetOptArgvFromString (NULL is allowed). */
void RTGetOptArgvFreeEx(char **papszArgv, uint32_t fFlags);

RT_C_DECLS_END

#endif
