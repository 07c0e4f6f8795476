/*
 * Windows pieces of the assertion reports: the raw standard error write,
 * the environment lookup, and the Win32 and socket error state that a report
 * must leave as it found it.
 */
#include <tulo/env.h>

#include <windows.h>

#include "common/misc/assert-internal.h"

PFNRTWSAGETLASTERROR g_pfnrtWSAGetLastError;
PFNRTWSASETLASTERROR g_pfnrtWSASetLastError;

void rtLastErrorsSave(RTLASTERRORS *pRec)
{
    pRec->u32Magic = RTLASTERRORS_MAGIC;
    /* First: the socket query may itself set the Win32 error. */
    pRec->uOsError = GetLastError();
    PFNRTWSAGETLASTERROR const pfnGet = g_pfnrtWSAGetLastError;
    pRec->iSocketError = pfnGet ? pfnGet() : RTLASTERRORS_NO_SOCKET;
}

void rtLastErrorsRestore(const RTLASTERRORS *pRec)
{
    if (pRec->u32Magic != RTLASTERRORS_MAGIC)
        return;
    PFNRTWSASETLASTERROR const pfnSet = g_pfnrtWSASetLastError;
    if (pRec->iSocketError != RTLASTERRORS_NO_SOCKET && pfnSet)
        pfnSet(pRec->iSocketError);
    SetLastError(pRec->uOsError);
}

void rtAssertWriteStdErr(const char *pch, size_t cch)
{
    /* Straight to the handle: the stream layer may be what failed. */
    HANDLE const hStdErr = GetStdHandle(STD_ERROR_HANDLE);
    if (!hStdErr || hStdErr == INVALID_HANDLE_VALUE || !cch)
        return;
    DWORD cbWritten = 0;
    WriteFile(hStdErr, pch, (DWORD)cch, &cbWritten, nullptr);
}

const char *rtAssertQueryEnv(const char *pszVar)
{
    return RTEnvGet(pszVar);
}
