// Describes arbitrary bytes at the width and byte order that the first byte
// picks, converts the text over the page's files in memory, and checks that
// it gives the bytes back, and warns of nothing.

#include "File/Memory/MemoryFile.h"
#include "converter/Converter.h"

#include <cstdlib>
#include <cstring>
#include <vector>

static void Check(bool holds)
{
    if (!holds)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size-- == 0)
        return 0;
    std::vector<char> text(Describe_Room(size, 4));
    std::size_t length =
        Describe_Text(data + 1, size, "fuzz", data[0] % 3, data[0] & 4, text.data());
    std::memcpy(MemoryFile_Input(length), text.data(), length);
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out", input);
    CONVERT_REPORT_T report;
    Check(Convert_Run(output, input, &report) == STATUS_OK && report.warnings == 0);
    File_Close(output);
    File_Close(input);
    std::size_t written;
    const std::uint8_t *bytes = MemoryFile_Output(&written);
    Check(written == size && (size == 0 || std::memcmp(bytes, data + 1, size) == 0));
    return 0;
}
