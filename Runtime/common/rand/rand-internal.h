/* Generator records: a table of operations with the state of one kind. */
#ifndef TULO_RAND_INTERNAL_H
#define TULO_RAND_INTERNAL_H

#include <tulo/rand.h>

#define RTRANDINT_MAGIC      UINT32_C(0x19531118)
#define RTRANDINT_MAGIC_DEAD UINT32_C(0xe6aceee7)

typedef struct RTRANDINT
{
    uint32_t u32Magic;
    void     (*pfnGetBytes)(struct RTRANDINT *pThis, uint8_t *pb, size_t cb);
    uint32_t (*pfnGetU32)(struct RTRANDINT *pThis, uint32_t u32First, uint32_t u32Last);
    uint64_t (*pfnGetU64)(struct RTRANDINT *pThis, uint64_t u64First, uint64_t u64Last);
    int      (*pfnSeed)(struct RTRANDINT *pThis, uint64_t u64Seed);
    int      (*pfnSaveState)(struct RTRANDINT *pThis, char *pszState, size_t *pcbState);
    int      (*pfnRestoreState)(struct RTRANDINT *pThis, const char *pszState);
    int      (*pfnDestroy)(struct RTRANDINT *pThis);
    /* Park-Miller state. */
    uint32_t u32State;
    uint32_t u32Bits;
    int32_t  cBits;
} RTRANDINT;

static inline bool rtRandIsValid(const RTRANDINT *pThis)
{
    return RT_VALID_PTR(pThis) && pThis->u32Magic == RTRANDINT_MAGIC;
}

#endif
