#pragma once

// A file library in memory, for tests and the fuzzer: every opened input
// reads the same buffer, every created output appends to one buffer, and
// any operation can be told to fail.

#include <cstddef>
#include <cstdint>
#include <vector>

struct MEMORY_FILES_T
{
    // What the files hold.
    const std::uint8_t *input;
    std::size_t inputSize;
    std::uint64_t reportedSize;  // what File_GetSize says, inputSize unless changed

    // Faults: the number (from 1) of the call that fails, 0 for none.
    std::uint64_t failRead;
    std::uint64_t failWrite;
    std::uint64_t shortWrite;  // writes one byte less than asked, reported as failure
    std::uint64_t failAlloc;
    std::uint64_t failSize;
    std::uint64_t failClose;

    // What happened.
    std::vector<std::uint8_t> output;
    std::vector<std::size_t> writeCounts;  // bytes asked for by each write
    std::size_t inputRead;                 // bytes delivered from the input
    std::uint64_t reads;
    std::uint64_t writes;
    std::uint64_t allocs;
    std::uint64_t sizes;
    std::uint64_t closes;
    int openHandles;
    bool systemFault;  // whether the last failure was a fault the system would tell
};

// Empties the output, clears every fault and counter, and serves input.
MEMORY_FILES_T *MemoryFiles_Reset(const void *input, std::size_t size);
