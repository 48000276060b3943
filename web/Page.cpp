// The browser page's module: the tool, run on the bytes that the page hands
// over. The page fills page_input's room, calls page_run with the names that
// the messages show, and takes page_output's bytes; the messages and reasons
// reach it as standard output and standard error. Or it calls page_describe
// on the bytes, and takes the text. A new instance of the module serves each
// run.

#include "File/Memory/MemoryFile.h"
#include "converter/Converter.h"

#include <cstdio>
#include <cstring>

#define PAGE_EXPORT(name) extern "C" __attribute__((export_name(name)))

PAGE_EXPORT("page_input") void *Page_Input(std::size_t size)
{
    return MemoryFile_Input(size);
}

// Room for a name, zero-terminated, for the page to write into.
PAGE_EXPORT("page_name") char *Page_Name(std::size_t size)
{
    return static_cast<char *>(Mem_Alloc(size + 1));
}

PAGE_EXPORT("page_run") int Page_Run(char *inName, char *outName)
{
    char program[] = "numpress";
    char *argv[] = {program, inName, outName, nullptr};
    int status = Numpress_Main(3, argv, stdout, stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    return status;
}

static std::size_t describedSize;

// The text that describes the SIZE BYTES of the file NAME, at WIDTH and
// BIGENDIAN, in a block of the heap; its length is Page_DescribedSize's.
PAGE_EXPORT("page_describe")
char *Page_Describe(const std::uint8_t *bytes, std::size_t size, const char *name, int width,
                    int bigEndian)
{
    char *text = static_cast<char *>(Mem_Alloc(Describe_Room(size, std::strlen(name))));
    describedSize = text != nullptr ? Describe_Text(bytes, size, name, width, bigEndian, text) : 0;
    return text;
}

PAGE_EXPORT("page_described_size") std::size_t Page_DescribedSize()
{
    return describedSize;
}

PAGE_EXPORT("page_output") const std::uint8_t *Page_Output()
{
    std::size_t size;
    return MemoryFile_Output(&size);
}

PAGE_EXPORT("page_output_size") std::size_t Page_OutputSize()
{
    std::size_t size;
    MemoryFile_Output(&size);
    return size;
}
