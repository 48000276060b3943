// Writes the input of every end-to-end case into the directory given, one
// file per case, as seeds for the fuzzer.

#include "../tests/EndToEndCases.h"

#include <fstream>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 1;
    for (const E2E_CASE_T &test : E2E_CASES)
        std::ofstream(std::string(argv[1]) + "/" + test.name, std::ios::binary) << test.input;
    return 0;
}
