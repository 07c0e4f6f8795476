/* UTF-16 text: the platform's wide strings, and conversion to UTF-8. */
#ifndef TULO_UTF16_H
#define TULO_UTF16_H

#include <tulo/cdefs.h>
#include <tulo/types.h>

RT_C_DECLS_BEGIN

/** UTF-8 bytes needed for at most cwcMax units of pwsz (RTSTR_MAX: up to the
 * terminator), terminator excluded. Unpaired surrogates give
 * VERR_INVALID_UTF16_ENCODING, U+FFFE and U+FFFF VERR_CODE_POINT_NONCHARACTER. */
int RTUtf16CountUtf8Bytes(PCRTUTF16 pwsz, size_t cwcMax, size_t *pcch);
/** As RTUtf16CountUtf8Bytes; *pcch (optional) is set to (size_t)-1 on error. */
int RTUtf16CountUtf8BytesEx(PCRTUTF16 pwsz, size_t cwcMax, size_t *pcch);

/** Converts at most cwcMax units of pwsz to UTF-8 under the Ex contract of
 * RTStrToUtf16ExTag; cch is the size of *ppsz in bytes, *pcch (optional) the
 * bytes produced. An allocated result is freed with RTStrRelease. */
int RTUtf16ToUtf8ExTag(PCRTUTF16 pwsz, size_t cwcMax, char **ppsz, size_t cch, size_t *pcch,
                       const char *pszTag);

/** Reads one code point (a unit or a surrogate pair) and moves *ppwsz past it;
 * on error *pCp is RTCP_INVALID and *ppwsz moves by one unit. */
int RTUtf16ReadCp(PCRTUTF16 *ppwsz, RTUNICP *pCp);
/** As RTUtf16ReadCp on units stored most significant byte first. */
int RTUtf16BeReadCp(PCRTUTF16 *ppwsz, RTUNICP *pCp);

/** Units before the terminator; 0 for NULL. */
size_t RTUtf16Length(PCRTUTF16 pwsz);
/** New empty string in a buffer of at least cb bytes (2 at least), or NULL. */
PRTUTF16 RTUtf16AllocBufTag(size_t cb, const char *pszTag);
/** Copy of pwsz, or NULL. */
PRTUTF16 RTUtf16CloneTag(PCRTUTF16 pwsz, const char *pszTag);
/** Resizes *ppwsz to cbNew bytes (rounded up to even) and terminates it in its
 * last unit; 0 frees it and sets *ppwsz to NULL. A NULL string is allocated
 * (VERR_NO_UTF16_MEMORY on failure); an existing one is reallocated
 * (VERR_NO_STR_MEMORY on failure, the old string staying valid). */
int RTUtf16ResizeTag(PRTUTF16 *ppwsz, size_t cbNew, const char *pszTag);
/** Widens the ASCII string pszSrc into pwszDst (cwcDst units), always
 * terminated when cwcDst is not 0. VERR_BUFFER_OVERFLOW when it does not fit
 * (as much as fits is stored); otherwise VERR_OUT_OF_RANGE when a byte of 0x80
 * or more was met (stored as 0x7F). */
int RTUtf16FromAscii(PRTUTF16 pwszDst, size_t cwcDst, const char *pszSrc);

#define RTUtf16ToUtf8Ex(pwsz, cwcMax, ppsz, cch, pcch) RTUtf16ToUtf8ExTag((pwsz), (cwcMax), (ppsz), (cch), (pcch), __FILE__)
#define RTUtf16AllocBuf(cb)                            RTUtf16AllocBufTag((cb), __FILE__)
#define RTUtf16Clone(pwsz)                             RTUtf16CloneTag((pwsz), __FILE__)
#define RTUtf16Resize(ppwsz, cbNew)                    RTUtf16ResizeTag((ppwsz), (cbNew), __FILE__)

RT_C_DECLS_END

#endif
