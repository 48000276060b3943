// File handles on Windows.
//
// Both opens share reading only, so a file that is open for reading cannot
// be created over, whatever name or link reaches it, and the input is left
// as it was.

#include "File/File.h"

#include <windows.h>

struct HFILE_T
{
    const char *tag;
    HANDLE os;
};

static const char HANDLE_TAG[] = "HFILE_T";

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

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

// Only a disk file is read: a device such as NUL or CON, or a pipe, has no
// size to count its bytes against.
HFILE_T *File_OpenRead(const char *name)
{
    HFILE_T *file = Open(name, GENERIC_READ, OPEN_EXISTING);
    if (!File_IsStatus(file) && GetFileType(file->os) != FILE_TYPE_DISK)
    {
        File_Close(file);
        return File_StatusResult(STATUS_ERROR);
    }
    return file;
}

// The sharing mode of the input's open already refuses this open when NAME is
// the input, before CREATE_ALWAYS could truncate it.
HFILE_T *File_Create(const char *name, const HFILE_T *input)
{
    if (input != nullptr)
        CheckHandle(input, __LINE__);
    return Open(name, GENERIC_WRITE, CREATE_ALWAYS);
}

// The count of bytes moved is looked at only when the call succeeded, which
// always sets it.
int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    DWORD got;
    BOOL done = ReadFile(file->os, buffer, static_cast<DWORD>(count), &got, nullptr);
    return done && got > 0 ? STATUS_OK : STATUS_ERROR;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    DWORD put;
    BOOL done = WriteFile(file->os, buffer, static_cast<DWORD>(count), &put, nullptr);
    return done && put == count ? STATUS_OK : STATUS_ERROR;
}

// A file's length is never negative.
int File_GetSize(HFILE_T *file, std::uint64_t *size)
{
    CheckHandle(file, __LINE__);
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file->os, &length))
        return STATUS_ERROR;
    *size = static_cast<std::uint64_t>(length.QuadPart);
    return STATUS_OK;
}

// Written data may first fail to reach the file here, when the system
// writes it back (a network share).
int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    BOOL closed = CloseHandle(file->os);
    file->tag = nullptr;
    Mem_Free(file);
    return closed ? STATUS_OK : STATUS_ERROR;
}
