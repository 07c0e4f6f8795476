/*
 * Native module loading on Windows: system libraries only from the system
 * directory (or its side-by-side store), never from the current or the
 * application directory.
 */
#include "../../common/ldr/ldr-internal.h"
#include "internal-r3-win.h"

#include <tulo/assert.h>
#include <tulo/errconv.h>
#include <tulo/format.h>
#include <tulo/mem.h>
#include <tulo/path.h>
#include <tulo/pathspecial.h>
#include <tulo/string.h>
#include <tulo/utf16.h>
#include <tulo/err.h>

#include <windows.h>
#include <winternl.h>
#include <string.h>

/** Buffers of the system directory and of a redirected name, in UTF-16 units. */
#define RTLDR_SYSDIR_MAX        260
/** The path buffer, terminator included. */
#define RTLDR_PATH_MAX          4100

/** Search flags of the extended library search: system, application and the
 * module's own directory. */
#define RTLDR_SEARCH_FLAGS      UINT32_C(0x00000b00)

/** Side-by-side redirection of a module name; the native library exports it
 * but the platform headers do not declare it. */
typedef NTSTATUS (NTAPI *PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR)(ULONG fFlags, PUNICODE_STRING pOrgName,
                                                                    PUNICODE_STRING pDefaultExt,
                                                                    PUNICODE_STRING pStaticString,
                                                                    PUNICODE_STRING pDynamicString,
                                                                    PUNICODE_STRING *ppNewName, PULONG pfNewFlags,
                                                                    PSIZE_T pcbFilename, PSIZE_T pcbRequired);
typedef decltype(&RtlFreeUnicodeString) PFNRTLFREEUNICODESTRING;

static bool volatile                                s_fRedirResolved = false;
static PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR   s_pfnRedirect    = nullptr;
static PFNRTLFREEUNICODESTRING                      s_pfnFreeUniStr  = nullptr;
/** Whether LoadLibraryExW takes the extended search flags: 0 undecided, 1 yes, -1 no. */
static int volatile                                 s_iSearchFlags   = 0;


void rtLdrAssertMsg2(const char *pszFormat, ...)
{
    va_list va;
    va_start(va, pszFormat);
    RTAssertMsg2V(pszFormat, va);
    va_end(va);
}

/* The loader may only run once initialisation made the process's library
 * search safe; an earlier call is a programming error that must not go on. */
static void rtldrNativeAssertConfigured(const char *pszFunction, const char *pszFilename)
{
    if (g_hModKernel32)
        return;
    RTAssertMsg1("g_hModKernel32", __LINE__, __FILE__, pszFunction);
    rtLdrAssertMsg2("%s(%s,,) is called before Tulo has configured the windows loader!\n", pszFunction, pszFilename);
    RT_BREAKPOINT();
}

static bool rtldrIsSep(RTUTF16 wc)
{
    return wc == '\\' || wc == '/';
}

static RTUTF16 rtldrFoldAscii(RTUTF16 wc)
{
    return wc >= 'A' && wc <= 'Z' ? (RTUTF16)(wc + ('a' - 'A')) : wc;
}

unsigned rtldrNativeCountMatchingSeparators(PCRTUTF16 pwszPath, PCRTUTF16 pwszSysDir)
{
    unsigned cSeps = 0;
    size_t   off1  = 0;
    size_t   off2  = 0;
    for (;;)
    {
        RTUTF16 const wc1 = pwszPath[off1];
        RTUTF16 const wc2 = pwszSysDir[off2];
        if (rtldrIsSep(wc1) && rtldrIsSep(wc2))
        {
            if (off1 > 0)
                cSeps++;
            while (rtldrIsSep(pwszPath[off1]))
                off1++;
            while (rtldrIsSep(pwszSysDir[off2]))
                off2++;
            continue;
        }
        if (wc1 != wc2 && (wc1 >= 0x7f || wc2 >= 0x7f || rtldrFoldAscii(wc1) != rtldrFoldAscii(wc2)))
            break;
        if (!wc1)
            break;
        off1++;
        off2++;
    }
    return cSeps;
}

/* Where side-by-side redirection sends pszFilename, when it stays within the
 * system's own tree; false leaves the system directory as the answer. */
static bool rtldrNativeRedirect(const char *pszFilename, PCRTUTF16 pwszSysDir, char *pszPath, size_t cbPath)
{
    RTUTF16  wszName[RTLDR_SYSDIR_MAX];
    PRTUTF16 pwszName = wszName;
    size_t   cwcName  = 0;
    if (RT_FAILURE(RTStrToUtf16Ex(pszFilename, RTSTR_MAX, &pwszName, RT_ELEMENTS(wszName), &cwcName)))
        return false;

    static WCHAR s_wszDefExt[] = L".dll";
    WCHAR wszStatic[259];
    UNICODE_STRING OrgName  = { (USHORT)(cwcName * sizeof(WCHAR)), (USHORT)(cwcName * sizeof(WCHAR)), (PWSTR)wszName };
    UNICODE_STRING DefExt   = { (USHORT)(sizeof(s_wszDefExt) - sizeof(WCHAR)), (USHORT)sizeof(s_wszDefExt), s_wszDefExt };
    UNICODE_STRING Static   = { 0, (USHORT)sizeof(wszStatic), wszStatic };
    UNICODE_STRING Dynamic  = { 0, 0, nullptr };
    PUNICODE_STRING pNewName = nullptr;
    NTSTATUS const rcNt = s_pfnRedirect(1 /*respect .local*/, &OrgName, &DefExt, &Static, &Dynamic, &pNewName,
                                        nullptr, nullptr, nullptr);
    bool fRedirected = false;
    if (rcNt >= 0 && pNewName && pNewName->Buffer && pNewName->Length)
    {
        /* The result need not be terminated; compare a terminated copy. */
        RTUTF16 wszNew[RTLDR_PATH_MAX];
        size_t const cwcNew = pNewName->Length / sizeof(WCHAR);
        if (cwcNew < RT_ELEMENTS(wszNew))
        {
            memcpy(wszNew, pNewName->Buffer, cwcNew * sizeof(WCHAR));
            wszNew[cwcNew] = 0;
            /* Two matched separators: the same drive and the same top
             * directory as the system directory (the Windows directory). */
            if (rtldrNativeCountMatchingSeparators(wszNew, pwszSysDir) >= 2)
                fRedirected = RT_SUCCESS(RTUtf16ToUtf8Ex(wszNew, cwcNew, &pszPath, cbPath, nullptr));
        }
    }
    if (Dynamic.Buffer && s_pfnFreeUniStr)
        s_pfnFreeUniStr(&Dynamic);
    return fRedirected;
}

int rtldrNativeLoadSystem(const char *pszFilename, const char *pszExt, uint32_t fFlags, PRTLDRMOD phLdrMod)
{
    rtldrNativeAssertConfigured("rtldrNativeLoadSystem", pszFilename);

    if (!s_fRedirResolved)
    {
        /* Looked up once; older systems lack it and go straight to the system directory. */
        s_pfnRedirect = (PFNRTLDOSAPPLYFILEISOLATIONREDIRECTIONUSTR)(void *)
                        GetProcAddress(g_hModNtDll, "RtlDosApplyFileIsolationRedirection_Ustr");
        s_pfnFreeUniStr = (PFNRTLFREEUNICODESTRING)(void *)GetProcAddress(g_hModNtDll, "RtlFreeUnicodeString");
        s_fRedirResolved = true;
    }

    WCHAR wszSysDir[RTLDR_SYSDIR_MAX];
    UINT const cwcSysDir = GetSystemDirectoryW(wszSysDir, RT_ELEMENTS(wszSysDir));
    if (!cwcSysDir)
        return RTErrConvertFromWin32(GetLastError());
    if (cwcSysDir >= RT_ELEMENTS(wszSysDir))
        return VERR_FILENAME_TOO_LONG;

    char szPath[RTLDR_PATH_MAX];
    if (!s_pfnRedirect || !rtldrNativeRedirect(pszFilename, (PCRTUTF16)wszSysDir, szPath, sizeof(szPath)))
    {
        char *pszPath = szPath;
        int rc = RTUtf16ToUtf8Ex((PCRTUTF16)wszSysDir, cwcSysDir, &pszPath, sizeof(szPath), nullptr);
        if (RT_SUCCESS(rc))
            rc = RTPathAppend(szPath, sizeof(szPath), pszFilename);
        if (RT_SUCCESS(rc) && pszExt)
        {
            size_t const cchPath = strlen(szPath);
            size_t const cchExt  = strlen(pszExt);
            if (cchPath + cchExt < sizeof(szPath))
                memcpy(&szPath[cchPath], pszExt, cchExt + 1);
            else
                rc = VERR_BUFFER_OVERFLOW;
        }
        if (RT_FAILURE(rc))
            return rc;
    }

    RTFSOBJINFO ObjInfo;
    int const rc = RTPathQueryInfoEx(szPath, &ObjInfo, RTFSOBJATTRADD_NOTHING, RTPATH_F_FOLLOW_LINK);
    if (RT_FAILURE(rc) || (ObjInfo.Attr.fMode & RTFS_TYPE_MASK) != RTFS_TYPE_FILE)
        return VERR_MODULE_NOT_FOUND;
    return RTLdrLoadEx(szPath, phLdrMod, fFlags, nullptr);
}

int rtldrNativeLoad(const char *pszFilename, RTLDRNATIVEHANDLE *phHandle, uint32_t fFlags, PRTERRINFO pErrInfo)
{
    if (fFlags & RTLDRLOAD_FLAGS_LOCAL)
        return VERR_INVALID_FLAGS;
    if (!RTPathStartsWithRoot(pszFilename))
        return VERR_INTERNAL_ERROR_2;
    rtldrNativeAssertConfigured("rtldrNativeLoad", pszFilename);

    /* A name without a suffix gets ".DLL", as the system loader would add it,
     * unless the caller wants the name taken as it is. */
    bool const fAddSuffix = !RTPathSuffix(pszFilename) && !(fFlags & RTLDRLOAD_FLAGS_NO_SUFFIX);
    static const RTUTF16 s_wszSuffix[] = { '.', 'D', 'L', 'L', 0 };
    size_t cwc = 0;
    int rc = RTStrCountUtf16Units(pszFilename, &cwc);
    PRTUTF16 pwszPath = nullptr;
    if (RT_SUCCESS(rc))
    {
        size_t const cwcBuf = cwc + 1 + (fAddSuffix ? RT_ELEMENTS(s_wszSuffix) : 0);
        pwszPath = (PRTUTF16)RTMemAlloc(cwcBuf * sizeof(RTUTF16));
        if (!pwszPath)
            rc = VERR_NO_UTF16_MEMORY;
        else
            rc = RTStrToUtf16Ex(pszFilename, RTSTR_MAX, &pwszPath, cwcBuf, &cwc);
    }
    if (RT_FAILURE(rc))
    {
        RTMemFree(pwszPath);
        return RTErrInfoSet(pErrInfo, rc, "Error converting UTF-8 to UTF-16 string.");
    }
    if (fAddSuffix)
        memcpy(&pwszPath[cwc], s_wszSuffix, sizeof(s_wszSuffix));
    for (PRTUTF16 pwc = pwszPath; *pwc; pwc++)
        if (*pwc == '/')
            *pwc = '\\';

    HMODULE hMod = nullptr;
    if ((fFlags & RTLDRLOAD_FLAGS_NT_SEARCH_DLL_LOAD_DIR) && s_iSearchFlags >= 0)
    {
        hMod = LoadLibraryExW((LPCWSTR)pwszPath, nullptr, RTLDR_SEARCH_FLAGS);
        if (s_iSearchFlags == 0)
        {
            /* Systems without the extended search reject the flags as such. */
            DWORD const dwErr = hMod ? ERROR_SUCCESS : GetLastError();
            s_iSearchFlags = dwErr == ERROR_INVALID_PARAMETER ? -1 : 1;
            if (s_iSearchFlags < 0)
                hMod = LoadLibraryExW((LPCWSTR)pwszPath, nullptr, 0);
            else if (!hMod)
                SetLastError(dwErr);
        }
    }
    else
        hMod = LoadLibraryExW((LPCWSTR)pwszPath, nullptr, 0);
    if (!hMod)
    {
        DWORD const dwErr = GetLastError();
        rc = RTErrConvertFromWin32(dwErr);
        RTMemFree(pwszPath);
        return RTErrInfoSetF(pErrInfo, rc, "GetLastError=%u", (unsigned)dwErr);
    }
    RTMemFree(pwszPath);
    *phHandle = (RTLDRNATIVEHANDLE)hMod;
    return VINF_SUCCESS;
}

int rtldrNativeClose(PRTLDRMODINTERNAL pMod)
{
    int rc = VINF_SUCCESS;
    if (   pMod->hNative != NIL_RTLDRNATIVEHANDLE
        && !(pMod->fFlags & RTLDRLOAD_FLAGS_NO_UNLOAD)
        && !FreeLibrary((HMODULE)pMod->hNative))
        rc = RTErrConvertFromWin32(GetLastError());
    pMod->hNative = NIL_RTLDRNATIVEHANDLE;
    return rc;
}

int rtldrNativeGetSymbol(PRTLDRMODINTERNAL pMod, const char *pszSymbol, void **ppvValue)
{
    FARPROC const pfn = GetProcAddress((HMODULE)pMod->hNative, pszSymbol);
    if (!pfn)
    {
        *ppvValue = nullptr;
        return RTErrConvertFromWin32(GetLastError());
    }
    *ppvValue = (void *)pfn;
    return VINF_SUCCESS;
}
