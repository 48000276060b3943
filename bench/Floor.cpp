// The floor of the benchmark: the system calls that numpress's design fixes,
// and nothing else. It reads the input one byte per read(), then writes the
// expected output one value per write(), each of the width that the plan
// gives (one byte per value: 1, 2 or 4).
//
//   bench_floor <input> <plan> <expected output> <output>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

static std::vector<unsigned char> Slurp(const char *name)
{
    std::vector<unsigned char> bytes;
    int fd = open(name, O_RDONLY);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0)
        return bytes;
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    ssize_t n;
    while (got < bytes.size() && (n = read(fd, bytes.data() + got, bytes.size() - got)) > 0)
        got += static_cast<std::size_t>(n);
    close(fd);
    return bytes;
}

int main(int argc, char **argv)
{
    if (argc != 5)
    {
        std::fprintf(stderr, "usage: bench_floor <input> <plan> <expected> <output>\n");
        return 1;
    }
    std::vector<unsigned char> plan = Slurp(argv[2]);
    std::vector<unsigned char> expected = Slurp(argv[3]);
    int input = open(argv[1], O_RDONLY);
    int output = open(argv[4], O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (input < 0 || output < 0)
        return 2;

    unsigned char byte;
    while (read(input, &byte, 1) == 1)
        continue;
    std::size_t at = 0;
    for (unsigned char width : plan)
    {
        if (write(output, expected.data() + at, width) != width)
            return 3;
        at += width;
    }
    close(output);
    close(input);
    return 0;
}
