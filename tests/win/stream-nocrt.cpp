/*
 * A program of the launcher's kind, linked without the C runtime, that
 * prints through the standard streams; the stream tests start it with its
 * standard output and error redirected to files. The first argument selects
 * what it prints; the exit code is the size of its standard output file as
 * seen just before main returns (-1 when it is not a file), which tells what
 * was still buffered then.
 *
 *   lines        two lines on standard output, an error message on standard error
 *   big          70000 bytes without a line feed on standard output
 *   unbuffered   one line on standard output after switching it to unbuffered
 */
#include <tulo/stream.h>
#include <tulo/message.h>

#include <windows.h>

static bool strEq(const char *psz1, const char *psz2)
{
    return lstrcmpA(psz1, psz2) == 0;
}

static int stdOutSize(void)
{
    LARGE_INTEGER cb;
    if (!GetFileSizeEx(GetStdHandle(STD_OUTPUT_HANDLE), &cb))
        return -1;
    return (int)cb.QuadPart;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return -2;
    if (strEq(argv[1], "lines"))
    {
        RTPrintf("line %d\n", 1);
        RTPrintf("line %d\n", 2);
        RTMsgError("bad %d", 7);
    }
    else if (strEq(argv[1], "big"))
    {
        static char s_szChunk[1001];
        for (unsigned i = 0; i < 1000; i++)
            s_szChunk[i] = 'y';
        for (unsigned i = 0; i < 70; i++)
            RTPrintf("%s", s_szChunk);
    }
    else if (strEq(argv[1], "unbuffered"))
    {
        if (RTStrmSetBufferingMode(g_pStdOut, RTSTRMBUFMODE_UNBUFFERED) != 0)
            return -3;
        RTPrintf("abc\n");
    }
    else
        return -2;
    return stdOutSize();
}
