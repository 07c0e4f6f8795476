/*
 * Format front end that returns a new heap string. Formatting starts in a
 * buffer in the caller's frame, so a short message touches the heap once,
 * for the final string; longer ones move to a heap block that grows
 * geometrically up to 1 MiB per step.
 */
#include <tulo/format.h>
#include <tulo/mem.h>

#include <string.h>

namespace {

constexpr size_t g_cbFmtAllocFrame   = 2048;
constexpr size_t g_cbFmtAllocMaxStep = 1024 * 1024;
constexpr size_t g_cbFmtAllocMaxIncr = 1024 * 1024 * 1024;

struct RTFMTALLOCSTATE
{
    char       *pchBuf;       /* the frame buffer until the first growth, then the heap block */
    size_t      cbBuf;
    size_t      offNext;
    bool        fHeap;
    bool        fFailed;
    const char *pszTag;
};

/** Makes room for cbChunk more characters; false when that cannot be done. */
bool rtFmtAllocGrow(RTFMTALLOCSTATE *pState, size_t cbChunk)
{
    size_t cbIncrement = pState->cbBuf < g_cbFmtAllocMaxStep ? pState->cbBuf : g_cbFmtAllocMaxStep;
    if (cbIncrement <= cbChunk)
    {
        if (cbChunk > g_cbFmtAllocMaxIncr)
            return false;
        cbIncrement = (cbChunk + 4095) & ~(size_t)4095;
    }
    if (cbIncrement > g_cbFmtAllocMaxIncr)
        return false;
    size_t const cbNew = pState->cbBuf + cbIncrement;
    if (cbNew < pState->cbBuf)
        return false;

    char *pchNew;
    if (!pState->fHeap)
    {
        pchNew = (char *)RTMemAllocTag(cbNew, pState->pszTag);
        if (!pchNew)
            return false;
        memcpy(pchNew, pState->pchBuf, pState->offNext);
        pState->fHeap = true;
    }
    else
    {
        pchNew = (char *)RTMemReallocTag(pState->pchBuf, cbNew, pState->pszTag);
        if (!pchNew)
            return false;
    }
    pState->pchBuf = pchNew;
    pState->cbBuf  = cbNew;
    return true;
}

size_t rtFmtAllocOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    RTFMTALLOCSTATE *pState = (RTFMTALLOCSTATE *)pvArg;
    /* Once out of memory every later chunk is dropped; the caller learns of
     * it at the end. */
    if (pState->fFailed)
        return 0;
    if (cbChars > pState->cbBuf - 1 - pState->offNext && !rtFmtAllocGrow(pState, cbChars))
    {
        pState->fFailed = true;
        return 0;
    }
    if (cbChars)
    {
        memcpy(&pState->pchBuf[pState->offNext], pachChars, cbChars);
        pState->offNext += cbChars;
    }
    pState->pchBuf[pState->offNext] = '\0';
    return cbChars;
}

} /* namespace */

ptrdiff_t RTFmtAllocTagV(char **ppszBuffer, const char *pszFormat, va_list va, const char *pszTag)
{
    if (!RT_VALID_PTR(ppszBuffer))
        return -1;

    char szFrame[g_cbFmtAllocFrame];
    szFrame[0] = '\0';
    RTFMTALLOCSTATE State = { szFrame, sizeof(szFrame), 0, false, false, pszTag };
    RTFmtV(rtFmtAllocOutput, &State, nullptr, nullptr, pszFormat, va);

    if (State.fFailed)
    {
        if (State.fHeap)
            RTMemFree(State.pchBuf);
        *ppszBuffer = nullptr;
        return -1;
    }

    size_t const cbResult = State.offNext + 1;
    char *psz;
    if (State.fHeap)
    {
        /* Give back the slack; if the heap will not shrink the block, the
         * larger one serves as well. */
        psz = (char *)RTMemReallocTag(State.pchBuf, cbResult, pszTag);
        if (!psz)
            psz = State.pchBuf;
    }
    else
    {
        psz = (char *)RTMemAllocTag(cbResult, pszTag);
        if (!psz)
        {
            *ppszBuffer = nullptr;
            return -1;
        }
        memcpy(psz, szFrame, cbResult);
    }
    *ppszBuffer = psz;
    return (ptrdiff_t)State.offNext;
}
