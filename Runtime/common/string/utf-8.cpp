/*
 * UTF-8 text: validation, counting, code point readers and writers, stepping
 * back, and the conversions to UTF-16 and to code point arrays.
 *
 * Every conversion first walks the whole source to validate it and measure
 * the result, so the exact size is known before anything is allocated or
 * written, and a bad source leaves the caller's buffers alone.
 */
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <string.h>

namespace {

/** Which code points a walk over UTF-8 text accepts. */
enum RTUTF8RULE
{
    /** Anything the 1 to 6 byte forms can carry, up to 0x7FFFFFFF. */
    RTUTF8RULE_ANY,
    /** Only what UTF-16 can represent, up to 0x10FFFF. */
    RTUTF8RULE_UTF16
};

/**
 * Decodes the sequence at pb, of which at most cbLeft bytes (at least one)
 * may be read. Bytes are examined one at a time and a NUL is no continuation
 * byte, so a sequence cut by the terminator is rejected before anything
 * behind the terminator is touched.
 */
inline int rtUtf8DecodeSeq(const uint8_t *pb, size_t cbLeft, RTUTF8RULE enmRule, RTUNICP *pCp, size_t *pcb)
{
    uint8_t const b0 = pb[0];
    if (b0 < 0x80)
    {
        *pCp = b0;
        *pcb = 1;
        return VINF_SUCCESS;
    }
    if (b0 < 0xc0 || cbLeft < 2 || (pb[1] & 0xc0) != 0x80)
        return VERR_INVALID_UTF8_ENCODING; /* a continuation byte cannot lead */

    /* The common forms unrolled; the byte after a continuation byte is only
     * read once that one has been found good. */
    RTUNICP uCp;
    if (b0 < 0xe0)
    {
        uCp = ((RTUNICP)(b0 & 0x1f) << 6) | (pb[1] & 0x3f);
        if (uCp < 0x80)
            return VERR_INVALID_UTF8_ENCODING; /* overlong */
        *pCp = uCp;
        *pcb = 2;
        return VINF_SUCCESS;
    }
    if (cbLeft < 3 || (pb[2] & 0xc0) != 0x80)
        return VERR_INVALID_UTF8_ENCODING;
    if (b0 < 0xf0)
    {
        uCp = ((RTUNICP)(b0 & 0x0f) << 12) | ((RTUNICP)(pb[1] & 0x3f) << 6) | (pb[2] & 0x3f);
        if (uCp < 0x800)
            return VERR_INVALID_UTF8_ENCODING;
        if (uCp >= 0xd800 && uCp <= 0xdfff)
            return VERR_CODE_POINT_SURROGATE;
        if (uCp >= 0xfffe)
            return VERR_CODE_POINT_NONCHARACTER;
        *pCp = uCp;
        *pcb = 3;
        return VINF_SUCCESS;
    }
    if (cbLeft < 4 || (pb[3] & 0xc0) != 0x80)
        return VERR_INVALID_UTF8_ENCODING;
    size_t  cb;
    RTUNICP uMin; /* smallest value that needs this many bytes */
    if (b0 < 0xf8)
    {
        cb = 4; uCp = b0 & 0x07; uMin = 0x10000;
    }
    else if (b0 < 0xfc)
    {
        cb = 5; uCp = b0 & 0x03; uMin = 0x200000;
    }
    else if (b0 < 0xfe)
    {
        cb = 6; uCp = b0 & 0x01; uMin = 0x4000000;
    }
    else
        return VERR_INVALID_UTF8_ENCODING; /* 0xFE and 0xFF never occur */
    for (size_t i = 1; i < cb; i++)
    {
        if (i >= cbLeft)
            return VERR_INVALID_UTF8_ENCODING;
        uint8_t const b = pb[i];
        if ((b & 0xc0) != 0x80)
            return VERR_INVALID_UTF8_ENCODING;
        uCp = (uCp << 6) | (b & 0x3f);
    }
    if (uCp < uMin)
        return VERR_INVALID_UTF8_ENCODING;
    if (enmRule == RTUTF8RULE_UTF16 && uCp > 0x10ffff)
        return VERR_CODE_POINT_OUT_OF_RANGE;
    *pCp = uCp;
    *pcb = cb;
    return VINF_SUCCESS;
}

/** What a walk over UTF-8 text found. */
struct RTUTF8SCAN
{
    /** Bytes consumed, the terminator not counted. */
    size_t cb;
    /** Code points. */
    size_t cCps;
    /** UTF-16 units (meaningful under RTUTF8RULE_UTF16). */
    size_t cwc;
};

/** Validates and measures at most cchMax bytes of psz, up to its NUL. */
int rtUtf8Scan(const char *psz, size_t cchMax, RTUTF8RULE enmRule, RTUTF8SCAN *pScan)
{
    const uint8_t *pb     = (const uint8_t *)psz;
    size_t         off    = 0;
    size_t         cbCont = 0; /* continuation bytes of the sequences seen */
    size_t         cPairs = 0; /* code points that need a surrogate pair */
    while (off < cchMax)
    {
        /* Text is mostly ASCII: keep that path to a compare and an increment. */
        uint8_t const b = pb[off];
        if ((uint8_t)(b - 1) < 0x7f)
        {
            off++;
            continue;
        }
        if (!b)
            break;
        RTUNICP uCp;
        size_t  cb;
        int rc = rtUtf8DecodeSeq(&pb[off], cchMax - off, enmRule, &uCp, &cb);
        if (RT_FAILURE(rc))
            return rc;
        off    += cb;
        cbCont += cb - 1;
        cPairs += uCp >= 0x10000;
    }
    pScan->cb   = off;
    pScan->cCps = off - cbCont;
    pScan->cwc  = off - cbCont + cPairs;
    return VINF_SUCCESS;
}

/**
 * Decodes a multi-byte sequence of text that passed the UTF-16 rule, so only
 * 2 to 4 byte forms with their continuation bytes occur. Only the length is
 * checked against the bytes left: text that changed after its validation
 * gives wrong code points, but nothing is read out of bounds.
 */
inline int rtUtf8DecodeValidated(const uint8_t *pb, size_t cbLeft, RTUNICP *pCp, size_t *pcb)
{
    uint8_t const b0 = pb[0];
    if (b0 >= 0xc0 && b0 < 0xe0 && cbLeft >= 2)
    {
        *pCp = ((RTUNICP)(b0 & 0x1f) << 6) | (pb[1] & 0x3f);
        *pcb = 2;
    }
    else if (b0 >= 0xe0 && b0 < 0xf0 && cbLeft >= 3)
    {
        *pCp = ((RTUNICP)(b0 & 0x0f) << 12) | ((RTUNICP)(pb[1] & 0x3f) << 6) | (pb[2] & 0x3f);
        *pcb = 3;
    }
    else if (b0 >= 0xf0 && b0 < 0xf5 && cbLeft >= 4)
    {
        *pCp = ((RTUNICP)(b0 & 0x07) << 18) | ((RTUNICP)(pb[1] & 0x3f) << 12)
             | ((RTUNICP)(pb[2] & 0x3f) << 6) | (pb[3] & 0x3f);
        *pcb = 4;
    }
    else
        return VERR_INVALID_UTF8_ENCODING;
    return VINF_SUCCESS;
}

/**
 * Converts the cb bytes of validated text at psz into pwsz, which has room
 * for cwcBuf units including the terminator. The room is checked before
 * every unit and no sequence may reach past cb, so even a source that changed
 * since it was measured cannot make this read or write out of bounds. Always
 * terminates what it wrote.
 */
int rtUtf8ToUtf16Convert(const char *psz, size_t cb, PRTUTF16 pwsz, size_t cwcBuf)
{
    const uint8_t *pb     = (const uint8_t *)psz;
    size_t         off    = 0;
    size_t         iOut   = 0;
    size_t const   cwcCap = cwcBuf - 1;
    int            rc     = VINF_SUCCESS;
    while (off < cb)
    {
        uint8_t const b = pb[off];
        if (b < 0x80)
        {
            /* The byte count is known, so ASCII can go eight bytes at a time. */
            if (cb - off >= 8 && cwcCap - iOut >= 8)
            {
                uint64_t u64;
                memcpy(&u64, &pb[off], sizeof(u64));
                if (!(u64 & UINT64_C(0x8080808080808080)))
                {
                    for (unsigned i = 0; i < 8; i++)
                        pwsz[iOut + i] = (RTUTF16)pb[off + i];
                    off  += 8;
                    iOut += 8;
                    continue;
                }
            }
            /* Short runs between other characters, and the tail: one by one
             * up to the next non-ASCII byte, without trying blocks again. */
            uint8_t bCur = b;
            do
            {
                if (!bCur)
                    break;
                if (iOut >= cwcCap)
                {
                    rc = VERR_BUFFER_OVERFLOW;
                    break;
                }
                pwsz[iOut++] = (RTUTF16)bCur;
                off++;
            } while (off < cb && (bCur = pb[off]) < 0x80);
            if (!bCur || RT_FAILURE(rc))
                break;
            continue;
        }
        RTUNICP uCp;
        size_t  cbSeq;
        rc = rtUtf8DecodeValidated(&pb[off], cb - off, &uCp, &cbSeq);
        if (RT_FAILURE(rc))
            break;
        if (uCp < 0x10000)
        {
            if (iOut >= cwcCap)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            pwsz[iOut++] = (RTUTF16)uCp;
        }
        else
        {
            if (cwcCap - iOut < 2)
            {
                rc = VERR_BUFFER_OVERFLOW;
                break;
            }
            uCp -= 0x10000;
            pwsz[iOut++] = (RTUTF16)(0xd800 + (uCp >> 10));
            pwsz[iOut++] = (RTUTF16)(0xdc00 + (uCp & 0x3ff));
        }
        off += cbSeq;
    }
    pwsz[iOut] = 0;
    return rc;
}

/** Decodes the cb bytes of validated text at psz into paCps (cCpsBuf
 * elements including the final 0). */
int rtUtf8ToCodePointsConvert(const char *psz, size_t cb, RTUNICP *paCps, size_t cCpsBuf)
{
    const uint8_t *pb    = (const uint8_t *)psz;
    size_t         off   = 0;
    size_t         iOut  = 0;
    int            rc    = VINF_SUCCESS;
    while (off < cb && pb[off])
    {
        if (iOut >= cCpsBuf - 1)
        {
            rc = VERR_BUFFER_OVERFLOW;
            break;
        }
        RTUNICP uCp;
        size_t  cbSeq;
        rc = rtUtf8DecodeSeq(&pb[off], cb - off, RTUTF8RULE_ANY, &uCp, &cbSeq);
        if (RT_FAILURE(rc))
            break;
        paCps[iOut++] = uCp;
        off += cbSeq;
    }
    paCps[iOut] = 0;
    return rc;
}

} /* namespace */


int RTStrCheckUtf8(const char *psz, size_t cchMax, uint32_t fFlags)
{
    if (fFlags & ~(RTSTRCHECK_F_TERMINATED | RTSTRCHECK_F_EXACT))
        return VERR_INVALID_PARAMETER;
    if (!RT_VALID_PTR(psz))
        return VERR_INVALID_POINTER;

    RTUTF8SCAN Scan;
    int rc = rtUtf8Scan(psz, cchMax, RTUTF8RULE_ANY, &Scan);
    if (RT_FAILURE(rc))
        return rc;

    if (fFlags & RTSTRCHECK_F_EXACT)
    {
        /* The consumed bytes never exceed the limit, so this cannot wrap. */
        size_t const cbExpected = Scan.cb + (fFlags & RTSTRCHECK_F_TERMINATED ? 1 : 0);
        if (cbExpected == cchMax)
            return VINF_SUCCESS;
        return cbExpected < cchMax ? VERR_BUFFER_UNDERFLOW : VERR_BUFFER_OVERFLOW;
    }
    if ((fFlags & RTSTRCHECK_F_TERMINATED) && Scan.cb == cchMax)
        return VERR_BUFFER_OVERFLOW; /* no NUL within the limit */
    return VINF_SUCCESS;
}


size_t RTStrCountCodePoints(const char *psz)
{
    if (!RT_VALID_PTR(psz))
        return 0;
    RTUTF8SCAN Scan;
    if (RT_FAILURE(rtUtf8Scan(psz, RTSTR_MAX, RTUTF8RULE_ANY, &Scan)))
        return 0;
    return Scan.cCps;
}


int RTStrCountUtf16Units(const char *psz, size_t *pcwc)
{
    if (!RT_VALID_PTR(psz) || !RT_VALID_PTR(pcwc))
        return VERR_INVALID_POINTER;
    RTUTF8SCAN Scan;
    int rc = rtUtf8Scan(psz, RTSTR_MAX, RTUTF8RULE_UTF16, &Scan);
    if (RT_SUCCESS(rc))
        *pcwc = Scan.cwc;
    return rc;
}


int RTStrCountUtf16UnitsEx(const char *psz, size_t cchMax, size_t *pcwc)
{
    if (pcwc && !RT_VALID_PTR(pcwc))
        return VERR_INVALID_POINTER;
    int rc = VERR_INVALID_POINTER;
    RTUTF8SCAN Scan;
    if (RT_VALID_PTR(psz))
        rc = rtUtf8Scan(psz, cchMax, RTUTF8RULE_UTF16, &Scan);
    if (pcwc)
        *pcwc = RT_SUCCESS(rc) ? Scan.cwc : ~(size_t)0;
    return rc;
}


int RTStrToUtf16Tag(const char *psz, PRTUTF16 *ppwsz, const char *pszTag)
{
    if (!RT_VALID_PTR(ppwsz))
        return VERR_INVALID_POINTER;
    *ppwsz = nullptr;
    if (!RT_VALID_PTR(psz))
        return VERR_INVALID_POINTER;

    RTUTF8SCAN Scan;
    int rc = rtUtf8Scan(psz, RTSTR_MAX, RTUTF8RULE_UTF16, &Scan);
    if (RT_FAILURE(rc))
        return rc;

    /* Only a 32-bit process holding a text of 2 GiB could wrap the size. */
    if (Scan.cwc >= ~(size_t)0 / sizeof(RTUTF16))
        return VERR_NO_UTF16_MEMORY;
    PRTUTF16 pwsz = (PRTUTF16)RTMemAllocTag((Scan.cwc + 1) * sizeof(RTUTF16), pszTag);
    if (!pwsz)
        return VERR_NO_UTF16_MEMORY;
    rc = rtUtf8ToUtf16Convert(psz, Scan.cb, pwsz, Scan.cwc + 1);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pwsz);
        return rc;
    }
    *ppwsz = pwsz;
    return VINF_SUCCESS;
}


int RTStrToUtf16ExTag(const char *psz, size_t cchMax, PRTUTF16 *ppwsz, size_t cwc, size_t *pcwc,
                      const char *pszTag)
{
    if (!RT_VALID_PTR(psz) || !RT_VALID_PTR(ppwsz) || (pcwc && !RT_VALID_PTR(pcwc)))
        return VERR_INVALID_POINTER;

    RTUTF8SCAN Scan;
    int rc = rtUtf8Scan(psz, cchMax, RTUTF8RULE_UTF16, &Scan);
    if (RT_FAILURE(rc))
        return rc;
    if (pcwc)
        *pcwc = Scan.cwc;

    PRTUTF16 pwszBuf;
    size_t   cwcBuf;
    bool     fOwn;
    if (cwc && *ppwsz)
    {
        if (cwc <= Scan.cwc)
            return VERR_BUFFER_OVERFLOW; /* no room for the terminator */
        pwszBuf = *ppwsz;
        cwcBuf  = cwc;
        fOwn    = false;
    }
    else
    {
        *ppwsz = nullptr;
        cwcBuf = cwc > Scan.cwc ? cwc : Scan.cwc + 1;
        /* The caller may ask for more than the text needs: guard the multiplication. */
        if (cwcBuf > ~(size_t)0 / sizeof(RTUTF16))
            return VERR_NO_UTF16_MEMORY;
        pwszBuf = (PRTUTF16)RTMemAllocTag(cwcBuf * sizeof(RTUTF16), pszTag);
        if (!pwszBuf)
            return VERR_NO_UTF16_MEMORY;
        fOwn = true;
    }

    rc = rtUtf8ToUtf16Convert(psz, Scan.cb, pwszBuf, cwcBuf);
    if (RT_SUCCESS(rc))
        *ppwsz = pwszBuf;
    else if (fOwn)
        RTMemFree(pwszBuf);
    return rc;
}


int RTStrToCodePointsTag(const char *psz, size_t cchMax, RTUNICP **ppaCps, size_t cCps, size_t *pcCps,
                         const char *pszTag)
{
    if (!RT_VALID_PTR(psz) || !RT_VALID_PTR(ppaCps) || (pcCps && !RT_VALID_PTR(pcCps)))
        return VERR_INVALID_POINTER;

    RTUTF8SCAN Scan;
    int rc = rtUtf8Scan(psz, cchMax, RTUTF8RULE_ANY, &Scan);
    if (RT_FAILURE(rc))
        return rc;
    if (pcCps)
        *pcCps = Scan.cCps;

    RTUNICP *paBuf;
    size_t   cBuf;
    bool     fOwn;
    if (cCps && *ppaCps)
    {
        if (cCps <= Scan.cCps)
            return VERR_BUFFER_OVERFLOW;
        paBuf = *ppaCps;
        cBuf  = cCps;
        fOwn  = false;
    }
    else
    {
        *ppaCps = nullptr;
        cBuf = cCps > Scan.cCps ? cCps : Scan.cCps + 1;
        if (cBuf > ~(size_t)0 / sizeof(RTUNICP))
            return VERR_NO_CODE_POINT_MEMORY;
        paBuf = (RTUNICP *)RTMemAllocTag(cBuf * sizeof(RTUNICP), pszTag);
        if (!paBuf)
            return VERR_NO_CODE_POINT_MEMORY;
        fOwn = true;
    }

    rc = rtUtf8ToCodePointsConvert(psz, Scan.cb, paBuf, cBuf);
    if (RT_SUCCESS(rc))
        *ppaCps = paBuf;
    else if (fOwn)
        RTMemFree(paBuf);
    return rc;
}


int RTStrReadCp(const char **ppsz, RTUNICP *pCp)
{
    if (!RT_VALID_PTR(ppsz) || !RT_VALID_PTR(*ppsz) || !RT_VALID_PTR(pCp))
        return VERR_INVALID_POINTER;
    size_t cb;
    int rc = rtUtf8DecodeSeq((const uint8_t *)*ppsz, RTSTR_MAX, RTUTF8RULE_ANY, pCp, &cb);
    if (RT_FAILURE(rc))
    {
        /* Step over the offending byte only, so that the caller can resync. */
        *pCp = RTCP_INVALID;
        cb = 1;
    }
    *ppsz += cb;
    return rc;
}


int RTStrReadCpN(const char **ppsz, size_t *pcch, RTUNICP *pCp)
{
    if (!RT_VALID_PTR(ppsz) || !RT_VALID_PTR(pcch) || !RT_VALID_PTR(pCp))
        return VERR_INVALID_POINTER;
    if (!*pcch)
    {
        *pCp = RTCP_INVALID;
        return VERR_END_OF_STRING;
    }
    if (!RT_VALID_PTR(*ppsz))
        return VERR_INVALID_POINTER;
    size_t cb;
    int rc = rtUtf8DecodeSeq((const uint8_t *)*ppsz, *pcch, RTUTF8RULE_ANY, pCp, &cb);
    if (RT_FAILURE(rc))
    {
        *pCp = RTCP_INVALID;
        cb = 1;
    }
    *ppsz += cb;
    *pcch -= cb;
    return rc;
}


char *RTStrStepBackCp(const char *pszStart, const char *psz)
{
    if (psz <= pszStart)
        return (char *)pszStart;

    const uint8_t *pbStart = (const uint8_t *)pszStart;
    const uint8_t *pb      = (const uint8_t *)psz - 1;
    if (*pb < 0x80)
        return (char *)pb;
    if (*pb & 0x40)
        return (char *)pszStart; /* a lead byte right before the position: a cut sequence */

    /* Walk back over the continuation bytes to the lead byte; it has to
     * announce exactly the bytes found up to the position. */
    size_t cbSeq = 1;
    while (pb > pbStart)
    {
        pb--;
        cbSeq++;
        uint8_t const b = *pb;
        if ((b & 0xc0) == 0x80)
        {
            if (cbSeq >= 6)
                break; /* no sequence has more than five continuation bytes */
            continue;
        }
        size_t cbLead;
        if (b < 0xc0)
            cbLead = 0; /* ASCII before a continuation byte */
        else if (b < 0xe0)
            cbLead = 2;
        else if (b < 0xf0)
            cbLead = 3;
        else if (b < 0xf8)
            cbLead = 4;
        else if (b < 0xfc)
            cbLead = 5;
        else if (b < 0xfe)
            cbLead = 6;
        else
            cbLead = 0;
        return cbLead == cbSeq ? (char *)pb : (char *)pszStart;
    }
    return (char *)pszStart;
}


char *RTStrWriteCp(char *psz, RTUNICP uCp)
{
    uint8_t *pb = (uint8_t *)psz;
    if (uCp < 0x80)
        *pb++ = (uint8_t)uCp;
    else if (uCp < 0x800)
    {
        *pb++ = (uint8_t)(0xc0 | (uCp >> 6));
        *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
    }
    else if (uCp < 0x10000)
    {
        *pb++ = (uint8_t)(0xe0 | (uCp >> 12));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 6) & 0x3f));
        *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
    }
    else if (uCp < 0x200000)
    {
        *pb++ = (uint8_t)(0xf0 | (uCp >> 18));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 12) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 6) & 0x3f));
        *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
    }
    else if (uCp < 0x4000000)
    {
        *pb++ = (uint8_t)(0xf8 | (uCp >> 24));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 18) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 12) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 6) & 0x3f));
        *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
    }
    else if (uCp < 0x80000000)
    {
        *pb++ = (uint8_t)(0xfc | (uCp >> 30));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 24) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 18) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 12) & 0x3f));
        *pb++ = (uint8_t)(0x80 | ((uCp >> 6) & 0x3f));
        *pb++ = (uint8_t)(0x80 | (uCp & 0x3f));
    }
    else
        *pb++ = 0x7f; /* nothing can encode it; keep the output one byte long */
    return (char *)pb;
}
