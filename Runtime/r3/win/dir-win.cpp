/*
 * Directories on Windows: existence, creation with the not-content-indexed
 * attribute, unique creation from a template, removal.
 */
#include <tulo/dir.h>
#include <tulo/pathspecial.h>
#include <tulo/err.h>
#include <tulo/errconv.h>

#include "r3/win/internal-fs-win.h"

#include <string.h>

bool RTDirExists(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath) || !*pszPath)
        return false;
    RTFSOBJINFO ObjInfo;
    int const rc = RTPathQueryInfoEx(pszPath, &ObjInfo, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    return RT_SUCCESS(rc) && (ObjInfo.Attr.fMode & RTFS_TYPE_MASK) == RTFS_TYPE_DIRECTORY;
}

int RTDirCreate(const char *pszPath, RTFMODE fMode, uint32_t fCreate)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (fCreate & ~RTDIRCREATE_FLAGS_VALID_MASK)
        return VERR_INVALID_FLAGS;
    fMode = rtFsModeNormalize(fMode, pszPath, strlen(pszPath), RTFS_TYPE_DIRECTORY);
    if (!rtFsModeIsValid(fMode))
        return VERR_INVALID_FMODE;

    PRTUTF16 pwszPath = nullptr;
    int rc = rtPathWin32FromUtf8(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    /* The permission bits are not applied: the directory inherits its parent's security. */
    if (RTWINSYS(CreateDirectoryW)(pwszPath, nullptr))
    {
        if (   !(fCreate & RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_DONT_SET)
            && !RTWINSYS(SetFileAttributesW)(pwszPath, FILE_ATTRIBUTE_NOT_CONTENT_INDEXED))
        {
            rc = RTErrConvertFromWin32(GetLastError());
            if (fCreate & RTDIRCREATE_FLAGS_NOT_CONTENT_INDEXED_NOT_CRITICAL)
                rc = VINF_SUCCESS;
        }
    }
    else
        rc = RTErrConvertFromWin32(GetLastError());
    rtPathWin32Free(pwszPath);
    return rc;
}

int RTDirCreateTemp(char *pszTemplate, RTFMODE fMode)
{
    if (!RT_VALID_PTR(pszTemplate))
        return VERR_INVALID_POINTER;
    size_t offRun = 0;
    size_t cchRun = 0;
    int rc = rtFsUniqueTemplateLocate(pszTemplate, &offRun, &cchRun);
    if (RT_SUCCESS(rc))
    {
        for (unsigned iTry = 0; iTry < 10000; iTry++)
        {
            rtFsUniqueTemplateFill(pszTemplate, offRun, cchRun);
            rc = RTDirCreate(pszTemplate, fMode, 0);
            if (RT_SUCCESS(rc))
                return rc;
            /* Only a name clash is worth another name. */
            if (rc != VERR_ALREADY_EXISTS)
                break;
        }
    }
    *pszTemplate = '\0';
    return rc;
}

int RTDirRemove(const char *pszPath)
{
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    PRTUTF16 pwszPath = nullptr;
    int rc = rtPathWin32FromUtf8(&pwszPath, pszPath);
    if (RT_FAILURE(rc))
        return rc;
    if (!RTWINSYS(RemoveDirectoryW)(pwszPath))
        rc = RTErrConvertFromWin32(GetLastError());
    rtPathWin32Free(pwszPath);
    return rc;
}
