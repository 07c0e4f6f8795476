/* Status texts: the packed message table, its text store and the printers
 * behind %Rrc, %Rrs, %Rrf, %Rra and the Win32 forms. */
#ifndef TULO_ERRMSG_H
#define TULO_ERRMSG_H

#include <tulo/format.h>

/** One status code: define name and message in the text store, and the value.
 * Bits 0..16 define offset, 17..22 define length, 23..39 message offset,
 * 40..47 message length, 48..63 the value (signed 16-bit). */
typedef struct RTSTATUSMSG
{
    uint64_t u;
} RTSTATUSMSG;

#define RTSTATUSMSG_OFF_DEFINE(e)  ((uint32_t)((e).u & 0x1ffff))
#define RTSTATUSMSG_CCH_DEFINE(e)  ((uint32_t)(((e).u >> 17) & 0x3f))
#define RTSTATUSMSG_OFF_MESSAGE(e) ((uint32_t)(((e).u >> 23) & 0x1ffff))
#define RTSTATUSMSG_CCH_MESSAGE(e) ((uint32_t)(((e).u >> 40) & 0xff))
#define RTSTATUSMSG_CODE(e)        ((int32_t)(int16_t)(uint16_t)((e).u >> 48))

/** The text store: stored texts back to back, and the byte dictionary
 * (cCompDict 0: stored uncompressed; 255 or less: 0xff escapes a character). */
typedef struct RTSTATUSSTRTAB
{
    const uint8_t  *pchStrTab;
    uint32_t        cchStrTab;
    uint32_t        cCompDict;
    const uint32_t *paCompDict;
} RTSTATUSSTRTAB;

/** Size of the scratch buffer the printers format numbers into. */
#define RTERR_SCRATCH_SIZE 80

/** Index of the status code's entry, or -1. */
int rtErrLookup(int rc);
/** Expands one stored text of the status table through the output callback. */
size_t rtStatusStrTabOutput(uint32_t offText, uint32_t cchText, PFNRTFMTOUTPUT pfnOutput, void *pvUser);
/** The same on a given store (tests hand in damaged ones). */
size_t rtStatusStrTabOutputEx(const RTSTATUSSTRTAB *pStrTab, uint32_t offText, uint32_t cchText,
                              PFNRTFMTOUTPUT pfnOutput, void *pvUser);

size_t rtErrFormatDefine(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);
size_t rtErrFormatMessage(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);
size_t rtErrFormatAll(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);
size_t rtErrFormatUnknown(int rc, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);

/** Index of the Win32 error number's record, or -1. */
int rtErrWinLookup(uint32_t uCode);
size_t rtErrWinFormatDefine(uint32_t uCode, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);
size_t rtErrWinFormatAll(uint32_t uCode, PFNRTFMTOUTPUT pfnOutput, void *pvUser, char *pszTmp);

#endif
