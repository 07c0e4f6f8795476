/*
 * atexit for executables without the C runtime: up to 8192 callbacks in 32
 * blocks of 256, each block allocated when its first slot is handed out.
 * Registration may come from any thread: the slot counter is atomic and a
 * new block is published with a compare-and-swap.
 */
#include <tulo/mem.h>

#include "r3/win/nocrt-internal.h"

#define RTATEXIT_BLOCK_SIZE   256u
#define RTATEXIT_BLOCK_COUNT  32u
#define RTATEXIT_MAX          (RTATEXIT_BLOCK_SIZE * RTATEXIT_BLOCK_COUNT)

typedef void FNRTATEXIT(void);

static FNRTATEXIT **g_apapfnAtExitBlocks[RTATEXIT_BLOCK_COUNT];
static uint32_t     g_cAtExitSlots;

extern "C" int atexit(FNRTATEXIT *pfnCallback)
{
    uint32_t const iSlot = __atomic_fetch_add(&g_cAtExitSlots, 1, __ATOMIC_SEQ_CST);
    if (iSlot >= RTATEXIT_MAX)
    {
        __atomic_fetch_sub(&g_cAtExitSlots, 1, __ATOMIC_SEQ_CST);
        return -1;
    }

    FNRTATEXIT ***ppapfnBlock = &g_apapfnAtExitBlocks[iSlot / RTATEXIT_BLOCK_SIZE];
    FNRTATEXIT **papfnBlock = __atomic_load_n(ppapfnBlock, __ATOMIC_ACQUIRE);
    if (!papfnBlock)
    {
        FNRTATEXIT **papfnNew = (FNRTATEXIT **)RTMemAllocZ(RTATEXIT_BLOCK_SIZE * sizeof(FNRTATEXIT *));
        if (!papfnNew)
            return -1; /* the slot stays empty and is skipped at exit */
        FNRTATEXIT **papfnExpected = nullptr;
        if (__atomic_compare_exchange_n(ppapfnBlock, &papfnExpected, papfnNew, false,
                                        __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE))
            papfnBlock = papfnNew;
        else
        {
            RTMemFree(papfnNew);
            papfnBlock = papfnExpected;
        }
    }
    __atomic_store_n(&papfnBlock[iSlot % RTATEXIT_BLOCK_SIZE], pfnCallback, __ATOMIC_RELEASE);
    return 0;
}

void rtNoCrtRunExitCallbacks(void)
{
    uint32_t iSlot = __atomic_load_n(&g_cAtExitSlots, __ATOMIC_ACQUIRE);
    if (iSlot > RTATEXIT_MAX)
        iSlot = RTATEXIT_MAX;
    while (iSlot > 0)
    {
        FNRTATEXIT **papfnBlock = __atomic_load_n(&g_apapfnAtExitBlocks[(iSlot - 1) / RTATEXIT_BLOCK_SIZE],
                                                  __ATOMIC_ACQUIRE);
        if (!papfnBlock)
        {
            /* Skip the whole block that was never allocated. */
            iSlot = (iSlot - 1) / RTATEXIT_BLOCK_SIZE * RTATEXIT_BLOCK_SIZE;
            continue;
        }
        iSlot--;
        /* A callback registered while these run takes the slot just emptied and is not run. */
        __atomic_store_n(&g_cAtExitSlots, iSlot, __ATOMIC_RELEASE);
        FNRTATEXIT *pfn = papfnBlock[iSlot % RTATEXIT_BLOCK_SIZE];
        papfnBlock[iSlot % RTATEXIT_BLOCK_SIZE] = nullptr;
        if (pfn)
            pfn();
    }
    __atomic_store_n(&g_cAtExitSlots, 0, __ATOMIC_RELEASE);
}
