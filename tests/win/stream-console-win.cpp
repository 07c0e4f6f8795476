/*
 * The streams on a real console: line buffering of the standard output and
 * the code page its text is written in, and a stream opened on CONOUT$ as
 * the launcher opens one for --verbose. What reached the console is read
 * back from its screen buffer, in UTF-16, so the check does not depend on
 * the console's code page.
 *
 * Must run with a console: under Wine that is a pseudo terminal (the test
 * is started through script(1)).
 */
#include <tulo/stream.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

#include <string>

#include <windows.h>

namespace {

class StreamConsole : public testing::Test
{
protected:
    HANDLE m_hConOut = INVALID_HANDLE_VALUE;

    void SetUp() override
    {
        DWORD fMode = 0;
        ASSERT_TRUE(GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &fMode))
            << "standard output is not a console: run this test on a terminal";
        m_hConOut = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(m_hConOut, INVALID_HANDLE_VALUE);
        /* A clean screen with the cursor at the top, so that nothing scrolls
         * the rows away while a test looks at them. */
        CONSOLE_SCREEN_BUFFER_INFO Info;
        ASSERT_TRUE(GetConsoleScreenBufferInfo(m_hConOut, &Info));
        DWORD cWritten = 0;
        COORD const Home = { 0, 0 };
        ASSERT_TRUE(FillConsoleOutputCharacterW(m_hConOut, L' ', (DWORD)Info.dwSize.X * (DWORD)Info.dwSize.Y, Home,
                                                &cWritten));
        ASSERT_TRUE(SetConsoleCursorPosition(m_hConOut, Home));
    }

    void TearDown() override
    {
        if (m_hConOut != INVALID_HANDLE_VALUE)
            CloseHandle(m_hConOut);
    }

    /** The row the cursor is on. */
    SHORT cursorRow()
    {
        CONSOLE_SCREEN_BUFFER_INFO Info;
        EXPECT_TRUE(GetConsoleScreenBufferInfo(m_hConOut, &Info));
        return Info.dwCursorPosition.Y;
    }

    /** The text of a row, without the blanks that fill it. */
    std::wstring row(SHORT iRow)
    {
        wchar_t wsz[256] = { 0 };
        DWORD cRead = 0;
        COORD const Pos = { 0, iRow };
        EXPECT_TRUE(ReadConsoleOutputCharacterW(m_hConOut, wsz, 255, Pos, &cRead));
        std::wstring wstr(wsz, cRead);
        size_t const off = wstr.find_last_not_of(L' ');
        return off == std::wstring::npos ? std::wstring() : wstr.substr(0, off + 1);
    }
};

/* On a console the standard output is written line by line, and text that is
 * not ASCII arrives as the same characters. */
TEST_F(StreamConsole, StandardOutputIsLineBufferedInTheConsoleCodePage)
{
    /* Everything is read before anything is checked: a failure's report
     * goes to this console too. */
    SHORT const iRow = cursorRow();
    RTPrintf("J\xc3\xb6rg \xc3\xa9t\xc3\xa9\nheld back");
    std::wstring const wstrFirst = row(iRow);
    std::wstring const wstrUnfinished = row(iRow + 1);
    RTPrintf(" until now\n");
    std::wstring const wstrFinished = row(iRow + 1);
    EXPECT_EQ(wstrFirst, L"J\u00f6rg \u00e9t\u00e9") << "console code page " << GetConsoleOutputCP();
    EXPECT_EQ(wstrUnfinished, L"") << "the unfinished line was written";
    EXPECT_EQ(wstrFinished, L"held back until now");
}

/* The launcher's --verbose console: CONOUT$ opened by name, made unbuffered. */
TEST_F(StreamConsole, StreamOpenedOnConOut)
{
    PRTSTREAM pStream = nullptr;
    ASSERT_EQ(RTStrmOpen("CONOUT$", "w", &pStream), VINF_SUCCESS);
    ASSERT_EQ(RTStrmSetBufferingMode(pStream, RTSTRMBUFMODE_UNBUFFERED), VINF_SUCCESS);
    SHORT const iRow = cursorRow();
    ptrdiff_t const cch = RTStrmPrintf(pStream, "opened by name: %d\n", 42);
    std::wstring const wstrRow = row(iRow);
    SHORT const iRowAfter = cursorRow();
    EXPECT_EQ(cch, 19);
    EXPECT_EQ(wstrRow, L"opened by name: 42");
    EXPECT_EQ(iRowAfter, iRow + 1);
}

} /* namespace */
