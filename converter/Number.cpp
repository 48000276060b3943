// Number syntax. A number is reduced modulo 2^32 as it is parsed, with no
// overflow check: 4294967296 is 0, and in hexadecimal only the last eight
// digits count.

#include "converter/Converter.h"

static bool IsDecimalDigit(char c)
{
    return c >= '0' && c <= '9';
}

static int HexDigitValue(char c)
{
    if (IsDecimalDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

static bool HasHexPrefix(const char *text)
{
    return text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

bool IsNumberText(const char *text)
{
    if (!IsDecimalDigit(text[0]))
        return false;
    if (HasHexPrefix(text))
    {
        const char *digits = text + 2;
        if (*digits == 0)
            return false;  // "0x" alone has no digit to give a value
        for (; *digits; digits++)
            if (HexDigitValue(*digits) < 0)
                return false;
        return true;
    }
    for (; *text; text++)
        if (!IsDecimalDigit(*text))
            return false;
    return true;
}

// Octal stops at the first digit that is not 0-7, as formatted input's
// "%i" does: '08' is 0 and '0189' is 1.
std::uint32_t ParseNumber(const char *text)
{
    std::uint32_t value = 0;
    if (HasHexPrefix(text))
    {
        for (text += 2; *text; text++)
            value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(*text));
    }
    else if (text[0] == '0')
    {
        for (; *text >= '0' && *text <= '7'; text++)
            value = value * 8 + static_cast<std::uint32_t>(*text - '0');
    }
    else
    {
        for (; *text; text++)
            value = value * 10 + static_cast<std::uint32_t>(*text - '0');
    }
    return value;
}
