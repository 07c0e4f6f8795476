/* File system objects: mode word, object information record, file system types. */
#ifndef TULO_FS_H
#define TULO_FS_H

#include <tulo/cdefs.h>
#include <tulo/time.h>

RT_C_DECLS_BEGIN

/** Mode word: Unix type and permission bits in the low half, the Windows
 * file attributes shifted into the high half. */
typedef uint32_t RTFMODE;
typedef RTFMODE *PRTFMODE;

/** The Unix half: permissions and type. */
#define RTFS_UNIX_MASK              UINT32_C(0x0000ffff)
#define RTFS_UNIX_PERMS_MASK        UINT32_C(0x00000fff)
#define RTFS_UNIX_ALL_PERMS         UINT32_C(0777)
#define RTFS_UNIX_IWALL             UINT32_C(0222)
#define RTFS_UNIX_IRALL             UINT32_C(0444)
#define RTFS_UNIX_IXALL             UINT32_C(0111)

#define RTFS_TYPE_MASK              UINT32_C(0x0000f000)
#define RTFS_TYPE_FIFO              UINT32_C(0x00001000)
#define RTFS_TYPE_DEV_CHAR          UINT32_C(0x00002000)
#define RTFS_TYPE_DIRECTORY         UINT32_C(0x00004000)
#define RTFS_TYPE_DEV_BLOCK         UINT32_C(0x00006000)
#define RTFS_TYPE_FILE              UINT32_C(0x00008000)
#define RTFS_TYPE_SYMLINK           UINT32_C(0x0000a000)
#define RTFS_TYPE_SOCKET            UINT32_C(0x0000c000)

/** The attribute half. */
#define RTFS_DOS_SHIFT              16
#define RTFS_DOS_MASK               UINT32_C(0xffff0000)
#define RTFS_DOS_READONLY           UINT32_C(0x00010000)
#define RTFS_DOS_HIDDEN             UINT32_C(0x00020000)
#define RTFS_DOS_SYSTEM             UINT32_C(0x00040000)
#define RTFS_DOS_DIRECTORY          UINT32_C(0x00100000)
#define RTFS_DOS_ARCHIVED           UINT32_C(0x00200000)
#define RTFS_DOS_NT_DEVICE          UINT32_C(0x00400000)
#define RTFS_DOS_NT_NORMAL          UINT32_C(0x00800000)
#define RTFS_DOS_NT_TEMPORARY       UINT32_C(0x01000000)
#define RTFS_DOS_NT_SPARSE_FILE     UINT32_C(0x02000000)
#define RTFS_DOS_NT_REPARSE_POINT   UINT32_C(0x04000000)
#define RTFS_DOS_NT_COMPRESSED      UINT32_C(0x08000000)
#define RTFS_DOS_NT_OFFLINE         UINT32_C(0x10000000)
#define RTFS_DOS_NT_NOT_CONTENT_INDEXED UINT32_C(0x20000000)
#define RTFS_DOS_NT_ENCRYPTED       UINT32_C(0x40000000)

/** "No id" for owner and group. */
#define NIL_RTUID                   (~(uint32_t)0)
#define NIL_RTGID                   (~(uint32_t)0)

/** Which member of RTFSOBJATTR::u is valid. */
typedef enum RTFSOBJATTRADD
{
    RTFSOBJATTRADD_NOTHING = 1,
    RTFSOBJATTRADD_UNIX,
    RTFSOBJATTRADD_UNIX_OWNER,
    RTFSOBJATTRADD_UNIX_GROUP,
    RTFSOBJATTRADD_EASIZE,
    RTFSOBJATTRADD_LAST = RTFSOBJATTRADD_EASIZE
} RTFSOBJATTRADD;

typedef struct RTFSOBJATTRUNIX
{
    uint32_t uid;
    uint32_t gid;
    uint32_t cHardlinks;
    /** Volume serial number on Windows. */
    uint32_t INodeIdDevice;
    /** The file system's 64-bit file index on Windows. */
    uint64_t INodeId;
    uint32_t fFlags;
    uint32_t GenerationId;
    uint32_t Device;
} RTFSOBJATTRUNIX;

typedef struct RTFSOBJATTRUNIXOWNER
{
    uint32_t uid;
    char     szName[124];
} RTFSOBJATTRUNIXOWNER;

typedef struct RTFSOBJATTRUNIXGROUP
{
    uint32_t gid;
    char     szName[124];
} RTFSOBJATTRUNIXGROUP;

typedef struct RTFSOBJATTR
{
    RTFMODE        fMode;
    RTFSOBJATTRADD enmAdditional;
    union
    {
        RTFSOBJATTRUNIX      Unix;
        RTFSOBJATTRUNIXOWNER UnixOwner;
        RTFSOBJATTRUNIXGROUP UnixGroup;
        struct
        {
            int64_t cb;
        } EASize;
    } u;
} RTFSOBJATTR;

/** Information about a file system object. */
typedef struct RTFSOBJINFO
{
    int64_t     cbObject;
    int64_t     cbAllocated;
    RTTIMESPEC  AccessTime;
    RTTIMESPEC  ModificationTime;
    RTTIMESPEC  ChangeTime;
    RTTIMESPEC  BirthTime;
    RTFSOBJATTR Attr;
} RTFSOBJINFO;
typedef RTFSOBJINFO *PRTFSOBJINFO;
typedef const RTFSOBJINFO *PCRTFSOBJINFO;

/** File system kinds, from the volume's file system name. */
typedef enum RTFSTYPE
{
    RTFSTYPE_UNKNOWN = 0,
    RTFSTYPE_UDF = 1,
    RTFSTYPE_ISO9660 = 2,
    RTFSTYPE_SHARED_FOLDER = 4,
    RTFSTYPE_NTFS = 17,
    RTFSTYPE_FAT = 18,
    RTFSTYPE_EXFAT = 19,
    RTFSTYPE_REFS = 20,
    RTFSTYPE_HPFS = 28
} RTFSTYPE;
typedef RTFSTYPE *PRTFSTYPE;

RT_C_DECLS_END

#endif
