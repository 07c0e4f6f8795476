/*
 * Process-wide state of the Windows platform layer that runtime
 * initialisation sets up and other modules read.
 */
#ifndef TULO_INTERNAL_R3_WIN_H
#define TULO_INTERNAL_R3_WIN_H

#include <tulo/cdefs.h>
#include <tulo/types.h>
#include "../winosver.h"

#include <windows.h>

/** kernel32.dll and ntdll.dll; NULL until runtime initialisation found them. */
extern HMODULE              g_hModKernel32;
extern HMODULE              g_hModNtDll;
/** The platform version as reported, and its classification. */
extern RTL_OSVERSIONINFOEXW g_WinOsInfoEx;
extern RTWINOSTYPE          g_enmWinVer;

/** Optional entry points, NULL where the platform lacks them. */
extern decltype(&IsDebuggerPresent)                 g_pfnIsDebuggerPresent;
extern decltype(&IsProcessorFeaturePresent)         g_pfnIsProcessorFeaturePresent;
extern decltype(&GetCurrentThreadStackLimits)       g_pfnGetCurrentThreadStackLimits;
extern decltype(&SetUnhandledExceptionFilter)       g_pfnSetUnhandledExceptionFilter;
extern decltype(&UnhandledExceptionFilter)          g_pfnUnhandledExceptionFilter;
/** The socket library; true when only wsock32.dll could be loaded. */
extern HMODULE              g_hModWinSock;
extern bool                 g_fOldWinSock;

/** The executable's path as the system reports it, in a static buffer:
 * ERROR_SUCCESS with the path and its length in units, or the platform's
 * error (ERROR_INSUFFICIENT_BUFFER when the path did not fit). */
uint32_t rtProcQueryExePathW(PCRTUTF16 *ppwszPath, size_t *pcwcPath);

/** The process identifier. */
uint32_t rtR3InitNativeProcessId(void);

/** An export of hMod as the caller's function pointer type (from the
 * platform headers, so that the calling convention is right on x86). */
template<typename T> static inline T rtR3WinGetProc(HMODULE hMod, const char *pszName)
{
    return hMod ? (T)(void *)GetProcAddress(hMod, pszName) : nullptr;
}

/** The runtime's unhandled-exception filter (for checking what is installed). */
LPTOP_LEVEL_EXCEPTION_FILTER rtR3WinGetOwnUnhandledXcptFilter(void);

/** Native stages of runtime initialisation (init-win.cpp). */
int  rtR3InitNativeFirst(uint32_t fFlags);
int  rtR3InitNativeObtrusive(uint32_t fFlags);
int  rtR3InitNativeFinal(uint32_t fFlags);

#endif
