/* Runtime initialisation state, shared by its portable and native stages. */
#ifndef TULO_R3_INIT_H
#define TULO_R3_INIT_H

#include <tulo/initterm.h>

RT_C_DECLS_BEGIN

/** Only recorded in the union of the flags. */
#define RTR3INIT_FLAGS_RECORDED_2       UINT32_C(0x00000002)

/** The longest program path accepted, terminator included. */
#define RTR3INIT_PROGRAM_PATH_MAX       4068

/** Successful (and pending) initialisations. */
extern int32_t volatile  g_cUsers;
/** True while the first initialisation runs. */
extern bool volatile     g_fInitializing;
/** Set by the exit callback. */
extern bool volatile     g_fTerminating;
/** The union of the flags of all calls (without 8 once a call without 8 came). */
extern uint32_t volatile g_fInitFlags;
/** The recorded argument vector; -1 until recorded. */
extern int32_t           g_crtArgs;
extern char            **g_papszArgs;
extern char            **g_papszOrgArgs;
/** The process identifier. */
extern uint32_t          g_ProcessSelf;

int  rtR3Init(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath);
int  rtR3InitBody(uint32_t fFlags, int cArgs, char ***ppapszArgs, const char *pszProgramPath);
void rtR3ExitCallback(void);

RT_C_DECLS_END

#endif
