/*
 * Where things are on Windows: the temporary directory and its variables,
 * the environment lookup into a caller buffer, the current directory and
 * drive, changing the current directory, and the executable's directory.
 */
#include <tulo/pathspecial.h>
#include <tulo/process.h>
#include <tulo/err.h>

#include "r3/win/internal-fs-win.h"
#include "fs-test-util.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <string.h>
#include <windows.h>

namespace {

/** Sets (or, with nullptr, removes) process variables and puts the old
 * values back at the end. */
class TstEnvScope
{
public:
    ~TstEnvScope()
    {
        for (auto it = m_aSaved.rbegin(); it != m_aSaved.rend(); ++it)
            SetEnvironmentVariableW(it->first.c_str(), it->second.fSet ? it->second.wstrValue.c_str() : nullptr);
    }
    void set(const char *pszName, const char *pszValue)
    {
        std::wstring const wstrName = TstU8ToW(pszName);
        Saved Old;
        wchar_t wsz[32768];
        SetLastError(NO_ERROR);
        DWORD const cwc = GetEnvironmentVariableW(wstrName.c_str(), wsz, RT_ELEMENTS(wsz));
        Old.fSet = cwc != 0 || GetLastError() == NO_ERROR;
        Old.wstrValue.assign(wsz, cwc < RT_ELEMENTS(wsz) ? cwc : 0);
        m_aSaved.push_back(std::make_pair(wstrName, Old));
        SetEnvironmentVariableW(wstrName.c_str(), pszValue ? TstU8ToW(pszValue).c_str() : nullptr);
    }

private:
    struct Saved
    {
        bool         fSet;
        std::wstring wstrValue;
    };
    std::vector<std::pair<std::wstring, Saved>> m_aSaved;
};

/** Puts the current directory back at the end. */
class TstCwdScope
{
public:
    TstCwdScope() { m_cwc = GetCurrentDirectoryW(RT_ELEMENTS(m_wsz), m_wsz); }
    ~TstCwdScope() { SetCurrentDirectoryW(m_wsz); }

private:
    wchar_t m_wsz[4096];
    DWORD   m_cwc;
};

/* A current directory reported by the fake, for shapes this machine has none of. */
const wchar_t *g_pwszFakeCwd;
DWORD WINAPI tstFakeGetCurrentDirectoryW(DWORD cwcBuf, LPWSTR pwszBuf)
{
    DWORD const cwc = (DWORD)wcslen(g_pwszFakeCwd);
    if (cwc >= cwcBuf)
        return cwc + 1;
    memcpy(pwszBuf, g_pwszFakeCwd, (cwc + 1) * sizeof(wchar_t));
    return cwc;
}
DWORD WINAPI tstFakeGetFullPathNameW(LPCWSTR pwszIn, DWORD cwcBuf, LPWSTR pwszBuf, LPWSTR *ppwszName)
{
    DWORD const cwc = (DWORD)wcslen(pwszIn);
    if (ppwszName)
        *ppwszName = nullptr;
    if (cwc >= cwcBuf)
        return cwc + 1;
    memcpy(pwszBuf, pwszIn, (cwc + 1) * sizeof(wchar_t));
    return cwc;
}

std::vector<std::wstring> g_aSetCwdCalls;
BOOL WINAPI tstFakeSetCurrentDirectoryW(LPCWSTR pwszPath)
{
    g_aSetCwdCalls.push_back(pwszPath);
    return TRUE;
}

std::string tstCwdU8()
{
    wchar_t wsz[4096];
    DWORD const cwc = GetCurrentDirectoryW(RT_ELEMENTS(wsz), wsz);
    return TstWToU8(std::wstring(wsz, cwc));
}

} /* namespace */

/*
 * The temporary directory.
 */

TEST(PathTemp, VariableOrderTable)
{
    static const struct
    {
        const char *pszTuloTmpDir, *pszTmp, *pszTemp, *pszUserProfile;
        size_t      cbBuf;
        int         rc;
        const char *pszResult;
    } s_aCases[] =
    {
        { nullptr,   nullptr,   "C:\\T",   "C:\\U", 64, VINF_SUCCESS,         "C:\\T" },
        { "D:\\K",   "C:\\A",   "C:\\T",   "C:\\U", 64, VINF_SUCCESS,         "D:\\K" },
        { nullptr,   "C:\\A",   "C:\\T",   "C:\\U", 64, VINF_SUCCESS,         "C:\\A" },
        { nullptr,   nullptr,   nullptr,   "C:\\U", 64, VINF_SUCCESS,         "C:\\U" },
        { nullptr,   "",        "C:\\T",   nullptr, 64, VINF_SUCCESS,         "" },
        { nullptr,   nullptr,   nullptr,   nullptr, 5,  VINF_SUCCESS,         "/tmp" },
        { nullptr,   nullptr,   nullptr,   nullptr, 4,  VERR_BUFFER_OVERFLOW, nullptr },
        { nullptr,   "C:\\a-long-value", "C:\\T", nullptr, 8, VERR_BUFFER_OVERFLOW, nullptr },
        { nullptr,   "C:\\1234", nullptr,  nullptr, 8,  VINF_SUCCESS,         "C:\\1234" },
        { nullptr,   "C:\\12345", nullptr, nullptr, 8,  VERR_BUFFER_OVERFLOW, nullptr },
        { nullptr,   "c:/as/is/", nullptr, nullptr, 64, VINF_SUCCESS,         "c:/as/is/" },
        { TSTW_UNICODE_NAME, nullptr, nullptr, nullptr, 64, VINF_SUCCESS,     TSTW_UNICODE_NAME },
    };
    for (auto const &Case : s_aCases)
    {
        TstEnvScope Env;
        Env.set("TULO_TMPDIR", Case.pszTuloTmpDir);
        Env.set("TMP", Case.pszTmp);
        Env.set("TEMP", Case.pszTemp);
        Env.set("USERPROFILE", Case.pszUserProfile);
        char szBuf[64];
        memset(szBuf, 'Z', sizeof(szBuf));
        EXPECT_EQ(RTPathTemp(szBuf, Case.cbBuf), Case.rc) << (Case.pszResult ? Case.pszResult : "-") << " " << Case.cbBuf;
        if (Case.pszResult)
        {
            EXPECT_STREQ(szBuf, Case.pszResult);
        }
        else
        {
            /* Nothing cut into the caller's buffer beyond its size. */
            EXPECT_EQ(szBuf[Case.cbBuf], 'Z');
        }
    }
}

/*
 * Environment lookup.
 */

TEST(EnvGetEx, ArgumentsTable)
{
    TstEnvScope Env;
    Env.set("TSTW_ENV_A", "value");
    char szBuf[16];
    size_t cch = 99;
    static char s_szBad[] = "x";
    static const struct
    {
        RTENV       hEnv;
        const char *pszVar;
        char       *pszValue;
        size_t      cbValue;
        size_t     *pcch;
        int         rc;
    } s_aCases[] =
    {
        { RTENV_DEFAULT,        nullptr,        szBuf,   sizeof(szBuf), &cch,    VERR_INVALID_POINTER },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   (char *)(uintptr_t)8, 4, &cch,  VERR_INVALID_POINTER },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   szBuf,   sizeof(szBuf), (size_t *)(uintptr_t)8, VERR_INVALID_POINTER },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   nullptr, 0,             nullptr, VERR_INVALID_PARAMETER },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   szBuf,   0,             nullptr, VERR_INVALID_PARAMETER },
        { (RTENV)s_szBad,       "TSTW_ENV_A",   szBuf,   sizeof(szBuf), &cch,    VERR_INVALID_HANDLE },
        { RTENV_DEFAULT,        "TSTW=ENV",     szBuf,   sizeof(szBuf), &cch,    VERR_ENV_INVALID_VAR_NAME },
        { RTENV_DEFAULT,        "TSTW_ENV_NONE", szBuf,  sizeof(szBuf), &cch,    VERR_ENV_VAR_NOT_FOUND },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   szBuf,   sizeof(szBuf), nullptr, VINF_SUCCESS },
        { RTENV_DEFAULT,        "tstw_env_a",   szBuf,   sizeof(szBuf), nullptr, VINF_SUCCESS },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   szBuf,   5,             &cch,    VERR_BUFFER_OVERFLOW },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   szBuf,   6,             &cch,    VINF_SUCCESS },
        { RTENV_DEFAULT,        "TSTW_ENV_A",   nullptr, 0,             &cch,    VINF_SUCCESS },
    };
    unsigned i = 0;
    for (auto const &Case : s_aCases)
    {
        memset(szBuf, 'Z', sizeof(szBuf));
        cch = 99;
        EXPECT_EQ(RTEnvGetEx(Case.hEnv, Case.pszVar, Case.pszValue, Case.cbValue, Case.pcch), Case.rc) << "row " << i;
        if (Case.rc == VINF_SUCCESS && Case.pszValue)
        {
            EXPECT_STREQ(szBuf, "value") << i;
        }
        if (Case.pcch == &cch && (RT_SUCCESS(Case.rc) || Case.rc == VERR_BUFFER_OVERFLOW))
        {
            EXPECT_EQ(cch, 5u) << "the length, also when it does not fit; row " << i;
        }
        else if (Case.pcch == &cch && Case.rc != VERR_INVALID_POINTER)
        {
            EXPECT_EQ(cch, 0u) << "cleared first; row " << i;
        }
        i++;
    }
}

TEST(EnvGetEx, LongEmptyAndUnicodeValues)
{
    TstEnvScope Env;
    /* Longer than the first read buffer, with characters of every UTF-8 length. */
    std::string strLong;
    while (strLong.size() < 9000)
        strLong += "a\xc3\xb6\xe4\xb8\xad\xf0\x9f\x98\x80-";
    Env.set("TSTW_ENV_LONG", strLong.c_str());
    Env.set("TSTW_ENV_EMPTY", "");
    Env.set("TSTW_ENV_UNI", TSTW_UNICODE_NAME);

    std::vector<char> ab(strLong.size() + 1);
    size_t cch = 0;
    ASSERT_EQ(RTEnvGetEx(RTENV_DEFAULT, "TSTW_ENV_LONG", ab.data(), ab.size(), &cch), VINF_SUCCESS);
    EXPECT_EQ(cch, strLong.size());
    EXPECT_TRUE(std::string(ab.data()) == strLong);
    EXPECT_EQ(RTEnvGetEx(RTENV_DEFAULT, "TSTW_ENV_LONG", ab.data(), ab.size() - 1, &cch), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(cch, strLong.size());

    char szBuf[64];
    memset(szBuf, 'Z', sizeof(szBuf));
    cch = 99;
    EXPECT_EQ(RTEnvGetEx(RTENV_DEFAULT, "TSTW_ENV_EMPTY", szBuf, sizeof(szBuf), &cch), VINF_SUCCESS);
    EXPECT_EQ(cch, 0u);
    EXPECT_STREQ(szBuf, "");
    EXPECT_EQ(RTEnvGetEx(RTENV_DEFAULT, "TSTW_ENV_UNI", szBuf, sizeof(szBuf), nullptr), VINF_SUCCESS);
    EXPECT_STREQ(szBuf, TSTW_UNICODE_NAME);
    EXPECT_EQ(RTEnvGetEx(RTENV_DEFAULT, "TSTW_ENV_UNI", szBuf, strlen(TSTW_UNICODE_NAME), nullptr), VERR_BUFFER_OVERFLOW);
}

/*
 * The current directory and drive.
 */

TEST(PathCurrent, FollowsTheProcess)
{
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    TstCwdScope Cwd;
    ASSERT_TRUE(SetCurrentDirectoryW(TstU8ToW(Dir.path()).c_str()));
    std::string const strCwd = tstCwdU8();

    char szBuf[1024];
    ASSERT_EQ(RTPathGetCurrent(szBuf, sizeof(szBuf)), VINF_SUCCESS);
    EXPECT_EQ(std::string(szBuf), strCwd);
    /* Exactly the length plus terminator fits; one less never cuts the path. */
    EXPECT_EQ(RTPathGetCurrent(szBuf, strCwd.size() + 1), VINF_SUCCESS);
    memset(szBuf, 'Z', sizeof(szBuf));
    EXPECT_EQ(RTPathGetCurrent(szBuf, strCwd.size()), VERR_BUFFER_OVERFLOW);
    EXPECT_EQ(szBuf[strCwd.size()], 'Z');
    EXPECT_EQ(RTPathGetCurrent(szBuf, 0), VERR_BUFFER_OVERFLOW);

    ASSERT_EQ(RTPathGetCurrentDrive(szBuf, sizeof(szBuf)), VINF_SUCCESS);
    EXPECT_EQ(std::string(szBuf), strCwd.substr(0, 2));
    EXPECT_EQ(RTPathGetCurrentDrive(szBuf, 2), VERR_BUFFER_OVERFLOW);
    /* A current directory longer than the buffer still gives the short drive. */
    EXPECT_EQ(RTPathGetCurrentDrive(szBuf, 3), VINF_SUCCESS);
    EXPECT_EQ(std::string(szBuf), strCwd.substr(0, 2));

    /* The drive's current directory: this one for the current drive. */
    ASSERT_EQ(RTPathGetCurrentOnDrive(strCwd[0], szBuf, sizeof(szBuf)), VINF_SUCCESS);
    /* Wine's full-path function answers "X:" with a trailing separator, Windows without. */
    std::string strOnDrive = szBuf;
    if (TstIsWine() && strOnDrive.size() > 3 && strOnDrive.back() == '\\')
        strOnDrive.pop_back();
    EXPECT_EQ(strOnDrive, strCwd);
    EXPECT_EQ(RTPathGetCurrentOnDrive('1', szBuf, sizeof(szBuf)), VERR_INVALID_PARAMETER);
    EXPECT_EQ(RTPathGetCurrentOnDrive('C', szBuf, 0), VERR_BUFFER_OVERFLOW);
}

TEST(PathCurrent, ShapesTable)
{
    TstSysRestore Restore;
    g_rtWinFsSys.pfnGetCurrentDirectoryW = tstFakeGetCurrentDirectoryW;
    g_rtWinFsSys.pfnGetFullPathNameW     = tstFakeGetFullPathNameW;
    static const struct
    {
        const wchar_t *pwszCwd;
        const char    *pszCurrent;
        int            rcDrive;
        const char    *pszDrive;
    } s_aCases[] =
    {
        { L"c:\\x\\y",            "C:\\x\\y",           VINF_SUCCESS,          "C:" },
        { L"D:\\",                "D:\\",               VINF_SUCCESS,          "D:" },
        { L"\\\\srv\\share\\sub", "\\\\srv\\share\\sub", VINF_SUCCESS,          "\\\\srv\\share" },
        { L"\\\\srv\\share",      "\\\\srv\\share",     VINF_SUCCESS,          "\\\\srv\\share" },
        { L"\\\\srv\\",           "\\\\srv\\",          VINF_SUCCESS,          "\\\\srv" },
        { L"\\\\srv\\\\\\share\\x", "\\\\srv\\\\\\share\\x", VINF_SUCCESS,     "\\\\srv\\\\\\share" },
        { L"\\dir",               "\\dir",              VERR_INTERNAL_ERROR_4, nullptr },
        { L"\\\\\\x",             "\\\\\\x",            VERR_INTERNAL_ERROR_4, nullptr },
        { L"",                    "",                   VERR_INTERNAL_ERROR_4, nullptr },
    };
    for (auto const &Case : s_aCases)
    {
        g_pwszFakeCwd = Case.pwszCwd;
        char szBuf[64];
        int rc = RTPathGetCurrent(szBuf, sizeof(szBuf));
        if (!*Case.pwszCwd)
        {
            /* The platform reports failure as length 0. */
            EXPECT_NE(rc, VINF_SUCCESS);
            continue;
        }
        ASSERT_EQ(rc, VINF_SUCCESS) << Case.pszCurrent;
        EXPECT_STREQ(szBuf, Case.pszCurrent);
        memset(szBuf, 0, sizeof(szBuf));
        EXPECT_EQ(RTPathGetCurrentDrive(szBuf, sizeof(szBuf)), Case.rcDrive) << Case.pszCurrent;
        if (Case.pszDrive)
        {
            EXPECT_STREQ(szBuf, Case.pszDrive);
        }
    }

    /* A current directory longer than the fixed buffer is not cut. */
    std::wstring wstrLong = L"C:";
    while (wstrLong.size() < 5000)
        wstrLong += L"\\component";
    g_pwszFakeCwd = wstrLong.c_str();
    std::vector<char> ab(wstrLong.size() + 1);
    ASSERT_EQ(RTPathGetCurrent(ab.data(), ab.size()), VINF_SUCCESS);
    EXPECT_EQ(TstU8ToW(ab.data()), wstrLong);
    EXPECT_EQ(RTPathGetCurrent(ab.data(), ab.size() - 1), VERR_BUFFER_OVERFLOW);
    char szDrive[8];
    EXPECT_EQ(RTPathGetCurrentDrive(szDrive, sizeof(szDrive)), VINF_SUCCESS);
    EXPECT_STREQ(szDrive, "C:");
}

TEST(PathSetCurrent, PassesAndChanges)
{
    {
        TstSysRestore Restore;
        g_rtWinFsSys.pfnSetCurrentDirectoryW = tstFakeSetCurrentDirectoryW;
        static const struct
        {
            const char    *pszPath;
            const wchar_t *pwszPassed;
        } s_aCases[] =
        {
            { "C:\\",         L"C:\\" },
            { "C:\\dir\\",    L"C:\\dir" },
            { "C:\\dir",      L"C:\\dir" },
            { "C:\\dir\\\\",  L"C:\\dir\\" },
            { "..",           L".." },
            { "\\",           L"\\" },
            { "rel/",         L"rel" },
        };
        for (auto const &Case : s_aCases)
        {
            g_aSetCwdCalls.clear();
            EXPECT_EQ(RTPathSetCurrent(Case.pszPath), VINF_SUCCESS) << Case.pszPath;
            ASSERT_EQ(g_aSetCwdCalls.size(), 1u);
            EXPECT_EQ(g_aSetCwdCalls[0], Case.pwszPassed) << Case.pszPath;
        }
        g_aSetCwdCalls.clear();
        EXPECT_EQ(RTPathSetCurrent(""), VERR_INVALID_PARAMETER);
        EXPECT_EQ(RTPathSetCurrent(nullptr), VERR_INVALID_POINTER);
        EXPECT_TRUE(g_aSetCwdCalls.empty());
    }

    /* For real, into a directory outside the ANSI code page and out again. */
    TstScratchDir Dir;
    ASSERT_TRUE(Dir.ok());
    ASSERT_TRUE(CreateDirectoryW(TstLongW(Dir.sub("inner")).c_str(), nullptr));
    TstCwdScope Cwd;
    ASSERT_EQ(RTPathSetCurrent((Dir.sub("inner") + "\\").c_str()), VINF_SUCCESS);
    EXPECT_EQ(tstCwdU8(), Dir.sub("inner"));
    ASSERT_EQ(RTPathSetCurrent(".."), VINF_SUCCESS);
    EXPECT_EQ(tstCwdU8(), Dir.path());
    int rc = RTPathSetCurrent(Dir.sub("missing").c_str());
    EXPECT_TRUE(rc == VERR_FILE_NOT_FOUND || rc == VERR_PATH_NOT_FOUND) << rc;
    EXPECT_EQ(tstCwdU8(), Dir.path());
}

/*
 * The executable's directory.
 */

TEST(PathExecDir, FromTheRecordedPath)
{
    /* Save the record: the test runner's start-up may or may not have filled it. */
    std::vector<char> abSaved(g_szExePath, g_szExePath + sizeof(g_szExePath));
    size_t const cchPathSaved = g_cchExePath, cchDirSaved = g_cchExeDir, offNameSaved = g_offExeName;
    char szBuf[4100];

    g_szExePath[0] = '\0';
    EXPECT_EQ(RTPathExecDir(szBuf, sizeof(szBuf)), VERR_WRONG_ORDER);

    ASSERT_EQ(rtProcInitExePath(g_szExePath, sizeof(g_szExePath)), VINF_SUCCESS);
    rtProcParseExePath();
    wchar_t wszExe[MAX_PATH * 4];
    DWORD const cwcExe = GetModuleFileNameW(nullptr, wszExe, RT_ELEMENTS(wszExe));
    std::string const strExe = TstWToU8(std::wstring(wszExe, cwcExe));
    std::string const strDir = strExe.substr(0, strExe.find_last_of("\\/"));
    ASSERT_EQ(RTPathExecDir(szBuf, sizeof(szBuf)), VINF_SUCCESS);
    EXPECT_EQ(std::string(szBuf), strDir);
    EXPECT_EQ(RTPathExecDir(szBuf, strDir.size() + 1), VINF_SUCCESS);
    EXPECT_EQ(RTPathExecDir(szBuf, strDir.size()), VERR_BUFFER_OVERFLOW);

    /* A root keeps its separator. */
    strcpy(g_szExePath, "C:\\prog.exe");
    rtProcParseExePath();
    ASSERT_EQ(RTPathExecDir(szBuf, sizeof(szBuf)), VINF_SUCCESS);
    EXPECT_STREQ(szBuf, "C:\\");

    memcpy(g_szExePath, abSaved.data(), abSaved.size());
    g_cchExePath = cchPathSaved;
    g_cchExeDir  = cchDirSaved;
    g_offExeName = offNameSaved;
}
