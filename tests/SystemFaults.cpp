// Faults of the file system that a local disk cannot show, for a program
// started with this library in LD_PRELOAD (glibc's Linux). FAULT names one
// or more, separated by spaces:
//   flock-succeeds    every lock is granted, as NFS grants one process's locks
//   flock-enolck      no lock is supported
//   close-eio         closing a file open for writing fails (a late write-back)
//   read-eio=N        the Nth read of a file open for reading fails
//   write-short       writing writes one byte less (of one byte, none), as a full
//                     disk may, leaving errno as a failure's, as a success may
//   fstat-fails       fstat of a file open for writing fails
//   input-fstat-fails fstat of a file open for reading fails
//   size=N            a file open for reading says it is N bytes long (it grew or shrank)
//   fstatfs-fails     fstatfs fails: no file system is told
//   count-calls       at exit, on standard error: the reads of files open for reading,
//                     the writes of files open for writing (the standard streams
//                     aside), and the hints that a whole file is read in order

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>

// The number that FAULT gives NAME ("size=4"), 1 where it names NAME alone,
// 0 where it does not name it or FD, if given, is not open for writing (or,
// with READING, for reading).
static long Fault(const char *name, int fd = -1, bool reading = false)
{
    char words[256];
    std::snprintf(words, sizeof words, "%s", std::getenv("FAULT") ? std::getenv("FAULT") : "");
    if (fd >= 0 && (fcntl(fd, F_GETFL) & O_ACCMODE) != (reading ? O_RDONLY : O_WRONLY))
        return 0;
    for (char *word = std::strtok(words, " "); word != nullptr; word = std::strtok(nullptr, " "))
    {
        char *value = std::strchr(word, '=');
        std::size_t key = value ? value - word : std::strlen(word);
        if (key == std::strlen(name) && std::strncmp(word, name, key) == 0)
            return value ? std::atol(value + 1) : 1;
    }
    return 0;
}

static int Fail(int error)
{
    errno = error;
    return -1;
}

// The C library's own function of that name.
template <typename FUNCTION_T> static FUNCTION_T *Real(const char *name)
{
    return reinterpret_cast<FUNCTION_T *>(dlsym(RTLD_NEXT, name));
}

extern "C" int flock(int fd, int operation)
{
    if (Fault("flock-succeeds"))
        return 0;
    return Fault("flock-enolck") ? Fail(ENOLCK) : Real<int(int, int)>("flock")(fd, operation);
}

extern "C" int close(int fd)
{
    bool fails = Fault("close-eio", fd);
    int closed = Real<int(int)>("close")(fd);
    return fails ? Fail(EIO) : closed;
}

static long counted[3];  // reads, writes, hints

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    static long reads;
    counted[0] += fd > 2 && Fault("count-calls", fd, true);
    long failing = Fault("read-eio", fd, true);
    if (failing != 0 && ++reads == failing)
        return Fail(EIO);
    return Real<ssize_t(int, void *, size_t)>("read")(fd, buffer, count);
}

extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    counted[1] += fd > 2 && Fault("count-calls", fd);
    if (Fault("write-short", fd) && count > 0)
        count--, errno = EIO;
    return Real<ssize_t(int, const void *, size_t)>("write")(fd, buffer, count);
}

// The program calls fstat64 where glibc's headers send fstat there (2.33 and
// later, with 64-bit file offsets), fstat elsewhere.
template <typename STAT_T> static int Stat(const char *name, int fd, STAT_T *info)
{
    if (Fault("fstat-fails", fd) || Fault("input-fstat-fails", fd, true))
        return Fail(EOVERFLOW);
    int done = Real<int(int, STAT_T *)>(name)(fd, info);
    if (long size = Fault("size", fd, true))
        info->st_size = size;
    return done;
}

extern "C" int fstat64(int fd, struct stat64 *info)
{
    return Stat("fstat64", fd, info);
}

extern "C" int fstat(int fd, struct stat *info)
{
    return Stat("fstat", fd, info);
}

// The program's fstatfs, which 64-bit file offsets make fstatfs64.
extern "C" int fstatfs64(int fd, struct statfs64 *info)
{
    return Fault("fstatfs-fails") ? Fail(ENOSYS)
                                  : Real<int(int, struct statfs64 *)>("fstatfs64")(fd, info);
}

extern "C" int posix_fadvise64(int fd, off64_t offset, off64_t length, int advice)
{
    bool wholeFile = offset == 0 && length == 0;
    counted[2] += wholeFile && advice == POSIX_FADV_SEQUENTIAL && Fault("count-calls", fd, true);
    return Real<int(int, off64_t, off64_t, int)>("posix_fadvise64")(fd, offset, length, advice);
}

__attribute__((destructor)) static void PrintCounted()
{
    if (Fault("count-calls"))
        std::fprintf(stderr, "reads %ld, writes %ld, hints %ld\n", counted[0], counted[1],
                     counted[2]);
}
