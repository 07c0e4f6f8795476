/* The executable's own path: where it is, for the program name and the
 * directory beside it. */
#include <tulo/process.h>
#include <tulo/errconv.h>
#include <tulo/err.h>
#include <tulo/utf16.h>

#include <windows.h>

char   g_szExePath[RTPROC_EXE_PATH_SIZE];
size_t g_cchExePath;
size_t g_cchExeDir;
size_t g_offExeName;

int rtProcInitExePath(char *pszPath, size_t cbPath)
{
    static WCHAR s_wszPath[RTPROC_EXE_PATH_SIZE];
    DWORD const cwc = GetModuleFileNameW(nullptr, s_wszPath, RT_ELEMENTS(s_wszPath));
    if (!cwc || cwc >= RT_ELEMENTS(s_wszPath))
        return cwc ? VERR_BUFFER_OVERFLOW : RTErrConvertFromWin32(GetLastError());
    return RTUtf16ToUtf8Ex(s_wszPath, cwc, &pszPath, cbPath, nullptr);
}
