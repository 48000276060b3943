// Converts arbitrary bytes over faultless files in memory and checks that it
// succeeds or stops at a token it tells, writes only 1, 2 or 4 bytes a value,
// never reads past the size, reads it all on success and closes every file.

#include "converter/Converter.h"
#include "tests/MemoryFiles.h"

#include <cstdlib>

static void Check(bool holds)
{
    if (!holds)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    MEMORY_FILES_T *files = MemoryFiles_Reset(data, size);
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out", input);
    CONVERT_STOP_T stop;
    int status = Convert_Run(output, input, &stop);
    File_Close(output);
    File_Close(input);

    Check(status == STATUS_OK || status == STATUS_BAD_TOKEN || status == STATUS_TOKEN_TOO_LONG);
    for (std::size_t count : files->writeCounts)
        Check(count == 1 || count == 2 || count == 4);
    Check(files->reads <= size);
    Check(status != STATUS_OK || files->inputRead == size);
    Check(status == STATUS_OK || (stop.tokenLength <= TOKEN_MAX && stop.line >= 1));
    Check(files->openHandles == 0);
    return 0;
}
