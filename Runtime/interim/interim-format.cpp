/*
 * Interim stream output: RTPrintf and the stream printer of the interim tool
 * messages, the format engine writing to the C library's stdio until the
 * runtime's own standard streams land.
 */
#include <tulo/format.h>
#include <tulo/message.h>

#include <stdio.h>

#include "interim.h"

namespace {

size_t rtInterimFileOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    if (!cbChars)
        return 0;   /* end call: nothing to terminate in a stream */
    return fwrite(pachChars, 1, cbChars, (FILE *)pvArg);
}

} /* namespace */

ptrdiff_t rtInterimStreamPrintfV(FILE *pFile, const char *pszFormat, va_list va)
{
    size_t const cch = RTFmtV(rtInterimFileOutput, pFile, nullptr, nullptr, pszFormat, va);
    fflush(pFile);
    return (ptrdiff_t)cch;
}

ptrdiff_t RTPrintf(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = rtInterimStreamPrintfV(stdout, pszFormat, va);
    va_end(va);
    return cch;
}
