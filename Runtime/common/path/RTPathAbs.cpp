/*
 * RTPathAbs: the absolute form of a path against the current directory.
 */
#include <tulo/path.h>

int RTPathAbs(const char *pszPath, char *pszAbsPath, size_t cbAbsPath)
{
    size_t cb = cbAbsPath;
    return RTPathAbsEx(NULL, pszPath, RTPATH_STR_F_STYLE_HOST, pszAbsPath, &cb);
}
