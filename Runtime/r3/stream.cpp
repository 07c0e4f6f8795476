/*
 * Buffered text output streams: the three standard streams and streams opened
 * by name, formatted printing, buffering styles, line-end translation,
 * code-page conversion and sticky write errors. Only the native handle, open,
 * write, close, lock and one-time set-up come from the platform.
 */
#include "internal-stream.h"

#include <tulo/err.h>
#include <tulo/format.h>
#include <tulo/mem.h>
#include <tulo/string.h>

#include <string.h>

#include "common/misc/atomic-internal.h"

/* Hosts other than Windows end lines with a bare line feed and take UTF-8 on
 * their consoles, so their standard streams start out binary there. */
#ifdef _WIN32
# define RTSTRM_STD_BINARY false
#else
# define RTSTRM_STD_BINARY true
#endif

#define RTSTRM_STD_INIT(a_iStream, a_enmStyle) \
    { RTSTREAM_MAGIC, 0, (a_iStream), NIL_RTFILE, nullptr, 0, 0, 0, RTSTREAMBUFDIR_NONE, (a_enmStyle), \
      true, RTSTRM_STD_BINARY, false, nullptr, { nullptr, nullptr } }

RTSTREAM g_rtStrmStdIn  = RTSTRM_STD_INIT(0, RTSTREAMBUFSTYLE_UNBUFFERED);
RTSTREAM g_rtStrmStdOut = RTSTRM_STD_INIT(1, RTSTREAMBUFSTYLE_LINE);
RTSTREAM g_rtStrmStdErr = RTSTRM_STD_INIT(2, RTSTREAMBUFSTYLE_UNBUFFERED);

PRTSTREAM g_pStdErr = &g_rtStrmStdErr;
PRTSTREAM g_pStdOut = &g_rtStrmStdOut;

/** Streams opened by name, so that termination can write them out and close
 * them; guarded by g_pStrmListLock. Both exist once g_fStrmListReady is set. */
static RTLISTANCHOR g_StrmList;
static RTSTRMLOCK  *g_pStrmListLock;
static bool volatile g_fStrmListReady;


/*
 * Mode strings.
 */

int rtStrmParseMode(const char *pszMode, uint64_t *pfOpen, bool *pfBinary)
{
    if (!RT_VALID_PTR(pszMode) || !*pszMode)
        return VERR_INVALID_FLAGS;

    char chAccess = '\0';
    bool fPlus = false;
    bool fExclusive = false;
    bool fBinary = false;
    bool fInherit = true;
    for (const char *pch = pszMode; *pch; pch++)
        switch (*pch)
        {
            case 'r': case 'w': case 'a': chAccess = *pch; break;
            case '+': fPlus = true; break;
            case 'x': fExclusive = true; break;
            case 'b': fBinary = true; break;
            case 't': fBinary = false; break;
            case 'N': case 'e': fInherit = false; break;
            case 'E': fInherit = true; break;
            default:
                return VERR_INVALID_FLAGS;
        }

    uint64_t fOpen;
    switch (chAccess)
    {
        case 'r': fOpen = RTFILE_O_OPEN | RTFILE_O_READ; break;
        case 'w':
            fOpen = fExclusive ? RTFILE_O_CREATE | RTFILE_O_READWRITE : RTFILE_O_CREATE_REPLACE | RTFILE_O_WRITE;
            break;
        case 'a': fOpen = RTFILE_O_OPEN_CREATE | RTFILE_O_WRITE | RTFILE_O_APPEND; break;
        default:
            return VERR_INVALID_FLAGS;
    }
    /* Exclusive creation means nothing for reading or appending. */
    if (fExclusive && chAccess != 'w')
        return VERR_INVALID_FLAGS;
    if (fPlus)
        fOpen |= RTFILE_O_READWRITE;
    if (fInherit)
        fOpen |= RTFILE_O_INHERIT;
    fOpen |= RTFILE_O_DENY_NONE | ((uint64_t)0666 << RTFILE_O_CREATE_MODE_SHIFT);

    *pfOpen = fOpen;
    *pfBinary = fBinary;
    return VINF_SUCCESS;
}


/*
 * Locks.
 */

/** Enters the stream's lock, creating it on first use; returns the lock to
 * leave, or NULL when none could be made (the write then runs unguarded). */
static RTSTRMLOCK *rtStrmLockEnter(PRTSTREAM pStream)
{
    RTSTRMLOCK *pLock = rtAtomicRead(&pStream->pCritSect);
    if (!pLock)
    {
        RTSTRMLOCK *pNew = nullptr;
        if (RT_SUCCESS(rtStrmNativeLockCreate(&pNew)))
        {
            if (rtAtomicCmpXchg(&pStream->pCritSect, pNew, (RTSTRMLOCK *)nullptr))
                pLock = pNew;
            else
            {
                /* Another thread published its lock first. */
                rtStrmNativeLockDestroy(pNew);
                pLock = rtAtomicRead(&pStream->pCritSect);
            }
        }
    }
    if (pLock)
        rtStrmNativeLockEnter(pLock);
    return pLock;
}

static void rtStrmLockLeave(RTSTRMLOCK *pLock)
{
    if (pLock)
        rtStrmNativeLockLeave(pLock);
}


/*
 * The buffer.
 */

/** Makes sure the stream has its native handle. A standard stream obtains it
 * on first need; when it is not a console the output is not interactive and
 * is fully buffered from then on. */
static int rtStrmEnsureHandle(PRTSTREAM pStream)
{
    if (pStream->hFile != NIL_RTFILE)
        return VINF_SUCCESS;
    if (pStream->iStream < 0 || pStream->iStream > 2)
        return VERR_INVALID_HANDLE;
    RTFILE hFile = NIL_RTFILE;
    bool fConsole = false;
    if (RT_FAILURE(rtStrmNativeStdHandle(pStream->iStream, &hFile, &fConsole)) || hFile == NIL_RTFILE)
        return VERR_INVALID_HANDLE;
    pStream->hFile = hFile;
    pStream->fConsole = fConsole;
    if (!fConsole)
        pStream->enmBufStyle = RTSTREAMBUFSTYLE_FULL;
    return VINF_SUCCESS;
}

static int rtStrmBufAlloc(PRTSTREAM pStream)
{
    uint32_t cb = pStream->enmBufStyle == RTSTREAMBUFSTYLE_FULL ? UINT32_C(0x10000) : UINT32_C(0x4000);
    for (;;)
    {
        char *pch = (char *)RTMemAlloc(cb);
        if (pch)
        {
            pStream->pchBuf = pch;
            pStream->cbBufAlloc = cb;
            return VINF_SUCCESS;
        }
        if (cb < 512)
            return VERR_NO_MEMORY;
        cb /= 2;
    }
}

/** Writes out cbToWrite bytes from the start of the pending data. A write
 * that takes nothing counts as a failure: retrying it would never end. */
static int rtStrmBufWritePart(PRTSTREAM pStream, uint32_t cbToWrite)
{
    if (!cbToWrite)
        return VINF_SUCCESS;
    int rc = rtStrmEnsureHandle(pStream);
    while (RT_SUCCESS(rc) && cbToWrite > 0)
    {
        size_t cbWritten = 0;
        rc = rtStrmNativeWrite(pStream->hFile, &pStream->pchBuf[pStream->offBufFirst], cbToWrite, &cbWritten);
        if (RT_SUCCESS(rc) && (cbWritten == 0 || cbWritten > cbToWrite))
            rc = VERR_WRITE_ERROR;
        if (RT_SUCCESS(rc))
        {
            pStream->offBufFirst += (uint32_t)cbWritten;
            cbToWrite -= (uint32_t)cbWritten;
        }
    }
    if (pStream->offBufFirst == pStream->offBufEnd)
        pStream->offBufFirst = pStream->offBufEnd = 0;
    return rc;
}

static int rtStrmBufFlush(PRTSTREAM pStream)
{
    return rtStrmBufWritePart(pStream, pStream->offBufEnd - pStream->offBufFirst);
}

/** Makes room at the end: what is still pending moves to the front, and a
 * buffer full of pending data is written out. */
static int rtStrmBufMakeRoom(PRTSTREAM pStream, uint32_t cbNeeded)
{
    if (pStream->cbBufAlloc - pStream->offBufEnd >= cbNeeded)
        return VINF_SUCCESS;
    if (pStream->offBufFirst > 0)
    {
        uint32_t const cbPending = pStream->offBufEnd - pStream->offBufFirst;
        memmove(pStream->pchBuf, &pStream->pchBuf[pStream->offBufFirst], cbPending);
        pStream->offBufFirst = 0;
        pStream->offBufEnd = cbPending;
        if (pStream->cbBufAlloc - pStream->offBufEnd >= cbNeeded)
            return VINF_SUCCESS;
    }
    return rtStrmBufFlush(pStream);
}

static int rtStrmBufAppend(PRTSTREAM pStream, const char *pch, size_t cb)
{
    while (cb > 0)
    {
        int rc = rtStrmBufMakeRoom(pStream, 1);
        if (RT_FAILURE(rc))
            return rc;
        uint32_t const cbFree = pStream->cbBufAlloc - pStream->offBufEnd;
        uint32_t const cbThis = cb < cbFree ? (uint32_t)cb : cbFree;
        memcpy(&pStream->pchBuf[pStream->offBufEnd], pch, cbThis);
        pStream->offBufEnd += cbThis;
        pch += cbThis;
        cb -= cbThis;
    }
    return VINF_SUCCESS;
}

/** Appends the text, line feeds as carriage return plus line feed unless the
 * stream is binary, and writes out what the buffering style asks for. */
static int rtStrmBufWrite(PRTSTREAM pStream, const char *pch, size_t cb)
{
    int rc = VINF_SUCCESS;
    if (!pStream->fBinary)
    {
        size_t off = 0;
        while (off < cb && RT_SUCCESS(rc))
        {
            if (pch[off] != '\n')
            {
                off++;
                continue;
            }
            rc = rtStrmBufAppend(pStream, pch, off);
            if (RT_SUCCESS(rc))
                rc = rtStrmBufMakeRoom(pStream, 2);
            if (RT_SUCCESS(rc))
                rc = rtStrmBufAppend(pStream, "\r\n", 2);
            pch += off + 1;
            cb -= off + 1;
            off = 0;
        }
    }
    if (RT_SUCCESS(rc))
        rc = rtStrmBufAppend(pStream, pch, cb);
    if (RT_FAILURE(rc))
        return rc;

    switch (pStream->enmBufStyle)
    {
        case RTSTREAMBUFSTYLE_UNBUFFERED:
            return rtStrmBufFlush(pStream);
        case RTSTREAMBUFSTYLE_LINE:
        {
            /* Complete lines go out; a started line waits for its end. */
            uint32_t offEnd = pStream->offBufEnd;
            while (offEnd > pStream->offBufFirst && pStream->pchBuf[offEnd - 1] != '\n')
                offEnd--;
            return rtStrmBufWritePart(pStream, offEnd - pStream->offBufFirst);
        }
        default:
            return VINF_SUCCESS;
    }
}

static bool rtStrmIsAscii(const char *pch, size_t cb)
{
    for (size_t off = 0; off < cb; off++)
        if ((unsigned char)pch[off] >= 0x80)
            return false;
    return true;
}

/** The write of cb bytes, under the stream's lock. Returns the status and in
 * *pcbWritten cb when all of it was taken, else 0. Failures other than
 * malformed UTF-8 stop the stream for good. */
static int rtStrmWriteLocked(PRTSTREAM pStream, const char *pch, size_t cb, bool fSureIsText, size_t *pcbWritten)
{
    *pcbWritten = 0;
    int rc = rtAtomicRead(&pStream->i32Error);
    if (rc < 0)
        return rc;

    rc = rtStrmEnsureHandle(pStream);
    if (RT_SUCCESS(rc) && pStream->enmBufDir != RTSTREAMBUFDIR_WRITE)
    {
        pStream->enmBufDir = RTSTREAMBUFDIR_WRITE;
        pStream->offBufFirst = pStream->offBufEnd = 0;
        if (!pStream->pchBuf)
            rc = rtStrmBufAlloc(pStream);
        if (RT_FAILURE(rc))
            pStream->enmBufDir = RTSTREAMBUFDIR_NONE;
    }

    if (RT_SUCCESS(rc))
    {
        /* ASCII reads the same in every code page the runtime converts to. */
        if (   pStream->fCurrentCodeSet
            && !pStream->fBinary
            && fSureIsText
            && !rtStrmIsAscii(pch, cb))
        {
            char *pszCopy = nullptr;
            rc = RTStrDupPrefixEx(&pszCopy, pch, cb);
            if (RT_SUCCESS(rc))
            {
                char *pszConverted = nullptr;
                rc = pStream->fConsole ? rtStrmNativeToConsoleCodePage(&pszConverted, pszCopy)
                                       : RTStrToCurrentCodePage(&pszConverted, pszCopy);
                if (RT_SUCCESS(rc))
                {
                    rc = rtStrmBufWrite(pStream, pszConverted, strlen(pszConverted));
                    RTStrRelease(pszConverted);
                }
                RTStrRelease(pszCopy);
            }
            else
                rc = VERR_NO_STR_MEMORY;
        }
        else
            rc = rtStrmBufWrite(pStream, pch, cb);
        if (RT_SUCCESS(rc))
            *pcbWritten = cb;
    }

    if (RT_FAILURE(rc) && rc != VERR_INVALID_UTF8_ENCODING)
        rtAtomicCmpXchg(&pStream->i32Error, (int32_t)rc, (int32_t)0);
    return rc;
}


/*
 * Formatted output.
 */

namespace {

struct RTSTRMOUTPUTCTX
{
    PRTSTREAM   pStream;
    /** Set when a piece of text could not be converted; the stream stays usable. */
    int         rcConversion;
};

size_t rtStrmFmtOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    if (!cbChars)
        return 0;
    RTSTRMOUTPUTCTX *pCtx = (RTSTRMOUTPUTCTX *)pvArg;
    size_t cbWritten = 0;
    int const rc = rtStrmWriteLocked(pCtx->pStream, pachChars, cbChars, true /*fSureIsText*/, &cbWritten);
    if (rc == VERR_INVALID_UTF8_ENCODING && RT_SUCCESS(pCtx->rcConversion))
        pCtx->rcConversion = rc;
    return cbWritten;
}

bool rtStrmIsLive(PRTSTREAM pStream)
{
    return RT_VALID_PTR(pStream) && pStream->u32Magic == RTSTREAM_MAGIC;
}

} /* namespace */

ptrdiff_t RTStrmPrintfV(PRTSTREAM pStream, const char *pszFormat, va_list va)
{
    if (!rtStrmIsLive(pStream) || !RT_VALID_PTR(pszFormat))
        return VERR_INVALID_PARAMETER;
    if (rtAtomicRead(&pStream->i32Error) < 0)
        return -1;

    RTSTRMLOCK *pLock = rtStrmLockEnter(pStream);
    RTSTRMOUTPUTCTX Ctx = { pStream, VINF_SUCCESS };
    size_t const cch = RTFmtV(rtStrmFmtOutput, &Ctx, nullptr, nullptr, pszFormat, va);
    rtStrmLockLeave(pLock);

    /* A write that failed during this call fails the call, not just the next. */
    if (rtAtomicRead(&pStream->i32Error) < 0)
        return -1;
    if (RT_FAILURE(Ctx.rcConversion))
        return Ctx.rcConversion;
    return (ptrdiff_t)cch;
}

ptrdiff_t RTStrmPrintf(PRTSTREAM pStream, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTStrmPrintfV(pStream, pszFormat, va);
    va_end(va);
    return cch;
}

ptrdiff_t RTPrintf(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTStrmPrintfV(g_pStdOut, pszFormat, va);
    va_end(va);
    return cch;
}

int RTStrmSetBufferingMode(PRTSTREAM pStream, RTSTRMBUFMODE enmMode)
{
    if (!rtStrmIsLive(pStream))
        return VERR_INVALID_HANDLE;
    if (enmMode < RTSTRMBUFMODE_FULL || enmMode > RTSTRMBUFMODE_UNBUFFERED)
        return VERR_INVALID_PARAMETER;

    RTSTRMLOCK *pLock = rtStrmLockEnter(pStream);
    /* A standard stream picks its own style when it first finds its handle;
     * find it now so that the caller's choice is the one that stays. */
    rtStrmEnsureHandle(pStream);
    pStream->enmBufStyle = enmMode == RTSTRMBUFMODE_FULL ? RTSTREAMBUFSTYLE_FULL
                         : enmMode == RTSTRMBUFMODE_LINE ? RTSTREAMBUFSTYLE_LINE
                         :                                 RTSTREAMBUFSTYLE_UNBUFFERED;
    rtStrmLockLeave(pLock);
    return VINF_SUCCESS;
}


/*
 * Streams opened by name.
 */

static int rtStrmListInit(void *pvUser)
{
    (void)pvUser;
    RTListInit(&g_StrmList);
    int const rc = rtStrmNativeLockCreate(&g_pStrmListLock);
    if (RT_SUCCESS(rc))
        rtAtomicWrite(&g_fStrmListReady, true);
    return rc;
}

int RTStrmOpen(const char *pszFilename, const char *pszMode, PRTSTREAM *ppStream)
{
    if (!RT_VALID_PTR(ppStream))
        return VERR_INVALID_POINTER;
    *ppStream = nullptr;
    if (!RT_VALID_PTR(pszFilename))
        return VERR_INVALID_PARAMETER;

    uint64_t fOpen = 0;
    bool fBinary = false;
    int rc = rtStrmParseMode(pszMode, &fOpen, &fBinary);
    if (RT_FAILURE(rc))
        return rc;
    rc = rtStrmNativeOnce(rtStrmListInit);
    if (RT_FAILURE(rc))
        return rc;

    PRTSTREAM pStream = (PRTSTREAM)RTMemAllocZ(sizeof(*pStream));
    if (!pStream)
        return VERR_NO_MEMORY;
    pStream->u32Magic        = RTSTREAM_MAGIC;
    pStream->i32Error        = VINF_SUCCESS;
    pStream->iStream         = -1;
    pStream->hFile           = NIL_RTFILE;
    pStream->enmBufDir       = RTSTREAMBUFDIR_NONE;
    pStream->enmBufStyle     = RTSTREAMBUFSTYLE_FULL;
    pStream->fCurrentCodeSet = false;
    pStream->fBinary         = fBinary;
    pStream->pCritSect       = nullptr;

    rc = rtStrmNativeOpen(pszFilename, fOpen, &pStream->hFile);
    if (RT_FAILURE(rc))
    {
        RTMemFree(pStream);
        return rc;
    }

    rtStrmNativeLockEnter(g_pStrmListLock);
    RTListAppend(&g_StrmList, &pStream->ListEntry);
    rtStrmNativeLockLeave(g_pStrmListLock);

    *ppStream = pStream;
    return VINF_SUCCESS;
}


/*
 * Termination.
 */

/** Writes out what is pending (unless the stream has failed) and releases
 * the buffer and the lock; the native handle is forgotten, not closed. */
static void rtStrmTermOne(PRTSTREAM pStream)
{
    if (pStream->pchBuf)
    {
        if (   pStream->enmBufDir == RTSTREAMBUFDIR_WRITE
            && rtAtomicRead(&pStream->i32Error) >= 0)
            rtStrmBufFlush(pStream);
        RTMemFree(pStream->pchBuf);
        pStream->pchBuf = nullptr;
        pStream->cbBufAlloc = 0;
        pStream->offBufFirst = pStream->offBufEnd = 0;
        pStream->enmBufDir = RTSTREAMBUFDIR_NONE;
    }
    RTSTRMLOCK *pLock = rtAtomicXchg(&pStream->pCritSect, (RTSTRMLOCK *)nullptr);
    if (pLock)
        rtStrmNativeLockDestroy(pLock);
}

void rtStrmTerm(void)
{
    static PRTSTREAM const s_apStd[] = { &g_rtStrmStdOut, &g_rtStrmStdErr, &g_rtStrmStdIn };
    for (size_t i = 0; i < RT_ELEMENTS(s_apStd); i++)
    {
        rtStrmTermOne(s_apStd[i]);
        s_apStd[i]->hFile = NIL_RTFILE;
    }

    if (rtAtomicRead(&g_fStrmListReady))
    {
        rtStrmNativeLockEnter(g_pStrmListLock);
        while (!RTListIsEmpty(&g_StrmList))
        {
            PRTSTREAM pStream = (PRTSTREAM)((char *)g_StrmList.pNext - offsetof(RTSTREAM, ListEntry));
            RTListNodeRemove(&pStream->ListEntry);
            rtAtomicWrite(&pStream->u32Magic, RTSTREAM_MAGIC_DEAD);
            rtStrmTermOne(pStream);
            rtStrmNativeClose(pStream->hFile);
            pStream->hFile = NIL_RTFILE;
            RTMemFree(pStream);
        }
        rtStrmNativeLockLeave(g_pStrmListLock);

        rtAtomicWrite(&g_fStrmListReady, false);
        rtStrmNativeLockDestroy(g_pStrmListLock);
        g_pStrmListLock = nullptr;
        rtStrmNativeOnceReset();
    }
}
