/* The parts of the executable's path: its length, its directory and its name. */
#include <tulo/process.h>

void rtProcParseExePath(void)
{
    size_t cch = 0;
    while (cch < sizeof(g_szExePath) - 1 && g_szExePath[cch])
        cch++;
    g_cchExePath = cch;

    size_t offName = cch;
    while (offName > 0 && g_szExePath[offName - 1] != '\\' && g_szExePath[offName - 1] != '/'
           && g_szExePath[offName - 1] != ':')
        offName--;
    g_offExeName = offName;

    /* Drop the separators before the name, but keep the one of a root ("C:\"). */
    size_t cchDir = offName;
    while (   cchDir >= 2
           && (g_szExePath[cchDir - 1] == '\\' || g_szExePath[cchDir - 1] == '/')
           && g_szExePath[cchDir - 2] != ':')
        cchDir--;
    g_cchExeDir = cchDir;
}
