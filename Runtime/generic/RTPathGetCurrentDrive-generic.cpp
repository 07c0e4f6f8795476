/*
 * The current drive or share, cut out of the current directory: "C:" for a
 * drive, "\\server\share" (or "\\server") for a UNC path.
 */
#include <tulo/pathspecial.h>
#include <tulo/err.h>
#include <tulo/mem.h>

#include <string.h>

namespace {

inline bool rtPathDriveIsSep(char ch)
{
    return ch == '\\' || ch == '/';
}

/** Length of the drive or share prefix of pszCwd, 0 when it has none. */
size_t rtPathCurrentDriveLength(const char *pszCwd)
{
    if (pszCwd[0] && pszCwd[1] == ':')
        return 2;
    if (   rtPathDriveIsSep(pszCwd[0])
        && rtPathDriveIsSep(pszCwd[1])
        && pszCwd[2] != '\0'
        && !rtPathDriveIsSep(pszCwd[2]))
    {
        size_t off = 2;
        while (pszCwd[off] && !rtPathDriveIsSep(pszCwd[off]))
            off++;
        size_t const cchServer = off;
        while (rtPathDriveIsSep(pszCwd[off]))
            off++;
        if (!pszCwd[off])
            return cchServer;
        while (pszCwd[off] && !rtPathDriveIsSep(pszCwd[off]))
            off++;
        return off;
    }
    return 0;
}

} /* namespace */

int RTPathGetCurrentDrive(char *pszPath, size_t cbPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;

    /* A current directory too long for the caller may still have a short drive. */
    char *pszTmp = nullptr;
    char *pszCwd = pszPath;
    int rc = RTPathGetCurrent(pszPath, cbPath);
    if (rc == VERR_BUFFER_OVERFLOW)
    {
        size_t const cbTmp = 65536;
        pszTmp = (char *)RTMemAlloc(cbTmp);
        if (!pszTmp)
            return VERR_NO_TMP_MEMORY;
        pszCwd = pszTmp;
        rc = RTPathGetCurrent(pszTmp, cbTmp);
    }
    if (RT_SUCCESS(rc))
    {
        size_t const cch = rtPathCurrentDriveLength(pszCwd);
        if (!cch)
            rc = VERR_INTERNAL_ERROR_4;
        else if (pszTmp)
        {
            if (cch < cbPath)
            {
                memcpy(pszPath, pszTmp, cch);
                pszPath[cch] = '\0';
            }
            else
                rc = VERR_BUFFER_OVERFLOW;
        }
        else
            pszPath[cch] = '\0';
    }
    RTMemFree(pszTmp);
    return rc;
}
