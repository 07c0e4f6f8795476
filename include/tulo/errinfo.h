/* Extended error information: a status code and a text that says what failed,
 * filled by operations that can explain more than their status. */
#ifndef TULO_ERRINFO_H
#define TULO_ERRINFO_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** Set in fFlags once a status and text were stored. */
#define RTERRINFO_FLAGS_SET UINT32_C(0x00000001)

typedef struct RTERRINFO
{
    uint32_t    fFlags;
    int32_t     rc;
    /** The caller's text buffer and its size in bytes (0 when there is none). */
    char       *pszMsg;
    size_t      cbMsg;
} RTERRINFO;
typedef RTERRINFO *PRTERRINFO;

/** Points pErrInfo at the caller's buffer and clears it. */
PRTERRINFO RTErrInfoInit(PRTERRINFO pErrInfo, char *pszMsg, size_t cbMsg);
/** Forgets a previous status and text (NULL allowed). */
void RTErrInfoClear(PRTERRINFO pErrInfo);
/** Stores rc and the text (truncated to the buffer); returns rc. NULL allowed. */
int RTErrInfoSet(PRTERRINFO pErrInfo, int rc, const char *pszMsg);
/** As RTErrInfoSet with a formatted text. */
int RTErrInfoSetF(PRTERRINFO pErrInfo, int rc, const char *pszFormat, ...);
int RTErrInfoSetV(PRTERRINFO pErrInfo, int rc, const char *pszFormat, va_list va);

RT_C_DECLS_END

#endif
