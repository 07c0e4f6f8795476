/*
 * The current directory on a Unix host. There are no drives: the current
 * "drive" is the root, and the current directory of a drive is its root.
 */
#include <tulo/path.h>
#include <tulo/err.h>

#include <errno.h>
#include <unistd.h>

static int rtPathConvertErrno(int iErr)
{
    switch (iErr)
    {
        case ERANGE:        return VERR_BUFFER_OVERFLOW;
        case ENAMETOOLONG:  return VERR_FILENAME_TOO_LONG;
        case ENOENT:        return VERR_PATH_NOT_FOUND;     /* the directory was removed */
        case EACCES:        return VERR_ACCESS_DENIED;
        case ENOMEM:        return VERR_NO_MEMORY;
        default:            return VERR_UNRESOLVED_ERROR;
    }
}

int RTPathGetCurrent(char *pszPath, size_t cchPath)
{
    if (!cchPath)
        return VERR_BUFFER_OVERFLOW;
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (getcwd(pszPath, cchPath))
        return VINF_SUCCESS;
    int const rc = rtPathConvertErrno(errno);
    pszPath[0] = '\0';
    return rc;
}

int RTPathGetCurrentOnDrive(char chDrive, char *pszPath, size_t cbPath)
{
    if (!cbPath)
        return VERR_BUFFER_OVERFLOW;
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (!((chDrive >= 'A' && chDrive <= 'Z') || (chDrive >= 'a' && chDrive <= 'z')))
        return VERR_INVALID_PARAMETER;
    if (cbPath < 4)
        return VERR_BUFFER_OVERFLOW;
    pszPath[0] = chDrive;
    pszPath[1] = ':';
    pszPath[2] = '\\';
    pszPath[3] = '\0';
    return VINF_SUCCESS;
}

int RTPathGetCurrentDrive(char *pszPath, size_t cbPath)
{
    if (!cbPath)
        return VERR_BUFFER_OVERFLOW;
    if (!RT_VALID_PTR(pszPath))
        return VERR_INVALID_POINTER;
    if (cbPath < 2)
        return VERR_BUFFER_OVERFLOW;
    pszPath[0] = '/';
    pszPath[1] = '\0';
    return VINF_SUCCESS;
}
