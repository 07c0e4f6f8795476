/* Heap helpers. The tag names the requesting module and is otherwise unused. */
#ifndef TULO_MEM_H
#define TULO_MEM_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Uninitialised block of cb bytes, or NULL. */
void *RTMemAllocTag(size_t cb, const char *pszTag);
/** Zero-filled block of cb bytes, or NULL. */
void *RTMemAllocZTag(size_t cb, const char *pszTag);
/** Resizes pvOld to cbNew bytes (a NULL block means allocate); NULL on
 * failure, with pvOld still valid. */
void *RTMemReallocTag(void *pvOld, size_t cbNew, const char *pszTag);
/** Frees a block; NULL is allowed. */
void RTMemFree(void *pv);

#define RTMemAlloc(cb)           RTMemAllocTag((cb), __FILE__)
#define RTMemAllocZ(cb)          RTMemAllocZTag((cb), __FILE__)
#define RTMemRealloc(pvOld, cb)  RTMemReallocTag((pvOld), (cb), __FILE__)

RT_C_DECLS_END

#endif
