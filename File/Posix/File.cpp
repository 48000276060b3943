// File handles on POSIX.
//
// Sharing follows the rule "other openers may read but not write". Within
// this process the output is compared with the input, as the input's open
// found it, and with the files where standard output and standard error go:
// so the file being read is never written, nor do the messages land in the
// data, whatever names or links reach them. Other processes are kept out by
// flock, where the system has it: a reader holds a shared lock and a writer
// needs an exclusive one.

#include "File/File.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/vfs.h>
#endif

// A file as its open found it. Device and inode name it only where its file
// system keeps one of each per file (KEPT): FUSE gives each name a number of
// its own, overlayfs shows one file on two devices. Elsewhere its size and
// modification time stand in for them.
struct IDENTITY_T
{
    dev_t device;
    ino_t inode;
    off_t size;
    struct timespec modified;
    bool kept;
};

struct HFILE_T
{
    const char *tag;
    int os;
    IDENTITY_T identity;
};

static const char HANDLE_TAG[] = "HFILE_T";
static const mode_t NEW_FILE_MODE = 0666;  // less the umask

// Every operation on a handle begins here: a closed handle, or a record of
// another kind, is reported with the line of the check, and ends the process.
static void CheckHandle(const HFILE_T *file, int line)
{
    if (file->tag != HANDLE_TAG)
        Assert_Fail(__FILE__, line);
}

char **File_Arguments(int *, char **argv)
{
    return argv;
}

void File_PrintName(FILE *stream, const char *name, std::size_t length)
{
    fwrite(name, 1, length, stream);
}

// A lock that another process holds refuses the file. A file system without
// locks (ENOLCK, EOPNOTSUPP, and ENOTSUP where it is a value of its own, as
// on macOS) refuses nothing, nor does a system without flock (WASI): there
// only other processes go unguarded.
static int Lock(int fd, int operation)
{
#ifdef NUMPRESS_HAVE_FLOCK
    if (flock(fd, operation | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP &&
        errno != ENOTSUP)
        return errno == EWOULDBLOCK ? STATUS_IN_USE : STATUS_ERROR;
#else
    (void)fd, (void)operation;
#endif
    return STATUS_OK;
}

// Keeps descriptors 0 to 2 for the standard streams: a file opened on one of
// them, closed when the program started, would take in what is written there.
// (A WASI runtime holds them for the streams itself, and WASI cannot move a
// descriptor.)
static int AboveStandardStreams(int fd)
{
#ifdef F_DUPFD_CLOEXEC
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    int error = errno;
    close(fd);
    errno = error;
    return moved;
#else
    return fd;
#endif
}

// Gives back what a refused open took: its descriptor, if any (closing -1
// does nothing), and the file, if the open created it. errno keeps the
// system's account of the refusal.
static int Refuse(int status, int fd, const char *created = nullptr)
{
    int error = errno;
    close(fd);
    if (created != nullptr)
        unlink(created);
    errno = error;
    return status;
}

// Whether the file system of FD keeps one device and inode number per file.
// The local ones that Linux names here do; what cannot be told is not
// trusted to.
static bool KeepsIdentity(int fd)
{
#ifdef __linux__
    struct statfs system;
    if (fstatfs(fd, &system) != 0)
        return false;
    switch (static_cast<std::uint32_t>(system.f_type))  // an int on 32-bit systems
    {
    case 0xEF53:      // ext2, ext3, ext4
    case 0x58465342:  // XFS
    case 0x9123683E:  // Btrfs
    case 0x01021994:  // tmpfs
    case 0x2FC12FC1:  // ZFS
    case 0xF2F52010:  // F2FS
        return true;
    }
#endif
    (void)fd;
    return false;
}

static IDENTITY_T Identity(int fd, const struct stat &info)
{
#ifdef __APPLE__
    struct timespec modified = info.st_mtimespec;
#else
    struct timespec modified = info.st_mtim;
#endif
    return {info.st_dev, info.st_ino, info.st_size, modified, KeepsIdentity(fd)};
}

static void Keep(HFILE_T *file, int fd, const struct stat &info)
{
    file->os = fd;
    file->identity = Identity(fd, info);
}

// Opens without blocking, so that a FIFO or a device with nothing behind it
// is refused at once instead of hanging the open; a regular file, the only
// kind that is read, is then read in blocking mode, since a WASI runtime may
// take O_NONBLOCK at its word for a file too (where one cannot change it,
// a read that would block fails, and says so). A directory is refused as the
// system refuses to write one.
static int OpenForReading(HFILE_T *file, const char *name, const HFILE_T *)
{
    int fd = AboveStandardStreams(open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd == -1)
        return STATUS_ERROR;
    struct stat info;
    if (fstat(fd, &info) != 0)
        return Refuse(STATUS_ERROR, fd);
    if (S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        return Refuse(STATUS_ERROR, fd);
    }
    if (!S_ISREG(info.st_mode))
        return Refuse(STATUS_NOT_REGULAR, fd);
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int locked = Lock(fd, LOCK_SH);
    if (locked != STATUS_OK)
        return Refuse(locked, fd);
#ifdef NUMPRESS_HAVE_POSIX_FADVISE
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    Keep(file, fd, info);
    return STATUS_OK;
}

static bool SameTime(const struct timespec &one, const struct timespec &other)
{
    return one.tv_sec == other.tv_sec && one.tv_nsec == other.tv_nsec;
}

// Whether the output OUT is the file ITS (the input's, or a standard
// stream's), or may be where a file system cannot tell: then a regular file
// that was there before, of the same size and modification time, is taken
// to be it.
static int AsFile(const IDENTITY_T &its, const IDENTITY_T &out, bool olderRegularFiles, int same,
                  int maybe)
{
    if (its.device == out.device && its.inode == out.inode)
        return same;
    bool unsure = !(its.kept && out.kept) && olderRegularFiles && its.size == out.size &&
                  SameTime(its.modified, out.modified);
    return unsure ? maybe : STATUS_OK;
}

// Whether the output OUT is, or may be, the file where the standard stream
// FD goes. A terminal, or a device such as /dev/null, keeps neither the
// messages nor the data, so it may take both.
static int AsStandardStream(int fd, const IDENTITY_T &out, bool olderRegularFile)
{
    struct stat stream;
    if (fstat(fd, &stream) != 0 || S_ISCHR(stream.st_mode))
        return STATUS_OK;
    return AsFile(Identity(fd, stream), out, olderRegularFile && S_ISREG(stream.st_mode),
                  STATUS_MESSAGES, STATUS_MAY_TAKE_MESSAGES);
}

// What forbids writing the open file OUTPUT, checked before anything is cut:
// being the input, taking the messages, another process's lock, being a
// directory (which a WASI runtime may open for writing). A device or a pipe
// is written as it is, never cut.
static int CheckOutput(const HFILE_T *output, const struct stat &info, const HFILE_T *input,
                       bool created)
{
    if (S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        return STATUS_ERROR;
    }
    bool olderRegularFile = !created && S_ISREG(info.st_mode);
    int conflict = input != nullptr ? AsFile(input->identity, output->identity, olderRegularFile,
                                             STATUS_SAME_FILE, STATUS_MAY_BE_SAME)
                                    : STATUS_OK;
    if (conflict == STATUS_OK)
        conflict = AsStandardStream(STDOUT_FILENO, output->identity, olderRegularFile);
    if (conflict == STATUS_OK)
        conflict = AsStandardStream(STDERR_FILENO, output->identity, olderRegularFile);
    if (conflict != STATUS_OK)
        return conflict;
    if (!S_ISREG(info.st_mode))
        return STATUS_OK;
    int locked = Lock(output->os, LOCK_EX);
    if (locked != STATUS_OK)
        return locked;
    return ftruncate(output->os, 0) == 0 ? STATUS_OK : STATUS_ERROR;
}

// Creates NAME, or else opens it as it is; *created tells which. A link to
// where no file is yet makes the file there, as O_CREAT alone does, but it
// is not known to be new.
static int OpenOrCreate(const char *name, bool *created)
{
    int fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, NEW_FILE_MODE);
    *created = fd != -1;
    if (fd == -1 && errno == EEXIST)
        fd = open(name, O_WRONLY | O_CREAT | O_CLOEXEC, NEW_FILE_MODE);
    return fd;
}

// A file whose kind or identity cannot be told is refused: it might be the
// input, and a device would be written over in place.
static int OpenForWriting(HFILE_T *file, const char *name, const HFILE_T *input)
{
    bool created;
    int fd = AboveStandardStreams(OpenOrCreate(name, &created));
    struct stat info;
    if (fd == -1 || fstat(fd, &info) != 0)
        return Refuse(STATUS_ERROR, fd, created ? name : nullptr);
    Keep(file, fd, info);
    int status = CheckOutput(file, info, input, created);
    return status == STATUS_OK ? STATUS_OK : Refuse(status, fd, created ? name : nullptr);
}

static HFILE_T *Open(const char *name, const HFILE_T *input,
                     int (*openSystemFile)(HFILE_T *, const char *, const HFILE_T *))
{
    HFILE_T *file = static_cast<HFILE_T *>(Mem_Alloc(sizeof(HFILE_T)));
    if (file == nullptr)
        return File_StatusResult(STATUS_NO_MEMORY);
    int status = openSystemFile(file, name, input);
    if (status != STATUS_OK)
    {
        Mem_Free(file);
        return File_StatusResult(status);
    }
    file->tag = HANDLE_TAG;
    return file;
}

HFILE_T *File_OpenRead(const char *name)
{
    return Open(name, nullptr, OpenForReading);
}

HFILE_T *File_Create(const char *name, const HFILE_T *input)
{
    if (input != nullptr)
        CheckHandle(input, __LINE__);
    return Open(name, input, OpenForWriting);
}

// The tool installs no signal handler, so reads and writes are restarted by
// the system and never fail with EINTR. A read of nothing, or a write of
// fewer bytes than given, is no fault of the system's: errno says so with 0.
int File_Read(HFILE_T *file, void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    ssize_t got = read(file->os, buffer, count);
    if (got > 0)
        return STATUS_OK;
    if (got == 0)
        errno = 0;
    return STATUS_ERROR;
}

int File_Write(HFILE_T *file, const void *buffer, std::size_t count)
{
    CheckHandle(file, __LINE__);
    ssize_t put = write(file->os, buffer, count);
    if (put == static_cast<ssize_t>(count))
        return STATUS_OK;
    if (put >= 0)
        errno = 0;
    return STATUS_ERROR;
}

std::uint64_t File_GetSize(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    return static_cast<std::uint64_t>(file->identity.size);
}

// Written data may first fail to reach the file here, when the system
// writes it back (a network file system, a quota).
int File_Close(HFILE_T *file)
{
    CheckHandle(file, __LINE__);
    int closed = close(file->os);
    int error = errno;
    file->tag = nullptr;
    Mem_Free(file);
    errno = error;
    return closed == 0 ? STATUS_OK : STATUS_ERROR;
}

bool File_ErrorText(char *text, std::size_t size)
{
    int error = errno;
    snprintf(text, size, "%s", error ? strerror(error) : "");
    return error != 0;
}
