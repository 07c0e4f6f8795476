/* Platform pieces behind the assertion reports. */
#ifndef TULO_ASSERT_INTERNAL_H
#define TULO_ASSERT_INTERNAL_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

#define RTLASTERRORS_MAGIC      UINT32_C(0x19520117)
/** The socket error kept when the socket library cannot be asked (WSANOTINITIALISED). */
#define RTLASTERRORS_NO_SOCKET  10093

/** The caller's error state, kept across a report so that reporting changes nothing. */
typedef struct RTLASTERRORS
{
    uint32_t    u32Magic;
    /** GetLastError on Windows, errno elsewhere. */
    uint32_t    uOsError;
    /** WSAGetLastError, or RTLASTERRORS_NO_SOCKET. */
    int32_t     iSocketError;
} RTLASTERRORS;

void rtLastErrorsSave(RTLASTERRORS *pRec);
/** Restores only a record that rtLastErrorsSave filled. */
void rtLastErrorsRestore(const RTLASTERRORS *pRec);

/** One write of cch bytes to the standard error handle, when there is a usable one. */
void rtAssertWriteStdErr(const char *pch, size_t cch);
/** The value of an environment variable, or NULL when unset. */
const char *rtAssertQueryEnv(const char *pszVar);

/** The KELB_ASSERT decision: unset, "breakpoint" or "panic" stop; anything else does not. */
bool rtAssertShouldPanicForValue(const char *pszValue);

#ifdef _WIN32
/* The socket library's error functions, filled by runtime initialisation
 * when it loads the library; while NULL the socket error is left alone. */
typedef int  (__stdcall *PFNRTWSAGETLASTERROR)(void);
typedef void (__stdcall *PFNRTWSASETLASTERROR)(int iError);
extern PFNRTWSAGETLASTERROR g_pfnrtWSAGetLastError;
extern PFNRTWSASETLASTERROR g_pfnrtWSASetLastError;
#endif

RT_C_DECLS_END

#endif
