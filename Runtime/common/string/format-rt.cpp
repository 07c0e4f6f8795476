/*
 * The runtime's %R format types: the keyword dispatch, the table-driven types
 * (sized integers, handles and pointers at their natural width, booleans, far
 * pointers, network addresses, UUIDs, error information), time specs, x86
 * control registers and status codes. Addresses, dumps, sizes and the text
 * forms are in the format-rt-*.cpp files beside this one.
 *
 * The format pointer never moves past the terminator: a keyword cut short by
 * the end of the format ends it, and a keyword that is not recognised leaves
 * the pointer where recognition stopped, so the rest prints as literal text.
 */
#include "format-rt-internal.h"
#include "common/status/errmsg.h"

#include <tulo/err.h>

namespace {

/** What a row of the keyword table prints. */
enum RTFMTTYPEKIND : uint32_t
{
    kRTFmtKind_Number = 0,
    kRTFmtKind_NaturalNumber,
    kRTFmtKind_Bool,
    kRTFmtKind_Far16,
    kRTFmtKind_Far32,
    kRTFmtKind_Far64,
    kRTFmtKind_IPv4,
    kRTFmtKind_IPv6,
    kRTFmtKind_Mac,
    kRTFmtKind_NetAddr,
    kRTFmtKind_Uuid,
    kRTFmtKind_ErrInfoWithStatus,
    kRTFmtKind_ErrInfoMessage
};

/** One keyword of the table; the keyword is what follows %R. */
struct RTFMTTYPEDESC
{
    uint8_t         cchKeyword;
    char            achKeyword[10];
    uint8_t         cbArg;          /**< argument bytes: 1, 2, 4, 6, 8 or 10 */
    uint8_t         uBase;
    RTFMTTYPEKIND   enmKind;
    uint32_t        fFlags;         /**< added to the conversion's flags */
};

/* Handles, pointers and registers take their natural width; a row of this
 * width reads a pointer-sized argument and prints all of its digits. */
constexpr uint8_t g_cbNat = (uint8_t)sizeof(void *);

#define RTFMT_KW(a_sz) (uint8_t)(sizeof(a_sz) - 1), a_sz

/** Sorted by keyword in byte order, for the bisection in rtFmtRtLookup. */
constexpr RTFMTTYPEDESC g_aTypes[] =
{
    { RTFMT_KW("Ci"),      4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Cp"),      8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Cr"),      g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Cu"),      4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Cv"),      g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Cx"),      4,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Gi"),      8,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Gp"),      8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Gr"),      8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Gu"),      8,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Gv"),      8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Gx"),      8,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Hi"),      4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Hp"),      8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Hr"),      g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Hu"),      4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Hv"),      g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Hx"),      4,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("I16"),     2,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("I32"),     4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("I64"),     8,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("I8"),      1,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Kv"),      4,       16, kRTFmtKind_Number,            RTFMT_F_HIDE_VALUE },
    { RTFMT_KW("Rv"),      4,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tbool"),   1,       10, kRTFmtKind_Bool,              0 },
    { RTFMT_KW("Teic"),    g_cbNat, 16, kRTFmtKind_ErrInfoWithStatus, 0 },
    { RTFMT_KW("Teim"),    g_cbNat, 16, kRTFmtKind_ErrInfoMessage,    0 },
    { RTFMT_KW("Tfile"),   4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Tfmode"),  4,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tfoff"),   8,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Tfp16"),   4,       16, kRTFmtKind_Far16,             RTFMT_F_ZEROPAD },
    { RTFMT_KW("Tfp32"),   6,       16, kRTFmtKind_Far32,             RTFMT_F_ZEROPAD },
    { RTFMT_KW("Tfp64"),   10,      16, kRTFmtKind_Far64,             RTFMT_F_ZEROPAD },
    { RTFMT_KW("Tgid"),    4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Tino"),    8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tint"),    4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Tiop"),    2,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tldrm"),   g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tmac"),    g_cbNat, 16, kRTFmtKind_Mac,               0 },
    { RTFMT_KW("Tnaddr"),  g_cbNat, 10, kRTFmtKind_NetAddr,           0 },
    { RTFMT_KW("Tnaipv4"), 4,       10, kRTFmtKind_IPv4,              0 },
    { RTFMT_KW("Tnaipv6"), g_cbNat, 16, kRTFmtKind_IPv6,              0 },
    { RTFMT_KW("Tnthrd"),  g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tproc"),   4,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tptr"),    8,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Treg"),    g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tsel"),    2,       16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tsem"),    g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tsock"),   4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Tthrd"),   g_cbNat, 16, kRTFmtKind_NaturalNumber,     0 },
    { RTFMT_KW("Tuid"),    4,       10, kRTFmtKind_Number,            RTFMT_F_VALSIGNED },
    { RTFMT_KW("Tuint"),   4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("Tunicp"),  4,       16, kRTFmtKind_NaturalNumber,     RTFMT_F_ZEROPAD },
    { RTFMT_KW("Tutf16"),  2,       16, kRTFmtKind_NaturalNumber,     RTFMT_F_ZEROPAD },
    { RTFMT_KW("Tuuid"),   g_cbNat, 16, kRTFmtKind_Uuid,              0 },
    { RTFMT_KW("Txint"),   4,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("U16"),     2,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("U32"),     4,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("U64"),     8,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("U8"),      1,       10, kRTFmtKind_Number,            0 },
    { RTFMT_KW("X16"),     2,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("X32"),     4,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("X64"),     8,       16, kRTFmtKind_Number,            0 },
    { RTFMT_KW("X8"),      1,       16, kRTFmtKind_Number,            0 },
};

/** Keywords beginning with D. */
enum RTFMTDTYPEKIND : uint32_t
{
    kRTFmtDKind_TimeSpec = 0
};
#define RTFMTDTYPE_F_PTR 1u     /**< the argument is a pointer, tested before use */
struct RTFMTDTYPEDESC
{
    uint8_t         cchKeyword;
    char            achKeyword[14];
    uint8_t         cbArg;
    uint32_t        fFlags;
    RTFMTDTYPEKIND  enmKind;
};

constexpr RTFMTDTYPEDESC g_aDTypes[] =
{
    { RTFMT_KW("Dtimespec"), g_cbNat, RTFMTDTYPE_F_PTR, kRTFmtDKind_TimeSpec },
};

#undef RTFMT_KW

template<typename T, size_t N>
constexpr bool rtFmtRtIsSorted(const T (&aRows)[N])
{
    for (size_t i = 1; i < N; i++)
    {
        const T &Prev = aRows[i - 1];
        const T &Cur  = aRows[i];
        size_t j = 0;
        while (j < Prev.cchKeyword && j < Cur.cchKeyword && Prev.achKeyword[j] == Cur.achKeyword[j])
            j++;
        /* Neither may be a prefix of the other: a prefix would shadow the
         * longer keyword in a comparison over the keyword's length. */
        if (j == Prev.cchKeyword || j == Cur.cchKeyword)
            return false;
        if ((unsigned char)Prev.achKeyword[j] >= (unsigned char)Cur.achKeyword[j])
            return false;
    }
    return true;
}
static_assert(RT_ELEMENTS(g_aTypes) == 64, "the keyword table has 64 rows");
static_assert(rtFmtRtIsSorted(g_aTypes), "the keyword table must be sorted in byte order");
static_assert(rtFmtRtIsSorted(g_aDTypes), "the D table must be sorted in byte order");

/** Compares the format text with a keyword over the keyword's length; the
 * terminator of the format differs from every keyword byte, so the text is
 * never read past it. */
int rtFmtRtCompareKeyword(const char *psz, const char *pachKeyword, size_t cchKeyword)
{
    for (size_t i = 0; i < cchKeyword; i++)
    {
        unsigned char const ch1 = (unsigned char)psz[i];
        unsigned char const ch2 = (unsigned char)pachKeyword[i];
        if (ch1 != ch2)
            return ch1 < ch2 ? -1 : 1;
    }
    return 0;
}

/** The row whose keyword the text begins with, by bisection; NULL if none. */
template<typename T, size_t N>
const T *rtFmtRtLookup(const T (&aRows)[N], const char *psz)
{
    size_t iStart = 0;
    size_t iEnd   = N;
    while (iStart < iEnd)
    {
        size_t const i = iStart + (iEnd - iStart) / 2;
        int const iDiff = rtFmtRtCompareKeyword(psz, aRows[i].achKeyword, aRows[i].cchKeyword);
        if (!iDiff)
            return &aRows[i];
        if (iDiff < 0)
            iEnd = i;
        else
            iStart = i + 1;
    }
    return nullptr;
}

/** The row of the keyword at psz, with the format moved past the keyword;
 * without one (NULL) the format moves past the first letter only. */
template<typename T, size_t N>
const T *rtFmtRtTakeKeyword(const T (&aRows)[N], const char *psz, const char **ppszFormat)
{
    const T *pDesc = rtFmtRtLookup(aRows, psz);
    *ppszFormat = psz + (pDesc ? pDesc->cchKeyword : 1);
    return pDesc;
}

/** Integer argument of a table row, widened to 64 bits, with its size flag. */
uint64_t rtFmtRtFetchInteger(va_list *pArgs, unsigned cbArg, bool fSigned, unsigned *pfSizeFlag)
{
    switch (cbArg)
    {
        case 1:
        {
            /* Promoted to int on the way in; a signed value is not cut. */
            int const i = va_arg(*pArgs, int);
            *pfSizeFlag = RTFMT_F_8BIT;
            return fSigned ? (uint64_t)(int64_t)i : (uint64_t)(uint8_t)i;
        }
        case 2:
        {
            int const i = va_arg(*pArgs, int);
            *pfSizeFlag = RTFMT_F_16BIT;
            return fSigned ? (uint64_t)(int64_t)i : (uint64_t)(uint16_t)i;
        }
        case 4:
        {
            uint32_t const u32 = va_arg(*pArgs, uint32_t);
            *pfSizeFlag = RTFMT_F_32BIT;
            return fSigned ? (uint64_t)(int64_t)(int32_t)u32 : (uint64_t)u32;
        }
        default:
            *pfSizeFlag = RTFMT_F_64BIT;
            return (uint64_t)va_arg(*pArgs, unsigned long long);
    }
}

size_t rtFmtRtNumber(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const RTFMTTYPEDESC *pDesc, uint64_t u64Value,
                     int cchWidth, int cchPrecision, unsigned fFlags)
{
    if (fFlags & RTFMT_F_HIDE_VALUE)
    {
        /* A value that must not appear in logs; width and precision do not apply. */
        static const char s_szHidden[] = "0xXXXXXXXX";
        return fFlags & RTFMT_F_SPECIAL ? rtFmtRtPut(pfnOutput, pvArgOutput, s_szHidden, 10)
                                        : rtFmtRtPut(pfnOutput, pvArgOutput, &s_szHidden[2], 8);
    }
    if (pDesc->enmKind == kRTFmtKind_NaturalNumber && cchWidth < 0)
    {
        /* Every digit of the type, so that values line up. */
        cchWidth = pDesc->cbArg * 2 + (fFlags & RTFMT_F_SPECIAL ? 2 : 0);
        fFlags |= RTFMT_F_ZEROPAD | RTFMT_F_WIDTH;
    }
    return rtFmtRtPutNumber(pfnOutput, pvArgOutput, u64Value, pDesc->uBase, cchWidth, cchPrecision, fFlags);
}

size_t rtFmtRtBool(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint64_t u64Value, unsigned fFlags)
{
    if (u64Value == 1)
        return fFlags & RTFMT_F_SPECIAL ? rtFmtRtPut(pfnOutput, pvArgOutput, "true ", 5)
                                        : rtFmtRtPut(pfnOutput, pvArgOutput, "true", 4);
    if (u64Value == 0)
        return rtFmtRtPut(pfnOutput, pvArgOutput, "false", 5);
    char szBuf[24];
    szBuf[0] = '!';
    char *pch = rtFmtRtWriteDec(&szBuf[1], u64Value);
    *pch++ = '!';
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(pch - szBuf));
}

/** selector:offset with a 4-digit selector and cOffDigits offset digits;
 * only the capital flag and the row's zero fill apply. */
size_t rtFmtRtFarPointer(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint16_t uSel, uint64_t uOff,
                         int cOffDigits, unsigned fFlags)
{
    unsigned const fNumFlags = RTFMT_F_ZEROPAD | (fFlags & RTFMT_F_CAPITAL);
    char szSel[64];
    char szOff[64];
    int const cchSel = RTFmtNumber(szSel, uSel, 16, 4, -1, fNumFlags | RTFMT_F_16BIT);
    int const cchOff = RTFmtNumber(szOff, uOff, 16, cOffDigits, -1, fNumFlags | RTFMT_F_64BIT);
    char szBuf[4 + 1 + 16];
    memcpy(szBuf, szSel, (size_t)cchSel);
    szBuf[cchSel] = ':';
    memcpy(&szBuf[cchSel + 1], szOff, (size_t)cchOff);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)(cchSel + 1 + cchOff));
}

/** %RTeic and %RTeim. A record that is not readable or not initialised
 * prints nothing, and neither does a message behind a bad pointer. */
size_t rtFmtRtErrInfo(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const void *pvErrInfo, bool fWithStatus,
                      unsigned fFlags)
{
    if (!RT_VALID_PTR(pvErrInfo))
        return 0;
    RTERRINFO ErrInfo;
    memcpy(&ErrInfo, pvErrInfo, sizeof(ErrInfo));
    if ((ErrInfo.fFlags & RTERRINFO_MAGIC_MASK) != (RTERRINFO_MAGIC | RTERRINFO_FLAGS_SET))
        return 0;

    size_t cchRet = 0;
    if (fWithStatus)
    {
        char szTmp[RTERR_SCRATCH_SIZE];
        cchRet += rtErrFormatMessage(ErrInfo.rc, pfnOutput, pvArgOutput, szTmp);
    }
    if (ErrInfo.cbMsg && RT_VALID_PTR(ErrInfo.pszMsg))
    {
        cchRet += fFlags & RTFMT_F_SPECIAL ? rtFmtRtPut(pfnOutput, pvArgOutput, " - ", 3)
                                           : rtFmtRtPut(pfnOutput, pvArgOutput, ": ", 2);
        /* The buffer need not be terminated within its size. */
        size_t cchMsg = 0;
        while (cchMsg < ErrInfo.cbMsg && ErrInfo.pszMsg[cchMsg])
            cchMsg++;
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, ErrInfo.pszMsg, cchMsg);
    }
    return cchRet;
}

size_t rtFmtRtTableType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const RTFMTTYPEDESC *pDesc, va_list *pArgs,
                        int cchWidth, int cchPrecision, unsigned fFlags)
{
    fFlags = (fFlags & ~RTFMTRT_F_SIZE_MASK) | pDesc->fFlags;
    switch (pDesc->enmKind)
    {
        case kRTFmtKind_Number:
        case kRTFmtKind_NaturalNumber:
        case kRTFmtKind_Bool:
        case kRTFmtKind_IPv4:
        {
            unsigned fSizeFlag;
            uint64_t const u64 = rtFmtRtFetchInteger(pArgs, pDesc->cbArg, (fFlags & RTFMT_F_VALSIGNED) != 0,
                                                     &fSizeFlag);
            if (pDesc->enmKind == kRTFmtKind_Bool)
                return rtFmtRtBool(pfnOutput, pvArgOutput, u64, fFlags);
            if (pDesc->enmKind == kRTFmtKind_IPv4)
                return rtFmtRtIPv4(pfnOutput, pvArgOutput, (uint32_t)u64);
            return rtFmtRtNumber(pfnOutput, pvArgOutput, pDesc, u64, cchWidth, cchPrecision, fFlags | fSizeFlag);
        }

        case kRTFmtKind_Far16:
        {
            uint32_t const u32 = va_arg(*pArgs, uint32_t);
            return rtFmtRtFarPointer(pfnOutput, pvArgOutput, (uint16_t)(u32 >> 16), (uint16_t)u32, 4, fFlags);
        }
        case kRTFmtKind_Far32:
        {
            /* Eight bytes: the offset, then the selector in the next 32 bits. */
            uint64_t const u64 = va_arg(*pArgs, unsigned long long);
            return rtFmtRtFarPointer(pfnOutput, pvArgOutput, (uint16_t)(u64 >> 32), (uint32_t)u64, 8, fFlags);
        }
        case kRTFmtKind_Far64:
        {
            /* Twelve bytes: the 64-bit offset, then the selector in a 32-bit slot. */
            uint64_t const uOff = va_arg(*pArgs, unsigned long long);
            uint32_t const uSel = va_arg(*pArgs, uint32_t);
            return rtFmtRtFarPointer(pfnOutput, pvArgOutput, (uint16_t)uSel, uOff, 16, fFlags);
        }

        case kRTFmtKind_IPv6:
            return rtFmtRtIPv6(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *), cchWidth, fFlags);
        case kRTFmtKind_Mac:
            return rtFmtRtMac(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *), cchWidth, fFlags);
        case kRTFmtKind_NetAddr:
            return rtFmtRtNetAddr(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *), cchWidth, fFlags);
        case kRTFmtKind_Uuid:
            return rtFmtRtUuid(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *), cchWidth, fFlags);
        case kRTFmtKind_ErrInfoWithStatus:
        case kRTFmtKind_ErrInfoMessage:
            return rtFmtRtErrInfo(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *),
                                  pDesc->enmKind == kRTFmtKind_ErrInfoWithStatus, fFlags);
    }
    return 0;
}

/** %RDtimespec: nanoseconds, grouped by three, and " ns". */
size_t rtFmtRtDType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const RTFMTDTYPEDESC *pDesc, va_list *pArgs,
                    int cchWidth, unsigned fFlags)
{
    const void *pv = va_arg(*pArgs, const void *);
    if ((pDesc->fFlags & RTFMTDTYPE_F_PTR) && !RT_VALID_PTR(pv))
        return rtFmtBadPointer(pfnOutput, pvArgOutput, pv, cchWidth, fFlags, "!BadRD");
    switch (pDesc->enmKind)
    {
        case kRTFmtDKind_TimeSpec:
        {
            int64_t i64Nanoseconds;
            memcpy(&i64Nanoseconds, pv, sizeof(i64Nanoseconds));
            size_t cchRet = rtFmtRtPutNumber(pfnOutput, pvArgOutput, (uint64_t)i64Nanoseconds, 10, -1, -1,
                                             RTFMT_F_VALSIGNED | RTFMT_F_THOUSAND_GROUP | RTFMT_F_64BIT);
            return cchRet + rtFmtRtPut(pfnOutput, pvArgOutput, " ns", 3);
        }
    }
    return 0;
}

/*
 * x86 control registers: %RAx86[cr0] and %RAx86[cr4].
 */
struct RTFMTRTBITNAME
{
    uint8_t     iBit;
    const char *pszName;
};

constexpr RTFMTRTBITNAME g_aCr0Bits[] =
{
    { 0, "PE" }, { 1, "MP" }, { 2, "EM" }, { 3, "TS" }, { 4, "ET" }, { 5, "NE" },
    { 16, "WP" }, { 18, "AM" }, { 29, "NW" }, { 30, "CD" }, { 31, "PG" },
};

constexpr RTFMTRTBITNAME g_aCr4Bits[] =
{
    { 0, "VME" }, { 1, "PVI" }, { 2, "TSD" }, { 3, "DE" }, { 4, "PSE" }, { 5, "PAE" }, { 6, "MCE" },
    { 7, "PGE" }, { 8, "PCE" }, { 9, "OSFXSR" }, { 10, "OSXMMEEXCPT" }, { 13, "VMXE" }, { 14, "SMXE" },
    { 17, "PCIDE" }, { 18, "OSXSAVE" }, { 20, "SMEP" }, { 21, "SMAP" },
};

bool rtFmtRtTextIs(const char *pchStart, const char *pchEnd, const char *psz)
{
    size_t const cch = strlen(psz);
    return (size_t)(pchEnd - pchStart) == cch && memcmp(pchStart, psz, cch) == 0;
}

/** *ppszFormat points after the A. */
size_t rtFmtRtX86(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                  unsigned fFlags)
{
    const char *pszName = *ppszFormat;
    const char *pszOpen = pszName;
    while (*pszOpen && *pszOpen != '[')
        pszOpen++;
    if (!*pszOpen)
        return 0;
    const char *pszClose = pszOpen + 1;
    while (*pszClose && *pszClose != ']')
        pszClose++;
    if (!*pszClose)
        return 0;
    *ppszFormat = pszClose + 1;

    if (!rtFmtRtTextIs(pszName, pszOpen, "x86"))
        return 0;
    const RTFMTRTBITNAME *paBits;
    size_t cBits;
    if (rtFmtRtTextIs(pszOpen + 1, pszClose, "cr0"))
    {
        paBits = g_aCr0Bits;
        cBits  = RT_ELEMENTS(g_aCr0Bits);
    }
    else if (rtFmtRtTextIs(pszOpen + 1, pszClose, "cr4"))
    {
        paBits = g_aCr4Bits;
        cBits  = RT_ELEMENTS(g_aCr4Bits);
    }
    else
        return 0;

    uint64_t uValue = va_arg(*pArgs, unsigned long long);
    size_t cchRet = rtFmtRtPutNumber(pfnOutput, pvArgOutput, uValue, 16, 8, -1,
                                     (fFlags & ~RTFMTRT_F_SIZE_MASK) | RTFMT_F_ZEROPAD);
    const char *pszSep = "{";
    for (size_t i = 0; i < cBits; i++)
    {
        uint64_t const fBit = UINT64_C(1) << paBits[i].iBit;
        if (uValue & fBit)
        {
            cchRet += rtFmtRtPutSz(pfnOutput, pvArgOutput, pszSep);
            cchRet += rtFmtRtPutSz(pfnOutput, pvArgOutput, paBits[i].pszName);
            pszSep = ",";
            uValue &= ~fBit;
        }
    }
    if (uValue)
    {
        cchRet += rtFmtRtPutSz(pfnOutput, pvArgOutput, pszSep);
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, "unkn=", 5);
        cchRet += rtFmtRtPutNumber(pfnOutput, pvArgOutput, uValue, 16, -1, -1, RTFMT_F_64BIT);
        pszSep = ",";
    }
    if (*pszSep == ',')
        cchRet += rtFmtRtPut(pfnOutput, pvArgOutput, "}", 1);
    return cchRet;
}

/** Steps over one sub-letter; false (the pointer left at the terminator)
 * when the format ends there. */
bool rtFmtRtNextLetter(const char **ppszFormat, char *pch)
{
    char const ch = **ppszFormat;
    if (!ch)
        return false;
    *ppszFormat += 1;
    *pch = ch;
    return true;
}

/*
 * Status codes: r (runtime status), w and hr (Win32 errors, result codes).
 * Once the group letter is known the argument is taken; the letter after it
 * picks the form, and one not listed prints nothing.
 */
size_t rtFmtRtStatus(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs)
{
    char chForm;
    if (!rtFmtRtNextLetter(ppszFormat, &chForm))
        return 0;
    int const rc = va_arg(*pArgs, int);
    char szTmp[RTERR_SCRATCH_SIZE];
    switch (chForm)
    {
        case 'c': return rtErrFormatDefine(rc, pfnOutput, pvArgOutput, szTmp);
        case 's':
        case 'f': return rtErrFormatMessage(rc, pfnOutput, pvArgOutput, szTmp);
        case 'a': return rtErrFormatAll(rc, pfnOutput, pvArgOutput, szTmp);
        default:  return 0;
    }
}

size_t rtFmtRtWinStatus(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs)
{
    char chForm;
    if (!rtFmtRtNextLetter(ppszFormat, &chForm))
        return 0;
    uint32_t const uCode = va_arg(*pArgs, uint32_t);
    char szTmp[RTERR_SCRATCH_SIZE];
    switch (chForm)
    {
        case 'c':
        case 'f': return rtErrWinFormatDefine(uCode, pfnOutput, pvArgOutput, szTmp);
        case 'a': return rtErrWinFormatAll(uCode, pfnOutput, pvArgOutput, szTmp);
        default:  return 0;
    }
}

/*
 * Multi-letter keywords: M (escaped strings), b and f (names), h (dumps,
 * sizes, result codes). *ppszFormat points at the group letter; a letter that
 * does not fit is consumed and prints nothing, the terminator is not.
 */

size_t rtFmtRtEscapedType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                          int cchWidth, int cchPrecision, unsigned fFlags)
{
    char ch1, ch2;
    if (!rtFmtRtNextLetter(ppszFormat, &ch1))
        return 0;
    if (ch1 != 'a' && ch1 != 'e' && ch1 != 'j' && ch1 != 'p')
        return 0;
    if (!rtFmtRtNextLetter(ppszFormat, &ch2))
        return 0;
    RTFMTRTESCAPE enmEscape;
    switch (ch1)
    {
        case 'a':
        case 'e':
        case 'j':
            if (ch2 != 's')
                return 0;
            enmEscape = ch1 == 'a' ? kRTFmtRtEscape_XmlAttr : ch1 == 'e' ? kRTFmtRtEscape_XmlElem : kRTFmtRtEscape_Json;
            break;
        default:
            switch (ch2)
            {
                case 'a': enmEscape = kRTFmtRtEscape_Percent; break;
                case 'q': enmEscape = kRTFmtRtEscape_PercentQuery; break;
                case 'f': enmEscape = kRTFmtRtEscape_PercentForm; break;
                case 'p': enmEscape = kRTFmtRtEscape_PercentPath; break;
                default:  return 0;
            }
            break;
    }
    return rtFmtRtEscaped(pfnOutput, pvArgOutput, va_arg(*pArgs, const char *), enmEscape, cchWidth, cchPrecision,
                          fFlags);
}

size_t rtFmtRtHType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                    int cchWidth, int cchPrecision, unsigned fFlags)
{
    char chGroup;
    if (!rtFmtRtNextLetter(ppszFormat, &chGroup))
        return 0;
    switch (chGroup)
    {
        case 'r':
            return rtFmtRtWinStatus(pfnOutput, pvArgOutput, ppszFormat, pArgs);

        case 'x':
        case 'X':
        {
            /* The arguments go with the group; the form letter is consumed
             * whatever it is, and one not known prints nothing. */
            char chForm;
            if (!rtFmtRtNextLetter(ppszFormat, &chForm))
                return 0;
            const void *pvData = va_arg(*pArgs, const void *);
            uint64_t const uAddr = chGroup == 'X' ? (uint64_t)va_arg(*pArgs, unsigned long long) : 0;
            return rtFmtRtHexDump(pfnOutput, pvArgOutput, pvData, uAddr, chGroup == 'X', chForm, cchWidth,
                                  cchPrecision, fFlags);
        }

        case 'c':
        case 'u':
        {
            char chUnits;
            if (!rtFmtRtNextLetter(ppszFormat, &chUnits))
                return 0;
            if (chUnits != 'b' && chUnits != 'B' && chUnits != 'i')
                return 0;
            uint64_t const cb = va_arg(*pArgs, unsigned long long);
            return rtFmtRtSize(pfnOutput, pvArgOutput, cb, chUnits, chGroup == 'c', cchWidth, cchPrecision, fFlags);
        }

        default:
            return 0;
    }
}

size_t rtFmtRtNameType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, char chGroup, const char **ppszFormat,
                       va_list *pArgs, int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    char ch;
    if (!rtFmtRtNextLetter(ppszFormat, &ch))
        return 0;
    if (chGroup == 'f')
    {
        if (ch != 'n')
            return 0;
        return rtFmtRtFunctionName(pfnOutput, pvArgOutput, va_arg(*pArgs, const char *), cchWidth, fFlags);
    }
    if (ch == 'n')
        return rtFmtRtBaseName(pfnOutput, pvArgOutput, va_arg(*pArgs, const char *), cchWidth, fFlags);
    if (ch != 's')
        return 0;
    /* Big-endian UTF-16 exists only as %lRbs; without the size nothing is taken. */
    if (chArgSize != 'l')
        return 0;
    return rtFmtRtBeUtf16(pfnOutput, pvArgOutput, va_arg(*pArgs, const void *), cchWidth, cchPrecision, fFlags);
}

} /* namespace */

size_t rtFmtRtPad(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char *pchUnit, size_t cchUnit, size_t cCount)
{
    /* 48 bytes: a whole number of units of one, two or three bytes. */
    char achBuf[48];
    size_t const cPerCall = sizeof(achBuf) / cchUnit;
    size_t const cFill = cCount < cPerCall ? cCount : cPerCall;
    for (size_t i = 0; i < cFill; i++)
        memcpy(&achBuf[i * cchUnit], pchUnit, cchUnit);
    size_t cchRet = 0;
    while (cCount)
    {
        size_t const cThis = cCount < cPerCall ? cCount : cPerCall;
        cchRet += pfnOutput(pvArgOutput, achBuf, cThis * cchUnit);
        cCount -= cThis;
    }
    return cchRet;
}

size_t rtFmtRtPutNumber(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, uint64_t u64Value, unsigned uBase,
                        int cchWidth, int cchPrecision, unsigned fFlags)
{
    char szBuf[64];
    int const cch = RTFmtNumber(szBuf, u64Value, uBase, cchWidth, cchPrecision, fFlags);
    return rtFmtRtPut(pfnOutput, pvArgOutput, szBuf, (size_t)cch);
}

size_t rtFmtRuntimeType(PFNRTFMTOUTPUT pfnOutput, void *pvArgOutput, const char **ppszFormat, va_list *pArgs,
                        int cchWidth, int cchPrecision, unsigned fFlags, char chArgSize)
{
    const char *psz = *ppszFormat + 1;     /* the first letter after the R */
    char const ch = *psz;
    if (!ch)
    {
        *ppszFormat = psz;
        return 0;
    }
    switch (ch)
    {
        case 'C':
        case 'G':
        case 'H':
        case 'I':
        case 'K':
        case 'R':
        case 'T':
        case 'U':
        case 'X':
        {
            const RTFMTTYPEDESC *pDesc = rtFmtRtTakeKeyword(g_aTypes, psz, ppszFormat);
            return pDesc ? rtFmtRtTableType(pfnOutput, pvArgOutput, pDesc, pArgs, cchWidth, cchPrecision, fFlags) : 0;
        }

        case 'D':
        {
            const RTFMTDTYPEDESC *pDesc = rtFmtRtTakeKeyword(g_aDTypes, psz, ppszFormat);
            return pDesc ? rtFmtRtDType(pfnOutput, pvArgOutput, pDesc, pArgs, cchWidth, fFlags) : 0;
        }

        case 'A':
            /* Stays after the A unless both brackets are found. */
            *ppszFormat = psz + 1;
            return rtFmtRtX86(pfnOutput, pvArgOutput, ppszFormat, pArgs, fFlags);

        case 'M':
            *ppszFormat = psz + 1;
            return rtFmtRtEscapedType(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags);

        case 'b':
        case 'f':
            *ppszFormat = psz + 1;
            return rtFmtRtNameType(pfnOutput, pvArgOutput, ch, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags,
                                   chArgSize);

        case 'h':
            *ppszFormat = psz + 1;
            return rtFmtRtHType(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags);

        case 'r':
            *ppszFormat = psz + 1;
            return rtFmtRtStatus(pfnOutput, pvArgOutput, ppszFormat, pArgs);

        case 'w':
            *ppszFormat = psz + 1;
            return rtFmtRtWinStatus(pfnOutput, pvArgOutput, ppszFormat, pArgs);

        case '[':
            return rtFmtCustomType(pfnOutput, pvArgOutput, ppszFormat, pArgs, cchWidth, cchPrecision, fFlags,
                                   chArgSize);

        default:
            *ppszFormat = psz + 1;
            return 0;
    }
}
