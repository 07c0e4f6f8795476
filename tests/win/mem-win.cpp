/* Heap helpers on the process heap. */
#include <tulo/mem.h>

#include <gtest/gtest.h>

#include <windows.h>

TEST(MemWin, BlocksComeFromTheProcessHeap)
{
    unsigned char *pb = (unsigned char *)RTMemAlloc(100);
    ASSERT_NE(pb, nullptr);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, pb), (SIZE_T)100);
    memset(pb, 0xa5, 100);

    pb = (unsigned char *)RTMemRealloc(pb, 100000);
    ASSERT_NE(pb, nullptr);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, pb), (SIZE_T)100000);
    for (unsigned i = 0; i < 100; i++)
        ASSERT_EQ(pb[i], 0xa5) << i;
    RTMemFree(pb);
}

TEST(MemWin, ZeroedAndNullCases)
{
    /* Dirty the heap first so that zero-filling is not a coincidence. */
    void *pvDirty = RTMemAlloc(4096);
    ASSERT_NE(pvDirty, nullptr);
    memset(pvDirty, 0xff, 4096);
    RTMemFree(pvDirty);

    unsigned char *pb = (unsigned char *)RTMemAllocZ(4096);
    ASSERT_NE(pb, nullptr);
    for (unsigned i = 0; i < 4096; i++)
        ASSERT_EQ(pb[i], 0) << i;
    RTMemFree(pb);

    void *pv = RTMemRealloc(nullptr, 16);
    ASSERT_NE(pv, nullptr);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, pv), (SIZE_T)16);
    RTMemFree(pv);
    RTMemFree(nullptr);

    EXPECT_EQ(RTMemAlloc(~(size_t)0 - 4096), nullptr);
}
