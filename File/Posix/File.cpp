// File handles on POSIX.
//
// Sharing follows the rule "other openers may read but not write": a reader
// holds a shared flock and a writer needs an exclusive one, so the same file
// cannot be both input and output, whatever names or links reach it.

#include "File/File.h"

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

static bool IsRegularFile(int fd)
{
    struct stat info;
    return fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Opens without blocking, so that a FIFO or a device with nothing behind it
// is refused at once instead of hanging the open.
static int OpenRegularForReading(const char *name)
{
    int fd = open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    int flags = fcntl(fd, F_GETFL);
    if (!IsRegularFile(fd) || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        flock(fd, LOCK_SH | LOCK_NB) != 0)
    {
        close(fd);
        return -1;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return fd;
}

// Truncates only once the exclusive lock is held, so a file that is open
// for reading elsewhere is left as it was.
static int OpenForWriting(const char *name)
{
    int fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        return -1;
    if (IsRegularFile(fd) && (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0))
    {
        close(fd);
        return -1;
    }
    return fd;
}

static HFILE_T *Open(const char *name, int (*openSystemFile)(const char *))
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    file->os = openSystemFile(name);
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
    return Open(name, OpenRegularForReading);
}

HFILE_T *File_Create(const char *name)
{
    return Open(name, OpenForWriting);
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

void File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    close(file->os);
    file->tag = nullptr;
    Mem_Free(file);
}
