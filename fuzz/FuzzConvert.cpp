// Converts arbitrary bytes over files in memory and checks what must hold
// for every input: the conversion returns one of its statuses, writes only
// whole values of 1, 2 or 4 bytes, never reads past the input's size, reads
// all of it when it succeeds, and closes what it opened.

#include "File/Memory/MemoryFiles.h"
#include "converter/Converter.h"

#include <cstdlib>

static void Check(bool holds)
{
    if (!holds)
        std::abort();
}

static bool IsConversionStatus(int status)
{
    return status == STATUS_OK || status == STATUS_ERROR || status == STATUS_BAD_TOKEN ||
           status == STATUS_TOKEN_TOO_LONG || status == STATUS_WRITE_ERROR;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MEMORY_FILES_T *files = MemoryFiles_Reset(data, size);
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out");
    CONVERT_STOP_T stop;
    int status = Convert_Run(output, input, &stop);
    File_Close(output);
    File_Close(input);

    Check(IsConversionStatus(status));
    for (std::size_t count : files->writeCounts)
        Check(count == 1 || count == 2 || count == 4);
    Check(static_cast<std::size_t>(files->reads) <= size);
    Check(status != STATUS_OK || files->inputRead == size);
    if (status == STATUS_BAD_TOKEN || status == STATUS_TOKEN_TOO_LONG)
        Check(stop.tokenLength <= TOKEN_MAX && stop.line >= 1);
    Check(files->openHandles == 0);
    return 0;
}
