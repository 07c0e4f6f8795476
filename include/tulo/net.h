/* Network addresses as the runtime passes them around. */
#ifndef TULO_NET_H
#define TULO_NET_H

#include <tulo/cdefs.h>

RT_C_DECLS_BEGIN

/** Kinds of network address (RTNETADDR::enmType). */
#define RTNETADDRTYPE_IPV4   1u
#define RTNETADDRTYPE_IPV6   2u
#define RTNETADDRTYPE_MAC    4u
/** Port value meaning "no port". */
#define RTNETADDR_PORT_NA    UINT32_MAX

/** A network address with an optional port (printed by %RTnaddr). */
typedef struct RTNETADDR
{
    uint8_t  abAddr[16];    /**< IPv4 in the first 4 bytes, IPv6 in all, MAC in the first 6 */
    uint32_t enmType;       /**< RTNETADDRTYPE_XXX */
    uint32_t uPort;         /**< RTNETADDR_PORT_NA when there is none */
} RTNETADDR;

RT_C_DECLS_END

#endif
