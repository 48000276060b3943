// Faults of the file system that a local disk cannot show, for a program
// started with this library in LD_PRELOAD. FAULT names one:
//   flock-succeeds  every lock is granted, as NFS grants one process's locks
//   flock-enolck    no lock is supported
//   close-eio       closing a file open for writing fails, as a late
//                   write-back does; the descriptor is closed all the same
//   fstat-fails     fstat64 of a file open for writing fails

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>

static bool Fault(const char *name, int fd = -1)
{
    const char *fault = std::getenv("FAULT");
    bool writing = fd < 0 || (fcntl(fd, F_GETFL) & O_ACCMODE) == O_WRONLY;
    return fault != nullptr && std::strcmp(fault, name) == 0 && writing;
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

extern "C" int fstat64(int fd, void *info)
{
    return Fault("fstat-fails", fd) ? Fail(EOVERFLOW) : Real<int(int, void *)>("fstat64")(fd, info);
}
