// Handle records come from the process heap.

#include "File/Win32/Windows.h"

void *Mem_Alloc(std::size_t size)
{
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void Mem_Free(void *block)
{
    if (block != nullptr)
        HeapFree(GetProcessHeap(), 0, block);
}
