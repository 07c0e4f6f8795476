/*
 * The stream record and the few native operations the portable stream code
 * needs from its platform: the standard handles and the console test, open,
 * write and close of a native file, the per-stream lock and the one-time
 * set-up of the list of opened streams.
 */
#ifndef TULO_R3_INTERNAL_STREAM_H
#define TULO_R3_INTERNAL_STREAM_H

#include <tulo/stream.h>
#include <tulo/file.h>
#include <tulo/list.h>
#ifdef _WIN32
# include <tulo/critsect.h>
#else
# include <pthread.h>
#endif

#define RTSTREAM_MAGIC      UINT32_C(0xe44e44ee)
#define RTSTREAM_MAGIC_DEAD UINT32_C(0x1bb1bb11)

/** Buffer direction. */
#define RTSTREAMBUFDIR_NONE  0
#define RTSTREAMBUFDIR_WRITE 2

/** Buffer styles (what RTSTRMBUFMODE selects). */
#define RTSTREAMBUFSTYLE_UNBUFFERED 0
#define RTSTREAMBUFSTYLE_LINE       1
#define RTSTREAMBUFSTYLE_FULL       2

/** The lock of one stream: a critical section where the platform has them. */
#ifdef _WIN32
typedef RTCRITSECT RTSTRMLOCK;
#else
typedef struct RTSTRMLOCK
{
    pthread_mutex_t Mutex;
} RTSTRMLOCK;
#endif

struct RTSTREAM
{
    uint32_t volatile       u32Magic;
    /** The first write error; once negative, nothing more is written. */
    int32_t volatile        i32Error;
    /** 0, 1, 2 for the standard streams, -1 for a stream opened by name. */
    int32_t                 iStream;
    /** NIL_RTFILE until known; standard streams obtain it on first write. */
    RTFILE                  hFile;
    char                   *pchBuf;
    uint32_t                cbBufAlloc;
    /** Start of what is buffered and not yet written out. */
    uint32_t                offBufFirst;
    uint32_t                offBufEnd;
    uint32_t                enmBufDir;
    uint32_t                enmBufStyle;
    /** Convert UTF-8 text to the current code page before writing. */
    bool                    fCurrentCodeSet;
    /** No line-end translation and no code-page conversion. */
    bool                    fBinary;
    /** The handle is an interactive console, whose own code page applies. */
    bool                    fConsole;
    RTSTRMLOCK * volatile   pCritSect;
    RTLISTNODE              ListEntry;
};

/** The static standard streams (what g_pStdErr and g_pStdOut start out as). */
extern RTSTREAM g_rtStrmStdIn;
extern RTSTREAM g_rtStrmStdOut;
extern RTSTREAM g_rtStrmStdErr;

/** Writes out and frees every stream's buffer and closes the streams opened
 * by name; runs at process exit. Calling it again does no harm. */
void rtStrmTerm(void);

/** Translates a mode string into file layer open flags and the binary flag;
 * VERR_INVALID_FLAGS for a malformed mode. */
int rtStrmParseMode(const char *pszMode, uint64_t *pfOpen, bool *pfBinary);

/*
 * Native operations, one set per platform.
 */
/** The native handle of standard stream iStream (0..2) and whether it is an
 * interactive console; VERR_INVALID_HANDLE when the process has none. */
int  rtStrmNativeStdHandle(int32_t iStream, RTFILE *phFile, bool *pfConsole);
int  rtStrmNativeOpen(const char *pszFilename, uint64_t fOpen, RTFILE *phFile);
/** UTF-8 text converted for the console (freed with RTStrRelease). A
 * console shows its bytes in its own code page, which need not be the
 * process's: Windows consoles default to the OEM one. */
int  rtStrmNativeToConsoleCodePage(char **ppszDst, const char *pszSrc);
/** Writes at most cb bytes and tells how many were taken. */
int  rtStrmNativeWrite(RTFILE hFile, const void *pv, size_t cb, size_t *pcbWritten);
void rtStrmNativeClose(RTFILE hFile);
/** A new lock, or an error status (the stream then runs without one). */
int  rtStrmNativeLockCreate(RTSTRMLOCK **ppLock);
void rtStrmNativeLockDestroy(RTSTRMLOCK *pLock);
void rtStrmNativeLockEnter(RTSTRMLOCK *pLock);
void rtStrmNativeLockLeave(RTSTRMLOCK *pLock);
/** Runs pfnInit once (until reset) and hands every caller its status. */
int  rtStrmNativeOnce(int (*pfnInit)(void *pvUser));
void rtStrmNativeOnceReset(void);

#endif
