// The token reader: one byte of lookahead, read one system call at a time,
// white space and '#' comments skipped, tokens collected into the converter.

#include "converter/Converter.h"

static bool IsWhiteSpace(std::uint8_t byte)
{
    return byte == ' ' || (byte >= '\t' && byte <= '\r');
}

static bool IsTokenByte(std::uint8_t byte)
{
    return !IsWhiteSpace(byte) && byte != '#';
}

// A zero byte ends a comment too, and then begins the next token.
static bool EndsComment(std::uint8_t byte)
{
    return byte == '\n' || byte == '\r' || byte == 0;
}

int Reader_Advance(CONVERTER_T *c)
{
    if (c->remaining == 0)
        return c->finished = STATUS_END;
    c->remaining--;
    if (File_Read(c->input, &c->lookahead, 1) != STATUS_OK)
        return c->finished = STATUS_ERROR;
    return STATUS_OK;
}

static void SkipComment(CONVERTER_T *c)
{
    do
    {
        if (Reader_Advance(c) != STATUS_OK)
            return;
    } while (!EndsComment(c->lookahead));
}

// Leaves the lookahead on a token byte, or returns what finished the reader.
static int SkipSeparators(CONVERTER_T *c)
{
    while (c->finished == STATUS_OK)
    {
        std::uint8_t byte = c->lookahead;
        if (IsWhiteSpace(byte))
        {
            c->line += byte == '\n';
            Reader_Advance(c);
        }
        else if (byte == '#')
            SkipComment(c);
        else
            return STATUS_OK;
    }
    return c->finished;
}

int Reader_NextToken(CONVERTER_T *c)
{
    c->tokenLength = 0;
    c->token[0] = 0;
    int status = SkipSeparators(c);
    if (status != STATUS_OK)
        return status;

    c->tokenLine = c->line;
    while (c->tokenLength < TOKEN_MAX && IsTokenByte(c->lookahead))
    {
        c->token[c->tokenLength++] = static_cast<char>(c->lookahead);
        if (Reader_Advance(c) != STATUS_OK)
            break;
    }
    c->token[c->tokenLength] = 0;

    // A failed read after some bytes still yields them; the next call reports it.
    if (c->finished == STATUS_OK && IsTokenByte(c->lookahead))
        return STATUS_TOKEN_TOO_LONG;
    return STATUS_OK;
}
