/*
 * The run sequence that follows the option loop. The phases (single-instance
 * guard, extraction, certificates, Windows Installer, cleanup) come in as they
 * are built; until then a run with valid options completes at once.
 */
#include "KelbStub.h"

int StubRunSequence(STUB_SETTINGS *pSettings)
{
    (void)pSettings;
    return 0;
}
