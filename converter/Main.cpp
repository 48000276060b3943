// numpress <in file> <out file>: converts a text of numbers and directives
// into the binary file that it describes. The file library gives the names
// as the system spells them.

#include "converter/Converter.h"

#include <cstdio>

int main(int argc, char **argv)
{
    char **names = File_Arguments(&argc, argv);  // first: it may count the names anew
    return Numpress_Main(argc, names, stdout, stderr);
}
