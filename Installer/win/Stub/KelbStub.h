/* Kelb installer launcher: settings and operations shared by its modules. */
#ifndef KELB_STUB_H
#define KELB_STUB_H

#include <tulo/cdefs.h>
#include <stdarg.h>
#include <stdbool.h>

/** Product title: the caption of every message box. */
#define KELB_PRODUCT_TITLE "Corvane Installer"

#ifndef KELB_VERSION_MAJOR
# error "KELB_VERSION_MAJOR, _MINOR, _BUILD and _REVISION come from the build."
#endif

/** Size of the extraction path and log file buffers, terminator included. */
#define STUB_PATH_BUF_SIZE      4100
/** Size of the Windows Installer property text, terminator included. */
#define STUB_MSI_ARGS_BUF_SIZE  4096

/** Option value of --msi-log-file, which has no short form. */
#define STUB_OPT_MSI_LOG_FILE   1000

/** Run settings built from the command line; lives for the duration of main. */
typedef struct STUB_SETTINGS
{
    bool        fExtractOnly;
    bool        fInstallCertificates;
    bool        fInstallTimestampCA;
    bool        fForceTimestampCA;
    bool        fEnableLogging;
    bool        fIgnoreReboot;
    char        szExtractPath[STUB_PATH_BUF_SIZE];
    char        szMsiLogFile[STUB_PATH_BUF_SIZE];
    char        szMsiArgs[STUB_MSI_ARGS_BUF_SIZE];
} STUB_SETTINGS;

/** Silent mode: messages go to the console instead of message boxes. */
extern bool     g_fSilent;
/** Number of --verbose options given. */
extern uint32_t g_cVerbosity;

/** Runs everything that follows the option loop; returns the exit code. */
int StubRunSequence(STUB_SETTINGS *pSettings);

/* User messages. */
int  StubShowError(const char *pszFormat, ...);
void StubShowInfo(const char *pszFormat, ...);
int  StubShowSyntaxError(const char *pszFormat, ...);
/** "error: " and the text on the standard error stream, whatever the mode;
 * returns the stream print's result, 1, and rc respectively. */
int  StubConsoleError(const char *pszFormat, ...);
int  StubConsoleErrorExit(const char *pszFormat, ...);
int  StubConsoleErrorRc(int rc, const char *pszFormat, ...);

#ifndef _WIN32
/** Hosts have no window system: a box goes to the program that embeds the
 * launcher's code (its tests record it). */
void StubHostMessageBox(const char *pszText, const char *pszCaption, unsigned fStyle);
#endif

#endif
