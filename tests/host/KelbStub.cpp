/*
 * The launcher's command line: main driven with argument vectors. The run
 * sequence is replaced by one that records the settings it was given.
 */
#include "KelbStub.h"

#include <tulo/err.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include <unistd.h>

int StubTestMain(int argc, char **argv);

namespace {

unsigned      g_cRunSequence;
STUB_SETTINGS g_RunSettings;

const char g_szProg[] = "KelbStub.exe";

/** The boxes of one run: how many, and the last one's text, caption and style. */
struct SHOWNBOXES
{
    unsigned    cShown;
    std::string strText;
    std::string strCaption;
    unsigned    fStyle;
};
SHOWNBOXES g_Boxes;

struct RUNRESULT
{
    int         rcExit;
    std::string strOut;
    std::string strErr;
    unsigned    cBoxes;
    std::string strBoxText;
    std::string strBoxCaption;
    unsigned    fBoxStyle;
    unsigned    cRunSequence;
};

RUNRESULT runStub(std::vector<std::string> Args)
{
    Args.insert(Args.begin(), g_szProg);
    std::vector<char *> Argv;
    for (std::string &str : Args)
        Argv.push_back(str.data());
    Argv.push_back(nullptr);

    g_cRunSequence = 0;
    memset(&g_RunSettings, 0xcc, sizeof(g_RunSettings));
    g_Boxes = SHOWNBOXES();

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    RUNRESULT Result;
    Result.rcExit = StubTestMain((int)Args.size(), Argv.data());
    Result.strOut = testing::internal::GetCapturedStdout();
    Result.strErr = testing::internal::GetCapturedStderr();
    Result.cBoxes = g_Boxes.cShown;
    Result.strBoxText = g_Boxes.strText;
    Result.strBoxCaption = g_Boxes.strCaption;
    Result.fBoxStyle = g_Boxes.fStyle;
    Result.cRunSequence = g_cRunSequence;
    return Result;
}

/** Runs a command line that must reach the run sequence and returns its settings. */
STUB_SETTINGS runToSequence(const std::vector<std::string> &Args)
{
    RUNRESULT Result = runStub(Args);
    EXPECT_EQ(Result.rcExit, 0);
    EXPECT_EQ(Result.cRunSequence, 1u);
    EXPECT_EQ(Result.cBoxes, 0u) << Result.strBoxText;
    EXPECT_EQ(Result.strErr, "");
    return g_RunSettings;
}

/** The help text's format, shared with the end-to-end test of the executable. */
std::string helpFormat()
{
    FILE *pFile = fopen(KELB_TEST_FIXTURES "/KelbStub-help.txt", "rb");
    EXPECT_NE(pFile, nullptr) << KELB_TEST_FIXTURES "/KelbStub-help.txt";
    std::string str;
    if (pFile)
    {
        char achBuf[1024];
        size_t cb;
        while ((cb = fread(achBuf, 1, sizeof(achBuf), pFile)) > 0)
            str.append(achBuf, cb);
        fclose(pFile);
    }
    return str;
}

std::string expectedHelp()
{
    char szBuf[4096];
    snprintf(szBuf, sizeof(szBuf), helpFormat().c_str(), KELB_VERSION_MAJOR, KELB_VERSION_MINOR, KELB_VERSION_BUILD,
             KELB_VERSION_REVISION, g_szProg, g_szProg);
    return szBuf;
}

std::string expectedVersion()
{
    return "Version: " + std::to_string(KELB_VERSION_MAJOR) + "." + std::to_string(KELB_VERSION_MINOR) + "."
         + std::to_string(KELB_VERSION_BUILD) + "r" + std::to_string(KELB_VERSION_REVISION);
}

const std::string g_strRefer = "\nPlease refer to the command line help by specifying \"-?\"\nto get more information.";

} /* namespace */

int StubRunSequence(STUB_SETTINGS *pSettings)
{
    g_cRunSequence++;
    g_RunSettings = *pSettings;
    return 0;
}

void StubHostMessageBox(const char *pszText, const char *pszCaption, unsigned fStyle)
{
    g_Boxes.cShown++;
    g_Boxes.strText = pszText;
    g_Boxes.strCaption = pszCaption;
    g_Boxes.fStyle = fStyle;
}

TEST(KelbStub, DefaultsWithoutArguments)
{
    STUB_SETTINGS Settings = runToSequence({});
    EXPECT_FALSE(Settings.fExtractOnly);
    EXPECT_TRUE(Settings.fInstallCertificates);
    EXPECT_TRUE(Settings.fInstallTimestampCA);
    EXPECT_FALSE(Settings.fForceTimestampCA);
    EXPECT_FALSE(Settings.fEnableLogging);
    EXPECT_FALSE(Settings.fIgnoreReboot);
    EXPECT_FALSE(g_fSilent);
    EXPECT_EQ(g_cVerbosity, 0u);
    /* The buffers start as zero bytes all through, not just an empty string. */
    for (char ch : Settings.szExtractPath) ASSERT_EQ(ch, 0);
    for (char ch : Settings.szMsiLogFile) ASSERT_EQ(ch, 0);
    for (char ch : Settings.szMsiArgs) ASSERT_EQ(ch, 0);
}

TEST(KelbStub, FlagOptionsInEveryForm)
{
    struct { const char *pszArg; bool STUB_SETTINGS::*pfField; bool fValue; } const s_aCases[] =
    {
        { "--extract", &STUB_SETTINGS::fExtractOnly, true },
        { "-extract", &STUB_SETTINGS::fExtractOnly, true },
        { "/extract", &STUB_SETTINGS::fExtractOnly, true },
        { "-x", &STUB_SETTINGS::fExtractOnly, true },
        { "--no-silent-cert", &STUB_SETTINGS::fInstallCertificates, false },
        { "-no-silent-cert", &STUB_SETTINGS::fInstallCertificates, false },
        { "/no-silent-cert", &STUB_SETTINGS::fInstallCertificates, false },
        { "-c", &STUB_SETTINGS::fInstallCertificates, false },
        { "--no-install-timestamp-ca", &STUB_SETTINGS::fInstallTimestampCA, false },
        { "-t", &STUB_SETTINGS::fInstallTimestampCA, false },
        { "--force-install-timestamp-ca", &STUB_SETTINGS::fForceTimestampCA, true },
        { "-T", &STUB_SETTINGS::fForceTimestampCA, true },
        { "--logging", &STUB_SETTINGS::fEnableLogging, true },
        { "-logging", &STUB_SETTINGS::fEnableLogging, true },
        { "/logging", &STUB_SETTINGS::fEnableLogging, true },
        { "-l", &STUB_SETTINGS::fEnableLogging, true },
        { "--ignore-reboot", &STUB_SETTINGS::fIgnoreReboot, true },
        { "-r", &STUB_SETTINGS::fIgnoreReboot, true },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszArg);
        STUB_SETTINGS Settings = runToSequence({ Case.pszArg });
        EXPECT_EQ(Settings.*Case.pfField, Case.fValue);
    }

    for (const char *pszArg : { "--silent", "-silent", "/silent", "-s" })
    {
        SCOPED_TRACE(pszArg);
        runToSequence({ pszArg });
        EXPECT_TRUE(g_fSilent);
    }
    for (const char *pszArg : { "--verbose", "-verbose", "/verbose", "-v" })
    {
        SCOPED_TRACE(pszArg);
        runToSequence({ pszArg, pszArg });
        EXPECT_EQ(g_cVerbosity, 2u);
    }
}

TEST(KelbStub, TimestampOptionsLaterWins)
{
    STUB_SETTINGS Settings = runToSequence({ "--no-install-timestamp-ca", "--force-install-timestamp-ca" });
    EXPECT_TRUE(Settings.fInstallTimestampCA);
    EXPECT_TRUE(Settings.fForceTimestampCA);

    Settings = runToSequence({ "--force-install-timestamp-ca", "--no-install-timestamp-ca" });
    EXPECT_FALSE(Settings.fInstallTimestampCA);
    EXPECT_TRUE(Settings.fForceTimestampCA);
}

TEST(KelbStub, HelpAndVersion)
{
    /* Interactive: an information box; silent: standard output and a line feed. */
    for (const char *pszArg : { "--help", "-help", "/help", "/?", "-h", "-?" })
    {
        SCOPED_TRACE(pszArg);
        RUNRESULT Result = runStub({ pszArg, "--bogus" });
        EXPECT_EQ(Result.rcExit, 0);
        EXPECT_EQ(Result.cRunSequence, 0u);
        EXPECT_EQ(Result.cBoxes, 1u);
        EXPECT_EQ(Result.strBoxText, expectedHelp());
        EXPECT_EQ(Result.strBoxCaption, "Corvane Installer");
        EXPECT_EQ(Result.fBoxStyle, 0x40u);
        EXPECT_EQ(Result.strOut, "");

        Result = runStub({ "--silent", pszArg });
        EXPECT_EQ(Result.rcExit, 0);
        EXPECT_EQ(Result.cBoxes, 0u);
        EXPECT_EQ(Result.strOut, expectedHelp() + "\n");
        EXPECT_EQ(Result.strErr, "");
    }

    for (const char *pszArg : { "--version", "-version", "/version", "-V" })
    {
        SCOPED_TRACE(pszArg);
        RUNRESULT Result = runStub({ pszArg, "--bogus" });
        EXPECT_EQ(Result.rcExit, 0);
        EXPECT_EQ(Result.cRunSequence, 0u);
        EXPECT_EQ(Result.cBoxes, 1u);
        EXPECT_EQ(Result.strBoxText, expectedVersion());
        EXPECT_EQ(Result.fBoxStyle, 0x40u);

        Result = runStub({ "-s", pszArg });
        EXPECT_EQ(Result.rcExit, 0);
        EXPECT_EQ(Result.strOut, expectedVersion() + "\n");
    }

    /* The reverse order stops at the unknown option. */
    RUNRESULT Result = runStub({ "--bogus", "--version" });
    EXPECT_EQ(Result.rcExit, 2);
    EXPECT_EQ(Result.strBoxText, "Unknown option \"--bogus\"" + g_strRefer);
    EXPECT_EQ(Result.strOut, "");
}

TEST(KelbStub, CommandLineErrorsInteractive)
{
    struct { std::vector<std::string> Args; std::string strText; } const s_aCases[] =
    {
        { { "--bogus" }, "Unknown option \"--bogus\"" + g_strRefer },
        { { "-z" }, "Unknown option \"-z\"" + g_strRefer },
        { { "-" }, "Unknown option \"-\"" + g_strRefer },
        { { "Y=2" }, "Parameter parsing error: VINF_GETOPT_NOT_OPTION" + g_strRefer },
        { { "--path" }, "Parameter parsing error: VERR_GETOPT_REQUIRED_ARGUMENT_MISSING" + g_strRefer },
        { { "--msi-prop", "A B", "1" }, "The first argument to --msi-prop must not contain spaces: A B" },
        { { "--msi-prop", "A\tB", "1" }, "The first argument to --msi-prop must not contain spaces: A\tB" },
        { { "--msi-prop", "NAME" }, "--msi-prop takes two arguments, the 2nd is missing" },
        { { "--msi-prop", "", "" }, "Out of space for MSI parameters and properties" },
        { { "--extract", "Y=2" }, "Parameter parsing error: VINF_GETOPT_NOT_OPTION" + g_strRefer },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.Args[0]);
        RUNRESULT Result = runStub(Case.Args);
        EXPECT_EQ(Result.rcExit, 2);
        EXPECT_EQ(Result.cRunSequence, 0u);
        EXPECT_EQ(Result.cBoxes, 1u);
        EXPECT_EQ(Result.strBoxText, Case.strText);
        EXPECT_EQ(Result.strBoxCaption, "Corvane Installer");
        EXPECT_EQ(Result.fBoxStyle, 0x10u);
        EXPECT_EQ(Result.strOut, "");
        EXPECT_EQ(Result.strErr, "");
    }
}

TEST(KelbStub, CommandLineErrorsSilent)
{
    /* Parser errors go through the parser's own printer; the launcher's own
     * checks keep their texts, one prefixed line per line of text. */
    std::string const strPrefix = std::string(g_szProg) + ": error: ";
    struct { std::vector<std::string> Args; std::string strErr; } const s_aCases[] =
    {
        { { "--silent", "--bogus" }, strPrefix + "Unknown option: '--bogus'\n" },
        { { "--silent", "Y=2" }, strPrefix + "Invalid parameter: Y=2\n" },
        { { "--silent", "--msi-prop", "A B", "1" },
          strPrefix + "The first argument to --msi-prop must not contain spaces: A B\n" },
        { { "--silent", "--msi-prop", "NAME" }, strPrefix + "--msi-prop takes two arguments, the 2nd is missing\n" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.Args[1]);
        RUNRESULT Result = runStub(Case.Args);
        EXPECT_EQ(Result.rcExit, 2);
        EXPECT_EQ(Result.cBoxes, 0u);
        EXPECT_EQ(Result.cRunSequence, 0u);
        EXPECT_EQ(Result.strErr, Case.strErr);
        EXPECT_EQ(Result.strOut, "");
    }

    /* --silent after the error is too late. */
    RUNRESULT Result = runStub({ "--bogus", "--silent" });
    EXPECT_EQ(Result.rcExit, 2);
    EXPECT_EQ(Result.cBoxes, 1u);
    EXPECT_EQ(Result.strErr, "");
}

TEST(KelbStub, MsiPropertyText)
{
    struct { std::vector<std::string> Args; const char *pszMsiArgs; } const s_aCases[] =
    {
        { { "--msi-prop", "INSTALLDIR", "C:\\Program Files\\X" }, "INSTALLDIR=\"C:\\Program Files\\X\"" },
        { { "--msi-prop", "A", "1", "--msi-prop", "B", "2" }, "A=1 B=2" },
        { { "--msi-prop", "A", "x\ty" }, "A=\"x\ty\"" },
        { { "--msi-prop", "A", "say \"hi\"" }, "A=\"say \"hi\"\"" },
        { { "--msi-prop", "A", "a\"b" }, "A=a\"b" },
        { { "--msi-prop", "EMPTY", "" }, "EMPTY=" },
        { { "--msiparams", "X=1", "--msi-prop", "", "" }, "X=1 =" },
        { { "--msiparams", "X=1", "Y=2" }, "X=1 Y=2" },
        { { "-m", "X=1", "Y=2", "Z=3" }, "X=1 Y=2 Z=3" },
        { { "--msiparams", "PROP=\"\"a b c\"\"" }, "PROP=\"\"a b c\"\"" },
        { { "--reinstall" }, "REINSTALLMODE=vomus REINSTALL=ALL" },
        { { "-msiparams", "X=1", "/reinstall" }, "X=1 REINSTALLMODE=vomus REINSTALL=ALL" },
        { { "-f", "-msiparams", "X=1" }, "REINSTALLMODE=vomus REINSTALL=ALL X=1" },
        { { "--msiparams=X=1", "-P", "N", "v" }, "X=1 N=v" },
    };
    for (const auto &Case : s_aCases)
    {
        SCOPED_TRACE(Case.pszMsiArgs);
        STUB_SETTINGS Settings = runToSequence(Case.Args);
        EXPECT_STREQ(Settings.szMsiArgs, Case.pszMsiArgs);
    }
}

TEST(KelbStub, MsiPropertyTextFillsToTheLastByte)
{
    /* 4095 characters fit the 4096-byte buffer; one more append does not. */
    std::string const strFull(STUB_MSI_ARGS_BUF_SIZE - 1, 'a');
    STUB_SETTINGS Settings = runToSequence({ "--msiparams", strFull });
    EXPECT_EQ(std::string(Settings.szMsiArgs), strFull);

    std::string const strOneTooMany(STUB_MSI_ARGS_BUF_SIZE, 'a');
    struct { std::vector<std::string> Args; } const s_aOverflows[] =
    {
        { { "--msiparams", strOneTooMany } },
        { { "--msiparams", strFull, "--msiparams", "b" } },
        { { "--msiparams", strFull, "b" } },
        { { "--msiparams", strFull, "--reinstall" } },
        { { "--msiparams", strFull, "--msi-prop", "A", "1" } },
        { { "--msiparams", std::string(STUB_MSI_ARGS_BUF_SIZE - 4, 'a'), "--msi-prop", "A", "1" } },
        { { "--msiparams", std::string(STUB_MSI_ARGS_BUF_SIZE - 2, 'a'), "x" } },
    };
    for (const auto &Case : s_aOverflows)
    {
        RUNRESULT Result = runStub(Case.Args);
        EXPECT_EQ(Result.rcExit, 2);
        EXPECT_EQ(Result.cRunSequence, 0u);
        EXPECT_EQ(Result.strBoxText, "Out of space for MSI parameters and properties");
    }

    /* Exactly filling the buffer with a property still works. */
    Settings = runToSequence({ "--msiparams", std::string(STUB_MSI_ARGS_BUF_SIZE - 5, 'a'), "--msi-prop", "A", "1" });
    EXPECT_EQ(strlen(Settings.szMsiArgs), (size_t)STUB_MSI_ARGS_BUF_SIZE - 1);
}

TEST(KelbStub, PathOptions)
{
    char szCwd[4096];
    ASSERT_NE(getcwd(szCwd, sizeof(szCwd)), nullptr);
    std::string const strCwd = szCwd;

    STUB_SETTINGS Settings = runToSequence({ "--path", "/abs/dir", "--msi-log-file", "/var/log/x.txt" });
    EXPECT_STREQ(Settings.szExtractPath, "/abs/dir");
    EXPECT_STREQ(Settings.szMsiLogFile, "/var/log/x.txt");

    Settings = runToSequence({ "-path", "rel", "-msilogfile", "log.txt" });
    EXPECT_EQ(std::string(Settings.szExtractPath), strCwd + "/rel");
    EXPECT_EQ(std::string(Settings.szMsiLogFile), strCwd + "/log.txt");

    /* A later option overwrites; an empty value clears. */
    Settings = runToSequence({ "/path", "/a", "--path", "/b", "--msi-log-file", "/l", "--msi-log-file=" });
    EXPECT_STREQ(Settings.szExtractPath, "/b");
    EXPECT_STREQ(Settings.szMsiLogFile, "");
    Settings = runToSequence({ "-p", "/a", "--path", "" });
    EXPECT_STREQ(Settings.szExtractPath, "");

    std::string const strLong = "/" + std::string(STUB_PATH_BUF_SIZE, 'd');
    RUNRESULT Result = runStub({ "--path", strLong });
    EXPECT_EQ(Result.rcExit, 2);
    EXPECT_EQ(Result.strBoxText, "Extraction path is too long (VERR_BUFFER_OVERFLOW)");
    Result = runStub({ "--msi-log-file", strLong });
    EXPECT_EQ(Result.rcExit, 2);
    EXPECT_EQ(Result.strBoxText, "MSI log file path is too long (VERR_BUFFER_OVERFLOW)");
    EXPECT_EQ(Result.cRunSequence, 0u);
}
