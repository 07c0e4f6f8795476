/* The running process: its executable path. */
#ifndef TULO_PROCESS_H
#define TULO_PROCESS_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Size of the executable path buffer, terminator included. */
#define RTPROC_EXE_PATH_SIZE 4100

/** The executable's path in UTF-8, set at start-up and by runtime initialisation. */
extern char   g_szExePath[RTPROC_EXE_PATH_SIZE];
/** Length of g_szExePath. */
extern size_t g_cchExePath;
/** Length of the directory part without its trailing separator (a root keeps it). */
extern size_t g_cchExeDir;
/** Offset of the file name in g_szExePath. */
extern size_t g_offExeName;

/** The executable's path (GetModuleFileNameW) in UTF-8 into a caller buffer. */
int rtProcInitExePath(char *pszPath, size_t cbPath);
/** Recomputes g_cchExePath, g_cchExeDir and g_offExeName from g_szExePath. */
void rtProcParseExePath(void);

RT_C_DECLS_END

#endif
