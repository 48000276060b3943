// File handles on Windows.
//
// Names arrive in UTF-8 (Names.cpp) and are opened through the wide API, so
// that each reaches the file it names, whatever the code page. Both opens
// share reading only, so that a file open for reading cannot be written,
// whatever name or link reaches it, where the file system enforces sharing
// modes. Not every network redirector does, so the output is also compared
// with the input, by volume serial number and file index, and with the files
// where standard output and standard error go, before it is cut.

#include "File/Win32/Windows.h"

#include <cstring>

struct IDENTITY_T
{
    ULONGLONG volume;  // 0 where it could not be told
    ULARGE_INTEGER index;
};

struct HFILE_T
{
    const char *tag;
    HANDLE os;
    IDENTITY_T identity;  // of a file opened for reading, as its open found it,
    LARGE_INTEGER size;   // with its size
};

static const char HANDLE_TAG[] = "HFILE_T";

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

// NAME in UTF-16, in WIDE; false, with the system's error, if it is no UTF-8.
static bool Widen(const char *name, wchar_t (&wide)[UNICODE_STRING_MAX_CHARS])
{
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide,
                               UNICODE_STRING_MAX_CHARS) != 0;
}

// The volume serial number and file index that name an open file; false
// where they cannot be told. GetFileInformationByHandle tells them on every
// Windows; where it cannot, as for a standard stream that wine made of a
// Unix file, Windows 8 and later still tell the index, if not the volume.
static bool Identify(HANDLE handle, IDENTITY_T *identity)
{
    BY_HANDLE_FILE_INFORMATION info;
    FILE_ID_INFO ids;
    if (GetFileInformationByHandle(handle, &info))
    {
        identity->volume = info.dwVolumeSerialNumber;
        identity->index.HighPart = info.nFileIndexHigh;
        identity->index.LowPart = info.nFileIndexLow;
        return true;
    }
    bool told = GetFileInformationByHandleEx(handle, FileIdInfo, &ids, sizeof ids);
    identity->volume = ids.VolumeSerialNumber;
    std::memcpy(&identity->index, ids.FileId.Identifier, sizeof identity->index);  // NTFS's 64 bits
    return told;
}

static bool IsSame(const IDENTITY_T &one, const IDENTITY_T &other)
{
    return one.index.QuadPart == other.index.QuadPart && one.volume == other.volume;
}

// Gives back what a refused open took: the system's handle, if any (closing
// INVALID_HANDLE_VALUE does nothing), the file, if the open created it, and
// the record. GetLastError keeps the system's account of the refusal, which
// a call that succeeds may still overwrite.
static HFILE_T *Refuse(int status, HFILE_T *file, const wchar_t *created = nullptr)
{
    DWORD error = GetLastError();
    CloseHandle(file->os);
    if (created != nullptr)
        DeleteFileW(created);
    Mem_Free(file);
    SetLastError(error);
    return File_StatusResult(status);
}

// A new record with NAME, put into UTF-16 in WIDE, opened for ACCESS as
// DISPOSITION says; its handle is INVALID_HANDLE_VALUE where the system
// refused. Null where no memory is left.
static HFILE_T *OpenRecord(const char *name, DWORD access, DWORD disposition,
                           wchar_t (&wide)[UNICODE_STRING_MAX_CHARS])
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file != nullptr)
        file->os = Widen(name, wide)
                       ? CreateFileW(wide, access, FILE_SHARE_READ, nullptr, disposition,
                                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                       : INVALID_HANDLE_VALUE;
    return file;
}

// Only a disk file is read: a device such as NUL or CON, or a pipe, has no
// size to count its bytes against.
HFILE_T *File_OpenRead(const char *name)
{
    wchar_t wide[UNICODE_STRING_MAX_CHARS];
    HFILE_T *file = OpenRecord(name, GENERIC_READ, OPEN_EXISTING, wide);
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    if (file->os == INVALID_HANDLE_VALUE)
        return Refuse(STATUS_ERROR, file);
    if (GetFileType(file->os) != FILE_TYPE_DISK)
        return Refuse(STATUS_NOT_REGULAR, file);
    if (!Identify(file->os, &file->identity) || !GetFileSizeEx(file->os, &file->size))
        return Refuse(STATUS_ERROR, file);
    file->tag = HANDLE_TAG;
    return file;
}

// Whether IDENTITY is the disk file where the standard stream STREAM goes.
// Its volume cannot always be told (wine's streams of Unix files give none),
// so its index alone decides: a file that may be the same is taken to be.
static bool IsStandardStream(DWORD stream, const IDENTITY_T &identity)
{
    HANDLE handle = GetStdHandle(stream);
    IDENTITY_T its;
    return GetFileType(handle) == FILE_TYPE_DISK && Identify(handle, &its) &&
           its.index.QuadPart == identity.index.QuadPart;
}

// What forbids writing the file IDENTITY: being the input, or taking the messages.
static int Conflict(const IDENTITY_T &identity, const HFILE_T *input)
{
    if (input != nullptr && IsSame(identity, input->identity))
        return STATUS_SAME_FILE;
    if (IsStandardStream(STD_OUTPUT_HANDLE, identity) ||
        IsStandardStream(STD_ERROR_HANDLE, identity))
        return STATUS_MESSAGES;
    return STATUS_OK;
}

// What forbids writing the open file OUTPUT, checked before it is cut: a
// conflict, or an identity that cannot be told. A device such as NUL or CON
// is written as it is.
static int CheckOutput(HANDLE output, const HFILE_T *input)
{
    IDENTITY_T identity;
    if (GetFileType(output) != FILE_TYPE_DISK)
        return STATUS_OK;
    if (!Identify(output, &identity))
        return STATUS_ERROR;
    int conflict = Conflict(identity, input);
    if (conflict != STATUS_OK)
        return conflict;
    return SetEndOfFile(output) ? STATUS_OK : STATUS_ERROR;
}

// Why the system refused to open NAME for writing. Where a sharing mode
// refused it, the input or a standard stream may be what holds it open: a
// look at the file's attributes, which no sharing mode forbids, tells.
static int Refusal(const wchar_t *name, const HFILE_T *input)
{
    DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION)
        return STATUS_ERROR;
    HANDLE look = CreateFileW(name, FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    IDENTITY_T identity;
    int conflict = Identify(look, &identity) ? Conflict(identity, input) : STATUS_OK;
    CloseHandle(look);
    SetLastError(error);
    return conflict != STATUS_OK ? conflict : STATUS_ERROR;
}

// Opened as it is, or created, and only cut once it may be written: the
// result is CREATE_ALWAYS's, an empty file, unless the file is refused.
HFILE_T *File_Create(const char *name, const HFILE_T *input)
{
    if (input != nullptr)
        CheckHandle(input, __LINE__);
    wchar_t wide[UNICODE_STRING_MAX_CHARS];
    HFILE_T *file = OpenRecord(name, GENERIC_WRITE, OPEN_ALWAYS, wide);
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    if (file->os == INVALID_HANDLE_VALUE)
        return Refuse(Refusal(wide, input), file);
    bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    int status = CheckOutput(file->os, input);
    if (status != STATUS_OK)
        return Refuse(status, file, created ? wide : nullptr);
    file->tag = HANDLE_TAG;
    return file;
}

// The count of bytes moved is looked at only when the call succeeded, which
// always sets it. A read of nothing, or a write of fewer bytes than given, is
// no fault of the system's: the last error says so with ERROR_SUCCESS.
int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    DWORD got;
    if (!ReadFile(file->os, buffer, static_cast<DWORD>(count), &got, nullptr))
        return STATUS_ERROR;
    if (got > 0)
        return STATUS_OK;
    SetLastError(ERROR_SUCCESS);
    return STATUS_ERROR;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    DWORD put;
    BOOL done = WriteFile(file->os, buffer, static_cast<DWORD>(count), &put, nullptr);
    if (done && put != count)
        SetLastError(ERROR_SUCCESS);
    return done && put == count ? STATUS_OK : STATUS_ERROR;
}

// A file's length is never negative.
std::uint64_t File_GetSize(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    return static_cast<std::uint64_t>(file->size.QuadPart);
}

// Written data may first fail to reach the file here, when the system
// writes it back (a network share).
int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    BOOL closed = CloseHandle(file->os);
    DWORD error = GetLastError();
    file->tag = nullptr;
    Mem_Free(file);
    SetLastError(error);
    return closed ? STATUS_OK : STATUS_ERROR;
}

// Windows's own text of the error, in the ANSI code page, on one line: the
// line break that ends it, which FORMAT_MESSAGE_MAX_WIDTH_MASK makes a
// space, goes.
bool File_ErrorText(char *text, std::size_t size)
{
    DWORD error = GetLastError();
    text[0] = 0;
    if (error == ERROR_SUCCESS)
        return false;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
                                      FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                  nullptr, error, 0, text, static_cast<DWORD>(size), nullptr);
    if (length == 0)
        std::snprintf(text, size, "Windows error %lu", error);
    else if (text[length - 1] == ' ')
        text[length - 1] = 0;
    return true;
}
