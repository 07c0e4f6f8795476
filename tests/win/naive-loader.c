/* Loads USER32.DLL by bare name from its own directory first, as a careless
 * program would: proves that the planted library is picked up when a
 * program does not insist on the system directory. */
#include <windows.h>

int main(void)
{
    return LoadLibraryW(L"USER32.DLL") ? 0 : 1;
}
