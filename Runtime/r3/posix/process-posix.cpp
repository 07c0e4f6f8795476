/* The executable's path on a Unix host, where runtime initialisation takes it
 * from the argument vector. */
#include <tulo/process.h>

char   g_szExePath[RTPROC_EXE_PATH_SIZE];
size_t g_cchExePath;
size_t g_cchExeDir;
size_t g_offExeName;
