// The Windows heap takes back what it lends. (POSIX's is the C library's.)

#include "File/File.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(Heap, TakesBackWhatItLends)
{
    void *block = Mem_Alloc(64);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, block));
    Mem_Free(block);
    EXPECT_FALSE(HeapValidate(GetProcessHeap(), 0, block));
    Mem_Free(nullptr);  // does nothing
}
