/* Heap helpers on the process heap. */
#include <tulo/mem.h>

#include <windows.h>

void *RTMemAllocTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return HeapAlloc(GetProcessHeap(), 0, cb ? cb : 1);
}

void *RTMemAllocZTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, cb ? cb : 1);
}

void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag)
{
    if (!pvOld)
        return RTMemAllocTag(cbNew, pszTag);
    return HeapReAlloc(GetProcessHeap(), 0, pvOld, cbNew ? cbNew : 1);
}

void RTMemFree(void *pv)
{
    if (pv)
        HeapFree(GetProcessHeap(), 0, pv);
}
