/* The executable's own path: where it is, for the program name and the
 * directory beside it. */
#include <tulo/process.h>
#include <tulo/errconv.h>
#include <tulo/err.h>
#include <tulo/utf16.h>

#include <windows.h>

#include "internal-r3-win.h"

char   g_szExePath[RTPROC_EXE_PATH_SIZE];
size_t g_cchExePath;
size_t g_cchExeDir;
size_t g_offExeName;

uint32_t rtProcQueryExePathW(PCRTUTF16 *ppwszPath, size_t *pcwcPath)
{
    /* Start-up and runtime initialisation ask in turn, never at once. */
    static WCHAR s_wszPath[RTPROC_EXE_PATH_SIZE];
    DWORD const cwc = GetModuleFileNameW(nullptr, s_wszPath, RT_ELEMENTS(s_wszPath));
    if (!cwc)
        return GetLastError();
    /* A path that fills the buffer was cut short. */
    if (cwc >= RT_ELEMENTS(s_wszPath))
        return ERROR_INSUFFICIENT_BUFFER;
    *ppwszPath = (PCRTUTF16)s_wszPath;
    *pcwcPath = cwc;
    return ERROR_SUCCESS;
}

int rtProcInitExePath(char *pszPath, size_t cbPath)
{
    PCRTUTF16 pwszPath = nullptr;
    size_t cwcPath = 0;
    uint32_t const uErr = rtProcQueryExePathW(&pwszPath, &cwcPath);
    if (uErr != ERROR_SUCCESS)
        return uErr == ERROR_INSUFFICIENT_BUFFER ? VERR_BUFFER_OVERFLOW : RTErrConvertFromWin32(uErr);
    return RTUtf16ToUtf8Ex(pwszPath, cwcPath, &pszPath, cbPath, nullptr);
}
