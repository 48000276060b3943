// File handles on Windows.
//
// Both opens share reading only, so a file that is open for reading cannot
// be created over, and the input is left as it was.

#include "File/File.h"

#include <windows.h>

struct HFILE_T
{
    const char *tag;
    HANDLE os;
};

static const char HANDLE_TAG[] = "HFILE_T";

// An expression, so that it cannot take an else meant for an if around it.
#define CHECK_HANDLE(file) ((file)->tag == HANDLE_TAG ? void() : Assert_Fail(__FILE__, __LINE__))

static HFILE_T *Open(const char *name, DWORD access, DWORD disposition)
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    file->os = CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file->os == INVALID_HANDLE_VALUE)
    {
        Mem_Free(file);
        return File_StatusResult(STATUS_ERROR);
    }
    file->tag = HANDLE_TAG;
    return file;
}

HFILE_T *File_OpenRead(const char *name)
{
    return Open(name, GENERIC_READ, OPEN_EXISTING);
}

HFILE_T *File_Create(const char *name)
{
    return Open(name, GENERIC_WRITE, CREATE_ALWAYS);
}

// The count of bytes moved is looked at only when the call succeeded, which
// always sets it.
int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CHECK_HANDLE(file);
    DWORD got;
    BOOL done = ReadFile(file->os, buffer, static_cast<DWORD>(count), &got, nullptr);
    return done && got > 0 ? STATUS_OK : STATUS_ERROR;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CHECK_HANDLE(file);
    DWORD put;
    BOOL done = WriteFile(file->os, buffer, static_cast<DWORD>(count), &put, nullptr);
    return done && put == count ? STATUS_OK : STATUS_ERROR;
}

// A file's length is never negative.
int File_GetSize(HFILE_T *file, std::uint64_t *size)
{
    CHECK_HANDLE(file);
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file->os, &length))
        return STATUS_ERROR;
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return STATUS_OK;
}

void File_Close(HFILE_T *file)
{
    CHECK_HANDLE(file);
    CloseHandle(file->os);
    file->tag = nullptr;
    Mem_Free(file);
}
