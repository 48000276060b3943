#pragma once

// The host's side of the file platform in memory: it hands over the input
// before a run and takes the output after it.

#include <cstddef>
#include <cstdint>

// Room for the SIZE bytes that every File_OpenRead then reads, for the host
// to fill; null if no memory is left. It replaces the input before.
void *MemoryFile_Input(std::size_t size);

// What the last File_Create's file holds, *SIZE bytes.
const std::uint8_t *MemoryFile_Output(std::size_t *size);
