// numpress <in file> <out file>: converts a text of numbers and directives
// into the binary file that it describes.

#include "converter/Converter.h"

int main(int argc, char **argv)
{
    return Numpress_Main(argc, argv);
}
