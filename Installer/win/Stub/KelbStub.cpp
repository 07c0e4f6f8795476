/*
 * Kelb installer launcher: entry point and command line.
 *
 * main initialises the runtime, turns the command line into STUB_SETTINGS,
 * shows help or version when asked and hands over to the run sequence, whose
 * result becomes the exit code. Options are handled strictly in command-line
 * order: --silent changes how later errors are shown, and help or version end
 * the loop before anything else happens.
 */
#include "KelbStub.h"

#include <tulo/err.h>
#include <tulo/getopt.h>
#include <tulo/initterm.h>
#include <tulo/message.h>
#include <tulo/format.h>
#include <tulo/path.h>
#include <tulo/string.h>

#include <string.h>

/** The option table; the parser also accepts "-<value>" for printable values. */
static const RTGETOPTDEF g_aStubOptions[] =
{
    { "--extract",                    'x',                   RTGETOPT_VAL_NOTHING },
    { "-extract",                     'x',                   RTGETOPT_VAL_NOTHING },
    { "/extract",                     'x',                   RTGETOPT_VAL_NOTHING },
    { "--silent",                     's',                   RTGETOPT_VAL_NOTHING },
    { "-silent",                      's',                   RTGETOPT_VAL_NOTHING },
    { "/silent",                      's',                   RTGETOPT_VAL_NOTHING },
    { "--no-silent-cert",             'c',                   RTGETOPT_VAL_NOTHING },
    { "-no-silent-cert",              'c',                   RTGETOPT_VAL_NOTHING },
    { "/no-silent-cert",              'c',                   RTGETOPT_VAL_NOTHING },
    { "--no-install-timestamp-ca",    't',                   RTGETOPT_VAL_NOTHING },
    { "--force-install-timestamp-ca", 'T',                   RTGETOPT_VAL_NOTHING },
    { "--logging",                    'l',                   RTGETOPT_VAL_NOTHING },
    { "-logging",                     'l',                   RTGETOPT_VAL_NOTHING },
    { "--msi-log-file",               STUB_OPT_MSI_LOG_FILE, RTGETOPT_VAL_STRING  },
    { "-msilogfile",                  STUB_OPT_MSI_LOG_FILE, RTGETOPT_VAL_STRING  },
    { "/logging",                     'l',                   RTGETOPT_VAL_NOTHING },
    { "--path",                       'p',                   RTGETOPT_VAL_STRING  },
    { "-path",                        'p',                   RTGETOPT_VAL_STRING  },
    { "/path",                        'p',                   RTGETOPT_VAL_STRING  },
    { "--msiparams",                  'm',                   RTGETOPT_VAL_STRING  },
    { "-msiparams",                   'm',                   RTGETOPT_VAL_STRING  },
    { "--msi-prop",                   'P',                   RTGETOPT_VAL_STRING  },
    { "--reinstall",                  'f',                   RTGETOPT_VAL_NOTHING },
    { "-reinstall",                   'f',                   RTGETOPT_VAL_NOTHING },
    { "/reinstall",                   'f',                   RTGETOPT_VAL_NOTHING },
    { "--ignore-reboot",              'r',                   RTGETOPT_VAL_NOTHING },
    { "--verbose",                    'v',                   RTGETOPT_VAL_NOTHING },
    { "-verbose",                     'v',                   RTGETOPT_VAL_NOTHING },
    { "/verbose",                     'v',                   RTGETOPT_VAL_NOTHING },
    { "--version",                    'V',                   RTGETOPT_VAL_NOTHING },
    { "-version",                     'V',                   RTGETOPT_VAL_NOTHING },
    { "/version",                     'V',                   RTGETOPT_VAL_NOTHING },
    { "--help",                       'h',                   RTGETOPT_VAL_NOTHING },
    { "-help",                        'h',                   RTGETOPT_VAL_NOTHING },
    { "/help",                        'h',                   RTGETOPT_VAL_NOTHING },
    { "/?",                           'h',                   RTGETOPT_VAL_NOTHING },
};
static_assert(RT_ELEMENTS(g_aStubOptions) == 36, "the option table has 36 entries");

/** Help text: title, version, then the program path twice for the examples. */
static const char g_szStubHelpFormat[] =
    "-- %s v%u.%u.%ur%u --\n"
    "\n"
    "Command Line Parameters:\n"
    "\n"
    "--extract\n"
    "    Extract file contents to temporary directory\n"
    "--logging\n"
    "    Enables MSI installer logging (to extract path)\n"
    "--msi-log-file <path/to/file>\n"
    "    Sets MSI logging to <file>\n"
    "--msiparams <parameters>\n"
    "    Specifies extra parameters for the MSI installers\n"
    "    double quoted arguments must be doubled and put\n"
    "    in quotes: --msiparams \"PROP=\"\"a b c\"\"\"\n"
    "--msi-prop <prop> <value>\n"
    "    Adds <prop>=<value> to the MSI parameters,\n"
    "    quoting the property value if necessary\n"
    "--no-silent-cert\n"
    "    Do not install Corvane Certificate automatically\n"
    "    when --silent option is specified\n"
    "--force-install-timestamp-ca\n"
    "    Install the timestamp CA needed for supporting\n"
    "    legacy Windows versions regardless of the version or\n"
    "    type of Windows Corvane is being installed on.\n"
    "    Default: All except Windows 10 & 11 desktop\n"
    "--no-install-timestamp-ca\n"
    "    Do not install the above mentioned timestamp CA.\n"
    "--path\n"
    "    Sets the path of the extraction directory\n"
    "--reinstall\n"
    "    Forces Corvane to get re-installed\n"
    "--ignore-reboot\n"
    "   Do not set exit code to 3010 if a reboot is required\n"
    "--silent\n"
    "   Enables silent mode installation\n"
    "--version\n"
    "   Displays version number and exit\n"
    "-?, -h, --help\n"
    "   Displays this help text and exit\n"
    "\n"
    "Examples:\n"
    "  %s --msiparams \"INSTALLDIR=\"\"C:\\Program Files\\Corvane\"\"\"\n"
    "  %s --extract -path C:\\Kelb";

/** Characters that make a property name invalid and a property value quoted. */
static const char g_szStubBlanks[] = " \t\n\r";

/** Appends text to the property text, behind one space unless it is empty. */
static int stubAppendMsiArgs(STUB_SETTINGS *pSettings, const char *pszText)
{
    int rc = VINF_SUCCESS;
    if (pSettings->szMsiArgs[0])
        rc = RTStrAppendTo(pSettings->szMsiArgs, sizeof(pSettings->szMsiArgs), " ");
    if (RT_SUCCESS(rc))
        rc = RTStrAppendTo(pSettings->szMsiArgs, sizeof(pSettings->szMsiArgs), pszText);
    if (RT_FAILURE(rc))
        return StubShowSyntaxError("Out of space for MSI parameters and properties");
    return 0;
}

/** --msi-prop: the option's value is the name, the next argument the value. */
static int stubAddMsiProperty(STUB_SETTINGS *pSettings, PRTGETOPTSTATE pGetState, PRTGETOPTUNION pValueUnion)
{
    const char *pszName = pValueUnion->psz;
    if (RTStrPBrk(pszName, g_szStubBlanks))
        return StubShowSyntaxError("The first argument to --msi-prop must not contain spaces: %s", pszName);

    int rc = RTGetOptFetchValue(pGetState, pValueUnion, RTGETOPT_VAL_STRING);
    if (rc == VERR_GETOPT_REQUIRED_ARGUMENT_MISSING)
        return StubShowSyntaxError("--msi-prop takes two arguments, the 2nd is missing");
    if (RT_FAILURE(rc))
        return StubShowSyntaxError("Failed to get 2nd --msi-prop argument: %Rrc", rc);
    const char *pszValue = pValueUnion->psz;

    const char *pszSep = pSettings->szMsiArgs[0] ? " " : "";
    const char *pszFormat = RTStrPBrk(pszValue, g_szStubBlanks) ? "%s%s=\"%s\"" : "%s%s=%s";
    size_t const cchUsed = strlen(pSettings->szMsiArgs);
    ptrdiff_t const cch = RTFmtBufChecked(&pSettings->szMsiArgs[cchUsed], sizeof(pSettings->szMsiArgs) - cchUsed,
                                          pszFormat, pszSep, pszName, pszValue);
    if (cch < 2)
        return StubShowSyntaxError("Out of space for MSI parameters and properties");
    return 0;
}

/** Reports an option or parser result that the launcher does not accept. */
static int stubCommandLineError(int ch, PCRTGETOPTUNION pValueUnion)
{
    if (g_fSilent)
        return RTGetOptPrintError(ch, pValueUnion);
    if (ch == VERR_GETOPT_UNKNOWN_OPTION)
        return StubShowSyntaxError("Unknown option \"%s\"\n"
                                   "Please refer to the command line help by specifying \"-?\"\n"
                                   "to get more information.", pValueUnion->psz);
    return StubShowSyntaxError("Parameter parsing error: %Rrc\n"
                               "Please refer to the command line help by specifying \"-?\"\n"
                               "to get more information.", ch);
}

int main(int argc, char **argv)
{
    int rc = RTR3InitExe(argc, &argv, RTR3INIT_FLAGS_DLL_SEARCH_SYSTEM);
    if (RT_FAILURE(rc))
        return RTMsgInitFailure(rc);

    STUB_SETTINGS Settings;
    memset(&Settings, 0, sizeof(Settings));
    Settings.fInstallCertificates = true;
    Settings.fInstallTimestampCA  = true;
    g_fSilent    = false;
    g_cVerbosity = 0;

    RTGETOPTSTATE GetState;
    rc = RTGetOptInit(&GetState, argc, argv, g_aStubOptions, RT_ELEMENTS(g_aStubOptions), 1, 0);
    if (RT_FAILURE(rc))
        return StubShowError("RTGetOptInit failed: %Rrc", rc);

    RTGETOPTUNION ValueUnion;
    int ch;
    while ((ch = RTGetOpt(&GetState, &ValueUnion)) != 0)
    {
        int rcExit = 0;
        switch (ch)
        {
            case STUB_OPT_MSI_LOG_FILE:
                if (!*ValueUnion.psz)
                    Settings.szMsiLogFile[0] = '\0';
                else
                {
                    rc = RTPathAbs(ValueUnion.psz, Settings.szMsiLogFile, sizeof(Settings.szMsiLogFile));
                    if (RT_FAILURE(rc))
                        return StubShowSyntaxError("MSI log file path is too long (%Rrc)", rc);
                }
                break;

            case VINF_GETOPT_NOT_OPTION:
                /* Operands continue the property text; they cannot start it. */
                if (!Settings.szMsiArgs[0])
                    return stubCommandLineError(ch, &ValueUnion);
                rcExit = stubAppendMsiArgs(&Settings, ValueUnion.psz);
                break;

            case 'P':
                rcExit = stubAddMsiProperty(&Settings, &GetState, &ValueUnion);
                break;

            case 'T':
                Settings.fInstallTimestampCA = true;
                Settings.fForceTimestampCA   = true;
                break;

            case 'V':
                StubShowInfo("Version: %u.%u.%ur%u",
                             KELB_VERSION_MAJOR, KELB_VERSION_MINOR, KELB_VERSION_BUILD, KELB_VERSION_REVISION);
                return 0;

            case 'c':
                Settings.fInstallCertificates = false;
                break;

            case 'f':
                rcExit = stubAppendMsiArgs(&Settings, "REINSTALLMODE=vomus REINSTALL=ALL");
                break;

            case 'h':
                StubShowInfo(g_szStubHelpFormat, KELB_PRODUCT_TITLE,
                             KELB_VERSION_MAJOR, KELB_VERSION_MINOR, KELB_VERSION_BUILD, KELB_VERSION_REVISION,
                             argv[0], argv[0]);
                return 0;

            case 'l':
                Settings.fEnableLogging = true;
                break;

            case 'm':
                rcExit = stubAppendMsiArgs(&Settings, ValueUnion.psz);
                break;

            case 'p':
                if (!*ValueUnion.psz)
                    Settings.szExtractPath[0] = '\0';
                else
                {
                    rc = RTPathAbs(ValueUnion.psz, Settings.szExtractPath, sizeof(Settings.szExtractPath));
                    if (RT_FAILURE(rc))
                        return StubShowSyntaxError("Extraction path is too long (%Rrc)", rc);
                }
                break;

            case 'r':
                Settings.fIgnoreReboot = true;
                break;

            case 's':
                g_fSilent = true;
                break;

            case 't':
                Settings.fInstallTimestampCA = false;
                break;

            case 'v':
                g_cVerbosity++;
                break;

            case 'x':
                Settings.fExtractOnly = true;
                break;

            default:
                return stubCommandLineError(ch, &ValueUnion);
        }
        if (rcExit)
            return rcExit;
    }

    return StubRunSequence(&Settings);
}
