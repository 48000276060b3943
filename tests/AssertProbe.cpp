// Calls the handle operation named by its argument (open beside, read, write,
// size, close) on a record whose tag holds "HFILE_T" at another address than a handle's,
// or reports a path ending in 0x95 0x5C, one character in code page 932. The
// library must report it and exit with 4; returning from main fails.

#include "File/File.h"

int main(int argc, char **argv)
{
    static const char text[] = "HFILE_T";
    const void *other[2] = {text, nullptr};
    HFILE_T *file = reinterpret_cast<HFILE_T *>(other);
    char byte = 0;
    switch (argc == 2 ? argv[1][0] : 0)
    {
    case 'o': File_Create("", file); break;
    case 'r': File_Read(file, &byte, 1); break;
    case 'w': File_Write(file, &byte, 1); break;
    case 's': File_GetSize(file); break;
    case 'c': File_Close(file); break;
    case 'p': Assert_Fail("dir\\\x95\x5C.cpp", 1);
    }
    return 1;
}
