/*
 * POSIX pieces of the assertion reports, so that the portable core runs in
 * the host build: errno stands for the platform error, and there is no
 * socket error of its own.
 */
#include <errno.h>
#include <stdlib.h>
#include <unistd.h>

#include "common/misc/assert-internal.h"

void rtLastErrorsSave(RTLASTERRORS *pRec)
{
    pRec->u32Magic     = RTLASTERRORS_MAGIC;
    pRec->uOsError     = (uint32_t)errno;
    pRec->iSocketError = RTLASTERRORS_NO_SOCKET;
}

void rtLastErrorsRestore(const RTLASTERRORS *pRec)
{
    if (pRec->u32Magic == RTLASTERRORS_MAGIC)
        errno = (int)pRec->uOsError;
}

void rtAssertWriteStdErr(const char *pch, size_t cch)
{
    if (cch && write(STDERR_FILENO, pch, cch) < 0)
    {
        /* Nowhere left to report to. */
    }
}

const char *rtAssertQueryEnv(const char *pszVar)
{
    return getenv(pszVar);
}
