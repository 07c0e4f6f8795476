/* UTF-8 string helpers and string to number conversion. */
#ifndef TULO_STRING_H
#define TULO_STRING_H

#include <tulo/cdefs.h>
#include <tulo/types.h>

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
 * <0, 0 or >0. */
int RTStrCompareAsciiNoCase(const char *psz1, const char *psz2);

/** Frees a string returned by an allocating string or format operation; NULL is allowed. */
void RTStrRelease(char *psz);

RT_C_DECLS_END

#endif
