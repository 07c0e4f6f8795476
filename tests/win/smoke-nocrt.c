/*
 * Smallest program of the launcher's kind: no C runtime, its own entry point,
 * kernel32 only. It ends with an exit code above 255, which the test checks
 * exactly to prove that the whole code reaches the test.
 */
#include <windows.h>

#define SMOKE_EXIT_CODE 0x12345u

void __stdcall smokeEntry(void)
{
    /* Touch the process heap so that the import table is really used. */
    HANDLE hHeap = GetProcessHeap();
    void *pv = HeapAlloc(hHeap, 0, 64);
    UINT uExit = pv ? SMOKE_EXIT_CODE : 1u;
    if (pv)
        HeapFree(hHeap, 0, pv);
    ExitProcess(uExit);
}
