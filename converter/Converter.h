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
};

// Where a conversion stopped, for the message that tells the user.
struct CONVERT_STOP_T
{
    std::uint32_t line;
    std::uint32_t tokenLength;
    char token[TOKEN_MAX + 1];
};

// Token reader.
int Reader_Advance(CONVERTER_T *converter);
int Reader_NextToken(CONVERTER_T *converter);

// Conversion. Convert_Run returns STATUS_OK once the whole input is
// converted; on any other status *stop tells the token it stopped at.
int Convert_Run(HFILE_T *output, HFILE_T *input, CONVERT_STOP_T *stop);
int EmitValue(CONVERTER_T *converter, std::uint32_t value);

// Number syntax: decimal, octal after a leading 0, hexadecimal after 0x/0X.
bool IsNumberText(const char *text);
std::uint32_t ParseNumber(const char *text);

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
