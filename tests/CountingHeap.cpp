// The heap of the test programs, in place of the platform's: it counts the
// records it holds, and the allocation whose number failingAlloc holds, if
// any, fails.

#include <cstdlib>

int liveRecords, allocs, failingAlloc;

void *Mem_Alloc(std::size_t size)
{
    void *block = ++allocs == failingAlloc ? nullptr : std::malloc(size);
    liveRecords += block != nullptr;
    return block;
}

void Mem_Free(void *block)
{
    liveRecords -= block != nullptr;
    std::free(block);
}
