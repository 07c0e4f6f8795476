/* Classification of the Windows version, kept free of platform headers so
 * that every host can check the table. */
#ifndef TULO_R3_WINOSVER_H
#define TULO_R3_WINOSVER_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

typedef enum RTWINOSTYPE
{
    RTWINOSTYPE_UNKNOWN     = 0,
    RTWINOSTYPE_WIN95       = 1,
    RTWINOSTYPE_WIN95SP1    = 2,
    RTWINOSTYPE_WIN95OSR2   = 3,
    RTWINOSTYPE_WIN98       = 4,
    RTWINOSTYPE_WIN98SP1    = 5,
    RTWINOSTYPE_WIN98SE     = 6,
    RTWINOSTYPE_WINME       = 7,
    RTWINOSTYPE_NT310       = 100,
    RTWINOSTYPE_NT350       = 101,
    RTWINOSTYPE_NT351       = 102,
    RTWINOSTYPE_NT4         = 103,
    RTWINOSTYPE_W2K         = 104,
    RTWINOSTYPE_XP          = 105,
    RTWINOSTYPE_XP64        = 106,
    RTWINOSTYPE_W2K3        = 107,
    RTWINOSTYPE_VISTA       = 108,
    RTWINOSTYPE_W2K8        = 109,
    RTWINOSTYPE_W7          = 110,
    RTWINOSTYPE_W2K8R2      = 111,
    RTWINOSTYPE_W8          = 112,
    RTWINOSTYPE_W2K12       = 113,
    RTWINOSTYPE_W81         = 114,
    RTWINOSTYPE_W2K12R2     = 115,
    RTWINOSTYPE_W10         = 116,
    RTWINOSTYPE_W2K16       = 117,
    RTWINOSTYPE_W2K19       = 118,
    RTWINOSTYPE_W2K22       = 119,
    RTWINOSTYPE_W11         = 120,
    RTWINOSTYPE_NT_UNKNOWN  = 199,
    RTWINOSTYPE_32BIT_HACK  = 0x7fffffff
} RTWINOSTYPE;

/** Platform identifiers of the version record. */
#define RTWINOS_PLATFORM_9X     1u
#define RTWINOS_PLATFORM_NT     2u
/** Product type of a workstation (anything else is a server or controller). */
#define RTWINOS_PRODUCT_WORKSTATION 1u

/** Classifies a platform version; only the low 16 bits of the build count. */
RTWINOSTYPE rtR3WinClassifyVersion(uint32_t uPlatformId, uint32_t uMajor, uint32_t uMinor, uint32_t uBuild,
                                   uint8_t bProductType);

RT_C_DECLS_END

#endif
