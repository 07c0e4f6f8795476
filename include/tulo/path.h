/* Path syntax and absolute paths. */
#ifndef TULO_PATH_H
#define TULO_PATH_H

#include <tulo/cdefs.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/** Longest path the runtime handles, terminator included. */
#define RTPATH_MAX 4100

/*
 * Path styles, in the low two bits of every flags word that interprets
 * separators. The host style is DOS in the Windows builds and Unix in the
 * host (Linux) build, where tests pass the style explicitly to check the
 * Windows rules.
 */
/** The style of the platform the runtime is built for. */
#define RTPATH_STR_F_STYLE_HOST     0x00000000u
/** '\' and '/' separate; drive letters and UNC roots; '\' is written. */
#define RTPATH_STR_F_STYLE_DOS      0x00000001u
/** Only '/' separates; '\' is an ordinary character. */
#define RTPATH_STR_F_STYLE_UNIX     0x00000002u
/** Undefined style value; refused with VERR_INVALID_FLAGS. */
#define RTPATH_STR_F_STYLE_RESERVED 0x00000003u
/** Mask of the style bits. */
#define RTPATH_STR_F_STYLE_MASK     0x00000003u
/** The string starts in the middle of a path: no root, leading separators are extra. */
#define RTPATH_STR_F_NO_START       0x00000010u
/** The string ends in the middle of a path: no file name or suffix, a trailing separator is extra. */
#define RTPATH_STR_F_NO_END         0x00000020u
/** Both of the above. */
#define RTPATH_STR_F_MIDDLE         (RTPATH_STR_F_NO_START | RTPATH_STR_F_NO_END)
/** Every flag RTPathParse accepts. */
#define RTPATH_STR_F_VALID_MASK     0x00000033u

#ifdef _WIN32
/** The style RTPATH_STR_F_STYLE_HOST stands for. */
# define RTPATH_STYLE       RTPATH_STR_F_STYLE_DOS
/** The separator written where no style is given. */
# define RTPATH_SLASH       '\\'
# define RTPATH_SLASH_STR   "\\"
#else
# define RTPATH_STYLE       RTPATH_STR_F_STYLE_UNIX
# define RTPATH_SLASH       '/'
# define RTPATH_SLASH_STR   "/"
#endif

/*
 * Parsed paths.
 */

/** Property bits of a parsed path (RTPATHPARSED::fProps). */
#define RTPATH_PROP_FILENAME        UINT16_C(0x0001) /**< Ends in a component, not a separator. */
#define RTPATH_PROP_DIR_SLASH       UINT16_C(0x0002) /**< Ends in separators after a component. */
#define RTPATH_PROP_SUFFIX          UINT16_C(0x0004) /**< The final component has a suffix. */
#define RTPATH_PROP_UNC             UINT16_C(0x0010) /**< The root begins with two separators. */
#define RTPATH_PROP_ROOT_SLASH      UINT16_C(0x0020) /**< The root ends in a separator. */
#define RTPATH_PROP_VOLUME          UINT16_C(0x0040) /**< The root is a drive letter and colon. */
#define RTPATH_PROP_ABSOLUTE        UINT16_C(0x0100) /**< Absolute, without "..". */
#define RTPATH_PROP_RELATIVE        UINT16_C(0x0200) /**< Relative, or has a ".." component. */
#define RTPATH_PROP_EXTRA_SLASHES   UINT16_C(0x0400) /**< Somewhere two or more separators in a row. */
#define RTPATH_PROP_DOT_REFS        UINT16_C(0x0800) /**< A component is ".". */
#define RTPATH_PROP_DOTDOT_REFS     UINT16_C(0x1000) /**< A component is "..". */
#define RTPATH_PROP_SPECIAL_UNC     UINT16_C(0x2000) /**< UNC root with server "." or "?" (device and raw paths). */

/** Most components a parsed-path record describes. */
#define RTPATH_MAX_COMPONENTS       65520u

/** One component of a parsed path: where it lies in the source string. */
typedef struct RTPATHPARSEDCOMP
{
    uint16_t    off;
    uint16_t    cch;
} RTPATHPARSEDCOMP;

/**
 * A parsed path, in a caller-allocated record of a byte size passed to the
 * parser: the 12-byte header followed by as many components as fit. It
 * describes the source string by offsets only. Setting a component length
 * to 0 drops the component when the path is rebuilt.
 */
typedef struct RTPATHPARSED
{
    /** Components, the root counting as component 0 when present. */
    uint16_t            cComps;
    /** RTPATH_PROP_XXX. */
    uint16_t            fProps;
    /** Length of the path rebuilt from the components. */
    uint16_t            cchPath;
    uint16_t            u16Reserved;
    /** Offset of the suffix's dot; the string's length when there is none. */
    uint16_t            offSuffix;
    /** Length of the suffix with its dot; 0 when there is none. */
    uint16_t            cchSuffix;
    /** The components; the record may hold more than one. */
    RTPATHPARSEDCOMP    aComps[1];
} RTPATHPARSED;
typedef RTPATHPARSED *PRTPATHPARSED;
typedef const RTPATHPARSED *PCRTPATHPARSED;

/** Size of the record header, before the first component. */
#define RTPATHPARSED_HDR_SIZE       12u
/** Record size that holds cComps components. */
#define RTPATHPARSED_SIZE(cComps)   (RTPATHPARSED_HDR_SIZE + 4u * (size_t)(cComps))

/**
 * Splits a path into its root and components.
 *
 * @returns VERR_BUFFER_OVERFLOW when the record holds fewer components than
 *          the path has: the header is still complete, so a record of
 *          RTPATHPARSED_SIZE(cComps) bytes succeeds.
 *          VERR_PATH_ZERO_LENGTH, VERR_FILENAME_TOO_LONG (65536 characters or
 *          more), VERR_INVALID_PARAMETER (record under 12 bytes),
 *          VERR_INVALID_POINTER, VERR_INVALID_FLAGS.
 * @param   fFlags  Style and RTPATH_STR_F_NO_START / RTPATH_STR_F_NO_END.
 */
int RTPathParse(const char *pszPath, PRTPATHPARSED pParsed, size_t cbParsed, uint32_t fFlags);

/**
 * Rebuilds a path from a parsed record, skipping components of length 0,
 * writing the style's separator and one separator between components. The
 * rebuilt length is stored in pParsed->cchPath in every case. The destination
 * may be the source buffer itself or start before it.
 *
 * @returns VERR_BUFFER_OVERFLOW when the result is not shorter than
 *          cbDstPath (the destination then holds an empty string),
 *          VERR_INVALID_PARAMETER (no components), VERR_INVALID_FLAGS.
 * @param   fFlags  The style only.
 */
int RTPathParsedReassemble(const char *pszSrcPath, PRTPATHPARSED pParsed, uint32_t fFlags,
                           char *pszDstPath, size_t cbDstPath);

/*
 * Absolute paths.
 */

/** ".." in the path never removes a component of the base. */
#define RTPATHABS_F_STOP_AT_BASE            0x00010000u
/** The same when the base is the current directory. */
#define RTPATHABS_F_STOP_AT_CWD             0x00020000u
/** The result ends in a separator when it has a component beyond the root. */
#define RTPATHABS_F_ENSURE_TRAILING_SLASH   0x00040000u

/**
 * Absolute form of pszPath, relative to pszBase or, when that is NULL or
 * empty, to the current directory (of the path's drive for "X:dir"). "." and
 * ".." are resolved, never above the root or the share of a UNC path, and
 * separators are normalised to the style's. The destination serves as
 * scratch space and must not overlap pszBase or pszPath.
 *
 * @param   pcbAbsPath  In: size of pszAbsPath. Out: on success the length of
 *                      the result; on VERR_BUFFER_OVERFLOW a size that
 *                      succeeds when the inputs do not change.
 * @returns VERR_BUFFER_OVERFLOW, VERR_PATH_ZERO_LENGTH, VERR_INVALID_FLAGS,
 *          VERR_INVALID_POINTER, VERR_FILENAME_TOO_LONG, VERR_PATH_NO_ROOT
 *          (base without a root separator), VERR_NO_TMP_MEMORY, or what the
 *          current-directory queries report.
 */
int RTPathAbsEx(const char *pszBase, const char *pszPath, uint32_t fFlags, char *pszAbsPath, size_t *pcbAbsPath);

/** Absolute form of pszPath (relative to the current directory) into a caller
 * buffer; VERR_BUFFER_OVERFLOW when it does not fit. */
int RTPathAbs(const char *pszPath, char *pszAbsPath, size_t cbAbsPath);

/** RTPathAbsEx into a newly allocated string (free with RTStrRelease); NULL
 * on any failure. */
char *RTPathAbsExDup(const char *pszBase, const char *pszPath, uint32_t fFlags);

/*
 * Building paths.
 */

/**
 * Appends at most cchAppendMax characters of pszAppend to the path in
 * pszPath as a new component, with exactly one separator between them
 * (none after a bare drive "X:").
 *
 * @returns VERR_BUFFER_OVERFLOW when the result would not be shorter than
 *          cbPathDst (the path is left unchanged), VERR_INVALID_PARAMETER
 *          (no terminator within cbPathDst), VERR_INVALID_POINTER,
 *          VERR_INVALID_FLAGS.
 * @param   fFlags  The style only.
 */
int RTPathAppendEx(char *pszPath, size_t cbPathDst, const char *pszAppend, size_t cchAppendMax, uint32_t fFlags);
/** RTPathAppendEx of the whole string in the host style. */
int RTPathAppend(char *pszPath, size_t cbPathDst, const char *pszAppend);

/** pszPathSrc followed by pszAppend (as RTPathAppend) into pszPathDst.
 * On VERR_BUFFER_OVERFLOW the destination holds an empty string. */
int RTPathJoin(char *pszPathDst, size_t cbPathDst, const char *pszPathSrc, const char *pszAppend);
/** RTPathJoin into a newly allocated string (free with RTStrRelease), or NULL. */
char *RTPathJoinA(const char *pszPathSrc, const char *pszAppend);

/*
 * Pieces of a path. The forms without a style use the host style; in the
 * DOS style '\', '/' and ':' end a component, in the Unix style only '/'.
 */

/** The final component, or NULL when the path ends in a separator or is empty. */
char *RTPathFilename(const char *pszPath);
char *RTPathFilenameEx(const char *pszPath, uint32_t fFlags);

/** The suffix of the final component (its last '.'), or NULL when there is no
 * dot, the dot is the first character of the string or its last. */
char *RTPathSuffix(const char *pszPath);
char *RTPathSuffixEx(const char *pszPath, uint32_t fFlags);

/** Whether the path begins with a root: a separator, or in the DOS style a
 * drive letter and colon. */
bool RTPathStartsWithRoot(const char *pszPath);
bool RTPathStartsWithRootEx(const char *pszPath, uint32_t fFlags);

/** Turns every '/' into '\' in place; fForce has no effect. Returns pszPath. */
char *RTPathChangeToDosSlashes(char *pszPath, bool fForce);

/**
 * Makes the path end in a separator: the host separator is appended unless it
 * already ends in one (or, DOS style, a colon); an empty path becomes ".\" or
 * "./". Returns the new length, or 0 when it does not fit in cbPath.
 */
size_t RTPathEnsureTrailingSeparator(char *pszPath, size_t cbPath);
size_t RTPathEnsureTrailingSeparatorEx(char *pszPath, size_t cbPath, uint32_t fFlags);

/*
 * The current directory.
 */

/** The current directory.
 * @returns VERR_BUFFER_OVERFLOW when it does not fit (cchPath of 0 included),
 *          or the converted platform error. */
int RTPathGetCurrent(char *pszPath, size_t cchPath);

/** The current directory of a drive ("X:" resolved against the process's
 * per-drive directories; the drive's root when it has none).
 * @returns VERR_BUFFER_OVERFLOW when it does not fit, VERR_INVALID_PARAMETER
 *          when chDrive is not a letter, or the converted platform error. */
int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath);

/** The current drive ("C:") or UNC share ("\\server\share"); on a host without
 * drives the root "/".
 * @returns VERR_BUFFER_OVERFLOW, VERR_NO_TMP_MEMORY, VERR_INTERNAL_ERROR_4
 *          when the current directory has neither form, or what
 *          RTPathGetCurrent reports. */
int RTPathGetCurrentDrive(char *pszPath, size_t cbPath);

RT_C_DECLS_END

#endif
