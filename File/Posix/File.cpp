// File handles on POSIX.
//
// Sharing follows the rule "other openers may read but not write". Within
// this process the output is compared with the input it was given, by device
// and inode, so the same file cannot be both, whatever names or links reach
// it. Other processes are kept out by flock: a reader holds a shared lock and
// a writer needs an exclusive one.

#include "File/File.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

struct HFILE_T
{
    const char *tag;
    int os;
};

static const char HANDLE_TAG[] = "HFILE_T";

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

// A lock that another process holds refuses the file. A file system without
// locks (ENOLCK, EOPNOTSUPP) refuses nothing: only other processes go
// unguarded there.
static bool Lock(int fd, int operation)
{
    return flock(fd, operation | LOCK_NB) == 0 || errno == ENOLCK || errno == EOPNOTSUPP;
}

// Opens without blocking, so that a FIFO or a device with nothing behind it
// is refused at once instead of hanging the open.
static int OpenRegularForReading(const char *name, const HFILE_T *)
{
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info;
    int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || flags < 0 ||
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 || !Lock(fd, LOCK_SH))
    {
        close(fd);
        return -1;
    }
#ifdef NUMPRESS_HAVE_POSIX_FADVISE
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return fd;
}

// Whether FILE is the one that INPUT has open: the same device and inode.
static bool IsOpenAs(const HFILE_T *input, const struct stat &file)
{
    struct stat opened;
    return input != nullptr && fstat(input->os, &opened) == 0 && opened.st_dev == file.st_dev &&
           opened.st_ino == file.st_ino;
}

// Truncates only once the file is known to be neither the input nor open
// for reading elsewhere, so that either is left as it was. A file whose kind
// cannot be told is refused: a device is written over in place, never cut.
static int OpenForWriting(const char *name, const HFILE_T *input)
{
    int fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 ||
        (S_ISREG(info.st_mode) &&
         (IsOpenAs(input, info) || !Lock(fd, LOCK_EX) || ftruncate(fd, 0) != 0)))
    {
        close(fd);
        return -1;
    }
    return fd;
}

static HFILE_T *Open(const char *name, const HFILE_T *input,
                     int (*openSystemFile)(const char *, const HFILE_T *))
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    file->os = openSystemFile(name, input);
    if (file->os < 0)
    {
        Mem_Free(file);
        return File_StatusResult(STATUS_ERROR);
    }
    file->tag = HANDLE_TAG;
    return file;
}

HFILE_T *File_OpenRead(const char *name)
{
    return Open(name, nullptr, OpenRegularForReading);
}

HFILE_T *File_Create(const char *name, const HFILE_T *input)
{
    if (input != nullptr)
        CheckHandle(input, __LINE__);
    return Open(name, input, OpenForWriting);
}

// The tool installs no signal handler, so reads and writes are restarted by
// the system and never fail with EINTR.
int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    return read(file->os, buffer, count) > 0 ? STATUS_OK : STATUS_ERROR;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    ssize_t put = write(file->os, buffer, count);
    return put == static_cast<ssize_t>(count) ? STATUS_OK : STATUS_ERROR;
}

int File_GetSize(HFILE_T *file, std::uint64_t *size)
{
    CheckHandle(file, __LINE__);
    struct stat info;
    if (fstat(file->os, &info) != 0 || info.st_size < 0)
        return STATUS_ERROR;
    *size = static_cast<std::uint64_t>(info.st_size);
    return STATUS_OK;
}

// Written data may first fail to reach the file here, when the system
// writes it back (a network file system, a quota).
int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    int closed = close(file->os);
    file->tag = nullptr;
    Mem_Free(file);
    return closed == 0 ? STATUS_OK : STATUS_ERROR;
}
