// File handles, and their heap, over MEMORY_FILES_T buffers, for the tests
// and the fuzzer.

#include "tests/MemoryFiles.h"
#include "File/File.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

struct HFILE_T
{
    const char *tag;
    int os;  // INPUT_FILE or OUTPUT_FILE
};

enum
{
    INPUT_FILE,
    OUTPUT_FILE
};

static const char HANDLE_TAG[] = "HFILE_T";
static MEMORY_FILES_T files;

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

MEMORY_FILES_T *MemoryFiles_Reset(const void *input, std::size_t size)
{
    files = MEMORY_FILES_T{};
    files.input = static_cast<const std::uint8_t *>(input);
    files.inputSize = size;
    files.reportedSize = size;
    return &files;
}

void *Mem_Alloc(std::size_t size)
{
    return ++files.allocs == files.failAlloc ? nullptr : std::malloc(size);
}

void Mem_Free(void *block)
{
    std::free(block);
}

// A failure as the system would report it, with a reason of its own, or
// one that the system saw no fault in (a read of nothing, a short write).
static int Fault()
{
    files.systemFault = true;
    return STATUS_ERROR;
}

static int NoFault()
{
    files.systemFault = false;
    return STATUS_ERROR;
}

static HFILE_T *Open(int os)
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    file->tag = HANDLE_TAG;
    file->os = os;
    files.openHandles++;
    return file;
}

HFILE_T *File_OpenRead(const char *)
{
    return Open(INPUT_FILE);
}

HFILE_T *File_Create(const char *, const HFILE_T *)
{
    files.output.clear();
    return Open(OUTPUT_FILE);
}

int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    std::size_t left = files.inputSize - files.inputRead;
    if (++files.reads == files.failRead || file->os != INPUT_FILE)
        return Fault();
    if (left == 0)
        return NoFault();
    count = std::min(count, left);
    std::memcpy(buffer, files.input + files.inputRead, count);
    files.inputRead += count;
    return STATUS_OK;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    files.writeCounts.push_back(count);
    ++files.writes;
    if (files.writes == files.failWrite || file->os != OUTPUT_FILE)
        return Fault();
    bool isShort = files.writes == files.shortWrite;
    const std::uint8_t *bytes = static_cast<const std::uint8_t *>(buffer);
    files.output.insert(files.output.end(), bytes, bytes + count - isShort);
    return isShort ? NoFault() : STATUS_OK;
}

int File_GetSize(HFILE_T *file, std::uint64_t *size)
{
    CheckHandle(file, __LINE__);
    if (++files.sizes == files.failSize)
        return Fault();
    *size = file->os == INPUT_FILE ? files.reportedSize : files.output.size();
    return STATUS_OK;
}

int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    file->tag = nullptr;
    files.openHandles--;
    Mem_Free(file);
    return ++files.closes == files.failClose ? Fault() : STATUS_OK;
}

void File_PrintName(std::FILE *stream, const char *name)
{
    std::fputs(name, stream);
}

bool File_ErrorText(char *text, std::size_t size)
{
    std::snprintf(text, size, "%s", files.systemFault ? "the fault asked for" : "");
    return files.systemFault;
}
