/* Internal to the platform error conversion. */
#ifndef TULO_ERRCONV_INTERNAL_H
#define TULO_ERRCONV_INTERNAL_H

#include <stdint.h>

/** Reports an NT status without a mapping to the release log: two records,
 * the assertion location and "Unhandled error %#lx (%lu)". A no-op until the
 * logger exists. */
void rtErrConvertLogUnhandledNtStatus(int32_t rcNt);

#endif
