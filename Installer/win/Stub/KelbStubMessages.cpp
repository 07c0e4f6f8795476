/*
 * User messages: a message box when a person runs the launcher, console lines
 * when a script runs it with --silent, and the console-only error lines.
 */
#include "KelbStub.h"

#include <tulo/format.h>
#include <tulo/message.h>
#include <tulo/stream.h>
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#ifdef _WIN32
# include "KelbStubLazy.h"
#endif

/** Message box styles: the error and the information icon, OK button only. */
#define STUB_MB_ICONERROR       0x10u
#define STUB_MB_ICONINFORMATION 0x40u

bool     g_fSilent    = false;
uint32_t g_cVerbosity = 0;

#ifdef _WIN32
static_assert(STUB_MB_ICONERROR == MB_ICONERROR && STUB_MB_ICONINFORMATION == MB_ICONINFORMATION,
              "message box styles");

/* user32 is bound here, at the first box, so runs without one never load it. */
static void stubMessageBox(const char *pszText, unsigned fStyle)
{
    HWND const hwndOwner = STUB_LAZY(User32, GetDesktopWindow)();
    PRTUTF16 pwszText = nullptr;
    if (RT_SUCCESS(RTStrToUtf16(pszText, &pwszText)))
    {
        STUB_LAZY(User32, MessageBoxW)(hwndOwner, (LPCWSTR)pwszText, L"" KELB_PRODUCT_TITLE, fStyle);
        RTMemFree(pwszText);
    }
    else /* invalid UTF-8 (a path, say): the bytes as the 8-bit code page reads them */
        STUB_LAZY(User32, MessageBoxA)(hwndOwner, pszText, KELB_PRODUCT_TITLE, fStyle);
}
#else
static void stubMessageBox(const char *pszText, unsigned fStyle)
{
    StubHostMessageBox(pszText, KELB_PRODUCT_TITLE, fStyle);
}
#endif

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
        stubMessageBox(pszText, STUB_MB_ICONERROR);
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
        stubMessageBox(pszText, STUB_MB_ICONINFORMATION);
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

static ptrdiff_t stubConsoleErrorV(const char *pszFormat, va_list va)
{
    va_list vaCopy;
    va_copy(vaCopy, va);
    ptrdiff_t const cch = RTStrmPrintf(g_pStdErr, "error: %N\n", pszFormat, &vaCopy);
    va_end(vaCopy);
    return cch;
}

int StubConsoleError(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = stubConsoleErrorV(pszFormat, va);
    va_end(va);
    return (int)cch;
}

int StubConsoleErrorExit(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    stubConsoleErrorV(pszFormat, va);
    va_end(va);
    return 1;
}

int StubConsoleErrorRc(int rc, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    stubConsoleErrorV(pszFormat, va);
    va_end(va);
    return rc;
}
