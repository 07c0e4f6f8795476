/*
 * Clocks relative to the program start, which runtime initialisation records.
 */
#include <tulo/time.h>

uint64_t g_u64ProgramStartNanoTS = 0;

uint64_t RTTimeProgramMicroTS(void)
{
    return (RTTimeNanoTS() - g_u64ProgramStartNanoTS) / RT_NS_1US;
}

uint64_t RTTimeProgramMilliTS(void)
{
    return (RTTimeNanoTS() - g_u64ProgramStartNanoTS) / RT_NS_1MS;
}

uint32_t RTTimeProgramSecTS(void)
{
    return (uint32_t)((RTTimeNanoTS() - g_u64ProgramStartNanoTS) / RT_NS_1SEC);
}
