/* Basic definitions shared by every part of the Tulo runtime. */
#ifndef TULO_CDEFS_H
#define TULO_CDEFS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
# define RT_C_DECLS_BEGIN extern "C" {
# define RT_C_DECLS_END   }
#else
# define RT_C_DECLS_BEGIN
# define RT_C_DECLS_END
#endif

/** Number of elements of an array. */
#define RT_ELEMENTS(a) (sizeof(a) / sizeof((a)[0]))

/** Size of the guard zone at either end of the address space. */
#define RT_PTR_GUARD_ZONE 4096u

/** A pointer is valid when it lies outside the first and last 4096 bytes of
 * the address space: pointer + 4096, modulo the pointer width, is at least 8192. */
#define RT_VALID_PTR(p) ((uintptr_t)(p) + RT_PTR_GUARD_ZONE >= 2 * RT_PTR_GUARD_ZONE)

/** Process exit codes of tools and of the launcher. */
typedef enum RTEXITCODE
{
    RTEXITCODE_SUCCESS = 0,
    RTEXITCODE_FAILURE = 1,
    RTEXITCODE_SYNTAX  = 2,
    RTEXITCODE_INIT    = 3
} RTEXITCODE;

#endif
