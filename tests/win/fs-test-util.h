/*
 * Helpers of the Windows-side file system tests: a scratch directory whose
 * name is outside the ANSI code page, text conversion and file access that
 * do not go through the code under test, and the table reset and the fault
 * plans of fault injection.
 */
#ifndef TSTW_FS_TEST_UTIL_H
#define TSTW_FS_TEST_UTIL_H

#include <tulo/err.h>

#include "r3/win/syscall-win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

/** True under Wine, where a few things the tests look at differ from Windows. */
inline bool TstIsWine()
{
    HMODULE const hNtDll = GetModuleHandleW(L"ntdll.dll");
    return hNtDll && GetProcAddress(hNtDll, "wine_get_version") != nullptr;
}

/** A name no ANSI code page holds in full. */
#define TSTW_UNICODE_NAME "J\xc3\xb6rg \xc5\x81ukasz \xe4\xb8\xad\xe6\x96\x87"

inline std::wstring TstU8ToW(const std::string &str)
{
    if (str.empty())
        return std::wstring();
    int const cwc = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, str.data(), (int)str.size(), nullptr, 0);
    std::wstring wstr((size_t)cwc, L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, str.data(), (int)str.size(), &wstr[0], cwc);
    return wstr;
}

inline std::string TstWToU8(const std::wstring &wstr)
{
    if (wstr.empty())
        return std::string();
    int const cch = WideCharToMultiByte(CP_UTF8, 0, wstr.data(), (int)wstr.size(), nullptr, 0, nullptr, nullptr);
    std::string str((size_t)cch, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wstr.data(), (int)wstr.size(), &str[0], cch, nullptr, nullptr);
    return str;
}

/** The extended form of an absolute path, for the test's own Win32 calls. */
inline std::wstring TstLongW(const std::string &strPath)
{
    std::wstring w = TstU8ToW(strPath);
    for (auto &wc : w)
        if (wc == L'/')
            wc = L'\\';
    if (w.compare(0, 4, L"\\\\?\\") == 0)
        return w;
    return L"\\\\?\\" + w;
}

inline bool TstExists(const std::string &strPath)
{
    return GetFileAttributesW(TstLongW(strPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool TstIsDir(const std::string &strPath)
{
    DWORD const fAttr = GetFileAttributesW(TstLongW(strPath).c_str());
    return fAttr != INVALID_FILE_ATTRIBUTES && (fAttr & FILE_ATTRIBUTE_DIRECTORY);
}

/** Replaces the file's content; the path is passed to the platform as it is. */
inline bool TstWriteFileW(const std::wstring &wstrPath, const std::string &strData)
{
    HANDLE h = CreateFileW(wstrPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD cbWritten = 0;
    BOOL const fOk = WriteFile(h, strData.data(), (DWORD)strData.size(), &cbWritten, nullptr);
    CloseHandle(h);
    return fOk && cbWritten == strData.size();
}

inline bool TstWriteFile(const std::string &strPath, const std::string &strData)
{
    return TstWriteFileW(TstLongW(strPath), strData);
}

/** The whole content, or "<missing>" when the file cannot be opened; the
 * path is passed to the platform as it is. */
inline std::string TstReadFileW(const std::wstring &wstrPath)
{
    HANDLE h = CreateFileW(wstrPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string str;
    char ab[4096];
    DWORD cbRead = 0;
    while (ReadFile(h, ab, sizeof(ab), &cbRead, nullptr) && cbRead)
        str.append(ab, cbRead);
    CloseHandle(h);
    return str;
}

inline std::string TstReadFile(const std::string &strPath)
{
    return TstReadFileW(TstLongW(strPath));
}

/** A writable, terminated copy, for the functions that fill in a name template in place. */
inline std::vector<char> TstBuf(const std::string &str)
{
    std::vector<char> ab(str.begin(), str.end());
    ab.push_back('\0');
    return ab;
}

inline void TstRemoveTree(const std::wstring &wstrDir)
{
    WIN32_FIND_DATAW Data;
    HANDLE hFind = FindFirstFileW((wstrDir + L"\\*").c_str(), &Data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            std::wstring const wstrName = Data.cFileName;
            if (wstrName == L"." || wstrName == L"..")
                continue;
            std::wstring const wstrChild = wstrDir + L"\\" + wstrName;
            SetFileAttributesW(wstrChild.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                TstRemoveTree(wstrChild);
            else
                DeleteFileW(wstrChild.c_str());
        } while (FindNextFileW(hFind, &Data));
        FindClose(hFind);
    }
    RemoveDirectoryW(wstrDir.c_str());
}

/** A fresh directory under the temporary directory, its name outside the
 * ANSI code page; removed with everything in it at the end. */
class TstScratchDir
{
public:
    TstScratchDir()
    {
        static unsigned s_iSeq = 0;
        wchar_t wszTemp[MAX_PATH + 1];
        DWORD const cwc = GetTempPathW(RT_ELEMENTS(wszTemp), wszTemp);
        std::string strBase = TstWToU8(std::wstring(wszTemp, cwc));
        if (!strBase.empty() && strBase.back() != '\\')
            strBase += '\\';
        m_strPath = strBase + "tstw-fs " TSTW_UNICODE_NAME "-" + std::to_string(GetCurrentProcessId()) + "-"
                  + std::to_string(++s_iSeq);
        TstRemoveTree(TstLongW(m_strPath));
        m_fOk = CreateDirectoryW(TstLongW(m_strPath).c_str(), nullptr) != FALSE;
    }
    ~TstScratchDir()
    {
        TstRemoveTree(TstLongW(m_strPath));
    }
    bool ok() const { return m_fOk; }
    const std::string &path() const { return m_strPath; }
    std::string sub(const std::string &strName) const { return m_strPath + "\\" + strName; }

private:
    std::string m_strPath;
    bool        m_fOk;
};

/** Puts the platform call table back at the end of a fault-injection test. */
class TstSysRestore
{
public:
    TstSysRestore() { rtWinFsSysInit(); }
    ~TstSysRestore() { rtWinFsSysReset(); }
};

/** The fault plan of one injected entry: calls are counted from 1, and
 * calls iFirst .. iFirst + cFail - 1 fail (cFail UINT32_MAX: all from iFirst on). */
struct TstFaultPlan
{
    unsigned cCalls = 0;
    unsigned iFirst = 0;
    unsigned cFail  = 1;
    DWORD    dwErr  = 0;

    /** Makes calls iFirstCall .. iFirstCall + cCallsToFail - 1 fail with dwError. */
    void failFrom(unsigned iFirstCall, DWORD dwError, unsigned cCallsToFail = 1)
    {
        iFirst = iFirstCall;
        cFail  = cCallsToFail;
        dwErr  = dwError;
    }

    bool hit()
    {
        unsigned const i = ++cCalls;
        return iFirst && i >= iFirst && (cFail == UINT32_MAX || i < iFirst + cFail);
    }

    /** Counts the call; when it is one to fail, sets the plan's error as the
     * platform's last error, for the fake to return its failure value. */
    bool fails()
    {
        if (!hit())
            return false;
        SetLastError(dwErr);
        return true;
    }
};

#endif
