/* Assertion reports: the failed expression and its location, a free-form
 * explanation, and the decision whether to stop in the debugger. */
#ifndef TULO_ASSERT_H
#define TULO_ASSERT_H

#include <tulo/cdefs.h>
#include <stdarg.h>

RT_C_DECLS_BEGIN

/** Size of the buffer holding the first part of the last assertion. */
#define RTASSERT_MSG1_SIZE 1024u
/** Size of the buffer holding the second part of the last assertion. */
#define RTASSERT_MSG2_SIZE 4096u

/** Receives each report part as format and arguments (the loggers hook in here). */
typedef void FNRTASSERTHOOK(const char *pszFormat, va_list va);
typedef FNRTASSERTHOOK *PFNRTASSERTHOOK;

/* The last assertion, kept for post-mortem inspection. */
extern char             g_szAssertMsg1[RTASSERT_MSG1_SIZE];
extern char             g_szAssertMsg2[RTASSERT_MSG2_SIZE];
extern uint32_t         g_cchAssertMsg2;
extern const char      *g_pszAssertExpr;
extern const char      *g_pszAssertFile;
extern uint32_t         g_uAssertLine;
extern const char      *g_pszAssertFunction;
/** When true, the reports only fill the buffers above. */
extern bool             g_fAssertQuiet;
/** When false, RTAssertShouldPanic always answers false. */
extern bool             g_fAssertMayPanic;
/** Optional receivers of the first and second parts; NULL when none. */
extern PFNRTASSERTHOOK  g_pfnAssertMsg1Hook;
extern PFNRTASSERTHOOK  g_pfnAssertMsg2Hook;

/** First part: expression, location and function. */
void RTAssertMsg1(const char *pszExpr, uint32_t uLine, const char *pszFile, const char *pszFunction);
/** Second part, replacing the previous one. */
void RTAssertMsg2V(const char *pszFormat, va_list va);
void RTAssertMsg2(const char *pszFormat, ...);
/** Second part, appended to the previous one. */
void RTAssertMsg2AddV(const char *pszFormat, va_list va);
void RTAssertMsg2Add(const char *pszFormat, ...);
/** Whether the assertion site should stop: false when panics are disabled or
 * when KELB_ASSERT holds anything but "breakpoint" or "panic". */
bool RTAssertShouldPanic(void);

RT_C_DECLS_END

/** Stops in the debugger; without one the exception reaches the unhandled-exception filter. */
#if defined(__i386__) || defined(__x86_64__)
# define RT_BREAKPOINT() __asm__ __volatile__("int3")
#else
# define RT_BREAKPOINT() __builtin_trap()
#endif

/** The end of every failed assertion: stop only when asked to. */
#define RTAssertPanic() \
    do { if (RTAssertShouldPanic()) RT_BREAKPOINT(); } while (0)

/** Reports a failed expression with an explanation, a parenthesised
 * argument list for RTAssertMsg2, and stops when asked to. Active in every build. */
#define AssertReleaseMsg(a_Expr, a_Msg2) \
    do { \
        if (__builtin_expect(!!(a_Expr), 1)) { } \
        else \
        { \
            RTAssertMsg1(#a_Expr, __LINE__, __FILE__, __func__); \
            RTAssertMsg2 a_Msg2; \
            RTAssertPanic(); \
        } \
    } while (0)

/** Reports a state that must not occur, with an explanation. */
#define AssertReleaseMsgFailed(a_Msg2) \
    do { \
        RTAssertMsg1(NULL, __LINE__, __FILE__, __func__); \
        RTAssertMsg2 a_Msg2; \
        RTAssertPanic(); \
    } while (0)

#endif
