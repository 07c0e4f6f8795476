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

#endif
