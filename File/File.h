#pragma once

#include <cstddef>
#include <cstdint>

#include "File/Status.h"

// A handle to an open file. The record is defined by each platform's
// implementation; callers only hold the pointer.
struct HFILE_T;

// Opening returns a handle, or an odd status (STATUS_ERROR, STATUS_NO_MEMORY)
// in the same value: handle records are at least 2-byte aligned, so the
// lowest bit tells the two apart.
//
// File_OpenRead opens an existing regular file. File_Create creates a file,
// or truncates it, for writing; it refuses the file that INPUT, a handle of
// File_OpenRead or null, has open, whatever name or link reaches it, so that
// a file being read is never written over.
HFILE_T *File_OpenRead(const char *name);
HFILE_T *File_Create(const char *name, const HFILE_T *input);

inline bool File_IsStatus(const HFILE_T *result)
{
    return (reinterpret_cast<std::uintptr_t>(result) & 1) != 0;
}

inline int File_StatusOf(const HFILE_T *result)
{
    return static_cast<int>(reinterpret_cast<std::uintptr_t>(result));
}

// What an implementation's opening returns instead of a handle.
inline HFILE_T *File_StatusResult(int status)
{
    return reinterpret_cast<HFILE_T *>(static_cast<std::uintptr_t>(status));
}

// One system read: STATUS_OK if at least one byte arrived, else STATUS_ERROR.
int File_Read(HFILE_T *file, void *buffer, std::size_t count);

// One system write: STATUS_OK only if all count bytes were written.
int File_Write(HFILE_T *file, const void *buffer, std::size_t count);

// The file's length in bytes, or STATUS_ERROR if the system cannot tell it.
int File_GetSize(HFILE_T *file, std::uint64_t *size);

// Closes the file and frees the handle, whatever the result: STATUS_OK, or
// STATUS_ERROR if the system reports that written data did not reach it.
int File_Close(HFILE_T *file);

// The heap that holds handle records. Mem_Free ignores null.
void *Mem_Alloc(std::size_t size);
void Mem_Free(void *block);

// Reports an internal consistency failure, "<file name>(<line>)", and ends
// the process with exit status 4.
[[noreturn]] void Assert_Fail(const char *path, int line);

enum
{
    ASSERT_EXIT_STATUS = 4,
    ASSERT_TEXT_MAX = 260,  // bytes of the report's text, terminator included
};
