// Handle records come from the C heap.

#include "File/File.h"

#include <cstdlib>

void *Mem_Alloc(std::size_t size)
{
    return std::malloc(size);
}

void Mem_Free(void *block)
{
    std::free(block);
}
