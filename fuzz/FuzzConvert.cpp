// Converts arbitrary bytes over the page's files in memory, and checks that
// it succeeds or stops at a token it tells, within the room that the output
// has (two bytes for each byte of text, and four), and that its messages are
// lines of printable bytes, which no input can break or use to command a
// terminal; the sanitizers see that it reads and writes nothing else, and
// leaks no handle record.

#include "File/Memory/MemoryFile.h"
#include "converter/Converter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void Check(bool holds)
{
    if (!holds)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    void *room = MemoryFile_Input(size);
    if (size > 0)
        std::memcpy(room, data, size);
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out", input);
    CONVERT_REPORT_T stop;
    int status = Convert_Run(output, input, &stop);
    File_Close(output);
    File_Close(input);

    Check(status == STATUS_OK || status == STATUS_BAD_TOKEN || status == STATUS_TOKEN_TOO_LONG);
    Check(status == STATUS_OK || (stop.tokenLength <= TOKEN_MAX && stop.line >= 1));

    char *said = nullptr;
    std::size_t length = 0;
    std::FILE *stream = open_memstream(&said, &length);
    MESSAGES_T m = {stream, stream, "in", "out"};
    Message_Warnings(&m, &stop);
    if (status != STATUS_OK)
        Message_Stop(&m, status, &stop);
    std::fclose(stream);
    for (std::size_t i = 0; i < length; i++)
        Check(said[i] == '\n' || (said[i] >= ' ' && said[i] <= '~'));
    std::free(said);
    return 0;
}
