/*
 * Lazily bound system libraries of the launcher. The executable imports only
 * kernel32 and ntdll; msi, crypt32, user32 and shell32 are loaded from the
 * system directory on the first call of one of their functions, so a run that
 * never needs one never loads it, and none can be planted beside the launcher
 * or in the extraction directory.
 */
#ifndef KELB_STUB_LAZY_H
#define KELB_STUB_LAZY_H

#include <tulo/ldr.h>

#include <windows.h>
#include <wincrypt.h>
#include <msi.h>
#include <shellapi.h>
#include <string.h>

/** One function of a library: its name and, once bound, its address. */
typedef struct STUBLAZYENTRY
{
    const char     *pszName;
    void * volatile pvFunc;
} STUBLAZYENTRY;

/** One library: its file name, its module once loaded, and its functions. */
typedef struct STUBLAZYLIB
{
    const char         *pszName;
    RTLDRMOD volatile   hLdrMod;
    STUBLAZYENTRY      *paEntries;
    uint32_t            cEntries;
} STUBLAZYLIB;

/* The tables, in their fixed order: X(library, function). */
#define STUB_LAZY_FUNCS_Msi(X) \
    X(Msi, MsiInstallProductW) X(Msi, MsiEnableLogW) X(Msi, MsiSetInternalUI)
#define STUB_LAZY_FUNCS_Crypt32(X) \
    X(Crypt32, CertCreateCertificateContext) X(Crypt32, CertOpenStore) X(Crypt32, CertFreeCertificateContext) \
    X(Crypt32, CertAddCertificateContextToStore) X(Crypt32, CertCloseStore)
#define STUB_LAZY_FUNCS_User32(X) \
    X(User32, MessageBoxW) X(User32, MessageBoxA) X(User32, GetDesktopWindow)
#define STUB_LAZY_FUNCS_Shell32(X) \
    X(Shell32, SHFileOperationW)

#define STUB_LAZY_ENUM_ENTRY(a_Lib, a_Func) STUBLAZY_##a_Lib##_##a_Func,
enum { STUB_LAZY_FUNCS_Msi(STUB_LAZY_ENUM_ENTRY)     STUBLAZY_Msi_COUNT };
enum { STUB_LAZY_FUNCS_Crypt32(STUB_LAZY_ENUM_ENTRY) STUBLAZY_Crypt32_COUNT };
enum { STUB_LAZY_FUNCS_User32(STUB_LAZY_ENUM_ENTRY)  STUBLAZY_User32_COUNT };
enum { STUB_LAZY_FUNCS_Shell32(STUB_LAZY_ENUM_ENTRY) STUBLAZY_Shell32_COUNT };
#undef STUB_LAZY_ENUM_ENTRY

extern STUBLAZYLIB g_StubLazyMsi;
extern STUBLAZYLIB g_StubLazyCrypt32;
extern STUBLAZYLIB g_StubLazyUser32;
extern STUBLAZYLIB g_StubLazyShell32;

/** The library's module, loaded from the system directory on first use.
 * Does not return when the library cannot be loaded. */
RTLDRMOD StubLazyLoadModule(STUBLAZYLIB *pLib);
/** The address of a table entry, looked up on first use. Does not return
 * when the library or the function is missing. */
void *StubLazyResolve(STUBLAZYLIB *pLib, uint32_t iEntry);

/** What the binders load and look up with; tests count and fault through these. */
typedef int FNSTUBLAZYLOADSYSTEM(const char *pszFilename, bool fNoUnloadable, PRTLDRMOD phLdrMod);
typedef int FNSTUBLAZYGETSYMBOL(RTLDRMOD hLdrMod, const char *pszSymbol, void **ppvValue);
extern FNSTUBLAZYLOADSYSTEM *g_pfnStubLazyLoadSystem;
extern FNSTUBLAZYGETSYMBOL  *g_pfnStubLazyGetSymbol;

/** An export address as the function type of the platform header's declaration. */
template<typename T> static inline T stubLazyAs(void *pv)
{
    static_assert(sizeof(T) == sizeof(pv), "function and data pointers must have one size");
    T pfn;
    memcpy(&pfn, &pv, sizeof(pfn));
    return pfn;
}

/** The bound function, typed from its declaration so that the calling
 * convention is right on x86: STUB_LAZY(User32, MessageBoxW)(hwnd, ...). */
#define STUB_LAZY(a_Lib, a_Func) \
    stubLazyAs<decltype(&a_Func)>(StubLazyResolve(&g_StubLazy##a_Lib, STUBLAZY_##a_Lib##_##a_Func))

#endif
