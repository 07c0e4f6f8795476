/*
 * The binders of the lazily bound system libraries: load on first need from
 * the system directory, look each function up once, and stop the process
 * when either fails, because a launcher without its system libraries can do
 * nothing sound (it may not even be able to show a message box).
 */
#include "KelbStubLazy.h"

#include <tulo/assert.h>
#include <tulo/err.h>

#define STUB_LAZY_TABLE_ENTRY(a_Lib, a_Func) { #a_Func, nullptr },

static STUBLAZYENTRY g_aStubLazyMsi[]     = { STUB_LAZY_FUNCS_Msi(STUB_LAZY_TABLE_ENTRY) };
static STUBLAZYENTRY g_aStubLazyCrypt32[] = { STUB_LAZY_FUNCS_Crypt32(STUB_LAZY_TABLE_ENTRY) };
static STUBLAZYENTRY g_aStubLazyUser32[]  = { STUB_LAZY_FUNCS_User32(STUB_LAZY_TABLE_ENTRY) };
static STUBLAZYENTRY g_aStubLazyShell32[] = { STUB_LAZY_FUNCS_Shell32(STUB_LAZY_TABLE_ENTRY) };

STUBLAZYLIB g_StubLazyMsi     = { "MSI.DLL",     NIL_RTLDRMOD, g_aStubLazyMsi,     RT_ELEMENTS(g_aStubLazyMsi) };
STUBLAZYLIB g_StubLazyCrypt32 = { "CRYPT32.DLL", NIL_RTLDRMOD, g_aStubLazyCrypt32, RT_ELEMENTS(g_aStubLazyCrypt32) };
STUBLAZYLIB g_StubLazyUser32  = { "USER32.DLL",  NIL_RTLDRMOD, g_aStubLazyUser32,  RT_ELEMENTS(g_aStubLazyUser32) };
STUBLAZYLIB g_StubLazyShell32 = { "SHELL32.DLL", NIL_RTLDRMOD, g_aStubLazyShell32, RT_ELEMENTS(g_aStubLazyShell32) };

FNSTUBLAZYLOADSYSTEM *g_pfnStubLazyLoadSystem = RTLdrLoadSystem;
FNSTUBLAZYGETSYMBOL  *g_pfnStubLazyGetSymbol  = RTLdrGetSymbol;

/* Never returns: a debugger that continues past the trap meets it again. */
[[noreturn]] static void stubLazyStop(void)
{
    for (;;)
        RT_BREAKPOINT();
}

RTLDRMOD StubLazyLoadModule(STUBLAZYLIB *pLib)
{
    RTLDRMOD hLdrMod = pLib->hLdrMod;
    if (hLdrMod != NIL_RTLDRMOD)
        return hLdrMod;

    int const rc = g_pfnStubLazyLoadSystem(pLib->pszName, true /*fNoUnloadable*/, &hLdrMod);
    if (RT_FAILURE(rc))
    {
        RTAssertMsg2("Lazy loader failed to load \"%s\": %Rrc\n", pLib->pszName, rc);
        stubLazyStop();
    }
    /* One thread binds; a second binder would only store the same library again. */
    pLib->hLdrMod = hLdrMod;
    return hLdrMod;
}

void *StubLazyResolve(STUBLAZYLIB *pLib, uint32_t iEntry)
{
    STUBLAZYENTRY *pEntry = &pLib->paEntries[iEntry];
    void *pvFunc = pEntry->pvFunc;
    if (pvFunc)
        return pvFunc;

    RTLDRMOD const hLdrMod = StubLazyLoadModule(pLib);
    int const rc = g_pfnStubLazyGetSymbol(hLdrMod, pEntry->pszName, &pvFunc);
    if (RT_FAILURE(rc) || !pvFunc)
    {
        RTAssertMsg2("Lazy loader failed to resolve symbol \"%s\" in \"%s\": %Rrc\n", pEntry->pszName, pLib->pszName,
                     RT_FAILURE(rc) ? rc : VERR_SYMBOL_NOT_FOUND);
        stubLazyStop();
    }
    pEntry->pvFunc = pvFunc;
    return pvFunc;
}
