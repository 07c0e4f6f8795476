/* Classification of the Windows version into the runtime's enumeration. */
#include "winosver.h"

static RTWINOSTYPE rtR3WinClassify9x(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild)
{
    if (uMajor != 4)
        return RTWINOSTYPE_UNKNOWN;
    if (uMinor < 10)
    {
        if (uBuild < 950)
            return RTWINOSTYPE_UNKNOWN;
        if (uBuild == 950)
            return RTWINOSTYPE_WIN95;
        return uBuild <= 1080 ? RTWINOSTYPE_WIN95SP1 : RTWINOSTYPE_WIN95OSR2;
    }
    if (uMinor == 10)
    {
        if (uBuild < 1998)
            return RTWINOSTYPE_UNKNOWN;
        if (uBuild == 1998)
            return RTWINOSTYPE_WIN98;
        return uBuild <= 2182 ? RTWINOSTYPE_WIN98SP1 : RTWINOSTYPE_WIN98SE;
    }
    if (uMinor == 90)
        return RTWINOSTYPE_WINME;
    return RTWINOSTYPE_UNKNOWN;
}

/* Versions before 10 tell workstation and server apart by product type only. */
static RTWINOSTYPE rtR3WinPick(bool fWorkstation, RTWINOSTYPE enmWorkstation, RTWINOSTYPE enmServer)
{
    return fWorkstation ? enmWorkstation : enmServer;
}

static RTWINOSTYPE rtR3WinClassifyNt(uint32_t uMajor, uint32_t uMinor, uint32_t uBuild, bool fWorkstation)
{
    switch (uMajor)
    {
        case 3:
            if (uMinor < 50)
                return RTWINOSTYPE_NT310;
            return uMinor == 50 ? RTWINOSTYPE_NT350 : RTWINOSTYPE_NT351;
        case 4:
            return RTWINOSTYPE_NT4;
        case 5:
            if (uMinor == 0)
                return RTWINOSTYPE_W2K;
            return uMinor == 1 ? RTWINOSTYPE_XP : RTWINOSTYPE_W2K3;
        case 6:
            switch (uMinor)
            {
                case 0: return rtR3WinPick(fWorkstation, RTWINOSTYPE_VISTA, RTWINOSTYPE_W2K8);
                case 1: return rtR3WinPick(fWorkstation, RTWINOSTYPE_W7,    RTWINOSTYPE_W2K8R2);
                case 2: return rtR3WinPick(fWorkstation, RTWINOSTYPE_W8,    RTWINOSTYPE_W2K12);
                case 3: return rtR3WinPick(fWorkstation, RTWINOSTYPE_W81,   RTWINOSTYPE_W2K12R2);
                /* 6.4 is what the Windows 10 previews reported. */
                case 4: return rtR3WinPick(fWorkstation, RTWINOSTYPE_W10,   RTWINOSTYPE_W2K16);
                default: return RTWINOSTYPE_NT_UNKNOWN;
            }
        case 10:
            if (uMinor != 0)
                return RTWINOSTYPE_NT_UNKNOWN;
            /* Windows 10 and 11, and the servers, share 10.0: only the build tells them apart. */
            if (fWorkstation)
                return uBuild < 22000 ? RTWINOSTYPE_W10 : RTWINOSTYPE_W11;
            if (uBuild <= 17762)
                return RTWINOSTYPE_W2K16;
            return uBuild < 20348 ? RTWINOSTYPE_W2K19 : RTWINOSTYPE_W2K22;
        default:
            return RTWINOSTYPE_NT_UNKNOWN;
    }
}

RTWINOSTYPE rtR3WinClassifyVersion(uint32_t uPlatformId, uint32_t uMajor, uint32_t uMinor, uint32_t uBuild,
                                   uint8_t bProductType)
{
    uBuild &= UINT32_C(0xffff);
    if (uPlatformId == RTWINOS_PLATFORM_9X)
        return rtR3WinClassify9x(uMajor, uMinor, uBuild);
    if (uPlatformId == RTWINOS_PLATFORM_NT)
        return rtR3WinClassifyNt(uMajor, uMinor, uBuild, bProductType == RTWINOS_PRODUCT_WORKSTATION);
    return RTWINOSTYPE_UNKNOWN;
}
