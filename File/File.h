#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "File/Status.h"

// A handle to an open file. The record is defined by each platform's
// implementation; callers only hold the pointer.
struct HFILE_T;

// The *ARGC arguments of the command line as the names that File_OpenRead and
// File_Create take: ARGV itself where names are bytes (POSIX). Windows reads
// the command line again as the user typed it, in UTF-16, splits it as the C
// run-time splits ARGV, and hands each argument on in UTF-8, so that no code
// page stands between a name and its file; *ARGC becomes the count of that
// split, which may differ from ARGV's where the code page's best fit made a
// quotation mark of another character. Null where the command line cannot
// be read (a name that no UTF-8 spells), or no memory is left.
char **File_Arguments(int *argc, char **argv);

// Writes the LENGTH bytes of a name at NAME to STREAM as the messages spell
// it: as it is, or on Windows in the ANSI code page that the messages are
// written in, with '?' for each character that the code page lacks. LENGTH
// ends NAME at a character's end.
void File_PrintName(std::FILE *stream, const char *name, std::size_t length);

// Opening returns a handle, or an odd status in the same value: handle
// records are at least 2-byte aligned, so the lowest bit tells the two apart.
//
// File_OpenRead opens an existing regular file and takes its size. The
// system refuses a directory (STATUS_ERROR); any other kind of file is
// STATUS_NOT_REGULAR.
// File_Create creates a file, or empties it, for writing. It refuses the file
// that INPUT, a handle of File_OpenRead or null, has open (STATUS_SAME_FILE),
// or may have open where the file system cannot tell (STATUS_MAY_BE_SAME),
// and the file where standard output or standard error go
// (STATUS_MESSAGES), or may go (STATUS_MAY_TAKE_MESSAGES), whatever name or
// link reaches them, and a file whose identity it cannot tell; a refused
// file is left as it was, and one that this call created is removed again.
// STATUS_ERROR is the system's refusal, STATUS_NO_MEMORY a lack of memory
// for the record.
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

// The length in bytes that File_OpenRead found the file to have.
std::uint64_t File_GetSize(HFILE_T *file);

// Closes the file and frees the handle, whatever the result: STATUS_OK, or
// STATUS_ERROR if the system reports that written data did not reach it.
int File_Close(HFILE_T *file);

// Why the last call of this library that returned STATUS_ERROR failed, in
// the system's own words ("No such file or directory"), written into TEXT.
// It reads what the system keeps of the failure (errno, GetLastError), so it
// must come before any other call that may change that. False, with TEXT
// empty, where the system saw no fault: a read that found no byte left, a
// write that took fewer bytes than it was given.
bool File_ErrorText(char *text, std::size_t size);

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
