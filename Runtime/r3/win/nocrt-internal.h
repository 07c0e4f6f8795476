/* Process entry and exit without the C runtime: pieces shared by the start-up
 * code, the exit callbacks and the early error output. */
#ifndef TULO_NOCRT_INTERNAL_H
#define TULO_NOCRT_INTERNAL_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Runs the result-returning initialisers; returns the first non-zero result, or 0. */
int rtNoCrtRunResultInitializers(void);
/** Runs the plain initialisers (the compiler's static constructors among them). */
void rtNoCrtRunInitializers(void);
/** Runs the exit callbacks, newest first, each once. */
void rtNoCrtRunExitCallbacks(void);
/** Ends the process with rcExit, after the exit callbacks and terminators when asked. */
__attribute__((noreturn)) void rtNoCrtExit(int rcExit, bool fRunTerminators);

/** Raw output to the standard error handle: no buffering, no translation. */
void rtNoCrtStdErrWrite(const char *psz);
/** A status in signed decimal. */
void rtNoCrtStdErrStatus(int rc);
/** An error number: unsigned decimal, then " (0x", lower-case hex and ")". */
void rtNoCrtStdErrErrNo(uint32_t uErr);

/** Calls the program's main(argc, argv, NULL). */
int rtNoCrtCallMain(int cArgs, char **papszArgs);

RT_C_DECLS_END

#endif
