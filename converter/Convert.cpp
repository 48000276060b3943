// The conversion loop: directives set the width and byte order, every other
// token must be a number, written as one value of the current width.

#include "converter/Converter.h"

#include <algorithm>
#include <cstring>

// Applies a one-letter directive; false if the token is not one.
static bool ApplyDirective(CONVERTER_T *c)
{
    if (c->tokenLength != 1)
        return false;
    switch (c->token[0])
    {
    case 'B': c->size = 0; return true;
    case 'W': c->size = 1; return true;
    case 'D': c->size = 2; return true;
    case 'b': c->bigEndian = 1; return true;
    case 'l': c->bigEndian = 0; return true;
    default: return false;
    }
}

int EmitValue(CONVERTER_T *c, std::uint32_t value)
{
    std::size_t count = c->size == 1 ? 2 : c->size == 2 ? 4 : 1;
    // Least significant byte first, reversed for big-endian output.
    std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    if (c->bigEndian)
        std::reverse(bytes, bytes + count);
    return File_Write(c->output, bytes, count);
}

static void RecordStop(const CONVERTER_T *c, CONVERT_REPORT_T *report)
{
    report->line = c->tokenLine;
    report->tokenLength = c->tokenLength;
    report->tokenOffset = c->tokenOffset;
    report->size = c->size;
    std::memcpy(report->token, c->token, sizeof report->token);
}

// Counts a number that is written otherwise than it reads, and keeps the
// first of them whole.
static void Warn(const CONVERTER_T *c, CONVERT_REPORT_T *report, WARNING_T warning,
                 std::uint32_t value)
{
    if (report->warnings < WARNINGS_KEPT)
    {
        WARNED_T &warned = report->warned[report->warnings];
        std::uint8_t bytes = c->size == 1 ? 2 : c->size == 2 ? 4 : 1;
        std::uint32_t kept = bytes == 4 ? value : value & ((1u << 8 * bytes) - 1);
        warned = {c->tokenLine, warning, bytes, kept, {}};
        std::memcpy(warned.token, c->token, sizeof warned.token);
    }
    report->warnings++;
}

static bool FitsWidth(const CONVERTER_T *c, std::uint32_t value)
{
    return c->size == 2 || value <= (c->size == 1 ? 0xFFFFu : 0xFFu);
}

static int ConvertTokens(CONVERTER_T *c, CONVERT_REPORT_T *report)
{
    for (;;)
    {
        int status = Reader_NextToken(c);
        if (status == STATUS_END)
            return STATUS_OK;
        if (status != STATUS_OK)
            return status;
        // A failed read, or bytes beyond the size taken, ended this token,
        // which may have been cut short.
        if (c->finished != STATUS_OK && c->finished != STATUS_END)
            return c->finished;
        if (ApplyDirective(c))
            continue;
        // A zero byte inside a token would cut its text short.
        bool wholeText = std::strlen(c->token) == c->tokenLength;
        if (!wholeText || !IsNumberText(c->token))
            return STATUS_BAD_TOKEN;
        WARNING_T warning;
        std::uint32_t value = ParseNumber(c->token, &warning);
        if (warning == NO_WARNING && !FitsWidth(c, value))
            warning = TOO_WIDE;
        if (warning != NO_WARNING)
            Warn(c, report, warning, value);
        if (EmitValue(c, value) != STATUS_OK)
            return STATUS_WRITE_ERROR;
    }
}

// remaining is 32 bits wide: a larger input is refused, never cut short.
static int MeasureInput(CONVERTER_T *c)
{
    std::uint64_t size = File_GetSize(c->input);
    if (size > UINT32_MAX)
        return STATUS_TOO_LARGE;
    c->remaining = c->inputSize = static_cast<std::uint32_t>(size);
    return STATUS_OK;
}

int Convert_Run(HFILE_T *output, HFILE_T *input, CONVERT_REPORT_T *report)
{
    CONVERTER_T c = {};
    report->warnings = 0;
    c.input = input;
    c.output = output;
    c.line = 1;

    int status = MeasureInput(&c);
    if (status == STATUS_OK)
    {
        Reader_Advance(&c);  // primes the lookahead; the reader keeps an end or failure
        status = ConvertTokens(&c, report);
    }
    RecordStop(&c, report);
    return status;
}
