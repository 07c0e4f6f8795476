/*
 * RTStrToUtf16 against a straightforward one-pass conversion: decode each
 * sequence with the same checks and write into a block sized for the worst
 * case (one unit per byte). RTStrToUtf16 pays for a separate validation pass
 * and in return allocates exactly; this shows what that costs on short
 * ASCII, long ASCII and mixed multi-byte text.
 */
#include <tulo/string.h>
#include <tulo/mem.h>
#include <tulo/err.h>

#include <benchmark/benchmark.h>

#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <string>

namespace {

/** The reference: one pass, allocation by the byte count, no shrinking. */
int RefUtf8ToUtf16(const char *psz, RTUTF16 **ppwsz)
{
    *ppwsz = nullptr;
    size_t const cb = strlen(psz);
    RTUTF16 *pwsz = (RTUTF16 *)malloc((cb + 1) * sizeof(RTUTF16));
    if (!pwsz)
        return VERR_NO_UTF16_MEMORY;
    const uint8_t *pb = (const uint8_t *)psz;
    RTUTF16 *pwc = pwsz;
    for (;;)
    {
        uint32_t b = *pb;
        if (b < 0x80)
        {
            if (!b)
                break;
            *pwc++ = (RTUTF16)b;
            pb++;
            continue;
        }
        uint32_t uCp, uMin;
        unsigned cbSeq;
        if ((b & 0xe0) == 0xc0)      { cbSeq = 2; uCp = b & 0x1f; uMin = 0x80; }
        else if ((b & 0xf0) == 0xe0) { cbSeq = 3; uCp = b & 0x0f; uMin = 0x800; }
        else if ((b & 0xf8) == 0xf0) { cbSeq = 4; uCp = b & 0x07; uMin = 0x10000; }
        else
        {
            free(pwsz);
            return VERR_INVALID_UTF8_ENCODING;
        }
        for (unsigned i = 1; i < cbSeq; i++)
        {
            if ((pb[i] & 0xc0) != 0x80)
            {
                free(pwsz);
                return VERR_INVALID_UTF8_ENCODING;
            }
            uCp = (uCp << 6) | (pb[i] & 0x3f);
        }
        if (uCp < uMin || uCp > 0x10ffff || (uCp >= 0xd800 && uCp <= 0xdfff) || uCp == 0xfffe || uCp == 0xffff)
        {
            free(pwsz);
            return VERR_INVALID_UTF8_ENCODING;
        }
        if (uCp < 0x10000)
            *pwc++ = (RTUTF16)uCp;
        else
        {
            uCp -= 0x10000;
            *pwc++ = (RTUTF16)(0xd800 + (uCp >> 10));
            *pwc++ = (RTUTF16)(0xdc00 + (uCp & 0x3ff));
        }
        pb += cbSeq;
    }
    *pwc = 0;
    *ppwsz = pwsz;
    return VINF_SUCCESS;
}

std::string MakeText(const char *pszPiece, size_t cbTotal)
{
    std::string str;
    while (str.size() < cbTotal)
        str += pszPiece;
    return str;
}

const std::string &TextFor(int iCase)
{
    static const std::string s_aTexts[] =
    {
        "--silent",
        MakeText("C:\\Program Files\\Corvane\\Installer\\package-", 64 * 1024),
        /* Latin letters with accents, CJK, an emoji: 2, 3 and 4 byte sequences. */
        MakeText("Gr\xc3\xbc\xc3\x9f" "e, \xe4\xb8\x96\xe7\x95\x8c! \xf0\x9f\x98\x80 caf\xc3\xa9 ", 64 * 1024),
    };
    return s_aTexts[iCase];
}

const char *const g_apszCaseNames[] = { "short ASCII", "long ASCII", "mixed multi-byte" };

void BM_RTStrToUtf16(benchmark::State &State)
{
    const std::string &strText = TextFor((int)State.range(0));
    for (auto _ : State)
    {
        PRTUTF16 pwsz;
        int rc = RTStrToUtf16(strText.c_str(), &pwsz);
        if (RT_FAILURE(rc))
        {
            State.SkipWithError("RTStrToUtf16 failed");
            break;
        }
        benchmark::DoNotOptimize(pwsz);
        RTMemFree(pwsz);
    }
    State.SetBytesProcessed((int64_t)State.iterations() * (int64_t)strText.size());
    State.SetLabel(g_apszCaseNames[State.range(0)]);
}

void BM_Reference(benchmark::State &State)
{
    const std::string &strText = TextFor((int)State.range(0));
    for (auto _ : State)
    {
        RTUTF16 *pwsz;
        int rc = RefUtf8ToUtf16(strText.c_str(), &pwsz);
        if (RT_FAILURE(rc))
        {
            State.SkipWithError("reference conversion failed");
            break;
        }
        benchmark::DoNotOptimize(pwsz);
        free(pwsz);
    }
    State.SetBytesProcessed((int64_t)State.iterations() * (int64_t)strText.size());
    State.SetLabel(g_apszCaseNames[State.range(0)]);
}

/* Both must produce the same units, or the comparison means nothing. */
bool CheckSameResults()
{
    for (int i = 0; i < 3; i++)
    {
        PRTUTF16 pwsz1 = nullptr;
        RTUTF16 *pwsz2 = nullptr;
        if (RT_FAILURE(RTStrToUtf16(TextFor(i).c_str(), &pwsz1)) || RT_FAILURE(RefUtf8ToUtf16(TextFor(i).c_str(), &pwsz2)))
            return false;
        size_t cwc = 0;
        while (pwsz1[cwc] && pwsz1[cwc] == pwsz2[cwc])
            cwc++;
        bool const fSame = pwsz1[cwc] == pwsz2[cwc];
        RTMemFree(pwsz1);
        free(pwsz2);
        if (!fSame)
            return false;
    }
    return true;
}

} /* namespace */

BENCHMARK(BM_RTStrToUtf16)->DenseRange(0, 2);
BENCHMARK(BM_Reference)->DenseRange(0, 2);

int main(int argc, char **argv)
{
    if (!CheckSameResults())
    {
        fprintf(stderr, "utf16-bench: RTStrToUtf16 and the reference disagree\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
