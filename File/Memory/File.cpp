// File handles over buffers in memory, for a program without files of its
// own: the browser page. Every File_OpenRead reads the input that the host
// handed over (MemoryFile.h), every File_Create writes a new output that the
// host takes afterwards. Names are only shown, never looked up, so no file
// can be two: the input and the output are apart by their making, and the
// messages go to the host by another way.

#include "File/File.h"
#include "File/Memory/MemoryFile.h"

#include <cstdlib>
#include <cstring>

struct BUFFER_T
{
    std::uint8_t *bytes;
    std::size_t size;
    std::size_t room;
};

struct HFILE_T
{
    const char *tag;
    BUFFER_T *os;
    std::size_t position;  // of the next byte read
};

static const char HANDLE_TAG[] = "HFILE_T";
static BUFFER_T input, output;

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

void *MemoryFile_Input(std::size_t size)
{
    std::free(input.bytes);
    auto *bytes = static_cast<std::uint8_t *>(std::malloc(size + 1));
    input = {bytes, bytes != nullptr ? size : 0, size};
    return bytes;
}

const std::uint8_t *MemoryFile_Output(std::size_t *size)
{
    *size = output.size;
    return output.bytes;
}

char **File_Arguments(int *, char **argv)
{
    return argv;
}

void File_PrintName(std::FILE *stream, const char *name, std::size_t length)
{
    std::fwrite(name, 1, length, stream);
}

static HFILE_T *Open(BUFFER_T *buffer)
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    *file = {HANDLE_TAG, buffer, 0};
    return file;
}

HFILE_T *File_OpenRead(const char *)
{
    return Open(&input);
}

// A value takes at most 4 bytes for the 2 bytes of text ("1 ") that it
// takes at least, so room for twice the input is made once, before the
// first write, and none during the conversion. Twice the input's size
// cannot wrap: the allocator gives no block of half the address space.
HFILE_T *File_Create(const char *, const HFILE_T *in)
{
    if (in != nullptr)
        CheckHandle(in, __LINE__);
    std::free(output.bytes);
    output = {static_cast<std::uint8_t *>(std::malloc(2 * input.size + 4)), 0, 2 * input.size + 4};
    return output.bytes != nullptr ? Open(&output) : File_StatusResult(STATUS_NO_MEMORY);
}

int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    std::size_t left = file->os->size - file->position;
    if (left == 0)
        return STATUS_ERROR;
    count = count < left ? count : left;
    std::memcpy(buffer, file->os->bytes + file->position, count);
    file->position += count;
    return STATUS_OK;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    BUFFER_T *out = file->os;
    if (count > out->room - out->size)
        return STATUS_ERROR;
    std::memcpy(out->bytes + out->size, buffer, count);
    out->size += count;
    return STATUS_OK;
}

std::uint64_t File_GetSize(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    return file->os->size;
}

int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    file->tag = nullptr;
    Mem_Free(file);
    return STATUS_OK;
}

// Memory refuses nothing but room, which the statuses tell.
bool File_ErrorText(char *text, std::size_t size)
{
    if (size > 0)
        text[0] = 0;
    return false;
}
