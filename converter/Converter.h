#pragma once

#include <cstdint>
#include <cstdio>

#include "File/File.h"

// Statuses of the conversion, beside those of the file library (all odd).
enum
{
    STATUS_BAD_TOKEN = 21,       // neither a directive nor a well-formed number
    STATUS_TOKEN_TOO_LONG = 23,  // a token of more than TOKEN_MAX bytes
    STATUS_WRITE_ERROR = 25,     // a value did not reach the output whole
    STATUS_TOO_LARGE = 27,       // an input of 4 GiB or more, which is not read
    STATUS_GREW = 29,            // a token goes on past the size the input had
};
static_assert((STATUS_BAD_TOKEN & STATUS_TOKEN_TOO_LONG & STATUS_WRITE_ERROR & STATUS_TOO_LARGE &
               STATUS_GREW & 1) == 1,
              "every status but STATUS_OK is odd");

enum
{
    TOKEN_MAX = 32
};

// The state of one conversion: the reader's side (lookahead to line) and
// the writer's side (output, size, bigEndian).
struct CONVERTER_T
{
    std::uint8_t lookahead;     // the input byte the reader is looking at
    char token[TOKEN_MAX + 1];  // the current token, zero-terminated
    HFILE_T *input;             // not owned
    HFILE_T *output;            // not owned
    std::uint32_t remaining;    // input bytes not yet read
    std::int32_t size;          // 0: 1-byte values, 1: 2 bytes, 2: 4 bytes
    std::int32_t bigEndian;     // non-zero: most significant byte first
    int finished;               // STATUS_OK while reading, else what ended it
    std::uint32_t tokenLength;  // bytes in token, zero bytes included
    std::uint32_t line;         // 1 + line ends (LF, CR, CR LF) before the lookahead
    std::uint32_t tokenLine;    // line of the current token's first byte
    std::uint32_t inputSize;    // in bytes, as the input's open found it
    std::uint32_t tokenOffset;  // input bytes before the current token
};

// How a number is written otherwise than it reads, which the user is told.
enum WARNING_T : std::uint8_t
{
    NO_WARNING,
    OCTAL_CUT,     // a leading 0 made it octal, and an 8 or a 9 ended it
    PAST_32_BITS,  // it was reduced modulo 2^32
    TOO_WIDE,      // the width keeps only its low bytes
};

enum
{
    WARNINGS_KEPT = 10  // in full; the rest are counted
};

// A number written otherwise than it reads: its token and line, why, and
// the value of the BYTES that were written.
struct WARNED_T
{
    std::uint32_t line;
    WARNING_T warning;
    std::uint8_t bytes;
    std::uint32_t written;
    char token[TOKEN_MAX + 1];
};

// What a conversion tells of itself, for the messages: the token that it
// stopped at, where and at which width, and the numbers that it wrote
// otherwise than they read, the first of them in full.
struct CONVERT_REPORT_T
{
    std::uint32_t line;
    std::uint32_t tokenLength;
    std::uint32_t tokenOffset;
    std::int32_t size;
    char token[TOKEN_MAX + 1];
    std::uint32_t warnings;
    WARNED_T warned[WARNINGS_KEPT];
};

// Token reader.
int Reader_Advance(CONVERTER_T *converter);
int Reader_NextToken(CONVERTER_T *converter);

// Conversion. Convert_Run returns STATUS_OK once the whole input is
// converted; on any other status *report tells the token it stopped at.
int Convert_Run(HFILE_T *output, HFILE_T *input, CONVERT_REPORT_T *report);
int EmitValue(CONVERTER_T *converter, std::uint32_t value);

// Number syntax: decimal, octal after a leading 0, hexadecimal after 0x/0X.
// *WARNING tells where the value is not what the text reads: an octal
// number cut at an 8 or a 9, or one past 32 bits.
bool IsNumberText(const char *text);
std::uint32_t ParseNumber(const char *text, WARNING_T *warning);

// Describing a binary: the text of the SIZE BYTES of the file NAME that
// converts back into them, its values WIDTH (0: 1 byte, 1: 2, 2: 4, as B, W
// and D say) and BIGENDIAN or not, written into TEXT, which holds
// Describe_Room(SIZE, strlen(NAME)) bytes: SIZE_MAX, which no memory
// holds, where that is more than a size_t counts. Returns the text's length.
std::size_t Describe_Room(std::size_t size, std::size_t nameLength);
std::size_t Describe_Text(const std::uint8_t *bytes, std::size_t size, const char *name, int width,
                          bool bigEndian, char *text);

// The whole tool: banner, argument check, opening, conversion, messages,
// closing. ARGV is null where the command line could not be read. The
// messages go to MESSAGES (standard output); each failure's reason, one
// line, to REASONS (standard error). Returns the process's exit status.
enum
{
    EXIT_CONVERTED = 0,    // the input was converted completely
    EXIT_USAGE = 1,        // not exactly two arguments
    EXIT_CANNOT_OPEN = 2,  // a file could not be opened or created
    EXIT_STOPPED = 3,      // the conversion stopped early
};
int Numpress_Main(int argc, char **argv, std::FILE *messages, std::FILE *reasons);

// The messages of a run: those that stand on standard output, each with its
// reason on standard error, and the warnings.
struct MESSAGES_T
{
    std::FILE *messages;
    std::FILE *reasons;
    const char *inName;
    const char *outName;
};
void Message_Usage(const MESSAGES_T *m);
void Message_CommandLine(const MESSAGES_T *m);
void Message_CannotOpen(const MESSAGES_T *m, int status, const char *name);
void Message_Stop(const MESSAGES_T *m, int status, const CONVERT_REPORT_T *report);
void Message_Warnings(const MESSAGES_T *m, const CONVERT_REPORT_T *report);
