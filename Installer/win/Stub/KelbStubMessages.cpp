/*
 * User messages: a message box when a person runs the launcher, console lines
 * when a script runs it with --silent.
 */
#include "KelbStub.h"

#include <tulo/format.h>
#include <tulo/message.h>
#include <tulo/string.h>

#include "../../../Runtime/interim/interim.h"

bool     g_fSilent    = false;
uint32_t g_cVerbosity = 0;

static int stubShowErrorV(const char *pszFormat, va_list va)
{
    char *pszText = nullptr;
    ptrdiff_t const cch = RTFmtAllocTagV(&pszText, pszFormat, va, "KelbStub");
    if (cch <= 0)
    {
        RTStrRelease(pszText);
        return 1;
    }
    if (g_fSilent)
        RTMsgError("%s", pszText);
    else
        rtInterimMessageBox(pszText, KELB_PRODUCT_TITLE, RTINTERIM_MB_ICONERROR);
    RTStrRelease(pszText);
    return 1;
}

int StubShowError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    int const rcExit = stubShowErrorV(pszFormat, va);
    va_end(va);
    return rcExit;
}

void StubShowInfo(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    char *pszText = nullptr;
    ptrdiff_t const cch = RTFmtAllocTagV(&pszText, pszFormat, va, "KelbStub");
    va_end(va);
    if (cch < 0)
        return;
    if (g_fSilent)
        RTPrintf("%s\n", pszText);
    else
        rtInterimMessageBox(pszText, KELB_PRODUCT_TITLE, RTINTERIM_MB_ICONINFORMATION);
    RTStrRelease(pszText);
}

int StubShowSyntaxError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    StubShowError("%N", pszFormat, &va);
    va_end(va);
    return 2;
}
