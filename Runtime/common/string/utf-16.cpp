/*
 * UTF-16 text: code point readers, the conversion to UTF-8, and the wide
 * string buffer helpers used at the platform boundary.
 *
 * As on the UTF-8 side, a conversion measures and validates the whole source
 * before it allocates or writes anything.
 */
#include <tulo/utf16.h>
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

namespace {

inline bool rtUtf16IsHighSurrogate(unsigned wc)
{
    return wc >= 0xd800 && wc <= 0xdbff;
}

inline bool rtUtf16IsLowSurrogate(unsigned wc)
{
    return wc >= 0xdc00 && wc <= 0xdfff;
}

/** Units in host order. */
struct RTUTF16HOSTORDER
{
    static unsigned get(PCRTUTF16 pwc)
    {
        return (uint16_t)*pwc;
    }
};

/** Units stored most significant byte first, whatever the host order. */
struct RTUTF16BIGENDIAN
{
    static unsigned get(PCRTUTF16 pwc)
    {
        const uint8_t *pb = (const uint8_t *)pwc;
        return ((unsigned)pb[0] << 8) | pb[1];
    }
};

template<typename Order>
int rtUtf16ReadCp(PCRTUTF16 *ppwsz, RTUNICP *pCp)
{
    PCRTUTF16 pwsz = *ppwsz;
    unsigned const wc = Order::get(pwsz);
    int rc;
    if (wc < 0xd800 || (wc >= 0xe000 && wc <= 0xfffd))
    {
        *pCp = wc;
        *ppwsz = pwsz + 1;
        return VINF_SUCCESS;
    }
    if (wc >= 0xfffe)
        rc = VERR_CODE_POINT_NONCHARACTER;
    else
    {
        /* The unit after a high surrogate is at worst the terminator. */
        if (rtUtf16IsHighSurrogate(wc))
        {
            unsigned const wc2 = Order::get(pwsz + 1);
            if (rtUtf16IsLowSurrogate(wc2))
            {
                *pCp = 0x10000 + (((RTUNICP)wc & 0x3ff) << 10) + (wc2 & 0x3ff);
                *ppwsz = pwsz + 2;
                return VINF_SUCCESS;
            }
        }
        rc = VERR_INVALID_UTF16_ENCODING;
    }
    *pCp = RTCP_INVALID;
    *ppwsz = pwsz + 1;
    return rc;
}

/** Validates at most cwcMax units of pwsz, up to its terminator, and counts
 * the UTF-8 bytes they need. */
int rtUtf16ScanUtf8(PCRTUTF16 pwsz, size_t cwcMax, size_t *pcch)
{
    size_t off = 0;
    size_t cch = 0;
    while (off < cwcMax)
    {
        unsigned const wc = (uint16_t)pwsz[off];
        if (wc < 0x80)
        {
            if (!wc)
                break;
            cch += 1;
        }
        else if (wc < 0x800)
            cch += 2;
        else if (wc < 0xd800 || wc >= 0xe000)
        {
            if (wc >= 0xfffe)
                return VERR_CODE_POINT_NONCHARACTER;
            cch += 3;
        }
        else
        {
            /* A pair must be complete within the limit. */
            if (   !rtUtf16IsHighSurrogate(wc)
                || off + 1 >= cwcMax
                || !rtUtf16IsLowSurrogate((uint16_t)pwsz[off + 1]))
                return VERR_INVALID_UTF16_ENCODING;
            cch += 4;
            off++;
        }
        off++;
    }
    *pcch = cch;
    return VINF_SUCCESS;
}

/**
 * Converts measured text into psz (cbBuf bytes including the terminator).
 * Room is checked before every sequence and the pairs are checked again, so a
 * source that changed since it was measured cannot cause an overrun. Always
 * terminates what it wrote.
 */
int rtUtf16ToUtf8Convert(PCRTUTF16 pwsz, size_t cwcMax, char *psz, size_t cbBuf)
{
    uint8_t     *pb    = (uint8_t *)psz;
    size_t       cbLeft = cbBuf - 1;
    size_t       off   = 0;
    int          rc    = VINF_SUCCESS;
    while (off < cwcMax)
    {
        unsigned const wc = (uint16_t)pwsz[off];
        if (wc < 0x80)
        {
            if (!wc)
                break;
            if (cbLeft < 1)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            *pb++ = (uint8_t)wc;
            cbLeft -= 1;
        }
        else if (wc < 0x800)
        {
            if (cbLeft < 2)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            *pb++ = (uint8_t)(0xc0 | (wc >> 6));
            *pb++ = (uint8_t)(0x80 | (wc & 0x3f));
            cbLeft -= 2;
        }
        else if (wc < 0xd800 || wc >= 0xe000)
        {
            if (wc >= 0xfffe)
            {
                rc = VERR_CODE_POINT_NONCHARACTER;
                break;
            }
            if (cbLeft < 3)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            *pb++ = (uint8_t)(0xe0 | (wc >> 12));
            *pb++ = (uint8_t)(0x80 | ((wc >> 6) & 0x3f));
            *pb++ = (uint8_t)(0x80 | (wc & 0x3f));
            cbLeft -= 3;
        }
        else
        {
            unsigned const wc2 = off + 1 < cwcMax ? (uint16_t)pwsz[off + 1] : 0;
            if (!rtUtf16IsHighSurrogate(wc) || !rtUtf16IsLowSurrogate(wc2))
            {
                rc = VERR_INVALID_UTF16_ENCODING;
                break;
            }
            if (cbLeft < 4)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            RTUNICP const uCp = 0x10000 + (((RTUNICP)wc & 0x3ff) << 10) + (wc2 & 0x3ff);
            *pb++ = (uint8_t)(0xf0 | (uCp >> 18));
            *pb++ = (uint8_t)(0x80 | ((uCp >> 12) & 0x3f));
            *pb++ = (uint8_t)(0x80 | ((uCp >> 6) & 0x3f));
            *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
            cbLeft -= 4;
            off++;
        }
        off++;
    }
    *pb = '\0';
    return rc;
}

} /* namespace */


int RTUtf16ReadCp(PCRTUTF16 *ppwsz, RTUNICP *pCp)
{
    if (!RT_VALID_PTR(ppwsz) || !RT_VALID_PTR(*ppwsz) || !RT_VALID_PTR(pCp))
        return VERR_INVALID_POINTER;
    return rtUtf16ReadCp<RTUTF16HOSTORDER>(ppwsz, pCp);
}


int RTUtf16BeReadCp(PCRTUTF16 *ppwsz, RTUNICP *pCp)
{
    if (!RT_VALID_PTR(ppwsz) || !RT_VALID_PTR(*ppwsz) || !RT_VALID_PTR(pCp))
        return VERR_INVALID_POINTER;
    return rtUtf16ReadCp<RTUTF16BIGENDIAN>(ppwsz, pCp);
}


int RTUtf16CountUtf8Bytes(PCRTUTF16 pwsz, size_t cwcMax, size_t *pcch)
{
    if (!RT_VALID_PTR(pwsz) || !RT_VALID_PTR(pcch))
        return VERR_INVALID_POINTER;
    return rtUtf16ScanUtf8(pwsz, cwcMax, pcch);
}


int RTUtf16CountUtf8BytesEx(PCRTUTF16 pwsz, size_t cwcMax, size_t *pcch)
{
    if (pcch && !RT_VALID_PTR(pcch))
        return VERR_INVALID_POINTER;
    size_t cch = ~(size_t)0;
    int rc = RT_VALID_PTR(pwsz) ? rtUtf16ScanUtf8(pwsz, cwcMax, &cch) : VERR_INVALID_POINTER;
    if (pcch)
        *pcch = RT_SUCCESS(rc) ? cch : ~(size_t)0;
    return rc;
}


int RTUtf16ToUtf8ExTag(PCRTUTF16 pwsz, size_t cwcMax, char **ppsz, size_t cch, size_t *pcch,
                       const char *pszTag)
{
    if (!RT_VALID_PTR(pwsz) || !RT_VALID_PTR(ppsz) || (pcch && !RT_VALID_PTR(pcch)))
        return VERR_INVALID_POINTER;

    size_t cchText;
    int rc = rtUtf16ScanUtf8(pwsz, cwcMax, &cchText);
    if (RT_FAILURE(rc))
        return rc;
    if (pcch)
        *pcch = cchText;

    char  *pszBuf;
    size_t cbBuf;
    bool   fOwn;
    if (cch && *ppsz)
    {
        if (cch <= cchText)
            return VERR_BUFFER_OVERFLOW; /* no room for the terminator */
        pszBuf = *ppsz;
        cbBuf  = cch;
        fOwn   = false;
    }
    else
    {
        *ppsz = nullptr;
        cbBuf = cch > cchText ? cch : cchText + 1;
        pszBuf = (char *)RTMemAllocTag(cbBuf, pszTag);
        if (!pszBuf)
            return VERR_NO_STR_MEMORY;
        fOwn = true;
    }

    rc = rtUtf16ToUtf8Convert(pwsz, cwcMax, pszBuf, cbBuf);
    if (RT_SUCCESS(rc))
        *ppsz = pszBuf;
    else if (fOwn)
        RTStrRelease(pszBuf);
    return rc;
}


size_t RTUtf16Length(PCRTUTF16 pwsz)
{
    if (!pwsz)
        return 0;
    size_t cwc = 0;
    while (pwsz[cwc])
        cwc++;
    return cwc;
}


PRTUTF16 RTUtf16AllocBufTag(size_t cb, const char *pszTag)
{
    /* Rounding SIZE_MAX up to even would wrap to a 2-byte block. */
    if (cb >= ~(size_t)0)
        return nullptr;
    size_t cbAlloc = (cb + 1) & ~(size_t)1;
    if (cbAlloc < sizeof(RTUTF16))
        cbAlloc = sizeof(RTUTF16);
    PRTUTF16 pwsz = (PRTUTF16)RTMemAllocTag(cbAlloc, pszTag);
    if (pwsz)
        pwsz[0] = 0;
    return pwsz;
}


PRTUTF16 RTUtf16CloneTag(PCRTUTF16 pwsz, const char *pszTag)
{
    if (!RT_VALID_PTR(pwsz))
        return nullptr;
    size_t const cb = (RTUtf16Length(pwsz) + 1) * sizeof(RTUTF16);
    PRTUTF16 pwszCopy = (PRTUTF16)RTMemAllocTag(cb, pszTag);
    if (pwszCopy)
        memcpy(pwszCopy, pwsz, cb);
    return pwszCopy;
}


int RTUtf16ResizeTag(PRTUTF16 *ppwsz, size_t cbNew, const char *pszTag)
{
    if (!RT_VALID_PTR(ppwsz))
        return VERR_INVALID_POINTER;
    PRTUTF16 pwszOld = *ppwsz;
    /* Rounding SIZE_MAX up to even would wrap to 0 and free the string. */
    if (cbNew >= ~(size_t)0)
        return pwszOld ? VERR_NO_STR_MEMORY : VERR_NO_UTF16_MEMORY;
    size_t const cb = (cbNew + 1) & ~(size_t)1;
    if (!cb)
    {
        RTMemFree(pwszOld);
        *ppwsz = nullptr;
        return VINF_SUCCESS;
    }

    PRTUTF16 pwszNew;
    if (!pwszOld)
    {
        pwszNew = (PRTUTF16)RTMemAllocTag(cb, pszTag);
        if (!pwszNew)
            return VERR_NO_UTF16_MEMORY;
        pwszNew[0] = 0;
    }
    else
    {
        pwszNew = (PRTUTF16)RTMemReallocTag(pwszOld, cb, pszTag);
        if (!pwszNew)
            return VERR_NO_STR_MEMORY;
    }
    pwszNew[cb / sizeof(RTUTF16) - 1] = 0;
    *ppwsz = pwszNew;
    return VINF_SUCCESS;
}


int RTUtf16FromAscii(PRTUTF16 pwszDst, size_t cwcDst, const char *pszSrc)
{
    if (!RT_VALID_PTR(pszSrc) || (cwcDst && !RT_VALID_PTR(pwszDst)))
        return VERR_INVALID_POINTER;
    if (!cwcDst)
        return VERR_BUFFER_OVERFLOW;

    /* Only as much of the source is read as can be stored, plus one byte to
     * tell whether it ends there. */
    int    rc = VINF_SUCCESS;
    size_t i  = 0;
    for (; i < cwcDst - 1 && pszSrc[i]; i++)
    {
        uint8_t const b = (uint8_t)pszSrc[i];
        if (b < 0x80)
            pwszDst[i] = (RTUTF16)b;
        else
        {
            pwszDst[i] = 0x7f;
            rc = VERR_OUT_OF_RANGE;
        }
    }
    pwszDst[i] = 0;
    if (pszSrc[i])
        rc = VERR_BUFFER_OVERFLOW;
    return rc;
}
