// A FUSE file system that mirrors the files of a folder as sshfs does: it
// gives each name an inode number of its own, so two hard links show as two
// files, keeps no attributes in the kernel's cache, and has no locks of its
// own. It reads and writes files, but makes none.
//   fuse_mirror FOLDER MOUNT-POINT    (in the foreground, until unmounted)

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

static int folder;  // the mirrored folder, which every path is taken in

static const char *Relative(const char *path)
{
    return path[1] != 0 ? path + 1 : ".";
}

static int Result(long done)
{
    return done < 0 ? -errno : static_cast<int>(done);
}

static int Getattr(const char *path, struct stat *info, fuse_file_info *file)
{
    return Result(file != nullptr ? fstat(static_cast<int>(file->fh), info)
                                  : fstatat(folder, Relative(path), info, AT_SYMLINK_NOFOLLOW));
}

static int Open(const char *path, fuse_file_info *file)
{
    int fd = openat(folder, Relative(path), file->flags);
    file->fh = static_cast<uint64_t>(fd);
    return Result(fd < 0 ? -1 : 0);
}

static int Read(const char *, char *buffer, size_t size, off_t at, fuse_file_info *file)
{
    return Result(pread(static_cast<int>(file->fh), buffer, size, at));
}

static int Write(const char *, const char *buffer, size_t size, off_t at, fuse_file_info *file)
{
    return Result(pwrite(static_cast<int>(file->fh), buffer, size, at));
}

static int Truncate(const char *, off_t size, fuse_file_info *file)
{
    return Result(file != nullptr ? ftruncate(static_cast<int>(file->fh), size)
                                  : -(errno = EINVAL));
}

static int Release(const char *, fuse_file_info *file)
{
    return Result(close(static_cast<int>(file->fh)));
}

static void *Init(fuse_conn_info *, fuse_config *config)
{
    config->use_ino = 0;
    config->attr_timeout = config->entry_timeout = 0;
    return nullptr;
}

int main(int argc, char **argv)
{
    if (argc != 3 || (folder = open(argv[1], O_RDONLY | O_DIRECTORY)) < 0)
        return 2;
    fuse_operations operations = {};
    operations.getattr = Getattr;
    operations.open = Open;
    operations.read = Read;
    operations.write = Write;
    operations.truncate = Truncate;
    operations.release = Release;
    operations.init = Init;
    char *args[] = {argv[0], const_cast<char *>("-f"), argv[2], nullptr};
    return fuse_main(3, args, &operations, nullptr);
}
