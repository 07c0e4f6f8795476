/* Heap helpers on the host's allocator, for the host builds and their tests. */
#include <tulo/mem.h>

#include <stdlib.h>

void *RTMemAllocTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return malloc(cb ? cb : 1);
}

void *RTMemAllocZTag(size_t cb, const char *pszTag)
{
    (void)pszTag;
    return calloc(1, cb ? cb : 1);
}

void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag)
{
    (void)pszTag;
    return realloc(pvOld, cbNew ? cbNew : 1);
}

void RTMemFree(void *pv)
{
    free(pv);
}
