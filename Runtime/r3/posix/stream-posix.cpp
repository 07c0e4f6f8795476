/*
 * The native side of the streams on a Unix host: file descriptors, POSIX
 * mutexes as stream locks and a mutex-guarded one-time set-up.
 *
 * The standard streams count as consoles whatever their descriptors are:
 * output captured through a redirected descriptor is read back while the
 * program still runs (test programs do exactly that), and full buffering
 * would keep it until exit.
 */
#include "r3/internal-stream.h"

#include <tulo/string.h>

#include <tulo/err.h>
#include <tulo/mem.h>

#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

int rtStrmErrnoToStatus(int iErr, int rcDefault)
{
    switch (iErr)
    {
        case EEXIST:  return VERR_ALREADY_EXISTS;
        case ENOENT:  return VERR_FILE_NOT_FOUND;
        case ENOTDIR: return VERR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:   return VERR_ACCESS_DENIED;
        case EISDIR:  return VERR_IS_A_DIRECTORY;
        case ENOSPC:  return VERR_DISK_FULL;
        case EBADF:   return VERR_INVALID_HANDLE;
        case ENOMEM:  return VERR_NO_MEMORY;
        default:      return rcDefault;
    }
}

} /* namespace */

int rtStrmNativeStdHandle(int32_t iStream, RTFILE *phFile, bool *pfConsole)
{
    if (iStream < 0 || iStream > 2 || fcntl(iStream, F_GETFD) == -1)
        return VERR_INVALID_HANDLE;
    *phFile = (RTFILE)iStream;
    *pfConsole = true;
    return VINF_SUCCESS;
}

/* Terminals here take the same text as everything else. */
int rtStrmNativeToConsoleCodePage(char **ppszDst, const char *pszSrc)
{
    return RTStrToCurrentCodePage(ppszDst, pszSrc);
}

int rtStrmNativeOpen(const char *pszFilename, uint64_t fOpen, RTFILE *phFile)
{
    int fFlags;
    switch (fOpen & RTFILE_O_ACCESS_MASK)
    {
        case RTFILE_O_READ:      fFlags = O_RDONLY; break;
        case RTFILE_O_WRITE:     fFlags = O_WRONLY; break;
        case RTFILE_O_READWRITE: fFlags = O_RDWR; break;
        default:                 return VERR_INVALID_PARAMETER;
    }
    switch (fOpen & RTFILE_O_ACTION_MASK)
    {
        case RTFILE_O_OPEN:           break;
        case RTFILE_O_OPEN_CREATE:    fFlags |= O_CREAT; break;
        case RTFILE_O_CREATE:         fFlags |= O_CREAT | O_EXCL; break;
        case RTFILE_O_CREATE_REPLACE: fFlags |= O_CREAT | O_TRUNC; break;
        default:                      return VERR_INVALID_PARAMETER;
    }
    if (fOpen & RTFILE_O_APPEND)
        fFlags |= O_APPEND;
    if (!(fOpen & RTFILE_O_INHERIT))
        fFlags |= O_CLOEXEC;
    mode_t const fMode = (mode_t)((fOpen & RTFILE_O_CREATE_MODE_MASK) >> RTFILE_O_CREATE_MODE_SHIFT);

    int fd;
    do
        fd = open(pszFilename, fFlags, fMode);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return rtStrmErrnoToStatus(errno, VERR_OPEN_FAILED);
    *phFile = (RTFILE)fd;
    return VINF_SUCCESS;
}

int rtStrmNativeWrite(RTFILE hFile, const void *pv, size_t cb, size_t *pcbWritten)
{
    ssize_t cbWritten;
    do
        cbWritten = write((int)hFile, pv, cb);
    while (cbWritten < 0 && errno == EINTR);
    if (cbWritten < 0)
        return rtStrmErrnoToStatus(errno, VERR_WRITE_ERROR);
    *pcbWritten = (size_t)cbWritten;
    return VINF_SUCCESS;
}

void rtStrmNativeClose(RTFILE hFile)
{
    if (hFile != NIL_RTFILE)
        close((int)hFile);
}

int rtStrmNativeLockCreate(RTSTRMLOCK **ppLock)
{
    RTSTRMLOCK *pLock = (RTSTRMLOCK *)RTMemAlloc(sizeof(*pLock));
    if (!pLock)
        return VERR_NO_MEMORY;
    /* Recursive, as critical sections are. */
    pthread_mutexattr_t Attr;
    int rc = VERR_NO_MEMORY;
    if (pthread_mutexattr_init(&Attr) == 0)
    {
        if (   pthread_mutexattr_settype(&Attr, PTHREAD_MUTEX_RECURSIVE) == 0
            && pthread_mutex_init(&pLock->Mutex, &Attr) == 0)
            rc = VINF_SUCCESS;
        pthread_mutexattr_destroy(&Attr);
    }
    if (RT_FAILURE(rc))
    {
        RTMemFree(pLock);
        return rc;
    }
    *ppLock = pLock;
    return VINF_SUCCESS;
}

void rtStrmNativeLockDestroy(RTSTRMLOCK *pLock)
{
    pthread_mutex_destroy(&pLock->Mutex);
    RTMemFree(pLock);
}

void rtStrmNativeLockEnter(RTSTRMLOCK *pLock)
{
    pthread_mutex_lock(&pLock->Mutex);
}

void rtStrmNativeLockLeave(RTSTRMLOCK *pLock)
{
    pthread_mutex_unlock(&pLock->Mutex);
}

static pthread_mutex_t g_StrmOnceMutex = PTHREAD_MUTEX_INITIALIZER;
static bool            g_fStrmOnceDone;
static int             g_rcStrmOnce;

int rtStrmNativeOnce(int (*pfnInit)(void *pvUser))
{
    pthread_mutex_lock(&g_StrmOnceMutex);
    if (!g_fStrmOnceDone)
    {
        g_rcStrmOnce = pfnInit(nullptr);
        g_fStrmOnceDone = true;
    }
    int const rc = g_rcStrmOnce;
    pthread_mutex_unlock(&g_StrmOnceMutex);
    return rc;
}

void rtStrmNativeOnceReset(void)
{
    pthread_mutex_lock(&g_StrmOnceMutex);
    g_fStrmOnceDone = false;
    pthread_mutex_unlock(&g_StrmOnceMutex);
}

/* Fully buffered streams reach their files at exit. */
__attribute__((destructor)) static void rtStrmTermAtExit(void)
{
    rtStrmTerm();
}
