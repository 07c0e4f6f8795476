/* Release-log report of unmapped NT statuses; the logger is not built yet, so
 * there is no release logger to write to and nothing is written. */
#include "errconv-internal.h"

void rtErrConvertLogUnhandledNtStatus(int32_t rcNt)
{
    (void)rcNt;
}
