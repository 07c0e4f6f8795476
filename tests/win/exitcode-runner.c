/*
 * Starts a program and writes its full 32-bit exit code to a file, because a
 * Unix exit status keeps only 8 bits of what a Windows process returns.
 *
 * Usage: exitcode-runner.exe <result-file> <program> [arguments...]
 *        exitcode-runner.exe <result-file> <program> --raw <command-line tail>
 *        exitcode-runner.exe <result-file> <program> --raw-units <command-line tail>
 * The program's command line is the program path followed by the rest of the
 * runner's own command line, unchanged, so quoting reaches the program as given;
 * with --raw the tail is the one argument after it, taken literally, so a test
 * can hand the program any command line at all. --raw-units also replaces
 * every \uXXXX in the tail by that UTF-16 unit, so that a command line can
 * hold what no argument of ours can carry, an unpaired surrogate say.
 */
#include <windows.h>
#include <stdio.h>

/* Skips one argument of a command line by the Microsoft quoting rules. */
static const wchar_t *skipArg(const wchar_t *pwsz)
{
    while (*pwsz == L' ' || *pwsz == L'\t')
        pwsz++;
    int fQuoted = 0;
    while (*pwsz && (fQuoted || (*pwsz != L' ' && *pwsz != L'\t')))
    {
        if (*pwsz == L'\\')
        {
            unsigned cBackslashes = 0;
            while (*pwsz == L'\\')
            {
                cBackslashes++;
                pwsz++;
            }
            if (*pwsz == L'"')
            {
                if (!(cBackslashes & 1))
                    fQuoted = !fQuoted;
                pwsz++;
            }
            continue;
        }
        if (*pwsz == L'"')
            fQuoted = !fQuoted;
        pwsz++;
    }
    return pwsz;
}

static int hexDigit(wchar_t wc)
{
    if (wc >= L'0' && wc <= L'9')
        return wc - L'0';
    if (wc >= L'a' && wc <= L'f')
        return wc - L'a' + 10;
    if (wc >= L'A' && wc <= L'F')
        return wc - L'A' + 10;
    return -1;
}

/* Replaces each \uXXXX (four hex digits) by its unit, in place. */
static void decodeUnits(wchar_t *pwsz)
{
    wchar_t *pwszDst = pwsz;
    while (*pwsz)
    {
        if (pwsz[0] == L'\\' && pwsz[1] == L'u')
        {
            int uUnit = 0;
            int i;
            for (i = 0; i < 4 && hexDigit(pwsz[2 + i]) >= 0; i++)
                uUnit = uUnit * 16 + hexDigit(pwsz[2 + i]);
            if (i == 4)
            {
                *pwszDst++ = (wchar_t)uUnit;
                pwsz += 6;
                continue;
            }
        }
        *pwszDst++ = *pwsz++;
    }
    *pwszDst = 0;
}

int wmain(int argc, wchar_t **argv)
{
    if (argc < 3)
    {
        fwprintf(stderr, L"usage: exitcode-runner <result-file> <program> [arguments...]\n");
        return 120;
    }

    const wchar_t *pwszTail = skipArg(skipArg(skipArg(GetCommandLineW())));
    int const fUnits = argc == 5 && !wcscmp(argv[3], L"--raw-units");
    int const fRaw = fUnits || (argc == 5 && !wcscmp(argv[3], L"--raw"));
    if (fUnits)
        decodeUnits(argv[4]);
    if (fRaw)
        pwszTail = argv[4];
    size_t const cwcProg = wcslen(argv[2]);
    size_t const cwcTail = wcslen(pwszTail);
    wchar_t *pwszCmdLine = (wchar_t *)HeapAlloc(GetProcessHeap(), 0, (cwcProg + cwcTail + 4) * sizeof(wchar_t));
    if (!pwszCmdLine)
        return 121;
    pwszCmdLine[0] = L'"';
    memcpy(&pwszCmdLine[1], argv[2], cwcProg * sizeof(wchar_t));
    pwszCmdLine[cwcProg + 1] = L'"';
    memcpy(&pwszCmdLine[cwcProg + 2], pwszTail, (cwcTail + 1) * sizeof(wchar_t));
    if (fRaw && cwcTail)
    {
        /* A raw tail is separated from the program path by one space. */
        memmove(&pwszCmdLine[cwcProg + 3], &pwszCmdLine[cwcProg + 2], (cwcTail + 1) * sizeof(wchar_t));
        pwszCmdLine[cwcProg + 2] = L' ';
    }

    STARTUPINFOW StartupInfo;
    memset(&StartupInfo, 0, sizeof(StartupInfo));
    StartupInfo.cb = sizeof(StartupInfo);
    /* Hand our standard handles on explicitly: a GUI program gets none otherwise. */
    StartupInfo.dwFlags    = STARTF_USESTDHANDLES;
    StartupInfo.hStdInput  = GetStdHandle(STD_INPUT_HANDLE);
    StartupInfo.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    StartupInfo.hStdError  = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION ProcInfo;
    if (!CreateProcessW(argv[2], pwszCmdLine, NULL, NULL, TRUE, 0, NULL, NULL, &StartupInfo, &ProcInfo))
    {
        fwprintf(stderr, L"exitcode-runner: cannot start %ls: error %lu\n", argv[2], GetLastError());
        return 122;
    }
    WaitForSingleObject(ProcInfo.hProcess, INFINITE);
    DWORD uExitCode = 0;
    GetExitCodeProcess(ProcInfo.hProcess, &uExitCode);
    CloseHandle(ProcInfo.hThread);
    CloseHandle(ProcInfo.hProcess);

    FILE *pFile = _wfopen(argv[1], L"w");
    if (!pFile)
        return 123;
    fprintf(pFile, "%lu\n", uExitCode);
    fclose(pFile);
    return 0;
}
