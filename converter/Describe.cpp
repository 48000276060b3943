// Describing a binary: the text that converts back into exactly its bytes,
// for people to read and edit. A comment names the file and its length, a
// directive sets the width and byte order, and the values follow, 16 bytes
// to a line, each in hexadecimal at its width, each line ended by a comment
// with its offset; the bytes that do not fill a last value follow as bytes.

#include "converter/Converter.h"

#include <cstdio>
#include <cstring>

enum
{
    BYTES_PER_LINE = 16
};

static const char HEX[] = "0123456789ABCDEF";

// The directive of each width and byte order.
static const char *const DIRECTIVES[3][2] = {
    {"B\n", "B\n"}, {"W l\n", "W b\n"}, {"D l\n", "D b\n"}};

std::size_t Describe_Room(std::size_t size, std::size_t nameLength)
{
    // The header takes at most 40 bytes beside the name; a line, 16 values of
    // at most 5 bytes and a comment of 15 less the last value's space; the
    // bytes left over, a line of their own. That is at most 72 + nameLength +
    // size * 6, which a 32-bit size_t cannot count for a file of 716 MB.
    if (size > (SIZE_MAX - 72 - nameLength) / 6)
        return SIZE_MAX;
    return 40 + nameLength + size * 5 + (size / BYTES_PER_LINE + 2) * 16;
}

static char *Put(char *at, const char *text)
{
    std::size_t length = std::strlen(text);
    std::memcpy(at, text, length);
    return at + length;
}

static char *PutHex(char *at, std::uint32_t value, int digits)
{
    *at++ = '0';
    *at++ = 'x';
    for (int digit = digits - 1; digit >= 0; digit--)
        *at++ = HEX[(value >> 4 * digit) & 15];
    return at;
}

// The name, less what would end the comment that it stands in.
static char *PutName(char *at, const char *name)
{
    for (; *name != 0; name++)
        *at++ = static_cast<unsigned char>(*name) < 0x20 ? '?' : *name;
    return at;
}

// A line of COUNT values of WIDTH bytes from BYTES at OFFSET, and its offset.
static char *PutLine(char *at, const std::uint8_t *bytes, std::size_t offset, std::size_t count,
                     int width, bool bigEndian)
{
    for (std::size_t i = 0; i < count; i++)
    {
        std::uint32_t value = 0;
        for (int byte = 0; byte < width; byte++)
            value |= std::uint32_t{bytes[offset + i * width + byte]}
                     << 8 * (bigEndian ? width - 1 - byte : byte);
        if (i > 0)
            *at++ = ' ';
        at = PutHex(at, value, 2 * width);
    }
    at = PutHex(Put(at, "  # "), static_cast<std::uint32_t>(offset), 8);
    *at++ = '\n';
    return at;
}

std::size_t Describe_Text(const std::uint8_t *bytes, std::size_t size, const char *name, int width,
                          bool bigEndian, char *text)
{
    char length[24];
    std::snprintf(length, sizeof length, ": %zu bytes\n", size);
    char *at = Put(PutName(Put(text, "# "), name), length);
    at = Put(at, DIRECTIVES[width][bigEndian]);
    int bytesPerValue = 1 << width;
    std::size_t whole = size - size % bytesPerValue;
    for (std::size_t offset = 0; offset < whole; offset += BYTES_PER_LINE)
    {
        std::size_t count =
            whole - offset < BYTES_PER_LINE ? whole - offset : std::size_t{BYTES_PER_LINE};
        at = PutLine(at, bytes, offset, count / bytesPerValue, bytesPerValue, bigEndian);
    }
    if (whole < size)
        at = PutLine(Put(at, "B\n"), bytes, whole, size - whole, 1, false);
    return static_cast<std::size_t>(at - text);
}
