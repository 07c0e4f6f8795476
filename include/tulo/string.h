/* UTF-8 text, string buffers and helpers, and string to number conversion. */
#ifndef TULO_STRING_H
#define TULO_STRING_H

#include <tulo/cdefs.h>
#include <tulo/types.h>
#ifndef __cplusplus
# include <stdbool.h>
#endif

RT_C_DECLS_BEGIN

/*
 * String to number conversion.
 *
 * uBaseAndMaxLen: the low 8 bits are the base (2..35; 0 or 36 and above pick
 * the base from the text), the upper 24 bits the maximum number of characters
 * to read (0: no limit). The prefix forms stop at the first character that is
 * not part of the number, store where they stopped in *ppszNext and report
 * trailing text as VWRN_TRAILING_CHARS / VWRN_TRAILING_SPACES; the whole-string
 * forms report it as VERR_TRAILING_CHARS / VERR_TRAILING_SPACES.
 */
int RTStrParseI64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, int64_t *pi64);
int RTStrParseU64(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint64_t *pu64);
int RTStrParseU32(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint32_t *pu32);
int RTStrParseU8(const char *pszValue, char **ppszNext, unsigned uBaseAndMaxLen, uint8_t *pu8);

int RTStrParseI64Whole(const char *pszValue, unsigned uBaseAndMaxLen, int64_t *pi64);
int RTStrParseU64Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint64_t *pu64);
int RTStrParseI32Whole(const char *pszValue, unsigned uBaseAndMaxLen, int32_t *pi32);
int RTStrParseI16Whole(const char *pszValue, unsigned uBaseAndMaxLen, int16_t *pi16);
int RTStrParseI8Whole(const char *pszValue, unsigned uBaseAndMaxLen, int8_t *pi8);
int RTStrParseU32Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint32_t *pu32);
int RTStrParseU16Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint16_t *pu16);
int RTStrParseU8Whole(const char *pszValue, unsigned uBaseAndMaxLen, uint8_t *pu8);

/** Prefix form with the base taken from the text and no limit; 0 on error,
 * otherwise the low 32 bits of the value whatever the warning. */
int32_t RTStrParseI32Loose(const char *pszValue);

/** Dotted-quad IPv4 address; *ppszNext (optional) gets where parsing stopped. */
int RTStrParseIPv4(const char *pszAddr, RTNETADDRIPV4 *pAddr, char **ppszNext);
/** Dotted-quad IPv4 address that may be surrounded by blanks; 0 or VERR_INVALID_PARAMETER. */
int RTStrParseIPv4Whole(const char *pszAddr, RTNETADDRIPV4 *pAddr);
/** IPv4 network "a.b.c.d/len"; address and mask in host order. 0 or VERR_INVALID_PARAMETER. */
int RTStrParseIPv4Cidr(const char *pszNet, uint32_t *puAddr, uint32_t *puMask);
/** MAC address, "xx:xx:xx:xx:xx:xx" or twelve hex digits. */
int RTStrParseMac(const char *pszMac, RTMAC *pMac);
/** UUID "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", optionally in braces. */
int RTStrParseUuid(RTUUID *pUuid, const char *pszUuid);

/** First character of psz that is one of the characters of pszChars, or NULL. */
char *RTStrPBrk(const char *psz, const char *pszChars);

/** Appends pszSrc to the string in pszDst (cbDst bytes in all).
 * VERR_BUFFER_OVERFLOW when it does not fit (the buffer then holds as much as
 * fits, terminated); VERR_INVALID_PARAMETER when pszDst holds no terminator. */
int RTStrAppendTo(char *pszDst, size_t cbDst, const char *pszSrc);

/** Compares a UTF-8 string with an ASCII string, folding A-Z to lower case;
 * <0, 0 or >0. NULL handling as RTStrCompare; a non-ASCII code point that
 * differs sorts after; from an invalid sequence on, the bytes are compared. */
int RTStrCompareAsciiNoCase(const char *psz1, const char *psz2);

/** Frees a string returned by an allocating string or format operation; NULL is allowed. */
void RTStrRelease(char *psz);

/*
 * UTF-8 text.
 *
 * Byte limits of (size_t)-1 (RTSTR_MAX) mean "up to the terminator". The Ex
 * conversions share one contract: the source is validated and the result
 * length (terminator excluded) computed first; an invalid source returns its
 * status with nothing allocated and no output touched. The length goes to the
 * optional length output. With a non-zero size and a non-NULL *pp the
 * caller's buffer is used and must be larger than the length (else
 * VERR_BUFFER_OVERFLOW); otherwise *pp is set to NULL and max(length + 1,
 * size) elements are allocated. Allocated results are freed with RTMemFree
 * (UTF-16, code points) or RTStrRelease (UTF-8).
 */

/** Limit meaning "up to the terminator". */
#define RTSTR_MAX (~(size_t)0)

/** RTStrCheckUtf8: the text must be terminated within the limit. */
#define RTSTRCHECK_F_TERMINATED 0x1u
/** RTStrCheckUtf8: the limit must match the text (and terminator) exactly. */
#define RTSTRCHECK_F_EXACT      0x2u

/** Validates UTF-8 text of at most cchMax bytes (code points up to 0x7FFFFFFF).
 * Flags above 3: VERR_INVALID_PARAMETER. With RTSTRCHECK_F_EXACT the limit
 * must equal the length (plus 1 with RTSTRCHECK_F_TERMINATED), else
 * VERR_BUFFER_UNDERFLOW (limit larger) or VERR_BUFFER_OVERFLOW (smaller); with
 * only RTSTRCHECK_F_TERMINATED a text without a NUL within the limit gives
 * VERR_BUFFER_OVERFLOW. */
int RTStrCheckUtf8(const char *psz, size_t cchMax, uint32_t fFlags);

/** Number of code points of a terminated string; 0 if it is not valid UTF-8. */
size_t RTStrCountCodePoints(const char *psz);

/** UTF-16 units needed for psz, terminator excluded. Code points above
 * 0x10FFFF give VERR_CODE_POINT_OUT_OF_RANGE. */
int RTStrCountUtf16Units(const char *psz, size_t *pcwc);
/** As RTStrCountUtf16Units within cchMax bytes; *pcwc (optional) is set to
 * (size_t)-1 on error. */
int RTStrCountUtf16UnitsEx(const char *psz, size_t cchMax, size_t *pcwc);

/** Converts psz to a newly allocated UTF-16 string (free with RTMemFree);
 * *ppwsz is NULL on failure. */
int RTStrToUtf16Tag(const char *psz, PRTUTF16 *ppwsz, const char *pszTag);
/** Converts at most cchMax bytes of psz to UTF-16 under the Ex contract;
 * cwc is the size of *ppwsz in units, *pcwc (optional) the units produced. */
int RTStrToUtf16ExTag(const char *psz, size_t cchMax, PRTUTF16 *ppwsz, size_t cwc, size_t *pcwc,
                      const char *pszTag);
/** Decodes at most cchMax bytes of psz into code points, one per sequence and
 * a 0 element at the end, under the Ex contract; cCps is the size of *ppaCps
 * in elements, *pcCps (optional) the code points produced. */
int RTStrToCodePointsTag(const char *psz, size_t cchMax, RTUNICP **ppaCps, size_t cCps, size_t *pcCps,
                         const char *pszTag);

/** Reads one code point and moves *ppsz past it; on error *pCp is
 * RTCP_INVALID and *ppsz moves by exactly one byte. */
int RTStrReadCp(const char **ppsz, RTUNICP *pCp);
/** As RTStrReadCp within *pcch bytes, which drops by what was consumed;
 * VERR_END_OF_STRING when *pcch is 0. */
int RTStrReadCpN(const char **ppsz, size_t *pcch, RTUNICP *pCp);
/** Start of the code point before psz in the string starting at pszStart;
 * pszStart when there is none or the bytes before psz are malformed. */
char *RTStrStepBackCp(const char *pszStart, const char *psz);
/** Encodes uCp (1 to 6 bytes; 0x7F for values of 0x80000000 and above) at
 * psz without a terminator; returns the position after it. */
char *RTStrWriteCp(char *psz, RTUNICP uCp);

/** Converts psz to the process's ANSI code page into a new string (free with
 * RTStrRelease); *ppszDst is NULL on failure. */
int RTStrToCurrentCodePageTag(char **ppszDst, const char *pszSrc, const char *pszTag);

#define RTStrToUtf16(psz, ppwsz)                             RTStrToUtf16Tag((psz), (ppwsz), __FILE__)
#define RTStrToUtf16Ex(psz, cchMax, ppwsz, cwc, pcwc)        RTStrToUtf16ExTag((psz), (cchMax), (ppwsz), (cwc), (pcwc), __FILE__)
#define RTStrToCodePoints(psz, cchMax, ppaCps, cCps, pcCps)  RTStrToCodePointsTag((psz), (cchMax), (ppaCps), (cCps), (pcCps), __FILE__)
#define RTStrToCurrentCodePage(ppszDst, pszSrc)              RTStrToCurrentCodePageTag((ppszDst), (pszSrc), __FILE__)

/*
 * String buffers, copying and comparison.
 */

/** New buffer of cb bytes (1 if cb is 0) whose first byte is NUL, or NULL. */
char *RTStrAllocBufTag(size_t cb, const char *pszTag);
/** Copy of at most cchMax bytes of psz (less when a NUL comes first),
 * terminated. *ppszCopy is NULL on failure (VERR_NO_STR_MEMORY). */
int RTStrDupPrefixExTag(char **ppszCopy, const char *psz, size_t cchMax, const char *pszTag);
/** As RTStrDupPrefixExTag, returning the copy or NULL. */
char *RTStrDupPrefixTag(const char *psz, size_t cchMax, const char *pszTag);
/** Copy of psz, or NULL. */
char *RTStrCloneTag(const char *psz, const char *pszTag);
/** Resizes *ppsz to cbNew bytes and terminates it in its last byte; 0 frees
 * it and sets *ppsz to NULL. On VERR_NO_STR_MEMORY the old string stays. */
int RTStrResizeTag(char **ppsz, size_t cbNew, const char *pszTag);

/** Copies pszSrc into pszDst (cbDst bytes); VERR_BUFFER_OVERFLOW when it does
 * not fit, with as much as fits stored and terminated (nothing when cbDst is 0). */
int RTStrCopyTo(char *pszDst, size_t cbDst, const char *pszSrc);

/** Byte-wise comparison; NULL sorts before every string, equal pointers are
 * equal. The result is the difference of the first differing bytes. */
int RTStrCompare(const char *psz1, const char *psz2);
/** As RTStrCompare within at most cchMax bytes. */
int RTStrCompareN(const char *psz1, const char *psz2, size_t cchMax);
/** As RTStrCompareAsciiNoCase within at most cchMax bytes of psz1. */
int RTStrCompareAsciiNoCaseN(const char *psz1, const char *psz2, size_t cchMax);

/** First occurrence of pszNeedle in pszHaystack; NULL if either is NULL. */
char *RTStrFind(const char *pszHaystack, const char *pszNeedle);
/** First character that is not a space, tab, LF, VT, FF or CR. */
char *RTStrSkipBlanks(const char *psz);
/** Whether ch is one of the first cchSet bytes of pachSet. */
bool RTStrIsByteInSet(char ch, const char *pachSet, size_t cchSet);
/** Whether the UTF-8 string contains uCp (0 finds the terminator); false once
 * an invalid sequence is met. */
bool RTStrHasCodePoint(RTUNICP uCp, const char *psz);

#define RTStrAllocBuf(cb)                       RTStrAllocBufTag((cb), __FILE__)
#define RTStrDupPrefixEx(ppszCopy, psz, cchMax) RTStrDupPrefixExTag((ppszCopy), (psz), (cchMax), __FILE__)
#define RTStrDupPrefix(psz, cchMax)             RTStrDupPrefixTag((psz), (cchMax), __FILE__)
#define RTStrClone(psz)                         RTStrCloneTag((psz), __FILE__)
#define RTStrResize(ppsz, cbNew)                RTStrResizeTag((ppsz), (cbNew), __FILE__)

RT_C_DECLS_END

#endif
