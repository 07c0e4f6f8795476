/* The monotonic clock's sources, for the code that picks one and for tests. */
#ifndef TULO_TIME_WIN_INTERNAL_H
#define TULO_TIME_WIN_INTERNAL_H

#include <tulo/cdefs.h>

/** Where RTTimeNanoTS reads the time. */
#define RTTIMENANOTS_METHOD_TICK_COUNT      0   /**< GetTickCount, millisecond steps */
#define RTTIMENANOTS_METHOD_INTERRUPT_TIME  1   /**< the interrupt time in the shared user data page */
#define RTTIMENANOTS_METHOD_RTL_PRECISE     42  /**< RtlGetInterruptTimePrecise of ntdll */

/** The method RTTimeNanoTS uses, chosen on first use. */
int      rtTimeNanoTSMethod(void);
/** Reads the clock by one method; false when that method is not available. */
bool     rtTimeNanoTSByMethod(int iMethod, uint64_t *pu64Nano);

#endif
