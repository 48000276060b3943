// Calls the handle operation named by its argument on a record of another
// kind, whose tag holds the same text as a handle's at another address. The
// library must report it and end the process with status 4; reaching the
// end of main is a failure.

#include "File/File.h"

#include <cstdio>
#include <cstring>

struct OTHER_T
{
    const char *tag;
    void *os;
};

int main(int argc, char **argv)
{
    static const char text[] = "HFILE_T";
    OTHER_T other = {text, nullptr};
    HFILE_T *file = reinterpret_cast<HFILE_T *>(&other);
    const char *operation = argc == 2 ? argv[1] : "";
    char byte = 0;
    std::uint64_t size;

    if (std::strcmp(operation, "read") == 0)
        File_Read(file, &byte, 1);
    else if (std::strcmp(operation, "write") == 0)
        File_Write(file, &byte, 1);
    else if (std::strcmp(operation, "size") == 0)
        File_GetSize(file, &size);
    else if (std::strcmp(operation, "close") == 0)
        File_Close(file);
    std::printf("not stopped: %s\n", operation);
    return 1;
}
