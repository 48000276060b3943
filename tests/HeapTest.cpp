// The Windows heap, which holds the handle records, takes back what it lends.
// (On POSIX it is the C library's heap, which the sanitizers watch.)

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
