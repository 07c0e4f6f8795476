/* Run-time check failure reports for executables without the C runtime. */
#ifndef TULO_STACK_VCC_H
#define TULO_STACK_VCC_H

#include <windows.h>

RT_C_DECLS_BEGIN

/** What the cookie holds until start-up replaces it. */
#define RTVCC_STACK_GUARD_INITIAL   ((uintptr_t)UINT64_C(0x2b992ddfa23249d6))
/** The exit code of a process that ends through a failed check. */
#define RTVCC_STATUS_STACK_BUFFER_OVERRUN UINT32_C(0xc0000409)
/* Fail-fast codes of the individual checks. */
#define RTVCC_FAST_FAIL_STACK_COOKIE        2u
#define RTVCC_FAST_FAIL_RANGE_CHECK         8u
#define RTVCC_FAST_FAIL_INVALID_CONTEXT     13u

/** The process-wide stack protection cookie the compiler's checks compare against. */
extern uintptr_t __stack_chk_guard;

/* Entry points that not every Windows version has; looked up at start-up,
 * NULL when missing. */
extern decltype(&IsProcessorFeaturePresent)   g_pfnrtVccIsProcessorFeaturePresent;
extern decltype(&SetUnhandledExceptionFilter) g_pfnrtVccSetUnhandledExceptionFilter;
extern decltype(&UnhandledExceptionFilter)    g_pfnrtVccUnhandledExceptionFilter;

/** Called by protected functions (compiled by GCC) whose cookie was overwritten. */
__attribute__((noreturn)) void __stack_chk_fail(void);
/** Checks a cookie value a protected function found in its frame. */
void __security_check_cookie(uintptr_t uCookie);
/** Called by code that indexed a fixed array out of range. */
__attribute__((noreturn)) void __report_rangecheckfailure(void);
/** Called by the exception handler when a frame's registration data is damaged. */
__attribute__((noreturn)) void rtVccCheckContextFailed(PCONTEXT pCtx);

RT_C_DECLS_END

#endif
