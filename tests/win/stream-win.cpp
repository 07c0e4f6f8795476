/*
 * The streams on Windows: the open modes on real files, the buffering of a
 * redirected standard output in a program without the C runtime (started
 * as a child with its output in files), the buffering modes, sticky errors
 * from write failures injected through the file layer's call table,
 * conversion to the ANSI code page, and the tool messages.
 */
#include <tulo/stream.h>
#include <tulo/message.h>
#include <tulo/process.h>
#include <tulo/err.h>

#include "r3/internal-stream.h"
#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

namespace {

/* The program name of the messages: this executable's own. */
int const g_iExePathSet = []
{
    if (RT_SUCCESS(rtProcInitExePath(g_szExePath, sizeof(g_szExePath))))
        rtProcParseExePath();
    return 0;
}();

std::wstring tstExeDir()
{
    wchar_t wsz[MAX_PATH * 4];
    DWORD const cwc = GetModuleFileNameW(nullptr, wsz, RT_ELEMENTS(wsz));
    std::wstring wstr(wsz, cwc);
    return wstr.substr(0, wstr.find_last_of(L"\\/"));
}

class StreamWin : public testing::Test
{
protected:
    std::wstring m_wstrDir;

    void SetUp() override
    {
        (void)g_iExePathSet;
        wchar_t wszTmp[MAX_PATH];
        GetTempPathW(RT_ELEMENTS(wszTmp), wszTmp);
        m_wstrDir = std::wstring(wszTmp) + L"tstw-stream-" + std::to_wstring(GetCurrentProcessId()) + L"-"
                  + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(m_wstrDir.c_str(), nullptr));
    }

    void TearDown() override
    {
        rtWinFsSysReset();
        /* Streams opened by name live until termination: end them so that
         * their files can go. */
        rtStrmTerm();
        WIN32_FIND_DATAW Data;
        HANDLE hFind = FindFirstFileW((m_wstrDir + L"\\*").c_str(), &Data);
        if (hFind != INVALID_HANDLE_VALUE)
        {
            do
                if (!(Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileW((m_wstrDir + L"\\" + Data.cFileName).c_str());
            while (FindNextFileW(hFind, &Data));
            FindClose(hFind);
        }
        EXPECT_TRUE(RemoveDirectoryW(m_wstrDir.c_str()));
    }

    std::wstring path(const char *pszName) const
    {
        return m_wstrDir + L"\\" + TstU8ToW(pszName);
    }

    std::string pathU8(const char *pszName) const
    {
        return TstWToU8(path(pszName));
    }

    /** Runs the program without the C runtime with standard output and error
     * in files; returns its exit code. */
    DWORD runNoCrtChild(const char *pszOp, const std::wstring &wstrOut, const std::wstring &wstrErr)
    {
        SECURITY_ATTRIBUTES Sa = { sizeof(Sa), nullptr, TRUE };
        HANDLE hOut = CreateFileW(wstrOut.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &Sa,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        HANDLE hErr = CreateFileW(wstrErr.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &Sa,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(hOut, INVALID_HANDLE_VALUE);
        EXPECT_NE(hErr, INVALID_HANDLE_VALUE);
        std::wstring const wstrExe = tstExeDir() + L"\\tstw-stream-nocrt.exe";
        std::wstring wstrCmd = L"\"" + wstrExe + L"\" " + TstU8ToW(pszOp);
        STARTUPINFOW Si;
        memset(&Si, 0, sizeof(Si));
        Si.cb = sizeof(Si);
        Si.dwFlags = STARTF_USESTDHANDLES;
        Si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        Si.hStdOutput = hOut;
        Si.hStdError = hErr;
        PROCESS_INFORMATION Pi;
        DWORD dwExit = 0xdead;
        if (CreateProcessW(wstrExe.c_str(), &wstrCmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &Si, &Pi))
        {
            WaitForSingleObject(Pi.hProcess, 60000);
            GetExitCodeProcess(Pi.hProcess, &dwExit);
            CloseHandle(Pi.hThread);
            CloseHandle(Pi.hProcess);
        }
        else
            ADD_FAILURE() << "cannot start " << TstWToU8(wstrExe) << ": " << GetLastError();
        CloseHandle(hErr);
        CloseHandle(hOut);
        return dwExit;
    }
};

/*
 * Open modes.
 */

TEST_F(StreamWin, OpenModesOnFiles)
{
    static const struct
    {
        const char *pszMode;
        const char *pszBefore;      /**< content of an existing file, NULL for none */
        int         rc;
        const char *pszAfter;       /**< content after printing "x\n" and terminating */
    } s_aCases[] =
    {
        { "ab",  "old\n",  VINF_SUCCESS,        "old\nx\n" },
        { "a",   "old\n",  VINF_SUCCESS,        "old\nx\r\n" },
        { "a+",  nullptr,  VINF_SUCCESS,        "x\r\n" },
        { "w",   "older",  VINF_SUCCESS,        "x\r\n" },
        { "wt",  nullptr,  VINF_SUCCESS,        "x\r\n" },
        { "wb",  "older",  VINF_SUCCESS,        "x\n" },
        { "wx",  nullptr,  VINF_SUCCESS,        "x\r\n" },
        { "wx",  "old",    VERR_ALREADY_EXISTS, "old" },
        { "wxb", "old",    VERR_ALREADY_EXISTS, "old" },
        { "r+",  "abcd",   VINF_SUCCESS,        "x\r\nd" },
        { "r",   nullptr,  VERR_FILE_NOT_FOUND, "<missing>" },
        { "r+x", "old",    VERR_INVALID_FLAGS,  "old" },
        { "",    nullptr,  VERR_INVALID_FLAGS,  "<missing>" },
    };
    std::vector<std::wstring> aPaths;
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        aPaths.push_back(path(("f" + std::to_string(i)).c_str()));
        if (s_aCases[i].pszBefore)
        {
            ASSERT_TRUE(TstWriteFileW(aPaths[i], s_aCases[i].pszBefore));
        }
        PRTSTREAM pStream = (PRTSTREAM)(uintptr_t)0x1234;
        int const rc = RTStrmOpen(TstWToU8(aPaths[i]).c_str(), s_aCases[i].pszMode, &pStream);
        EXPECT_EQ(rc, s_aCases[i].rc) << "mode " << s_aCases[i].pszMode;
        if (RT_SUCCESS(rc))
        {
            EXPECT_EQ(RTStrmPrintf(pStream, "x\n"), 2);
        }
        else
        {
            EXPECT_EQ(pStream, nullptr);
        }
    }
    rtStrmTerm();
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
        EXPECT_EQ(TstReadFileW(aPaths[i]), s_aCases[i].pszAfter) << "case " << i << " mode " << s_aCases[i].pszMode;
}

/*
 * Buffering.
 */

TEST_F(StreamWin, RedirectedStdOutIsWrittenAtExit)
{
    std::wstring const wstrOut = path("out"), wstrErr = path("err");
    /* Nothing had reached the file when main returned. */
    EXPECT_EQ(runNoCrtChild("lines", wstrOut, wstrErr), 0u);
    EXPECT_EQ(TstReadFileW(wstrOut), "line 1\r\nline 2\r\n");
    EXPECT_EQ(TstReadFileW(wstrErr), "tstw-stream-nocrt.exe: error: bad 7\r\n");
}

TEST_F(StreamWin, RedirectedStdOutIsWrittenWhenTheBufferFills)
{
    std::wstring const wstrOut = path("out"), wstrErr = path("err");
    EXPECT_EQ(runNoCrtChild("big", wstrOut, wstrErr), 65536u);
    EXPECT_EQ(TstReadFileW(wstrOut), std::string(70000, 'y'));
    EXPECT_EQ(TstReadFileW(wstrErr), "");
}

TEST_F(StreamWin, UnbufferedStdOutIsWrittenAtOnce)
{
    std::wstring const wstrOut = path("out"), wstrErr = path("err");
    EXPECT_EQ(runNoCrtChild("unbuffered", wstrOut, wstrErr), 5u);
    EXPECT_EQ(TstReadFileW(wstrOut), "abc\r\n");
}

TEST_F(StreamWin, BufferingModes)
{
    static const struct
    {
        RTSTRMBUFMODE enmMode;
        const char   *pszBeforeTerm;
    } s_aCases[] =
    {
        { RTSTRMBUFMODE_FULL,       "" },
        { RTSTRMBUFMODE_LINE,       "one\r\n" },
        { RTSTRMBUFMODE_UNBUFFERED, "one\r\ntwo" },
    };
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        std::wstring const wstrPath = path(("f" + std::to_string(i)).c_str());
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "w", &pStream), VINF_SUCCESS);
        ASSERT_EQ(RTStrmSetBufferingMode(pStream, s_aCases[i].enmMode), VINF_SUCCESS);
        EXPECT_EQ(RTStrmPrintf(pStream, "one\ntwo"), 7);
        EXPECT_EQ(TstReadFileW(wstrPath), s_aCases[i].pszBeforeTerm) << "mode " << s_aCases[i].enmMode;
        rtStrmTerm();
        EXPECT_EQ(TstReadFileW(wstrPath), "one\r\ntwo") << "mode " << s_aCases[i].enmMode;
    }
}

/*
 * Sticky errors.
 */

unsigned g_cWrites;
DWORD    g_dwWriteError;

BOOL WINAPI tstFailingWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD pcbWritten, LPOVERLAPPED)
{
    g_cWrites++;
    if (pcbWritten)
        *pcbWritten = 0;
    SetLastError(g_dwWriteError);
    return FALSE;
}

/* Claims success and takes nothing, as a broken device might. */
BOOL WINAPI tstStuckWriteFile(HANDLE, LPCVOID, DWORD, LPDWORD pcbWritten, LPOVERLAPPED)
{
    g_cWrites++;
    if (pcbWritten)
        *pcbWritten = 0;
    return TRUE;
}

TEST_F(StreamWin, WriteFailureIsSticky)
{
    static const struct
    {
        decltype(&WriteFile) pfnWrite;
        DWORD                dwErr;
        int                  rcSticky;
    } s_aCases[] =
    {
        { tstFailingWriteFile, ERROR_DISK_FULL,      VERR_DISK_FULL },
        { tstFailingWriteFile, ERROR_ACCESS_DENIED,  VERR_ACCESS_DENIED },
        { tstStuckWriteFile,   0,                    VERR_WRITE_ERROR },
    };
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        std::wstring const wstrPath = path(("f" + std::to_string(i)).c_str());
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "wb", &pStream), VINF_SUCCESS);
        ASSERT_EQ(RTStrmSetBufferingMode(pStream, RTSTRMBUFMODE_UNBUFFERED), VINF_SUCCESS);
        EXPECT_EQ(RTStrmPrintf(pStream, "first\n"), 6);

        rtWinFsSys();
        g_cWrites = 0;
        g_dwWriteError = s_aCases[i].dwErr;
        g_rtWinFsSys.pfnWriteFile = s_aCases[i].pfnWrite;
        EXPECT_EQ(RTStrmPrintf(pStream, "second\n"), -1) << "case " << i;
        EXPECT_EQ(pStream->i32Error, s_aCases[i].rcSticky) << "case " << i;
        unsigned const cWrites = g_cWrites;
        EXPECT_GE(cWrites, 1u);
        rtWinFsSysReset();

        /* The device works again; the stream stays stopped, at exit too. */
        EXPECT_EQ(RTStrmPrintf(pStream, "third\n"), -1);
        EXPECT_EQ(RTStrmSetBufferingMode(pStream, RTSTRMBUFMODE_FULL), VINF_SUCCESS);
        EXPECT_EQ(RTStrmPrintf(pStream, "fourth\n"), -1);
        EXPECT_EQ(pStream->i32Error, s_aCases[i].rcSticky);
        rtStrmTerm();
        EXPECT_EQ(TstReadFileW(wstrPath), "first\n") << "case " << i;
    }
}

TEST_F(StreamWin, FailureOfABufferedWriteShowsAtTheFlush)
{
    std::wstring const wstrPath = path("f");
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "w", &pStream), VINF_SUCCESS);
    EXPECT_EQ(RTStrmPrintf(pStream, "kept in the buffer\n"), 19);
    rtWinFsSys();
    g_cWrites = 0;
    g_dwWriteError = ERROR_DISK_FULL;
    g_rtWinFsSys.pfnWriteFile = tstFailingWriteFile;
    std::string const strBig(70000, 'q');
    EXPECT_EQ(RTStrmPrintf(pStream, "%s", strBig.c_str()), -1);
    EXPECT_EQ(pStream->i32Error, VERR_DISK_FULL);
    /* Termination writes nothing of a failed stream. */
    unsigned const cWrites = g_cWrites;
    rtStrmTerm();
    EXPECT_EQ(g_cWrites, cWrites);
    rtWinFsSysReset();
}

/*
 * Code-page conversion.
 */

TEST_F(StreamWin, ConversionToTheAnsiCodePage)
{
    std::wstring const wstrPath = path("f");
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "w", &pStream), VINF_SUCCESS);
    /* As the standard streams do. */
    pStream->fCurrentCodeSet = true;
    EXPECT_EQ(RTStrmPrintf(pStream, "J%srg\n", "\xc3\xb6"), 6);
    EXPECT_EQ(RTStrmPrintf(pStream, "bad \xff"), VERR_INVALID_UTF8_ENCODING);
    EXPECT_EQ(pStream->i32Error, 0);
    EXPECT_EQ(RTStrmPrintf(pStream, "ok\n"), 3);
    rtStrmTerm();

    char szAnsi[8] = "";
    BOOL fUsedDefault = FALSE;
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, L"\x00f6", 1, szAnsi, sizeof(szAnsi) - 1, nullptr, &fUsedDefault), 0);
    EXPECT_EQ(TstReadFileW(wstrPath), std::string("J") + szAnsi + "rg\r\nok\r\n");
}

/*
 * Tool messages.
 */

TEST_F(StreamWin, ToolMessagesOnAReassignedStandardError)
{
    static const struct
    {
        const char *pszFormat;
        const char *pszExpected;
    } s_aCases[] =
    {
        { "a\n\nb", "tstw-stream.exe: error: a\r\n\r\ntstw-stream.exe: error: b\r\n" },
        { "end\n",  "tstw-stream.exe: error: end\r\n" },
        { "",       "\r\n" },
        { "\n",     "\r\n" },
    };
    PRTSTREAM const pOldErr = g_pStdErr;
    for (size_t i = 0; i < RT_ELEMENTS(s_aCases); i++)
    {
        std::wstring const wstrPath = path(("f" + std::to_string(i)).c_str());
        PRTSTREAM pStream = nullptr;
        ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "w", &pStream), VINF_SUCCESS);
        g_pStdErr = pStream;
        EXPECT_EQ(RTMsgError(s_aCases[i].pszFormat), 0);
        g_pStdErr = pOldErr;
        rtStrmTerm();
        EXPECT_EQ(TstReadFileW(wstrPath), s_aCases[i].pszExpected) << "format '" << s_aCases[i].pszFormat << "'";
    }
}

TEST_F(StreamWin, InfoAndPrintfFollowStandardOutput)
{
    std::wstring const wstrPath = path("out");
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen(TstWToU8(wstrPath).c_str(), "wb", &pStream), VINF_SUCCESS);
    PRTSTREAM const pOldOut = g_pStdOut;
    g_pStdOut = pStream;
    RTMsgInfo("%d packages", 2);
    RTPrintf("Version: %u\n", 7u);
    g_pStdOut = pOldOut;
    rtStrmTerm();
    EXPECT_EQ(TstReadFileW(wstrPath), "tstw-stream.exe: info: 2 packages\nVersion: 7\n");
}

} /* namespace */
