// The command line, the files and the messages around one conversion.

#include "converter/Converter.h"

#include <cstdio>

// Prints a token's bytes so that the message stays one printable line:
// bytes outside '!'..'~', backslashes and quotes become \xHH. They go
// straight out, so no buffer has to be sized for the longest token.
static void PrintToken(const CONVERT_STOP_T *stop)
{
    for (std::uint32_t i = 0; i < stop->tokenLength; i++)
    {
        unsigned char byte = static_cast<unsigned char>(stop->token[i]);
        if (byte < 0x21 || byte > 0x7E || byte == '\\' || byte == '\'')
            std::printf("\\x%02X", byte);
        else
            std::putchar(byte);
    }
}

static void ReportStop(int status, const CONVERT_STOP_T *stop, const char *inName,
                       const char *outName)
{
    switch (status)
    {
    case STATUS_BAD_TOKEN:
        std::printf("ERROR: Bad token '");
        PrintToken(stop);
        std::printf("' at line %u.\n", stop->line);
        break;
    case STATUS_TOKEN_TOO_LONG:
        std::printf("ERROR: Token too long at line %u.\n", stop->line);
        break;
    case STATUS_WRITE_ERROR: std::printf("ERROR: Cannot write '%s'.\n", outName); break;
    default: std::printf("ERROR: Cannot read '%s'.\n", inName);
    }
}

int Numpress_Main(int argc, char **argv)
{
    std::printf("Numpress " NUMPRESS_VERSION ": text to binary converter\n");
    if (argc != 3)
    {
        std::printf("Usage> Numpress <in file> <out file>\n");
        return EXIT_USAGE;
    }
    const char *inName = argv[1];
    const char *outName = argv[2];

    HFILE_T *input = File_OpenRead(inName);
    if (File_IsStatus(input))
    {
        std::printf("ERROR: Cannot open '%s'.\n", inName);
        return EXIT_CANNOT_OPEN;
    }
    HFILE_T *output = File_Create(outName, input);
    if (File_IsStatus(output))
    {
        std::printf("ERROR: Cannot open '%s'.\n", outName);
        File_Close(input);
        return EXIT_CANNOT_OPEN;
    }

    CONVERT_STOP_T stop;
    int status = Convert_Run(output, input, &stop);
    if (status != STATUS_OK)
        ReportStop(status, &stop, inName, outName);

    // The output is whole only once it is closed; the input has nothing to lose.
    if (File_Close(output) != STATUS_OK && status != STATUS_WRITE_ERROR)
    {
        ReportStop(STATUS_WRITE_ERROR, &stop, inName, outName);
        status = STATUS_WRITE_ERROR;
    }
    File_Close(input);
    return status == STATUS_OK ? EXIT_CONVERTED : EXIT_STOPPED;
}
