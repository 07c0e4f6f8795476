/*
 * Format front ends on a caller's buffer: RTFmtBuf cuts the text to fit,
 * RTFmtBufChecked stores what fits and reports by a negative result that the
 * text did not fit. Both keep the buffer terminated after every chunk, so the
 * end calls of nested runs find it in order.
 */
#include <tulo/format.h>

#include <stdint.h>
#include <string.h>

namespace {

/** Chunks are mostly a few bytes (digits, separators, short words); moving
 * those inline, as two possibly overlapping word moves, is much cheaper than
 * a call to the block copy. */
inline void rtFmtBufCopy(char *pchDst, const char *pchSrc, size_t cb)
{
    if (cb <= 16)
    {
        if (cb >= 8)
        {
            uint64_t u64First, u64Last;
            memcpy(&u64First, pchSrc, 8);
            memcpy(&u64Last, pchSrc + cb - 8, 8);
            memcpy(pchDst, &u64First, 8);
            memcpy(pchDst + cb - 8, &u64Last, 8);
        }
        else if (cb >= 4)
        {
            uint32_t u32First, u32Last;
            memcpy(&u32First, pchSrc, 4);
            memcpy(&u32Last, pchSrc + cb - 4, 4);
            memcpy(pchDst, &u32First, 4);
            memcpy(pchDst + cb - 4, &u32Last, 4);
        }
        else if (cb)
        {
            /* 1 to 3 bytes: first, middle (which may be either) and last. */
            char const chFirst = pchSrc[0];
            char const chMiddle = pchSrc[cb / 2];
            char const chLast = pchSrc[cb - 1];
            pchDst[0] = chFirst;
            pchDst[cb / 2] = chMiddle;
            pchDst[cb - 1] = chLast;
        }
    }
    else
        memcpy(pchDst, pchSrc, cb);
}

struct RTFMTBUFSTATE
{
    char   *pchNext;
    size_t  cchLeft;      /* room for characters, the terminator not counted */
};

size_t rtFmtBufOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    RTFMTBUFSTATE *pState = (RTFMTBUFSTATE *)pvArg;
    if (cbChars > pState->cchLeft)
        cbChars = pState->cchLeft;
    rtFmtBufCopy(pState->pchNext, pachChars, cbChars);
    pState->pchNext += cbChars;
    pState->cchLeft -= cbChars;
    *pState->pchNext = '\0';
    return cbChars;
}

struct RTFMTBUFCHECKEDSTATE
{
    char   *pchNext;
    size_t  cbLeft;       /* the terminator included */
    bool    fOverflow;
};

size_t rtFmtBufCheckedOutput(void *pvArg, const char *pachChars, size_t cbChars)
{
    RTFMTBUFCHECKEDSTATE *pState = (RTFMTBUFCHECKEDSTATE *)pvArg;
    if (!pachChars)
        return 0;         /* the buffer is already terminated */
    if (cbChars < pState->cbLeft)
    {
        rtFmtBufCopy(pState->pchNext, pachChars, cbChars);
        pState->pchNext += cbChars;
        pState->cbLeft  -= cbChars;
        *pState->pchNext = '\0';
        return cbChars;
    }

    /* Keep what fits and the terminator; the count goes on so that the
     * caller learns the length of the whole text. */
    pState->fOverflow = true;
    if (pState->cbLeft > 1)
    {
        rtFmtBufCopy(pState->pchNext, pachChars, pState->cbLeft - 1);
        pState->pchNext += pState->cbLeft - 1;
        *pState->pchNext = '\0';
        pState->cbLeft = 1;
    }
    return cbChars;
}

} /* namespace */

size_t RTFmtBufV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va)
{
    if (!cbBuf || !RT_VALID_PTR(pszBuf))
        return 0;
    RTFMTBUFSTATE State = { pszBuf, cbBuf - 1 };
    *pszBuf = '\0';
    return RTFmtV(rtFmtBufOutput, &State, nullptr, nullptr, pszFormat, va);
}

size_t RTFmtBuf(char *pszBuf, size_t cbBuf, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    size_t const cch = RTFmtBufV(pszBuf, cbBuf, pszFormat, va);
    va_end(va);
    return cch;
}

ptrdiff_t RTFmtBufCheckedV(char *pszBuf, size_t cbBuf, const char *pszFormat, va_list va)
{
    /* An unusable buffer is treated as one without room: nothing is written
     * and the result still tells the length. */
    if (!RT_VALID_PTR(pszBuf))
        cbBuf = 0;
    RTFMTBUFCHECKEDSTATE State = { pszBuf, cbBuf, cbBuf == 0 };
    if (cbBuf)
        *pszBuf = '\0';
    size_t const cch = RTFmtV(rtFmtBufCheckedOutput, &State, nullptr, nullptr, pszFormat, va);
    return State.fOverflow ? -(ptrdiff_t)cch - 1 : (ptrdiff_t)cch;
}

ptrdiff_t RTFmtBufChecked(char *pszBuf, size_t cbBuf, const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    ptrdiff_t const cch = RTFmtBufCheckedV(pszBuf, cbBuf, pszFormat, va);
    va_end(va);
    return cch;
}
