/* Pseudo-random numbers: generator objects and the process-wide generator.
 * Not suitable for cryptography. */
#ifndef TULO_RAND_H
#define TULO_RAND_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** A generator handle. */
typedef struct RTRANDINT *RTRAND;
typedef RTRAND *PRTRAND;
#define NIL_RTRAND ((RTRAND)0)

/** Length of the state text of the Park-Miller generator, terminator included. */
#define RTRAND_PARK_MILLER_STATE_SIZE 25

/** Creates a Park-Miller minimal standard generator (VERR_NO_MEMORY). */
int RTRandAdvCreateParkMiller(PRTRAND phRand);
/** Creates the platform's own fast generator; none exists here (VERR_NOT_SUPPORTED). */
int RTRandAdvCreateSystemFaster(PRTRAND phRand);
/** Destroys a generator; NIL_RTRAND is accepted. */
int RTRandAdvDestroy(RTRAND hRand);
int RTRandAdvSeed(RTRAND hRand, uint64_t u64Seed);
/** A value in u32First..u32Last inclusive; all ones for an invalid generator. */
uint32_t RTRandAdvU32Ex(RTRAND hRand, uint32_t u32First, uint32_t u32Last);
/** A value in u64First..u64Last inclusive; all ones for an invalid generator. */
uint64_t RTRandAdvU64Ex(RTRAND hRand, uint64_t u64First, uint64_t u64Last);
/** Fills cb bytes at pv (nothing for an invalid generator). */
void RTRandAdvBytes(RTRAND hRand, void *pv, size_t cb);
/** Writes the state as text into pszState (*pcbState bytes). When the buffer
 * is too small, *pcbState gets the size needed and VERR_BUFFER_OVERFLOW is returned. */
int RTRandAdvSaveState(RTRAND hRand, char *pszState, size_t *pcbState);
/** Restores a state saved by RTRandAdvSaveState (VERR_PARSE_ERROR leaves the state alone). */
int RTRandAdvRestoreState(RTRAND hRand, const char *pszState);

/** A value in u32First..u32Last from the process-wide generator, which is
 * created and seeded on first use; all ones when it cannot be created. */
uint32_t RTRandU32Ex(uint32_t u32First, uint32_t u32Last);

RT_C_DECLS_END

#endif
