/*
 * A USER32.DLL of our own, planted beside the launcher: the moment a process
 * loads it, it ends that process with a marker exit code. A launcher that
 * loads its libraries by bare name would pick it up.
 */
#include <windows.h>

#define PLANTED_MARKER_EXIT 0x0badd11u

BOOL WINAPI DllMain(HINSTANCE hInst, DWORD dwReason, LPVOID pvReserved)
{
    (void)hInst;
    (void)pvReserved;
    if (dwReason == DLL_PROCESS_ATTACH)
        ExitProcess(PLANTED_MARKER_EXIT);
    return TRUE;
}
