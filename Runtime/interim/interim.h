/*
 * Interim pieces of the runtime: what the launcher's command-line handling
 * needs before the runtime's own streams, format engine, paths and start-up
 * exist. Everything in this directory is replaced as those arrive.
 */
#ifndef TULO_INTERIM_H
#define TULO_INTERIM_H

#include <tulo/cdefs.h>
#include <stdarg.h>
#include <stdio.h>

/** Message box styles used by the launcher. */
#define RTINTERIM_MB_ICONERROR       0x10u
#define RTINTERIM_MB_ICONINFORMATION 0x40u

/** Shows pszText in a message box with the caption pszCaption. On hosts
 * without message boxes the last box is kept for inspection instead. */
void rtInterimMessageBox(const char *pszText, const char *pszCaption, unsigned fStyle);

/** The last box shown, on hosts without message boxes (count, text, caption, style). */
typedef struct RTINTERIMBOX
{
    unsigned    cShown;
    char        szText[8192];
    char        szCaption[128];
    unsigned    fStyle;
} RTINTERIMBOX;
extern RTINTERIMBOX g_rtInterimLastBox;

#endif
