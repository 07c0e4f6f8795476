/*
 * Loader module records and the interface between the portable loader and
 * its native back end.
 */
#ifndef TULO_LDR_INTERNAL_H
#define TULO_LDR_INTERNAL_H

#include <tulo/ldr.h>
#include <tulo/types.h>

RT_C_DECLS_BEGIN

#define RTLDRMOD_MAGIC          UINT32_C(0x19531118)

/** Longest system library name accepted, terminator included. */
#define RTLDR_SYSTEM_NAME_MAX   3075

typedef enum RTLDRSTATE
{
    RTLDRSTATE_INVALID = 0,
    RTLDRSTATE_OPENING,
    RTLDRSTATE_LOADED_PENDING,
    RTLDRSTATE_LOADED               /**< 3 */
} RTLDRSTATE;

/** The platform's module handle; NIL until loaded. */
typedef uintptr_t RTLDRNATIVEHANDLE;
#define NIL_RTLDRNATIVEHANDLE (~(RTLDRNATIVEHANDLE)0)

struct RTLDRMODINTERNAL;

/** A source of module bytes; native modules have none. */
typedef struct RTLDRREADER
{
    int (*pfnDestroy)(struct RTLDRREADER *pReader);
} RTLDRREADER;
typedef RTLDRREADER *PRTLDRREADER;

/** Operations of a loader back end. */
typedef struct RTLDROPS
{
    const char *pszName;
    int (*pfnClose)(struct RTLDRMODINTERNAL *pMod);
    int (*pfnGetSymbol)(struct RTLDRMODINTERNAL *pMod, const char *pszSymbol, void **ppvValue);
} RTLDROPS;
typedef const RTLDROPS *PCRTLDROPS;

typedef struct RTLDRMODINTERNAL
{
    uint32_t volatile   u32Magic;
    RTLDRSTATE          eState;
    PCRTLDROPS          pOps;
    PRTLDRREADER        pReader;
    RTLDRNATIVEHANDLE   hNative;
    uint32_t            fFlags;
} RTLDRMODINTERNAL;
typedef RTLDRMODINTERNAL *PRTLDRMODINTERNAL;

/** The "native" operations (ldrNative.cpp). */
extern const RTLDROPS g_rtldrNativeOps;

/* Native back end (r3/win/ldrNative-win.cpp). */
int rtldrNativeLoad(const char *pszFilename, RTLDRNATIVEHANDLE *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo);
int rtldrNativeLoadSystem(const char *pszFilename, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod);
int rtldrNativeClose(PRTLDRMODINTERNAL pMod);
int rtldrNativeGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue);
/** Separators that pwszPath shares with pwszSysDir from the start, the one at
 * the very start not counted ("\\" and "/" alike, runs as one, A-Z without case). */
unsigned rtldrNativeCountMatchingSeparators(PCRTUTF16 pwszPath, PCRTUTF16 pwszSysDir);

/** The loader's failure texts, through the runtime's assertion output. */
void rtLdrAssertMsg2(const char *pszFormat, ...);

RT_C_DECLS_END

#endif
