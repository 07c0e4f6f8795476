/*
 * Native and Win32 path forms: prefixes by path shape and system generation,
 * absolute resolution, the extended \\?\ form for long paths, and the native
 * open with its trailing-backslash recovery.
 */
#include <tulo/err.h>

#include "r3/win/internal-fs-win.h"
#include "r3/nt/internal-r3-nt.h"
#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

namespace {

std::wstring tstNtName(const char *pszPath, uint32_t uMajor, int *prc)
{
    UNICODE_STRING NtName;
    HANDLE hRoot = (HANDLE)(uintptr_t)1;
    *prc = rtNtPathFromWinUtf8Ex(&NtName, &hRoot, pszPath, uMajor);
    if (RT_FAILURE(*prc))
        return L"<failed>";
    std::wstring wstr(NtName.Buffer, NtName.Length / sizeof(wchar_t));
    /* Counted and terminated, no root. */
    EXPECT_EQ(NtName.MaximumLength, NtName.Length + sizeof(wchar_t));
    EXPECT_EQ(NtName.Buffer[NtName.Length / sizeof(wchar_t)], L'\0');
    EXPECT_EQ(hRoot, (HANDLE)nullptr);
    RTNtPathFree(&NtName, &hRoot);
    EXPECT_EQ(NtName.Buffer, nullptr);
    return wstr;
}

std::wstring tstCwdW()
{
    wchar_t wsz[4096];
    DWORD const cwc = GetCurrentDirectoryW(RT_ELEMENTS(wsz), wsz);
    std::wstring wstr(wsz, cwc);
    if (!wstr.empty() && wstr.back() != L'\\')
        wstr += L'\\';
    return wstr;
}

std::vector<std::wstring> g_aNtCreateNames;
decltype(&NtCreateFile)   g_pfnRealNtCreateFile;
/** Refuses directory names without a trailing backslash, as some file systems do. */
NTSTATUS NTAPI tstFakeNtCreateFile(PHANDLE ph, ACCESS_MASK fAccess, POBJECT_ATTRIBUTES pObjAttr, PIO_STATUS_BLOCK pIos,
                                   PLARGE_INTEGER pcbAlloc, ULONG fAttr, ULONG fShare, ULONG uDisp, ULONG fOptions,
                                   PVOID pvEa, ULONG cbEa)
{
    PCUNICODE_STRING pName = pObjAttr->ObjectName;
    g_aNtCreateNames.push_back(std::wstring(pName->Buffer, pName->Length / sizeof(wchar_t)));
    if (pName->Length && pName->Buffer[pName->Length / sizeof(wchar_t) - 1] != L'\\')
        return (NTSTATUS)0xC000000DL;
    return g_pfnRealNtCreateFile(ph, fAccess, pObjAttr, pIos, pcbAlloc, fAttr, fShare, uDisp, fOptions, pvEa, cbEa);
}

} /* namespace */

TEST(NtPath, FormsTable)
{
    static const struct
    {
        const char    *pszPath;
        uint32_t       uMajor;
        const wchar_t *pwszNt;
    } s_aCases[] =
    {
        { "C:\\a\\..\\b",              10, L"\\??\\C:\\b" },
        { "c:\\x",                     10, L"\\??\\C:\\x" },
        { "C:/x/./y/",                 10, L"\\??\\C:\\x\\y\\" },
        { "\\\\srv\\share\\dir",       10, L"\\??\\UNC\\srv\\share\\dir" },
        { "//srv/share/../x",          10, L"\\??\\UNC\\srv\\share\\x" },
        { "\\\\?\\C:\\a\\..\\b",       10, L"\\??\\C:\\a\\..\\b" },
        { "\\\\?\\UNC\\srv\\s",        10, L"\\??\\UNC\\srv\\s" },
        { "\\\\.\\COM1",               10, L"\\??\\COM1" },
        { "\\\\.\\pipe\\p",            10, L"\\??\\pipe\\p" },
        { "\\\\:tulont:\\Device\\Null", 10, L"\\Device\\Null" },
        { "//:tulont:/",               10, L"/" },
        { "C:\\" TSTW_UNICODE_NAME,    10, L"\\??\\C:\\J\u00f6rg \u0141ukasz \u4e2d\u6587" },
        /* Systems before major version 4 know only \DosDevices\. */
        { "C:\\x",                     3,  L"\\DosDevices\\C:\\x" },
        { "\\\\srv\\share",            3,  L"\\DosDevices\\UNC\\srv\\share" },
        { "\\\\?\\C:\\x",              3,  L"\\DosDevices\\C:\\x" },
        { "\\\\.\\COM1",               3,  L"\\DosDevices\\COM1" },
    };
    for (auto const &Case : s_aCases)
    {
        int rc;
        EXPECT_EQ(tstNtName(Case.pszPath, Case.uMajor, &rc), Case.pwszNt) << Case.pszPath << " " << Case.uMajor;
        EXPECT_EQ(rc, VINF_SUCCESS);
    }

    /* Relative paths resolve against the current directory. */
    int rc;
    EXPECT_EQ(tstNtName("rel\\f.txt", 10, &rc), L"\\??\\" + tstCwdW() + L"rel\\f.txt");
    EXPECT_EQ(tstNtName(".", 10, &rc), L"\\??\\" + tstCwdW().substr(0, tstCwdW().size() - (tstCwdW().size() > 3)));

    /* The public entry takes the running system's generation. */
    UNICODE_STRING NtName;
    HANDLE hRoot;
    ASSERT_EQ(RTNtPathFromWinUtf8(&NtName, &hRoot, "C:\\x"), VINF_SUCCESS);
    EXPECT_EQ(std::wstring(NtName.Buffer, NtName.Length / 2), L"\\??\\C:\\x");
    RTNtPathFree(&NtName, &hRoot);
}

TEST(NtPath, Limits)
{
    int rc;
    /* Long absolute paths go through the growing buffers. */
    std::string strLong = "C:";
    while (strLong.size() < 20000)
        strLong += "\\" + std::string(200, 'n');
    std::wstring const wstrLong = tstNtName(strLong.c_str(), 10, &rc);
    ASSERT_EQ(rc, VINF_SUCCESS);
    EXPECT_EQ(wstrLong, L"\\??\\" + TstU8ToW(strLong));

    /* 32766 units is the most a native name holds. */
    std::string strMax = "\\\\?\\C:\\";
    strMax += std::string(32766 - strMax.size(), 'm');
    EXPECT_EQ(tstNtName(strMax.c_str(), 10, &rc).size(), 32766u);
    EXPECT_EQ(rc, VINF_SUCCESS);
    strMax += "m";
    tstNtName(strMax.c_str(), 10, &rc);
    EXPECT_EQ(rc, VERR_FILENAME_TOO_LONG);
    std::string strRaw = "\\\\:tulont:\\" + std::string(32767, 'r');
    tstNtName(strRaw.c_str(), 10, &rc);
    EXPECT_EQ(rc, VERR_FILENAME_TOO_LONG);
    std::string strAbs = "C:\\" + std::string(40000, 'a');
    tstNtName(strAbs.c_str(), 10, &rc);
    EXPECT_EQ(rc, VERR_FILENAME_TOO_LONG);

    /* Invalid UTF-8 is refused, not passed on. */
    tstNtName("C:\\bad\xff", 10, &rc);
    EXPECT_EQ(rc, VERR_INVALID_UTF8_ENCODING);
}

TEST(Win32Path, FormsTable)
{
    std::wstring const wstrCwd = tstCwdW();
    size_t const cwcCwd = wstrCwd.size() - (wstrCwd.size() > 3); /* as GetCurrentDirectoryW reports it */
    std::string const strLong300 = "C:\\" + std::string(297, 'l');
    std::string const strRelAtLimit(242 - (cwcCwd + 1), 'r');
    std::string const strRelOver(242 - cwcCwd, 'r');
    struct
    {
        std::string  strPath;
        std::wstring wstrExpect;
    } const aCases[] =
    {
        { "C:\\short",                      L"C:\\short" },
        { "C:/mixed/slashes",               L"C:/mixed/slashes" },
        { "\\\\?\\C:\\a\\..\\b",            L"\\\\?\\C:\\a\\..\\b" },
        { "\\\\srv\\share\\f",              L"\\\\srv\\share\\f" },
        { "\\rooted",                       L"\\rooted" },
        { "rel",                            L"rel" },
        { strLong300,                       L"\\\\?\\" + TstU8ToW(strLong300) },
        { "C:\\" + std::string(240, 'e'),   L"C:\\" + std::wstring(240, L'e') },
        { "C:\\" + std::string(241, 'e'),   L"\\\\?\\C:\\" + std::wstring(241, L'e') },
        { "\\\\srv\\s\\" + std::string(232, 'u'), L"\\\\srv\\s\\" + std::wstring(232, L'u') },
        { "\\\\srv\\s\\" + std::string(233, 'u'), L"\\\\?\\UNC\\srv\\s\\" + std::wstring(233, L'u') },
        { strRelAtLimit,                    TstU8ToW(strRelAtLimit) },
        { strRelOver,                       L"\\\\?\\" + wstrCwd + TstU8ToW(strRelOver) },
        { "C:\\a\\..\\" + std::string(300, 'z'), L"\\\\?\\C:\\" + std::wstring(300, L'z') },
    };
    for (auto const &Case : aCases)
    {
        PRTUTF16 pwsz = nullptr;
        ASSERT_EQ(rtPathWin32FromUtf8(&pwsz, Case.strPath.c_str()), VINF_SUCCESS) << Case.strPath;
        EXPECT_EQ(std::wstring((const wchar_t *)pwsz), Case.wstrExpect) << Case.strPath;
        rtPathWin32Free(pwsz);
    }

    /* A long raw native name has no Win32 form. */
    PRTUTF16 pwsz = nullptr;
    std::string const strRaw = "\\\\:tulont:\\Device\\" + std::string(300, 'd');
    EXPECT_EQ(rtPathWin32FromUtf8(&pwsz, strRaw.c_str()), VERR_FILENAME_TOO_LONG);
    EXPECT_EQ(pwsz, nullptr);
}

TEST(NtPathOpen, TrailingBackslashRetry)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstSysRestore Restore;
    g_aNtCreateNames.clear();
    g_pfnRealNtCreateFile = g_rtWinFsSys.pfnNtCreateFile;
    g_rtWinFsSys.pfnNtCreateFile = tstFakeNtCreateFile;
    HANDLE h = nullptr;
    bool fObjDir = true;
    ASSERT_EQ(RTNtPathOpen(Dir.path().c_str(), FILE_LIST_DIRECTORY | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT, OBJ_CASE_INSENSITIVE, &h, &fObjDir),
              VINF_SUCCESS);
    EXPECT_FALSE(fObjDir) << "only raw native names may become object directories";
    ASSERT_EQ(g_aNtCreateNames.size(), 2u);
    EXPECT_EQ(g_aNtCreateNames[1], g_aNtCreateNames[0] + L"\\");
    EXPECT_EQ(RTNtPathClose(h), VINF_SUCCESS);

    /* Without the recovery succeeding, the converted status comes back and the handle stays invalid. */
    rtWinFsSysReset();
    h = nullptr;
    EXPECT_EQ(RTNtPathOpen(Dir.sub("missing").c_str(), FILE_READ_ATTRIBUTES | SYNCHRONIZE, 7,
                           FILE_SYNCHRONOUS_IO_NONALERT, OBJ_CASE_INSENSITIVE, &h, nullptr), VERR_FILE_NOT_FOUND);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE);

    /* The object manager's root is a directory object, reachable only by a raw name. */
    ASSERT_EQ(RTNtPathOpen("\\\\:tulont:\\", 0x100001 /*list, synchronise*/, 3, FILE_DIRECTORY_FILE,
                           OBJ_CASE_INSENSITIVE, &h, &fObjDir), VINF_SUCCESS);
    EXPECT_TRUE(fObjDir);
    EXPECT_EQ(RTNtPathClose(h), VINF_SUCCESS);
}
