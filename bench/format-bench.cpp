/*
 * The format engine's buffer front end against the host C library's
 * snprintf, on texts both format the same way: integers with widths and
 * flags, short and long strings, and a log-style line mixing them. Each case
 * runs as a pair, RTFmtBuf and snprintf, with the same format and arguments.
 * The formats are read through a volatile pointer so that the compiler
 * cannot turn a snprintf with a constant format into something cheaper.
 */
#include <tulo/format.h>

#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

const char *Opaque(const char *psz)
{
    const char * volatile pszVolatile = psz;
    return pszVolatile;
}

const char g_szFmtIntsC[] = "%5d|%-8u|%08x|%+d|%#llx|%.3d";
const char g_szFmtShort[] = "[%s] [%-6s]";
const char g_szFmtLong[]  = "%s";
const char g_szFmtLog[]   = "%s KelbStub: %-12s %u of %u: '%s' rc=%d (%#x) took %lld ms\n";

std::string g_strLong(1000, 'L');

template<typename Fn>
void RunPair(benchmark::State &State, Fn Format)
{
    char szBuf[2048];
    for (auto _ : State)
    {
        benchmark::DoNotOptimize(Format(szBuf, sizeof(szBuf)));
        benchmark::ClobberMemory();
    }
}

/* Integers with width and flags. */
void BM_Ints_RTFmtBuf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtIntsC);
    RunPair(State, [&](char *psz, size_t cb)
            { return RTFmtBuf(psz, cb, pszFmt, -42, 123456u, 0xbeefu, 7, 0x123456789abcULL, 1234567); });
}
void BM_Ints_snprintf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtIntsC);
    RunPair(State, [&](char *psz, size_t cb)
            { return snprintf(psz, cb, pszFmt, -42, 123456u, 0xbeefu, 7, 0x123456789abcULL, 1234567); });
}

void BM_ShortStr_RTFmtBuf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtShort);
    RunPair(State, [&](char *psz, size_t cb) { return RTFmtBuf(psz, cb, pszFmt, "abc", "de"); });
}
void BM_ShortStr_snprintf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtShort);
    RunPair(State, [&](char *psz, size_t cb) { return snprintf(psz, cb, pszFmt, "abc", "de"); });
}

void BM_LongStr_RTFmtBuf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtLong);
    const char *pszArg = g_strLong.c_str();
    RunPair(State, [&](char *psz, size_t cb) { return RTFmtBuf(psz, cb, pszFmt, pszArg); });
}
void BM_LongStr_snprintf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtLong);
    const char *pszArg = g_strLong.c_str();
    RunPair(State, [&](char *psz, size_t cb) { return snprintf(psz, cb, pszFmt, pszArg); });
}

void BM_LogLine_RTFmtBuf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtLog);
    RunPair(State, [&](char *psz, size_t cb)
            {
                return RTFmtBuf(psz, cb, pszFmt, "2024-05-17 12:34:56.789", "extract", 2u, 3u,
                                "C:\\Users\\someone\\AppData\\Local\\Temp\\Kelb\\product.msi", -102, 0x80070005u,
                                1234LL);
            });
}
void BM_LogLine_snprintf(benchmark::State &State)
{
    const char *pszFmt = Opaque(g_szFmtLog);
    RunPair(State, [&](char *psz, size_t cb)
            {
                return snprintf(psz, cb, pszFmt, "2024-05-17 12:34:56.789", "extract", 2u, 3u,
                                "C:\\Users\\someone\\AppData\\Local\\Temp\\Kelb\\product.msi", -102, 0x80070005u,
                                1234LL);
            });
}

BENCHMARK(BM_Ints_RTFmtBuf);
BENCHMARK(BM_Ints_snprintf);
BENCHMARK(BM_ShortStr_RTFmtBuf);
BENCHMARK(BM_ShortStr_snprintf);
BENCHMARK(BM_LongStr_RTFmtBuf);
BENCHMARK(BM_LongStr_snprintf);
BENCHMARK(BM_LogLine_RTFmtBuf);
BENCHMARK(BM_LogLine_snprintf);

/** Both sides must produce the same text, or the comparison means nothing. */
bool Check()
{
    char szOurs[2048], szTheirs[2048];
    bool fOk = true;
    auto Same = [&](const char *pszWhat)
    {
        if (strcmp(szOurs, szTheirs) != 0)
        {
            fprintf(stderr, "%s differs:\n  ours:   %s\n  theirs: %s\n", pszWhat, szOurs, szTheirs);
            fOk = false;
        }
    };
    RTFmtBuf(szOurs, sizeof(szOurs), g_szFmtIntsC, -42, 123456u, 0xbeefu, 7, 0x123456789abcULL, 1234567);
    snprintf(szTheirs, sizeof(szTheirs), g_szFmtIntsC, -42, 123456u, 0xbeefu, 7, 0x123456789abcULL, 1234567);
    Same("integers");
    RTFmtBuf(szOurs, sizeof(szOurs), g_szFmtShort, "abc", "de");
    snprintf(szTheirs, sizeof(szTheirs), g_szFmtShort, "abc", "de");
    Same("short strings");
    RTFmtBuf(szOurs, sizeof(szOurs), g_szFmtLong, g_strLong.c_str());
    snprintf(szTheirs, sizeof(szTheirs), g_szFmtLong, g_strLong.c_str());
    Same("long string");
    RTFmtBuf(szOurs, sizeof(szOurs), g_szFmtLog, "2024-05-17 12:34:56.789", "extract", 2u, 3u,
             "C:\\Users\\someone\\AppData\\Local\\Temp\\Kelb\\product.msi", -102, 0x80070005u, 1234LL);
    snprintf(szTheirs, sizeof(szTheirs), g_szFmtLog, "2024-05-17 12:34:56.789", "extract", 2u, 3u,
             "C:\\Users\\someone\\AppData\\Local\\Temp\\Kelb\\product.msi", -102, 0x80070005u, 1234LL);
    Same("log line");
    return fOk;
}

} /* namespace */

int main(int argc, char **argv)
{
    if (!Check())
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
