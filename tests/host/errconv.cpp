/* Platform error numbers to status codes. */
#include <tulo/errconv.h>
#include <tulo/err.h>

#include <gtest/gtest.h>

TEST(ErrConv, Win32Numbers)
{
    static const struct { uint32_t uWin32; int rc; } s_aCases[] =
    {
        { 0, VINF_SUCCESS },
        { 2, VERR_FILE_NOT_FOUND },
        { 3, VERR_PATH_NOT_FOUND },
        { 5, VERR_ACCESS_DENIED },
        { 32, VERR_SHARING_VIOLATION },
        { 183, VERR_ALREADY_EXISTS },
        { 80, VERR_ALREADY_EXISTS },
        { 112, VERR_DISK_FULL },
        { 122, VERR_BUFFER_OVERFLOW },
        { 1224, VERR_SHARING_VIOLATION },
        { 535, VERR_PIPE_IO_ERROR },
        { 536, VERR_PIPE_IO_ERROR },
        { 537, VERR_UNRESOLVED_ERROR },
        { 1787, VERR_UNRESOLVED_ERROR },
        { 1788, VERR_AUTHENTICATION_FAILURE },
        { 1789, VERR_AUTHENTICATION_FAILURE },
        { 1790, VERR_UNRESOLVED_ERROR },
        { 57, VERR_NET_IO_ERROR },
        { 60, VERR_NET_IO_ERROR },
        { 61, VERR_NET_PRINT_ERROR },
        { 63, VERR_NET_PRINT_ERROR },
        { 64, VERR_NET_HOST_NOT_FOUND },
        { 7, VERR_UNRESOLVED_ERROR },
        { 10060, VERR_TIMEOUT },
        { 10062, VERR_TOO_MANY_SYMLINKS },
        { 10063, VERR_FILENAME_TOO_LONG },
        { 11004, VERR_NET_ADDRESS_NOT_AVAILABLE },
        { 11001, VERR_NET_HOST_NOT_FOUND },
        { 10106, VERR_NET_PROVIDER_INIT_FAILED },
        { 0xc000042c, VERR_PRIVILEGE_NOT_HELD },
        { 0x80090008, VERR_CRYPT_UNSUPPORTED_ALGORITHM },
        { 0x0000042c, VERR_UNRESOLVED_ERROR },
        { 0xffffffff, VERR_UNRESOLVED_ERROR },
    };
    for (const auto &Case : s_aCases)
        EXPECT_EQ(RTErrConvertFromWin32(Case.uWin32), Case.rc) << Case.uWin32;
}

TEST(ErrConv, SocketErrorsFollowTheirNumbers)
{
    /* Socket error N maps to -(N - 9600), except the three with general codes. */
    for (uint32_t uErr = 10036; uErr <= 10065; uErr++)
    {
        int rcExpect = -(int)(uErr - 9600);
        if (uErr == 10060)
            rcExpect = VERR_TIMEOUT;
        else if (uErr == 10062)
            rcExpect = VERR_TOO_MANY_SYMLINKS;
        else if (uErr == 10063)
            rcExpect = VERR_FILENAME_TOO_LONG;
        EXPECT_EQ(RTErrConvertFromWin32(uErr), rcExpect) << uErr;
    }
}

TEST(ErrConv, NtStatusValues)
{
    static const struct { uint32_t uNt; int rc; } s_aCases[] =
    {
        { 0, VINF_SUCCESS },
        { 0xc0000034, VERR_FILE_NOT_FOUND },
        { 0xc000000e, VERR_FILE_NOT_FOUND },
        { 0xc000000f, VERR_FILE_NOT_FOUND },
        { 0xc0000010, VERR_IO_BAD_COMMAND },
        { 0xc00000ee, VERR_UNRESOLVED_ERROR },
        { 0xc00000ef, VERR_INVALID_PARAMETER },
        { 0xc00000fa, VERR_INVALID_PARAMETER },
        { 0xc00000fb, VERR_UNRESOLVED_ERROR },
        { 0x80000006, VERR_NO_MORE_FILES },
        { 0x8000001a, VERR_NO_MORE_FILES },
        { 0xc0000005, VERR_INVALID_POINTER },
        { 0xc0000043, VERR_SHARING_VIOLATION },
        { 0xc0000022, VERR_ACCESS_DENIED },
        { 0xc0, VERR_INTERRUPTED },
        { 0x101, VERR_INTERRUPTED },
        { 0xc0000001, VERR_UNRESOLVED_ERROR },
        /* Informational statuses other than the two interruptions are unmapped. */
        { 0x103, VERR_UNRESOLVED_ERROR },
        { 0x40000000, VERR_UNRESOLVED_ERROR },
    };
    for (const auto &Case : s_aCases)
        EXPECT_EQ(RTErrConvertFromNtStatus((int32_t)Case.uNt), Case.rc) << std::hex << Case.uNt;
}
