/*
 * Fuzz target for UTF-8 validation and the UTF-8 -> UTF-16 -> UTF-8 round
 * trip.
 *
 * Every validator that shares an acceptance rule must give the same status
 * for the same text: the readers' rule (RTStrCheckUtf8, RTStrCountCodePoints,
 * RTStrToCodePoints, RTStrReadCp[N]) and the UTF-16 rule (RTStrCountUtf16Units
 * [Ex], RTStrToUtf16[Ex]), which refuses in addition every code point above
 * U+10FFFF. Valid text must come back byte for byte through UTF-16 and
 * through code points. The inputs are exactly sized heap copies, terminated
 * or not (the byte-limit forms), so AddressSanitizer reports any read past
 * the terminator or the limit. The input is also taken as UTF-16 units.
 * A broken expectation traps.
 */
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#define FUZZ_CHECK(a_Expr) do { if (!(a_Expr)) __builtin_trap(); } while (0)

namespace {

/** What the validators of both rules say about one text. */
struct UTF8VERDICT
{
    int    rcAny;      /* readers' rule */
    size_t cCps;       /* when rcAny succeeded */
    int    rcUtf16;    /* UTF-16 rule */
    size_t cwc;        /* when rcUtf16 succeeded */
};

/**
 * Runs every validator on pch, limited to cchLimit bytes (RTSTR_MAX: the
 * text is terminated), checks that each rule's validators agree, and that the
 * UTF-16 rule is the readers' rule plus the range limit.
 */
UTF8VERDICT CheckValidators(const char *pch, size_t cchLimit)
{
    UTF8VERDICT V;

    /* Readers' rule. */
    V.rcAny = RTStrCheckUtf8(pch, cchLimit, 0);
    RTUNICP *paCps = nullptr;
    size_t cCps = 0;
    int rc = RTStrToCodePoints(pch, cchLimit, &paCps, 0, &cCps);
    FUZZ_CHECK(rc == V.rcAny);
    FUZZ_CHECK(RT_SUCCESS(rc) == (paCps != nullptr));
    V.cCps = RT_SUCCESS(rc) ? cCps : 0;
    if (cchLimit == RTSTR_MAX)
        FUZZ_CHECK(RTStrCountCodePoints(pch) == V.cCps);

    /* Walking with the budget reader finds the first error the validator
     * reported, and decodes the same code points; meanwhile the first code
     * point beyond U+10FFFF decides what the UTF-16 rule must say. */
    int rcWalk = VINF_SUCCESS;
    int rcUtf16Expect = VINF_SUCCESS;
    size_t cwcExpect = 0;
    size_t iCp = 0;
    const char *psz = pch;
    size_t cchLeft = cchLimit;
    for (;;)
    {
        const char *pszBefore = psz;
        RTUNICP uCp;
        rc = RTStrReadCpN(&psz, &cchLeft, &uCp);
        if (rc == VERR_END_OF_STRING || (RT_SUCCESS(rc) && uCp == 0))
            break;
        if (RT_FAILURE(rc))
        {
            FUZZ_CHECK(uCp == RTCP_INVALID && psz == pszBefore + 1);
            rcWalk = rc;
            break;
        }
        FUZZ_CHECK(uCp <= 0x7fffffff);
        if (paCps)
            FUZZ_CHECK(paCps[iCp] == uCp);
        iCp++;
        /* The code point writer gives back the very bytes read. */
        char achBuf[8];
        char *pszEnd = RTStrWriteCp(achBuf, uCp);
        FUZZ_CHECK((size_t)(pszEnd - achBuf) == (size_t)(psz - pszBefore));
        FUZZ_CHECK(memcmp(achBuf, pszBefore, (size_t)(psz - pszBefore)) == 0);
        if (uCp > 0x10ffff && RT_SUCCESS(rcUtf16Expect))
            rcUtf16Expect = VERR_CODE_POINT_OUT_OF_RANGE;
        cwcExpect += uCp >= 0x10000 ? 2 : 1;
    }
    FUZZ_CHECK(rcWalk == V.rcAny);
    if (paCps)
        FUZZ_CHECK(iCp == cCps && paCps[cCps] == 0);
    RTMemFree(paCps);
    if (RT_SUCCESS(rcUtf16Expect))
        rcUtf16Expect = rcWalk;

    /* UTF-16 rule. */
    size_t cwc = 0;
    V.rcUtf16 = RTStrCountUtf16UnitsEx(pch, cchLimit, &cwc);
    FUZZ_CHECK(V.rcUtf16 == rcUtf16Expect);
    FUZZ_CHECK(RT_SUCCESS(V.rcUtf16) ? cwc == cwcExpect : cwc == ~(size_t)0);
    V.cwc = RT_SUCCESS(V.rcUtf16) ? cwc : 0;
    if (cchLimit == RTSTR_MAX)
    {
        size_t cwc2 = 0;
        FUZZ_CHECK(RTStrCountUtf16Units(pch, &cwc2) == V.rcUtf16);
        PRTUTF16 pwsz = nullptr;
        FUZZ_CHECK(RTStrToUtf16(pch, &pwsz) == V.rcUtf16);
        FUZZ_CHECK(RT_SUCCESS(V.rcUtf16) == (pwsz != nullptr));
        RTMemFree(pwsz);
    }
    return V;
}

/** UTF-8 -> UTF-16 -> UTF-8 of text that passed the UTF-16 rule. */
void CheckRoundTrip(const char *pch, size_t cchLimit, size_t cchText, size_t cwcText)
{
    /* Into an exactly sized caller buffer, and with one unit too few. */
    PRTUTF16 pwszBuf = (PRTUTF16)malloc((cwcText + 1) * sizeof(RTUTF16));
    FUZZ_CHECK(pwszBuf);
    PRTUTF16 pwsz = pwszBuf;
    size_t cwc = 0;
    FUZZ_CHECK(RTStrToUtf16Ex(pch, cchLimit, &pwsz, cwcText + 1, &cwc) == VINF_SUCCESS);
    FUZZ_CHECK(pwsz == pwszBuf && cwc == cwcText && pwsz[cwcText] == 0);
    if (cwcText) /* a size of 0 asks for allocation */
    {
        FUZZ_CHECK(RTStrToUtf16Ex(pch, cchLimit, &pwsz, cwcText, &cwc) == VERR_BUFFER_OVERFLOW);
        FUZZ_CHECK(pwsz == pwszBuf);
    }

    /* Back from an unterminated exactly sized copy of the units. */
    PRTUTF16 pwszBare = (PRTUTF16)malloc(cwcText ? cwcText * sizeof(RTUTF16) : 1);
    FUZZ_CHECK(pwszBare);
    memcpy(pwszBare, pwszBuf, cwcText * sizeof(RTUTF16));
    size_t cch = 0;
    FUZZ_CHECK(RTUtf16CountUtf8Bytes(pwszBare, cwcText, &cch) == VINF_SUCCESS && cch == cchText);
    char *pszBack = nullptr;
    FUZZ_CHECK(RTUtf16ToUtf8Ex(pwszBare, cwcText, &pszBack, 0, &cch) == VINF_SUCCESS);
    FUZZ_CHECK(cch == cchText && memcmp(pszBack, pch, cchText) == 0 && pszBack[cchText] == '\0');
    RTStrRelease(pszBack);

    /* And from the terminated units into a caller buffer of exactly the size. */
    char *pszBuf = (char *)malloc(cchText + 1);
    FUZZ_CHECK(pszBuf);
    char *psz = pszBuf;
    FUZZ_CHECK(RTUtf16ToUtf8Ex(pwszBuf, RTSTR_MAX, &psz, cchText + 1, &cch) == VINF_SUCCESS);
    FUZZ_CHECK(psz == pszBuf && memcmp(pszBuf, pch, cchText) == 0 && pszBuf[cchText] == '\0');
    if (cchText)
        FUZZ_CHECK(RTUtf16ToUtf8Ex(pwszBuf, RTSTR_MAX, &psz, cchText, &cch) == VERR_BUFFER_OVERFLOW);

    /* The UTF-16 reader decodes what the UTF-8 reader decodes. */
    PCRTUTF16 pwszCur = pwszBuf;
    const char *pszCur = pch;
    size_t cchLeft = cchText;
    while (cchLeft)
    {
        RTUNICP uCp8, uCp16;
        FUZZ_CHECK(RTStrReadCpN(&pszCur, &cchLeft, &uCp8) == VINF_SUCCESS);
        FUZZ_CHECK(RTUtf16ReadCp(&pwszCur, &uCp16) == VINF_SUCCESS);
        FUZZ_CHECK(uCp8 == uCp16);
    }
    FUZZ_CHECK(*pwszCur == 0);

    free(pszBuf);
    free(pwszBare);
    free(pwszBuf);
}

/** Stepping back from the end of valid text visits every sequence start. */
void CheckStepBack(const char *pch, size_t cchText, size_t cCps)
{
    const char *psz = pch + cchText;
    size_t c = 0;
    while (psz > pch)
    {
        const char *pszPrev = RTStrStepBackCp(pch, psz);
        FUZZ_CHECK(pszPrev < psz && pszPrev >= pch);
        const char *pszRead = pszPrev;
        RTUNICP uCp;
        FUZZ_CHECK(RTStrReadCp(&pszRead, &uCp) == VINF_SUCCESS && pszRead == psz);
        psz = pszPrev;
        c++;
    }
    FUZZ_CHECK(c == cCps);
}

/** The input as UTF-16 units: counting, conversion and the reader agree. */
void CheckUtf16Input(const uint8_t *pbData, size_t cbData)
{
    size_t const cwcIn = cbData / sizeof(RTUTF16);
    PRTUTF16 pwszBare = (PRTUTF16)malloc(cwcIn ? cwcIn * sizeof(RTUTF16) : 1);
    PRTUTF16 pwszTerm = (PRTUTF16)malloc((cwcIn + 1) * sizeof(RTUTF16));
    FUZZ_CHECK(pwszBare && pwszTerm);
    memcpy(pwszBare, pbData, cwcIn * sizeof(RTUTF16));
    memcpy(pwszTerm, pbData, cwcIn * sizeof(RTUTF16));
    pwszTerm[cwcIn] = 0;

    size_t cchBare = 0, cchTerm = 0;
    int const rcBare = RTUtf16CountUtf8BytesEx(pwszBare, cwcIn, &cchBare);
    int const rcTerm = RTUtf16CountUtf8BytesEx(pwszTerm, RTSTR_MAX, &cchTerm);
    /* A limit at the end acts as the terminator does. */
    FUZZ_CHECK(rcBare == rcTerm && cchBare == cchTerm);

    /* The reader stops at the same first error and needs the same bytes. */
    int rcWalk = VINF_SUCCESS;
    size_t cchWalk = 0;
    PCRTUTF16 pwsz = pwszTerm;
    for (;;)
    {
        RTUNICP uCp;
        PCRTUTF16 pwszBefore = pwsz;
        int rc = RTUtf16ReadCp(&pwsz, &uCp);
        if (RT_FAILURE(rc))
        {
            FUZZ_CHECK(uCp == RTCP_INVALID && pwsz == pwszBefore + 1);
            rcWalk = rc;
            break;
        }
        if (!uCp)
            break;
        char achBuf[8];
        cchWalk += (size_t)(RTStrWriteCp(achBuf, uCp) - achBuf);
    }
    FUZZ_CHECK(rcWalk == rcTerm);

    char *psz = nullptr;
    size_t cch = 0;
    int rc = RTUtf16ToUtf8Ex(pwszBare, cwcIn, &psz, 0, &cch);
    FUZZ_CHECK(rc == rcBare && RT_SUCCESS(rc) == (psz != nullptr));
    if (RT_SUCCESS(rc))
    {
        FUZZ_CHECK(cch == cchBare && cch == cchWalk && strlen(psz) == cch);
        /* Back to UTF-16: the units up to the first 0 unit, exactly. */
        PRTUTF16 pwszBack = nullptr;
        size_t cwcBack = 0;
        FUZZ_CHECK(RTStrToUtf16Ex(psz, RTSTR_MAX, &pwszBack, 0, &cwcBack) == VINF_SUCCESS);
        size_t cwcExpect = 0;
        while (cwcExpect < cwcIn && pwszBare[cwcExpect])
            cwcExpect++;
        FUZZ_CHECK(cwcBack == cwcExpect && memcmp(pwszBack, pwszBare, cwcExpect * sizeof(RTUTF16)) == 0);
        RTMemFree(pwszBack);
        RTStrRelease(psz);
    }
    free(pwszTerm);
    free(pwszBare);
}

} /* namespace */

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *pbData, size_t cbData)
{
    /* Terminated copy, exactly sized, and the bare bytes without a terminator. */
    char *pszText = (char *)malloc(cbData + 1);
    char *pchBare = (char *)malloc(cbData ? cbData : 1);
    FUZZ_CHECK(pszText && pchBare);
    memcpy(pszText, pbData, cbData);
    pszText[cbData] = '\0';
    memcpy(pchBare, pbData, cbData);
    size_t const cchText = strlen(pszText);

    UTF8VERDICT const V = CheckValidators(pszText, RTSTR_MAX);
    /* With the size as limit the bare bytes say the same: the walk ends at
     * the first NUL or at the limit, where the terminated copy has its NUL. */
    UTF8VERDICT const VBare = CheckValidators(pchBare, cbData);
    FUZZ_CHECK(VBare.rcAny == V.rcAny && VBare.cCps == V.cCps);
    FUZZ_CHECK(VBare.rcUtf16 == V.rcUtf16 && VBare.cwc == V.cwc);

    /* The flags agree with the text's length. */
    if (RT_SUCCESS(V.rcAny))
    {
        FUZZ_CHECK(RTStrCheckUtf8(pchBare, cchText, RTSTRCHECK_F_EXACT) == VINF_SUCCESS);
        FUZZ_CHECK(RTStrCheckUtf8(pszText, cchText + 1, RTSTRCHECK_F_EXACT | RTSTRCHECK_F_TERMINATED) == VINF_SUCCESS);
        FUZZ_CHECK(RTStrCheckUtf8(pszText, cchText + 1, RTSTRCHECK_F_TERMINATED) == VINF_SUCCESS);
        FUZZ_CHECK(RTStrCheckUtf8(pszText, cchText, RTSTRCHECK_F_TERMINATED) == VERR_BUFFER_OVERFLOW);
        CheckStepBack(pszText, cchText, V.cCps);
    }
    else
    {
        /* Whatever the bytes, stepping back stays inside the text. */
        for (size_t off = 0; off <= cchText; off++)
        {
            const char *psz = RTStrStepBackCp(pszText, pszText + off);
            FUZZ_CHECK(psz >= pszText && psz <= pszText + (off ? off - 1 : 0));
        }
    }

    if (RT_SUCCESS(V.rcUtf16))
        CheckRoundTrip(pszText, RTSTR_MAX, cchText, V.cwc);

    /* A limit anywhere acts as a terminator there: the bare bytes cut at a
     * position taken from the input against a terminated copy of the prefix. */
    if (cbData > 1)
    {
        size_t const cchCut = pbData[0] % cbData;
        char *pszCut = (char *)malloc(cchCut + 1);
        FUZZ_CHECK(pszCut);
        memcpy(pszCut, pbData, cchCut);
        pszCut[cchCut] = '\0';
        UTF8VERDICT const VCut = CheckValidators(pszCut, RTSTR_MAX);
        UTF8VERDICT const VLim = CheckValidators(pchBare, cchCut);
        FUZZ_CHECK(VCut.rcAny == VLim.rcAny && VCut.cCps == VLim.cCps);
        FUZZ_CHECK(VCut.rcUtf16 == VLim.rcUtf16 && VCut.cwc == VLim.cwc);
        if (RT_SUCCESS(VLim.rcUtf16))
            CheckRoundTrip(pchBare, cchCut, strlen(pszCut), VLim.cwc);
        free(pszCut);
    }

    CheckUtf16Input(pbData, cbData);

    free(pchBare);
    free(pszText);
    return 0;
}
