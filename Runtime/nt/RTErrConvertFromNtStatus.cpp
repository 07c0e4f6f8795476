/*
 * NT status values to status codes, for the results of the native API.
 * Anything unlisted is VERR_UNRESOLVED_ERROR and is reported to the release
 * log, since it means a platform result the runtime has never met.
 */
#include <tulo/errconv.h>
#include <tulo/err.h>

#include "common/status/errconv-internal.h"

int RTErrConvertFromNtStatus(int32_t rcNt)
{
    switch ((uint32_t)rcNt)
    {
        case 0:
            return VINF_SUCCESS;
        case UINT32_C(0xc0):
        case UINT32_C(0x101):
            return VERR_INTERRUPTED;
        case UINT32_C(0x80000002):
        case UINT32_C(0xc0000005):
            return VERR_INVALID_POINTER;
        case UINT32_C(0x80000006):
        case UINT32_C(0x8000001a):
            return VERR_NO_MORE_FILES;
        case UINT32_C(0xc0000003):
            return VERR_NOT_IMPLEMENTED;
        case UINT32_C(0xc0000008):
            return VERR_INVALID_HANDLE;
        case UINT32_C(0xc000000d):
        case UINT32_C(0xc00000ef):
        case UINT32_C(0xc00000f0):
        case UINT32_C(0xc00000f1):
        case UINT32_C(0xc00000f2):
        case UINT32_C(0xc00000f3):
        case UINT32_C(0xc00000f4):
        case UINT32_C(0xc00000f5):
        case UINT32_C(0xc00000f6):
        case UINT32_C(0xc00000f7):
        case UINT32_C(0xc00000f8):
        case UINT32_C(0xc00000f9):
        case UINT32_C(0xc00000fa):
            return VERR_INVALID_PARAMETER;
        case UINT32_C(0xc000000e):
        case UINT32_C(0xc000000f):
        case UINT32_C(0xc0000034):
            return VERR_FILE_NOT_FOUND;
        case UINT32_C(0xc0000010):
            return VERR_IO_BAD_COMMAND;
        case UINT32_C(0xc0000013):
            return VERR_MEDIA_NOT_PRESENT;
        case UINT32_C(0xc0000017):
            return VERR_NO_MEMORY;
        case UINT32_C(0xc0000022):
            return VERR_ACCESS_DENIED;
        case UINT32_C(0xc0000024):
            return VERR_WRONG_TYPE;
        case UINT32_C(0xc0000033):
        case UINT32_C(0xc0000039):
        case UINT32_C(0xc000003b):
            return VERR_INVALID_NAME;
        case UINT32_C(0xc000003a):
            return VERR_PATH_NOT_FOUND;
        case UINT32_C(0xc0000043):
            return VERR_SHARING_VIOLATION;
        case UINT32_C(0xc000006d):
            return VERR_AUTHENTICATION_FAILURE;
        case UINT32_C(0xc00000ba):
            return VERR_IS_A_DIRECTORY;
        case UINT32_C(0xc00000be):
            return VERR_NET_PATH_NOT_FOUND;
        case UINT32_C(0xc00000c4):
            return VERR_NET_IO_ERROR;
        case UINT32_C(0xc0000101):
            return VERR_DIR_NOT_EMPTY;
        case UINT32_C(0xc0000103):
            return VERR_NOT_A_DIRECTORY;
        case UINT32_C(0xc0000190):
            return VERR_TRUST_FAILURE;
        case UINT32_C(0xc0000280):
            return VERR_TOO_MANY_SYMLINKS;
        case UINT32_C(0xc0000428):
            return VERR_INVALID_IMAGE_HASH;
        default:
            rtErrConvertLogUnhandledNtStatus(rcNt);
            return VERR_UNRESOLVED_ERROR;
    }
}
