// The messages of a run. Those on standard output are the tool's own, and
// scripts may read them, so they stay as they are. Beside each failure's
// message goes one line on standard error that says why: in the system's
// words where the system refused, else in the tool's, with what the input
// shows was meant where it shows it; and a warning for each number that is
// written otherwise than it reads. Standard output is flushed before each
// of those lines, so that one log of both keeps their order.

#include "converter/Converter.h"

#include <cstdio>
#include <cstring>

enum
{
    REASON_MAX = 256
};

// Standard error, once standard output has gone out before it.
static std::FILE *Reasons(const MESSAGES_T *m)
{
    std::fflush(m->messages);
    return m->reasons;
}

// Prints a token's bytes so that the message stays one printable line:
// bytes outside '!'..'~', backslashes and quotes become \xHH. They go
// straight out, so no buffer has to be sized for the longest token.
static void PrintToken(std::FILE *out, const char *token, std::uint32_t length)
{
    for (std::uint32_t i = 0; i < length; i++)
    {
        unsigned char byte = static_cast<unsigned char>(token[i]);
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
static void PrintReason(const MESSAGES_T *m, const char *verb, const char *name, const char *why)
{
    std::FILE *reasons = Reasons(m);
    std::fprintf(reasons, "numpress: cannot %s '", verb);
    PrintName(reasons, name);
    std::fprintf(reasons, "': %s\n", why);
}

// The start of a line on standard error about LINE of the input.
static std::FILE *AboutLine(const MESSAGES_T *m, std::uint32_t line)
{
    std::FILE *reasons = Reasons(m);
    PrintNamed(reasons, "numpress: '", m->inName, "'");
    std::fprintf(reasons, " line %u: ", line);
    return reasons;
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
    case STATUS_MAY_TAKE_MESSAGES:
        return "the messages may go there (standard output or standard error), which its file "
               "system cannot rule out; name another output";
    case STATUS_IN_USE: return "another program has it open";
    default: File_ErrorText(text, sizeof text); return text;
    }
}

void Message_Usage(const MESSAGES_T *m)
{
    std::fputs("Usage> Numpress <in file> <out file>\n", m->messages);
    std::fputs("numpress: it takes two file names, the input and the output, and nothing else; "
               "see " NUMPRESS_MANUAL "\n",
               Reasons(m));
}

void Message_CommandLine(const MESSAGES_T *m)
{
    std::fputs("ERROR: Cannot read the command line.\n", m->messages);
    std::fputs("numpress: cannot read the command line: a name holds what no file name can (an "
               "unpaired surrogate), or no memory is left for it\n",
               Reasons(m));
}

void Message_CannotOpen(const MESSAGES_T *m, int status, const char *name)
{
    char text[REASON_MAX];
    const char *why = OpenRefusal(status, text);  // before printing can change the system's error
    PrintNamed(m->messages, "ERROR: Cannot open '", name, "'.\n");
    PrintReason(m, "open", name, why);
}

// Why a negative number is not read, and the value that writes it: its two's
// complement at the current width.
static void PrintTwosComplement(std::FILE *reasons, const char *token, std::int32_t size)
{
    static const char *const WIDTHS[] = {"B", "W", "D"};
    WARNING_T ignored;
    std::uint64_t span = std::uint64_t{1} << (8 << size);
    std::uint64_t value = (span - ParseNumber(token + 1, &ignored) % span) % span;
    std::fprintf(reasons,
                 "a number has no sign: a negative value is written as its two's complement, "
                 "%s at %s as 0x%0*llX\n",
                 token, WIDTHS[size], 2 << size, static_cast<unsigned long long>(value));
}

// The value of TOKEN as a binary number with C's 0b, which fits 32 bits in
// the longest token; false where it is not one.
static bool BinaryValue(const char *token, std::uint32_t *value)
{
    if (token[0] != '0' || (token[1] != 'b' && token[1] != 'B') || token[2] == 0)
        return false;
    *value = 0;
    for (const char *digit = token + 2; *digit != 0; digit++)
    {
        if (*digit != '0' && *digit != '1')
            return false;
        *value = *value << 1 | static_cast<std::uint32_t>(*digit - '0');
    }
    return true;
}

// What a bad token most likely meant, where its text shows it: a sign before
// a number, a binary number, the mark that begins a file of UTF-8 or UTF-16,
// or text copied from C: its comments, or its lists with commas. The token is
// printed here only where it is a number with a sign or in binary, whose
// bytes are all printable.
static void PrintBadTokenReason(const MESSAGES_T *m, const CONVERT_REPORT_T *report)
{
    const char *token = report->token;
    std::uint32_t binary;
    std::FILE *reasons = AboutLine(m, report->line);
    if (report->tokenOffset == 0 && std::strncmp(token, "\xEF\xBB\xBF", 3) == 0)
        std::fputs("the file begins with a UTF-8 byte-order mark (EF BB BF); save it as UTF-8 "
                   "without a byte-order mark, or as ASCII\n",
                   reasons);
    else if (report->tokenOffset == 0 &&
             (std::strncmp(token, "\xFF\xFE", 2) == 0 || std::strncmp(token, "\xFE\xFF", 2) == 0))
        std::fprintf(reasons,
                     "the file is UTF-16 (it begins with %02X %02X); save it as UTF-8 or "
                     "ASCII\n",
                     static_cast<unsigned char>(token[0]), static_cast<unsigned char>(token[1]));
    else if (token[0] == '+' && IsNumberText(token + 1))
        std::fprintf(reasons, "a number has no sign: write %s as %s\n", token, token + 1);
    else if (token[0] == '-' && IsNumberText(token + 1))
        PrintTwosComplement(reasons, token, report->size);
    else if (BinaryValue(token, &binary))
        std::fprintf(reasons, "a number is decimal, octal or hexadecimal: write %s as 0x%X\n",
                     token, binary);
    else if (std::strncmp(token, "//", 2) == 0 || std::strncmp(token, "/*", 2) == 0)
        std::fputs("a comment begins with # and goes on to the end of its line\n", reasons);
    else if (std::strchr(token, ',') != nullptr)
        std::fputs("values are separated by white space, not by commas\n", reasons);
    else
        std::fputs("a token is a number or one of the directives B, W, D, b and l\n", reasons);
}

void Message_Stop(const MESSAGES_T *m, int status, const CONVERT_REPORT_T *report)
{
    char text[REASON_MAX];
    bool systemSaid = File_ErrorText(text, sizeof text);  // before printing can change it
    switch (status)
    {
    case STATUS_BAD_TOKEN:
        std::fputs("ERROR: Bad token '", m->messages);
        PrintToken(m->messages, report->token, report->tokenLength);
        std::fprintf(m->messages, "' at line %u.\n", report->line);
        PrintBadTokenReason(m, report);
        break;
    case STATUS_TOKEN_TOO_LONG:
        std::fprintf(m->messages, "ERROR: Token too long at line %u.\n", report->line);
        std::fputs("a token has at most 32 bytes\n", AboutLine(m, report->line));
        break;
    case STATUS_WRITE_ERROR:
        PrintNamed(m->messages, "ERROR: Cannot write '", m->outName, "'.\n");
        PrintReason(m, "write", m->outName,
                    systemSaid ? text : "the system took only part of a value");
        break;
    default:
        PrintNamed(m->messages, "ERROR: Cannot read '", m->inName, "'.\n");
        PrintReason(m, "read", m->inName,
                    status == STATUS_TOO_LARGE ? "it is 4 GiB or larger"
                    : status == STATUS_GREW    ? "it grew while it was read, within a token"
                    : systemSaid               ? text
                                               : "it ended before its size said");
    }
}

// A line for each number written otherwise than it reads, of the first few,
// and one that counts the rest.
void Message_Warnings(const MESSAGES_T *m, const CONVERT_REPORT_T *report)
{
    for (std::uint32_t i = 0; i < report->warnings && i < WARNINGS_KEPT; i++)
    {
        const WARNED_T &warned = report->warned[i];
        std::FILE *reasons = AboutLine(m, warned.line);
        std::fprintf(reasons, "warning: %s ", warned.token);
        if (warned.warning == OCTAL_CUT)
            std::fprintf(reasons, "reads as octal for its leading 0, and stops at its %c",
                         *std::strpbrk(warned.token, "89"));
        else if (warned.warning == PAST_32_BITS)
            std::fputs("is past 32 bits", reasons);
        else
            std::fprintf(reasons, "does not fit in %u byte%s", warned.bytes,
                         warned.bytes > 1 ? "s" : "");
        std::fprintf(reasons, "; 0x%0*X is written\n", 2 * warned.bytes, warned.written);
    }
    if (report->warnings > WARNINGS_KEPT)
    {
        std::FILE *reasons = Reasons(m);
        PrintNamed(reasons, "numpress: '", m->inName, "'");
        std::uint32_t more = report->warnings - WARNINGS_KEPT;
        std::fprintf(reasons, ": %u more warning%s\n", more, more > 1 ? "s" : "");
    }
}
