// The token reader: one byte of lookahead, read one system call at a time,
// white space and '#' comments skipped, tokens collected into the converter.

#include "converter/Converter.h"

// Every byte is looked up once per step, so its class comes from a table.
enum BYTE_CLASS_T : std::uint8_t
{
    TOKEN_BYTE,
    WHITE_SPACE,
    COMMENT_START
};

struct BYTE_CLASSES_T
{
    BYTE_CLASS_T of[256];
};

static constexpr BYTE_CLASSES_T ClassifyBytes()
{
    BYTE_CLASSES_T classes = {};
    for (int byte = '\t'; byte <= '\r'; byte++)
        classes.of[byte] = WHITE_SPACE;
    classes.of[int{' '}] = WHITE_SPACE;
    classes.of[int{'#'}] = COMMENT_START;
    return classes;
}

static constexpr BYTE_CLASSES_T CLASSES = ClassifyBytes();

static bool IsWhiteSpace(std::uint8_t byte)
{
    return CLASSES.of[byte] == WHITE_SPACE;
}

static bool IsTokenByte(std::uint8_t byte)
{
    return CLASSES.of[byte] == TOKEN_BYTE;
}

// A zero byte ends a comment too, and then begins the next token.
static bool EndsComment(std::uint8_t byte)
{
    return byte == '\n' || byte == '\r' || byte == 0;
}

// The step of every loop below, kept inline: it runs once per input byte.
static inline int Advance(CONVERTER_T *c)
{
    if (c->remaining == 0)
        return c->finished = STATUS_END;
    c->remaining--;
    if (File_Read(c->input, &c->lookahead, 1) != STATUS_OK)
        return c->finished = STATUS_ERROR;
    return STATUS_OK;
}

int Reader_Advance(CONVERTER_T *c)
{
    return Advance(c);
}

static void SkipComment(CONVERTER_T *c)
{
    do
    {
        if (Advance(c) != STATUS_OK)
            return;
    } while (!EndsComment(c->lookahead));
}

// Leaves the lookahead on a token byte, or returns what finished the reader.
// A line ends at a line feed, a carriage return, or the pair of them; every
// one of these bytes is white space, and so skipped here.
static int SkipSeparators(CONVERTER_T *c)
{
    bool afterReturn = false;
    while (c->finished == STATUS_OK)
    {
        std::uint8_t byte = c->lookahead;
        if (IsWhiteSpace(byte))
        {
            c->line += byte == '\r' || (byte == '\n' && !afterReturn);
            afterReturn = byte == '\r';
            Advance(c);
        }
        else if (byte == '#')
        {
            afterReturn = false;
            SkipComment(c);
        }
        else
            return STATUS_OK;
    }
    return c->finished;
}

// A token that the end of the size taken at the open ended may go on in
// bytes that the file gained since: one read more tells.
static void CheckTokenEnd(CONVERTER_T *c)
{
    std::uint8_t next;
    if (File_Read(c->input, &next, 1) == STATUS_OK && IsTokenByte(next))
        c->finished = STATUS_GREW;
}

int Reader_NextToken(CONVERTER_T *c)
{
    c->tokenLength = 0;
    c->token[0] = 0;
    int status = SkipSeparators(c);
    if (status != STATUS_OK)
        return status;

    c->tokenLine = c->line;
    c->tokenOffset = c->inputSize - c->remaining - 1;  // the lookahead's place
    std::uint32_t length = 0;
    while (length < TOKEN_MAX && IsTokenByte(c->lookahead))
    {
        c->token[length++] = static_cast<char>(c->lookahead);
        if (Advance(c) != STATUS_OK)
            break;
    }
    c->token[length] = 0;
    c->tokenLength = length;
    if (c->finished == STATUS_END)
        CheckTokenEnd(c);

    // A failed read after some bytes still yields them; the next call reports it.
    if (c->finished == STATUS_OK && IsTokenByte(c->lookahead))
        return STATUS_TOKEN_TOO_LONG;
    return STATUS_OK;
}
