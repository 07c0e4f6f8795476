/* Shared by the number, address and UUID parsers. */
#ifndef TULO_STRTONUM_INTERNAL_H
#define TULO_STRTONUM_INTERNAL_H

#include <stdint.h>

/** Digit value of every byte: 0..35 for 0-9, A-Z and a-z; 36 and above end a
 * number in every base, with values of their own for space and tab, the
 * period, the colon and the NUL. */
extern const uint8_t g_abRTStrDigitValues[256];

#endif
