/* Platform error numbers to status codes. */
#ifndef TULO_ERRCONV_H
#define TULO_ERRCONV_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Win32 error number (GetLastError, socket errors) to a status code. */
int RTErrConvertFromWin32(uint32_t uNativeCode);
/** NT status to a status code. */
int RTErrConvertFromNtStatus(int32_t rcNt);

RT_C_DECLS_END

#endif
