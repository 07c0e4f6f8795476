/*
 * A program of the launcher's kind, linked without the C runtime, that shows
 * what process entry did: its arguments, its static constructor, and its exit
 * callbacks (which print when they run). The first argument selects a check:
 *
 *   args ...      print each argument in brackets on standard output
 *   atexit        register 8193 callbacks; the last registration must fail;
 *                 the first three print "3", "2", "1" in that order at exit
 *   exit <n>      return n from main
 * With KELB_TEST_INIT_FAIL set in the environment a result-returning
 * initialiser fails with 5 before main runs.
 */
#include <windows.h>

#include "r3/win/nocrt-internal.h"

extern "C" int atexit(void (*pfn)(void));

static int g_iConstructed;

struct STATICOBJ
{
    STATICOBJ() { g_iConstructed = 42; }
};
static STATICOBJ g_StaticObj;

static int testInitFail(void)
{
    char szBuf[8];
    return GetEnvironmentVariableA("KELB_TEST_INIT_FAIL", szBuf, sizeof(szBuf)) ? 5 : 0;
}
__attribute__((section(".CRT$XIU"), used)) static int (* const g_pfnTestInit)(void) = testInitFail;

static void out(const char *psz)
{
    DWORD cb;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), psz, lstrlenA(psz), &cb, nullptr);
}

static void cb1(void) { out("1\n"); }
static void cb2(void) { out("2\n"); }
static void cb3(void) { out("3\n"); }
static void cbNop(void) { }

static bool strEq(const char *psz1, const char *psz2)
{
    return lstrcmpA(psz1, psz2) == 0;
}

int main(int argc, char **argv)
{
    if (g_iConstructed != 42)
    {
        out("static constructor did not run\n");
        return 10;
    }
    if (argc >= 2 && strEq(argv[1], "args"))
    {
        for (int i = 2; i < argc; i++)
        {
            out("[");
            out(argv[i]);
            out("]\n");
        }
        return argc;
    }
    if (argc == 2 && strEq(argv[1], "atexit"))
    {
        if (atexit(cb1) || atexit(cb2) || atexit(cb3))
            return 11;
        for (int i = 3; i < 8192; i++)
            if (atexit(cbNop) != 0)
                return 12;
        if (atexit(cbNop) != -1)
            return 13;
        return 0;
    }
    if (argc == 3 && strEq(argv[1], "exit"))
    {
        int rc = 0;
        for (const char *psz = argv[2]; *psz >= '0' && *psz <= '9'; psz++)
            rc = rc * 10 + (*psz - '0');
        return rc;
    }
    out("usage: nocrt-startup args|atexit|exit <n>\n");
    return 2;
}
