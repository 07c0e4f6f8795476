/*
 * Native (object manager) path forms and the native open every native file
 * and directory operation goes through.
 */
#ifndef TULO_R3_NT_INTERNAL_R3_NT_H
#define TULO_R3_NT_INTERNAL_R3_NT_H

#include <tulo/cdefs.h>
#include <tulo/types.h>

#include "r3/win/syscall-win.h"

/** Longest native name in UTF-16 units. */
#define RTNT_PATH_MAX_UNITS 32766

/** The native name of the UTF-8 path pszPath: absolute, with the \??\ (or,
 * before major version 4, \DosDevices\) prefix; free with RTNtPathFree. The
 * root handle is always NULL. */
int  RTNtPathFromWinUtf8(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszPath);
/** As RTNtPathFromWinUtf8 for the given major version of the system. */
int  rtNtPathFromWinUtf8Ex(PUNICODE_STRING pNtName, PHANDLE phRootDir, const char *pszPath, uint32_t uOsMajor);
void RTNtPathFree(PUNICODE_STRING pNtName, PHANDLE phRootDir);

/** True when pszPath carries a native name behind the \\:tulont:\ marker. */
bool rtNtPathIsRawMarker(const char *pszPath);

/** Opens pszPath natively (open-existing). pfObjDir (optional) is honoured
 * only for raw native names: the open may then fall back to an object
 * manager directory, which sets *pfObjDir. */
int  RTNtPathOpen(const char *pszPath, ACCESS_MASK fDesiredAccess, ULONG fShareAccess, ULONG fCreateOptions,
                  ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir);
int  rtNtPathOpenByName(HANDLE hRootDir, PUNICODE_STRING pNtName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                        ULONG fCreateOptions, ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir);
/** As rtNtPathOpenByName, also returning the native status of the last open. */
int  rtNtPathOpenByNameEx(HANDLE hRootDir, PUNICODE_STRING pNtName, ACCESS_MASK fDesiredAccess, ULONG fShareAccess,
                          ULONG fCreateOptions, ULONG fObjAttribs, PHANDLE phHandle, bool *pfObjDir, NTSTATUS *prcNt);
int  RTNtPathClose(HANDLE hHandle);

#endif
