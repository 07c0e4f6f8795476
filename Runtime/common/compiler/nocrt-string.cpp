/*
 * The memory and string primitives the compiler expects, for executables
 * without the C runtime. Built with -fno-tree-loop-distribute-patterns so
 * that the compiler does not turn these loops back into calls to themselves.
 */
#include <stddef.h>
#include <stdint.h>

extern "C" {

void *memcpy(void *pvDst, const void *pvSrc, size_t cb)
{
    uint8_t *pbDst = (uint8_t *)pvDst;
    const uint8_t *pbSrc = (const uint8_t *)pvSrc;
    while (cb-- > 0)
        *pbDst++ = *pbSrc++;
    return pvDst;
}

void *memmove(void *pvDst, const void *pvSrc, size_t cb)
{
    uint8_t *pbDst = (uint8_t *)pvDst;
    const uint8_t *pbSrc = (const uint8_t *)pvSrc;
    if ((uintptr_t)pbDst - (uintptr_t)pbSrc >= cb)
        while (cb-- > 0)
            *pbDst++ = *pbSrc++;
    else
        while (cb-- > 0)
            pbDst[cb] = pbSrc[cb];
    return pvDst;
}

void *memset(void *pvDst, int ch, size_t cb)
{
    uint8_t *pbDst = (uint8_t *)pvDst;
    while (cb-- > 0)
        *pbDst++ = (uint8_t)ch;
    return pvDst;
}

int memcmp(const void *pv1, const void *pv2, size_t cb)
{
    const uint8_t *pb1 = (const uint8_t *)pv1;
    const uint8_t *pb2 = (const uint8_t *)pv2;
    for (; cb > 0; cb--, pb1++, pb2++)
        if (*pb1 != *pb2)
            return *pb1 < *pb2 ? -1 : 1;
    return 0;
}

size_t strlen(const char *psz)
{
    const char *pszEnd = psz;
    while (*pszEnd)
        pszEnd++;
    return (size_t)(pszEnd - psz);
}

} /* extern "C" */
