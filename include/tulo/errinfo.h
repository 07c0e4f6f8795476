/* Extended error information: a status code and a text that says what failed,
 * filled by operations that can explain more than their status. */
#ifndef TULO_ERRINFO_H
#define TULO_ERRINFO_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** The high half of the flags word of every record RTErrInfoInit made. */
#define RTERRINFO_MAGIC      UINT32_C(0xbabe0000)
/** Set in fFlags once a status and text were stored. */
#define RTERRINFO_FLAGS_SET  UINT32_C(0x00000004)
/** What is read of a record (by the %RTeic and %RTeim format types, say)
 * only when the flags word masked with this is RTERRINFO_MAGIC |
 * RTERRINFO_FLAGS_SET: a record that was made and then filled. */
#define RTERRINFO_MAGIC_MASK UINT32_C(0xffff0004)

typedef struct RTERRINFO
{
    uint32_t    fFlags;
    int32_t     rc;
    /** The caller's text buffer's size in bytes (0 when there is none), and the buffer. */
    uint32_t    cbMsg;
    char       *pszMsg;
} RTERRINFO;
typedef RTERRINFO *PRTERRINFO;

/** Points pErrInfo at the caller's buffer and clears it. A buffer larger than
 * 32 bits can count is used as far as they count. */
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
