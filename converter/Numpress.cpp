// The command line, the files and the messages around one conversion.

#include "converter/Converter.h"

#include <cstdio>

int Numpress_Main(int argc, char **argv, std::FILE *messages, std::FILE *reasons)
{
    MESSAGES_T m = {messages, reasons, nullptr, nullptr};
    std::fprintf(messages, "Numpress " NUMPRESS_VERSION ": text to binary converter\n");
    if (argc != 3)
    {
        Message_Usage(&m);
        return EXIT_USAGE;
    }
    if (argv == nullptr)
    {
        Message_CommandLine(&m);
        return EXIT_CANNOT_OPEN;
    }
    m.inName = argv[1];
    m.outName = argv[2];

    HFILE_T *input = File_OpenRead(m.inName);
    if (File_IsStatus(input))
    {
        Message_CannotOpen(&m, File_StatusOf(input), m.inName);
        return EXIT_CANNOT_OPEN;
    }
    HFILE_T *output = File_Create(m.outName, input);
    if (File_IsStatus(output))
    {
        Message_CannotOpen(&m, File_StatusOf(output), m.outName);
        File_Close(input);
        return EXIT_CANNOT_OPEN;
    }

    CONVERT_REPORT_T report;
    int status = Convert_Run(output, input, &report);
    Message_Warnings(&m, &report);
    if (status != STATUS_OK)
        Message_Stop(&m, status, &report);

    // The output is whole only once it is closed; the input has nothing to lose.
    if (File_Close(output) != STATUS_OK && status != STATUS_WRITE_ERROR)
    {
        Message_Stop(&m, STATUS_WRITE_ERROR, &report);
        status = STATUS_WRITE_ERROR;
    }
    File_Close(input);
    return status == STATUS_OK ? EXIT_CONVERTED : EXIT_STOPPED;
}
