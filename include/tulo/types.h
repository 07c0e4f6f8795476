/* Plain records used across the runtime's interfaces. */
#ifndef TULO_TYPES_H
#define TULO_TYPES_H

#include <tulo/cdefs.h>

/** An IPv4 address: four bytes in address order, or one 32-bit word in
 * network byte order. */
typedef union RTNETADDRIPV4
{
    uint8_t  au8[4];
    uint16_t au16[2];
    uint32_t u;
} RTNETADDRIPV4;

/** A MAC address. */
typedef union RTMAC
{
    uint8_t  au8[6];
    uint16_t au16[3];
} RTMAC;

/** A UUID: 32-bit, two 16-bit fields in host order, then eight bytes. */
typedef union RTUUID
{
    uint8_t  au8[16];
    uint32_t au32[4];
    uint64_t au64[2];
    struct
    {
        uint32_t u32TimeLow;
        uint16_t u16TimeMid;
        uint16_t u16TimeHiAndVersion;
        uint8_t  u8ClockSeqHiAndReserved;
        uint8_t  u8ClockSeqLow;
        uint8_t  au8Node[6];
    } Gen;
} RTUUID;

/** A UTF-16 code unit in host byte order (the platform's wide character on Windows). */
#ifdef _WIN32
typedef wchar_t  RTUTF16;
#else
typedef char16_t RTUTF16;
#endif
typedef RTUTF16 *PRTUTF16;
typedef const RTUTF16 *PCRTUTF16;

/** A Unicode code point. */
typedef uint32_t RTUNICP;
/** The code point every decoding error yields. */
#define RTCP_INVALID UINT32_C(0xfffffffe)

#endif
