// The command line, the files and the messages around one conversion.
//
// The messages are the tool's own, and scripts may read them, so they stay
// as they are. Beside each failure's message goes one line that says why:
// in the system's words where the system refused, else in the tool's.

#include "converter/Converter.h"

#include <cstdio>

enum
{
    REASON_MAX = 256
};

// Prints a token's bytes so that the message stays one printable line:
// bytes outside '!'..'~', backslashes and quotes become \xHH. They go
// straight out, so no buffer has to be sized for the longest token.
static void PrintToken(std::FILE *out, const CONVERT_STOP_T *stop)
{
    for (std::uint32_t i = 0; i < stop->tokenLength; i++)
    {
        unsigned char byte = static_cast<unsigned char>(stop->token[i]);
        if (byte < 0x21 || byte > 0x7E || byte == '\\' || byte == '\'')
            std::fprintf(out, "\\x%02X", byte);
        else
            std::fputc(byte, out);
    }
}

// The length of the UTF-8 sequence at AT, or 1 where none begins there.
static int SequenceLength(const unsigned char *at)
{
    int length = at[0] >= 0xF5 ? 1 : at[0] >= 0xF0 ? 4 : at[0] >= 0xE0 ? 3 : at[0] >= 0xC2 ? 2 : 1;
    for (int i = 1; i < length; i++)
        if ((at[i] & 0xC0) != 0x80)
            return 1;
    return length;
}

// A control character: C0, DEL, or C1, as a byte of its own or in UTF-8.
static bool IsControl(const unsigned char *at, int length)
{
    return length == 1 ? at[0] < 0x20 || (at[0] >= 0x7F && at[0] < 0xA0)
                       : at[0] == 0xC2 && at[1] < 0xA0;
}

// Prints NAME as the messages spell names, its control characters as \xHH,
// so that a name cannot end a message's line or command the terminal.
static void PrintName(std::FILE *out, const char *name)
{
    const auto *at = reinterpret_cast<const unsigned char *>(name);
    const char *plain = name;
    for (int length; *at != 0; at += length)
    {
        length = SequenceLength(at);
        if (!IsControl(at, length))
            continue;
        File_PrintName(out, plain, reinterpret_cast<const char *>(at) - plain);
        for (int i = 0; i < length; i++)
            std::fprintf(out, "\\x%02X", at[i]);
        plain = reinterpret_cast<const char *>(at + length);
    }
    File_PrintName(out, plain, reinterpret_cast<const char *>(at) - plain);
}

// BEFORE, then NAME, then AFTER.
static void PrintNamed(std::FILE *out, const char *before, const char *name, const char *after)
{
    std::fputs(before, out);
    PrintName(out, name);
    std::fputs(after, out);
}

// The reason line of a file that could not be opened, read or written.
static void PrintReason(std::FILE *reasons, const char *verb, const char *name, const char *why)
{
    std::fprintf(reasons, "numpress: cannot %s '", verb);
    PrintName(reasons, name);
    std::fprintf(reasons, "': %s\n", why);
}

// The reason line of a token that stopped the conversion.
static void PrintTokenReason(std::FILE *reasons, const char *inName, std::uint32_t line,
                             const char *why)
{
    PrintNamed(reasons, "numpress: '", inName, "'");
    std::fprintf(reasons, " line %u: %s\n", line, why);
}

// Why an opening returned STATUS instead of a handle.
static const char *OpenRefusal(int status, char (&text)[REASON_MAX])
{
    switch (status)
    {
    case STATUS_NO_MEMORY: return "not enough memory";
    case STATUS_SAME_FILE: return "it is the input file";
    case STATUS_MAY_BE_SAME:
        return "it may be the input file, which its file system cannot rule out; name another "
               "output";
    case STATUS_NOT_REGULAR: return "not a regular file, but a device or a pipe";
    case STATUS_MESSAGES: return "the messages go there (standard output or standard error)";
    case STATUS_IN_USE: return "another program has it open";
    default: File_ErrorText(text, sizeof text); return text;
    }
}

static int CannotOpen(int status, const char *name, std::FILE *messages, std::FILE *reasons)
{
    char text[REASON_MAX];
    const char *why = OpenRefusal(status, text);  // before printing can change the system's error
    PrintNamed(messages, "ERROR: Cannot open '", name, "'.\n");
    PrintReason(reasons, "open", name, why);
    return EXIT_CANNOT_OPEN;
}

static void ReportStop(int status, const CONVERT_STOP_T *stop, const char *inName,
                       const char *outName, std::FILE *messages, std::FILE *reasons)
{
    char text[REASON_MAX];
    bool systemSaid = File_ErrorText(text, sizeof text);  // before printing can change it
    switch (status)
    {
    case STATUS_BAD_TOKEN:
        std::fputs("ERROR: Bad token '", messages);
        PrintToken(messages, stop);
        std::fprintf(messages, "' at line %u.\n", stop->line);
        PrintTokenReason(reasons, inName, stop->line,
                         "a token is a number or one of the directives B, W, D, b and l");
        break;
    case STATUS_TOKEN_TOO_LONG:
        std::fprintf(messages, "ERROR: Token too long at line %u.\n", stop->line);
        PrintTokenReason(reasons, inName, stop->line, "a token has at most 32 bytes");
        break;
    case STATUS_WRITE_ERROR:
        PrintNamed(messages, "ERROR: Cannot write '", outName, "'.\n");
        PrintReason(reasons, "write", outName,
                    systemSaid ? text : "the system took only part of a value");
        break;
    case STATUS_TOO_LARGE:
        PrintNamed(messages, "ERROR: Cannot read '", inName, "'.\n");
        PrintReason(reasons, "read", inName, "it is 4 GiB or larger");
        break;
    case STATUS_GREW:
        PrintNamed(messages, "ERROR: Cannot read '", inName, "'.\n");
        PrintReason(reasons, "read", inName, "it grew while it was read, within a token");
        break;
    default:
        PrintNamed(messages, "ERROR: Cannot read '", inName, "'.\n");
        PrintReason(reasons, "read", inName, systemSaid ? text : "it ended before its size said");
    }
}

int Numpress_Main(int argc, char **argv, std::FILE *messages, std::FILE *reasons)
{
    std::fprintf(messages, "Numpress " NUMPRESS_VERSION ": text to binary converter\n");
    if (argc != 3)
    {
        std::fputs("Usage> Numpress <in file> <out file>\n", messages);
        std::fputs("numpress: it takes two file names, the input and the output, and nothing "
                   "else; see " NUMPRESS_MANUAL "\n",
                   reasons);
        return EXIT_USAGE;
    }
    if (argv == nullptr)
    {
        std::fputs("ERROR: Cannot read the command line.\n", messages);
        std::fputs("numpress: cannot read the command line: a name holds what no file name can "
                   "(an unpaired surrogate), or no memory is left for it\n",
                   reasons);
        return EXIT_CANNOT_OPEN;
    }
    const char *inName = argv[1];
    const char *outName = argv[2];

    HFILE_T *input = File_OpenRead(inName);
    if (File_IsStatus(input))
        return CannotOpen(File_StatusOf(input), inName, messages, reasons);
    HFILE_T *output = File_Create(outName, input);
    if (File_IsStatus(output))
    {
        CannotOpen(File_StatusOf(output), outName, messages, reasons);
        File_Close(input);
        return EXIT_CANNOT_OPEN;
    }

    CONVERT_STOP_T stop;
    int status = Convert_Run(output, input, &stop);
    if (status != STATUS_OK)
        ReportStop(status, &stop, inName, outName, messages, reasons);

    // The output is whole only once it is closed; the input has nothing to lose.
    if (File_Close(output) != STATUS_OK && status != STATUS_WRITE_ERROR)
    {
        ReportStop(STATUS_WRITE_ERROR, &stop, inName, outName, messages, reasons);
        status = STATUS_WRITE_ERROR;
    }
    File_Close(input);
    return status == STATUS_OK ? EXIT_CONVERTED : EXIT_STOPPED;
}
