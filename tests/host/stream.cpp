/*
 * Tests of the stream logic on the host: the mode-string table, line-end
 * translation, the three buffering styles, sticky write errors, argument
 * checks, writers on several threads, and the tool messages on the standard
 * streams and on a stream they were pointed at.
 */
#include <tulo/stream.h>
#include <tulo/message.h>
#include <tulo/process.h>
#include <tulo/format.h>
#include <tulo/file.h>
#include <tulo/string.h>
#include <tulo/err.h>

#include "r3/internal-stream.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

/* The program name the messages use: set before any test runs. */
int const g_iExePathSet = []
{
    RTStrCopyTo(g_szExePath, sizeof(g_szExePath), "/opt/kelb/bin/tstTool");
    rtProcParseExePath();
    return 0;
}();

class StreamFiles : public testing::Test
{
protected:
    std::string m_strDir;

    void SetUp() override
    {
        (void)g_iExePathSet;
        char szTemplate[] = "/tmp/tst-stream-XXXXXX";
        ASSERT_NE(mkdtemp(szTemplate), nullptr);
        m_strDir = szTemplate;
    }

    void TearDown() override
    {
        /* Streams opened by name live until termination; end them here so
         * that every test starts without any. */
        rtStrmTerm();
        std::string strCmd = "rm -rf '" + m_strDir + "'";
        EXPECT_EQ(system(strCmd.c_str()), 0);
    }

    std::string path(const char *pszName) const
    {
        return m_strDir + "/" + pszName;
    }

    static std::string readFile(const std::string &strPath)
    {
        std::string str;
        int fd = open(strPath.c_str(), O_RDONLY);
        if (fd < 0)
            return "<missing>";
        char ach[4096];
        ssize_t cb;
        while ((cb = read(fd, ach, sizeof(ach))) > 0)
            str.append(ach, (size_t)cb);
        close(fd);
        return str;
    }

    static void writeFile(const std::string &strPath, const std::string &str)
    {
        int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(write(fd, str.data(), str.size()), (ssize_t)str.size());
        close(fd);
    }
};

/*
 * Mode strings.
 */

#define ALWAYS (RTFILE_O_DENY_NONE | (UINT64_C(0666) << RTFILE_O_CREATE_MODE_SHIFT))

TEST(StreamMode, Table)
{
    static const struct
    {
        const char *pszMode;
        int         rc;
        uint64_t    fOpen;
        bool        fBinary;
    } s_aCases[] =
    {
        { "r",    VINF_SUCCESS, UINT64_C(0x701) | RTFILE_O_INHERIT | ALWAYS, false },
        { "w",    VINF_SUCCESS, UINT64_C(0x302) | RTFILE_O_INHERIT | ALWAYS, false },
        { "a",    VINF_SUCCESS, UINT64_C(0x106) | RTFILE_O_INHERIT | ALWAYS, false },
        { "wx",   VINF_SUCCESS, UINT64_C(0x203) | RTFILE_O_INHERIT | ALWAYS, false },
        { "xw",   VINF_SUCCESS, UINT64_C(0x203) | RTFILE_O_INHERIT | ALWAYS, false },
        { "r+",   VINF_SUCCESS, UINT64_C(0x703) | RTFILE_O_INHERIT | ALWAYS, false },
        { "a+b",  VINF_SUCCESS, UINT64_C(0x107) | RTFILE_O_INHERIT | ALWAYS, true },
        { "ab",   VINF_SUCCESS, UINT64_C(0x106) | RTFILE_O_INHERIT | ALWAYS, true },
        { "wbt",  VINF_SUCCESS, UINT64_C(0x302) | RTFILE_O_INHERIT | ALWAYS, false },
        { "rtb",  VINF_SUCCESS, UINT64_C(0x701) | RTFILE_O_INHERIT | ALWAYS, true },
        { "wN",   VINF_SUCCESS, UINT64_C(0x302) | ALWAYS,                    false },
        { "we",   VINF_SUCCESS, UINT64_C(0x302) | ALWAYS,                    false },
        { "wNE",  VINF_SUCCESS, UINT64_C(0x302) | RTFILE_O_INHERIT | ALWAYS, false },
        { "wEN",  VINF_SUCCESS, UINT64_C(0x302) | ALWAYS,                    false },
        { "raw",  VINF_SUCCESS, UINT64_C(0x302) | RTFILE_O_INHERIT | ALWAYS, false },   /* the last access counts */
        { "wa",   VINF_SUCCESS, UINT64_C(0x106) | RTFILE_O_INHERIT | ALWAYS, false },
        { "",     VERR_INVALID_FLAGS, 0, false },
        { "+",    VERR_INVALID_FLAGS, 0, false },
        { "b",    VERR_INVALID_FLAGS, 0, false },
        { "x",    VERR_INVALID_FLAGS, 0, false },
        { "rx",   VERR_INVALID_FLAGS, 0, false },
        { "r+x",  VERR_INVALID_FLAGS, 0, false },
        { "ax",   VERR_INVALID_FLAGS, 0, false },
        { "wxa",  VERR_INVALID_FLAGS, 0, false },
        { "rw ",  VERR_INVALID_FLAGS, 0, false },
        { "W",    VERR_INVALID_FLAGS, 0, false },
        { "rq",   VERR_INVALID_FLAGS, 0, false },
    };
    for (const auto &Case : s_aCases)
    {
        uint64_t fOpen = UINT64_C(0xdeadbeef);
        bool fBinary = !Case.fBinary;
        int rc = rtStrmParseMode(Case.pszMode, &fOpen, &fBinary);
        EXPECT_EQ(rc, Case.rc) << "mode '" << Case.pszMode << "'";
        if (RT_SUCCESS(Case.rc))
        {
            EXPECT_EQ(fOpen, Case.fOpen) << std::hex << "mode '" << Case.pszMode << "'";
            EXPECT_EQ(fBinary, Case.fBinary) << "mode '" << Case.pszMode << "'";
        }
    }
    uint64_t fOpen;
    bool fBinary;
    EXPECT_EQ(rtStrmParseMode(nullptr, &fOpen, &fBinary), VERR_INVALID_FLAGS);
}

TEST_F(StreamFiles, OpenChecksArgumentsFirst)
{
    PRTSTREAM pStream = (PRTSTREAM)(uintptr_t)0x1234;
    EXPECT_EQ(RTStrmOpen(nullptr, "w", &pStream), VERR_INVALID_PARAMETER);
    EXPECT_EQ(pStream, nullptr);

    static const char * const s_apszBad[] = { "", "r+x", "rx", "q" };
    for (const char *pszMode : s_apszBad)
    {
        pStream = (PRTSTREAM)(uintptr_t)0x1234;
        EXPECT_EQ(RTStrmOpen(path("bad").c_str(), pszMode, &pStream), VERR_INVALID_FLAGS) << pszMode;
        EXPECT_EQ(pStream, nullptr);
    }
    EXPECT_EQ(RTStrmOpen(path("bad").c_str(), nullptr, &pStream), VERR_INVALID_FLAGS);
    /* A refused mode creates nothing. */
    EXPECT_EQ(readFile(path("bad")), "<missing>");
    EXPECT_EQ(RTStrmOpen(path("x").c_str(), "w", nullptr), VERR_INVALID_POINTER);
}

TEST_F(StreamFiles, OpenActions)
{
    writeFile(path("old"), "old\n");
    PRTSTREAM pStream = nullptr;
    EXPECT_EQ(RTStrmOpen(path("old").c_str(), "wx", &pStream), VERR_ALREADY_EXISTS);
    EXPECT_EQ(pStream, nullptr);
    EXPECT_EQ(RTStrmOpen(path("missing").c_str(), "r", &pStream), VERR_FILE_NOT_FOUND);

    PRTSTREAM pAppend = nullptr, pNew = nullptr, pReplace = nullptr;
    ASSERT_EQ(RTStrmOpen(path("old").c_str(), "ab", &pAppend), VINF_SUCCESS);
    ASSERT_EQ(RTStrmOpen(path("new").c_str(), "wxb", &pNew), VINF_SUCCESS);
    writeFile(path("replace"), "0123456789");
    ASSERT_EQ(RTStrmOpen(path("replace").c_str(), "wb", &pReplace), VINF_SUCCESS);
    EXPECT_EQ(RTStrmPrintf(pAppend, "more\n"), 5);
    EXPECT_EQ(RTStrmPrintf(pNew, "new"), 3);
    EXPECT_EQ(RTStrmPrintf(pReplace, "r"), 1);
    rtStrmTerm();
    EXPECT_EQ(readFile(path("old")), "old\nmore\n");
    EXPECT_EQ(readFile(path("new")), "new");
    EXPECT_EQ(readFile(path("replace")), "r");
}

/*
 * Line ends and buffering.
 */

TEST_F(StreamFiles, LineEndTranslation)
{
    static const struct
    {
        const char *pszMode;
        const char *pszText;
        const char *pszExpected;
    } s_aCases[] =
    {
        { "w",  "a\nb\n\nc",  "a\r\nb\r\n\r\nc" },
        { "wt", "\n",         "\r\n" },
        { "w",  "no ends",    "no ends" },
        { "w",  "cr\r\n",     "cr\r\r\n" },       /* a line feed is translated wherever it is */
        { "wb", "a\nb\n\nc",  "a\nb\n\nc" },
        { "ab", "x\n",        "x\n" },
        { "a",  "x\n",        "x\r\n" },
    };
    std::vector<std::string> aPaths;
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        aPaths.push_back(path(("f" + std::to_string(i)).c_str()));
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen(aPaths[i].c_str(), s_aCases[i].pszMode, &pStream), VINF_SUCCESS);
        /* The count is of the formatted characters, not of what the file gets. */
        EXPECT_EQ(RTStrmPrintf(pStream, "%s", s_aCases[i].pszText), (ptrdiff_t)strlen(s_aCases[i].pszText));
    }
    rtStrmTerm();
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
        EXPECT_EQ(readFile(aPaths[i]), s_aCases[i].pszExpected) << "mode " << s_aCases[i].pszMode;
}

TEST_F(StreamFiles, TranslationAtTheEndOfAFullBuffer)
{
    /* Line feeds around the buffer boundary: nothing lost, nothing doubled. */
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "w", &pStream), VINF_SUCCESS);
    std::string strIn, strExpected;
    for (unsigned i = 0; strExpected.size() < 3 * 65536; i++)
    {
        std::string strLine = std::string(i % 97, 'a' + (char)(i % 26)) + "\n";
        strIn += strLine;
        strLine.insert(strLine.size() - 1, "\r");
        strExpected += strLine;
    }
    EXPECT_EQ(RTStrmPrintf(pStream, "%s", strIn.c_str()), (ptrdiff_t)strIn.size());
    rtStrmTerm();
    EXPECT_TRUE(readFile(path("f")) == strExpected);
}

TEST_F(StreamFiles, BufferingStyles)
{
    static const struct
    {
        RTSTRMBUFMODE enmMode;
        const char   *pszBeforeTerm;
    } s_aCases[] =
    {
        { RTSTRMBUFMODE_FULL,       "" },
        { RTSTRMBUFMODE_LINE,       "one\ntwo\n" },
        { RTSTRMBUFMODE_UNBUFFERED, "one\ntwo\nthr" },
    };
    std::vector<std::string> aPaths;
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        aPaths.push_back(path(("f" + std::to_string(i)).c_str()));
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen(aPaths[i].c_str(), "wb", &pStream), VINF_SUCCESS);
        ASSERT_EQ(RTStrmSetBufferingMode(pStream, s_aCases[i].enmMode), VINF_SUCCESS);
        EXPECT_EQ(RTStrmPrintf(pStream, "one\n%s", "two\nthr"), 11);
        EXPECT_EQ(readFile(aPaths[i]), s_aCases[i].pszBeforeTerm) << "mode " << s_aCases[i].enmMode;
    }
    rtStrmTerm();
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
        EXPECT_EQ(readFile(aPaths[i]), "one\ntwo\nthr") << "mode " << s_aCases[i].enmMode;
}

TEST_F(StreamFiles, LineBufferingWaitsForTheEndOfALine)
{
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "w", &pStream), VINF_SUCCESS);
    ASSERT_EQ(RTStrmSetBufferingMode(pStream, RTSTRMBUFMODE_LINE), VINF_SUCCESS);
    RTStrmPrintf(pStream, "par");
    EXPECT_EQ(readFile(path("f")), "");
    RTStrmPrintf(pStream, "tial\nnext");
    EXPECT_EQ(readFile(path("f")), "partial\r\n");
    RTStrmPrintf(pStream, " line\n");
    EXPECT_EQ(readFile(path("f")), "partial\r\nnext line\r\n");
}

TEST_F(StreamFiles, FullBufferingWritesWhen64KiBHaveAccumulated)
{
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "wb", &pStream), VINF_SUCCESS);
    std::string const strChunk(1000, 'z');
    for (unsigned i = 0; i < 65; i++)
        RTStrmPrintf(pStream, "%s", strChunk.c_str());
    EXPECT_EQ(pStream->cbBufAlloc, 65536u);
    EXPECT_EQ(readFile(path("f")), "");
    for (unsigned i = 0; i < 5; i++)
        RTStrmPrintf(pStream, "%s", strChunk.c_str());
    EXPECT_EQ(readFile(path("f")).size(), 65536u);
    rtStrmTerm();
    EXPECT_EQ(readFile(path("f")).size(), 70000u);
}

TEST_F(StreamFiles, SetBufferingModeChecks)
{
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "w", &pStream), VINF_SUCCESS);
    EXPECT_EQ(RTStrmSetBufferingMode(pStream, (RTSTRMBUFMODE)0), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTStrmSetBufferingMode(pStream, (RTSTRMBUFMODE)4), VERR_INVALID_PARAMETER);
    EXPECT_EQ(pStream->enmBufStyle, (uint32_t)RTSTREAMBUFSTYLE_FULL);

    RTSTREAM Dead = *pStream;
    Dead.u32Magic = RTSTREAM_MAGIC_DEAD;
    EXPECT_EQ(RTStrmSetBufferingMode(&Dead, RTSTRMBUFMODE_LINE), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTStrmSetBufferingMode(nullptr, RTSTRMBUFMODE_LINE), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTStrmSetBufferingMode((PRTSTREAM)(uintptr_t)16, RTSTRMBUFMODE_LINE), VERR_INVALID_HANDLE);
    EXPECT_EQ(RTStrmPrintf(&Dead, "x"), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTStrmPrintf(nullptr, "x"), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTStrmPrintf((PRTSTREAM)(uintptr_t)16, "x"), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTStrmPrintf((PRTSTREAM)(uintptr_t)-16, "x"), VERR_INVALID_PARAMETER);
}

/*
 * Sticky errors.
 */

TEST_F(StreamFiles, WriteErrorIsSticky)
{
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full";
    static const RTSTRMBUFMODE s_aenmModes[] = { RTSTRMBUFMODE_UNBUFFERED, RTSTRMBUFMODE_LINE, RTSTRMBUFMODE_FULL };
    for (RTSTRMBUFMODE enmMode : s_aenmModes)
    {
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen("/dev/full", "a", &pStream), VINF_SUCCESS);
        ASSERT_EQ(RTStrmSetBufferingMode(pStream, enmMode), VINF_SUCCESS);
        /* Enough for every style to reach the device within this call. */
        std::string const strBig(70000, '\n');
        EXPECT_EQ(RTStrmPrintf(pStream, "%s", strBig.c_str()), -1) << "mode " << enmMode;
        EXPECT_EQ(pStream->i32Error, VERR_DISK_FULL);
        /* Later prints fail too, however small. */
        EXPECT_EQ(RTStrmPrintf(pStream, "%s", "x"), -1);
        EXPECT_EQ(RTStrmPrintf(pStream, ""), -1);
        EXPECT_EQ(pStream->i32Error, VERR_DISK_FULL);
        EXPECT_EQ(RTStrmSetBufferingMode(pStream, RTSTRMBUFMODE_FULL), VINF_SUCCESS);
    }
}

TEST_F(StreamFiles, MalformedUtf8FailsTheCallOnly)
{
    /* Conversion applies to streams that ask for it: the standard ones. */
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "w", &pStream), VINF_SUCCESS);
    pStream->fCurrentCodeSet = true;
    EXPECT_EQ(RTStrmPrintf(pStream, "bad \xff\xfe"), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(pStream->i32Error, 0);
    EXPECT_EQ(RTStrmPrintf(pStream, "J\xc3\xb6rg\n"), 6);
    /* Binary streams are not converted. */
    PRTSTREAM pBinary = nullptr;
    ASSERT_EQ(RTStrmOpen(path("b").c_str(), "wb", &pBinary), VINF_SUCCESS);
    pBinary->fCurrentCodeSet = true;
    EXPECT_EQ(RTStrmPrintf(pBinary, "\xff"), 1);
    rtStrmTerm();
    /* The host's consoles take UTF-8: converted text is the same text. */
    EXPECT_EQ(readFile(path("f")), "J\xc3\xb6rg\r\n");
    EXPECT_EQ(readFile(path("b")), "\xff");
}

TEST_F(StreamFiles, WritersOnSeveralThreadsKeepTheirLines)
{
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(path("f").c_str(), "wb", &pStream), VINF_SUCCESS);
    unsigned const cThreads = 4, cLines = 2000;
    std::vector<std::thread> aThreads;
    for (unsigned iThread = 0; iThread < cThreads; iThread++)
        aThreads.emplace_back([=] {
            for (unsigned i = 0; i < cLines; i++)
                RTStrmPrintf(pStream, "%u:%s:%u\n", iThread, "0123456789abcdef", i);
        });
    for (auto &Thread : aThreads)
        Thread.join();
    rtStrmTerm();

    std::string const str = readFile(path("f"));
    std::vector<unsigned> aNext(cThreads, 0);
    size_t off = 0;
    unsigned cSeen = 0;
    while (off < str.size())
    {
        size_t const offEnd = str.find('\n', off);
        ASSERT_NE(offEnd, std::string::npos);
        unsigned iThread = 0, i = 0;
        char szMid[32];
        ASSERT_EQ(sscanf(str.substr(off, offEnd - off).c_str(), "%u:%16[0-9a-f]:%u", &iThread, szMid, &i), 3)
            << str.substr(off, offEnd - off);
        ASSERT_LT(iThread, cThreads);
        EXPECT_EQ(i, aNext[iThread]++);
        cSeen++;
        off = offEnd + 1;
    }
    EXPECT_EQ(cSeen, cThreads * cLines);
}

/*
 * Standard streams and tool messages.
 */

std::string expectedRc(int rc)
{
    char sz[256];
    RTFmtBuf(sz, sizeof(sz), "%Rrc", rc);
    return sz;
}

TEST(StreamStd, StartState)
{
    EXPECT_EQ(g_pStdOut, &g_rtStrmStdOut);
    EXPECT_EQ(g_pStdErr, &g_rtStrmStdErr);
    static const struct { PRTSTREAM pStream; int32_t iStream; uint32_t enmStyle; } s_aCases[] =
    {
        { &g_rtStrmStdIn,  0, RTSTREAMBUFSTYLE_UNBUFFERED },
        { &g_rtStrmStdOut, 1, RTSTREAMBUFSTYLE_LINE },
        { &g_rtStrmStdErr, 2, RTSTREAMBUFSTYLE_UNBUFFERED },
    };
    for (const auto &Case : s_aCases)
    {
        EXPECT_EQ(Case.pStream->u32Magic, RTSTREAM_MAGIC);
        EXPECT_EQ(Case.pStream->iStream, Case.iStream);
        EXPECT_EQ(Case.pStream->enmBufStyle, Case.enmStyle);
        EXPECT_TRUE(Case.pStream->fCurrentCodeSet);
    }
}

TEST(StreamStd, PrintfReachesStandardOutputAtOnce)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(RTPrintf("%s=%d\n", "x", 42), 5);
    std::string const strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(strOut, "x=42\n");
}

struct MSGCASE
{
    const char *pszFormat;
    const char *pszArg;
    const char *pszExpected;
};

static const MSGCASE g_aErrorCases[] =
{
    { "a\n\nb",  nullptr, "tstTool: error: a\n\ntstTool: error: b\n" },
    { "a\n",     nullptr, "tstTool: error: a\n" },
    { "",        nullptr, "\n" },
    { "\n",      nullptr, "\n" },
    { "%s",      "",      "tstTool: error: \n" },
    { "%s",      "\n\n",  "\n\n" },
    { "one %s",  "two\nthree\n", "tstTool: error: one two\ntstTool: error: three\n" },
    { "\nx",     nullptr, "\ntstTool: error: x\n" },
};

TEST(StreamStd, ErrorLines)
{
    for (const MSGCASE &Case : g_aErrorCases)
    {
        testing::internal::CaptureStderr();
        EXPECT_EQ(RTMsgError(Case.pszFormat, Case.pszArg), 0);
        std::string const strErr = testing::internal::GetCapturedStderr();
        EXPECT_EQ(strErr, Case.pszExpected) << "format '" << Case.pszFormat << "'";
    }
}

TEST(StreamStd, InfoGoesToStandardOutput)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(RTMsgInfo("%u files\nready", 3u), 0);
    std::string const strErr = testing::internal::GetCapturedStderr();
    std::string const strOut = testing::internal::GetCapturedStdout();
    EXPECT_EQ(strOut, "tstTool: info: 3 files\ntstTool: info: ready\n");
    EXPECT_EQ(strErr, "");
}

TEST(StreamStd, InitFailure)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(RTMsgInitFailure(VERR_NO_MEMORY), RTEXITCODE_INIT);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "tstTool: fatal error: RTR3Init: " + expectedRc(VERR_NO_MEMORY) + "\n");

    /* Without a usable name the line starts with the kind. */
    static const char * const s_apszPaths[] = { "", "tstTool", "/opt/kelb/" };
    for (const char *pszPath : s_apszPaths)
    {
        RTStrCopyTo(g_szExePath, sizeof(g_szExePath), pszPath);
        rtProcParseExePath();
        testing::internal::CaptureStderr();
        EXPECT_EQ(RTMsgInitFailure(VERR_INVALID_PARAMETER), RTEXITCODE_INIT);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "fatal error: RTR3Init: " + expectedRc(VERR_INVALID_PARAMETER) + "\n") << "path '" << pszPath << "'";
    }
    RTStrCopyTo(g_szExePath, sizeof(g_szExePath), "/opt/kelb/bin/tstTool");
    rtProcParseExePath();
}

TEST_F(StreamFiles, ReassignedStreamsRedirectMessages)
{
    PRTSTREAM pErr = nullptr, pOut = nullptr;
    ASSERT_EQ(RTStrmOpen(path("err").c_str(), "w", &pErr), VINF_SUCCESS);
    ASSERT_EQ(RTStrmOpen(path("out").c_str(), "wb", &pOut), VINF_SUCCESS);
    PRTSTREAM const pOldErr = g_pStdErr, pOldOut = g_pStdOut;
    g_pStdErr = pErr;
    g_pStdOut = pOut;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    RTMsgError("disk %s", "full");
    RTMsgInfo("done\n");
    RTPrintf("plain\n");
    std::string const strErr = testing::internal::GetCapturedStderr();
    std::string const strOut = testing::internal::GetCapturedStdout();
    g_pStdErr = pOldErr;
    g_pStdOut = pOldOut;
    rtStrmTerm();
    EXPECT_EQ(strErr, "");
    EXPECT_EQ(strOut, "");
    EXPECT_EQ(readFile(path("err")), "tstTool: error: disk full\r\n");
    EXPECT_EQ(readFile(path("out")), "tstTool: info: done\nplain\n");
}

} /* namespace */
