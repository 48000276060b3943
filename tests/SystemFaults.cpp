// Faults of the file system that a local disk cannot show, for a program
// started with this library in LD_PRELOAD (glibc's Linux). FAULT names one
// or more, separated by spaces:
//   flock-succeeds    every lock is granted, as NFS grants one process's locks
//   flock-enolck      no lock is supported
//   close-eio         closing a file open for writing fails, as a late
//                     write-back does; the descriptor is closed all the same
//   read-eio          reading fails, as a failing disk does
//   write-short       writing more than a byte writes one less, as a disk
//                     that fills up does
//   fstat-fails       fstat of a file open for writing fails
//   input-fstat-once  fstat of a file open for reading fails after the
//                     first, as a network file system's may

#include <cerrno>
#include <cstdlib>
#include <string>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>

// Whether FAULT names NAME, and FD, if given, is open for writing (or, with
// READING, for reading).
static bool Fault(const char *name, int fd = -1, bool reading = false)
{
    const char *faults = std::getenv("FAULT");
    std::string named = std::string(" ") + (faults ? faults : "") + " ";
    int mode = fd < 0 ? 0 : fcntl(fd, F_GETFL) & O_ACCMODE;
    return named.find(std::string(" ") + name + " ") != std::string::npos &&
           (fd < 0 || mode == (reading ? O_RDONLY : O_WRONLY));
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

extern "C" ssize_t read(int fd, void *buffer, size_t count)
{
    return Fault("read-eio", fd, true)
               ? Fail(EIO)
               : Real<ssize_t(int, void *, size_t)>("read")(fd, buffer, count);
}

extern "C" ssize_t write(int fd, const void *buffer, size_t count)
{
    count -= Fault("write-short", fd) && count > 1;
    return Real<ssize_t(int, const void *, size_t)>("write")(fd, buffer, count);
}

// The program calls fstat64 where glibc's headers send fstat there (2.33 and
// later, with 64-bit file offsets), fstat elsewhere.
static int Stat(const char *name, int fd, void *info)
{
    static int inputLooks;
    if (Fault("fstat-fails", fd) || (Fault("input-fstat-once", fd, true) && ++inputLooks > 1))
        return Fail(EOVERFLOW);
    return Real<int(int, void *)>(name)(fd, info);
}

extern "C" int fstat64(int fd, void *info)
{
    return Stat("fstat64", fd, info);
}

extern "C" int fstat(int fd, void *info)
{
    return Stat("fstat", fd, info);
}
