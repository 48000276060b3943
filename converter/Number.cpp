// Number syntax. A number is reduced modulo 2^32 as it is parsed, with no
// overflow check: 4294967296 is 0, and in hexadecimal only the last eight
// digits count.

#include "converter/Converter.h"

// The value of each byte as a hexadecimal digit, NOT_DIGIT for the others:
// every digit of every number is looked up here.
enum
{
    NOT_DIGIT = 16
};

struct DIGIT_VALUES_T
{
    std::uint8_t of[256];
};

static constexpr DIGIT_VALUES_T ValueDigits()
{
    DIGIT_VALUES_T digits = {};
    for (int byte = 0; byte < 256; byte++)
        digits.of[byte] = NOT_DIGIT;
    for (int value = 0; value < 10; value++)
        digits.of['0' + value] = static_cast<std::uint8_t>(value);
    for (int value = 10; value < 16; value++)
    {
        digits.of['a' + value - 10] = static_cast<std::uint8_t>(value);
        digits.of['A' + value - 10] = static_cast<std::uint8_t>(value);
    }
    return digits;
}

static constexpr DIGIT_VALUES_T DIGITS = ValueDigits();

static unsigned DigitValue(char c)
{
    return DIGITS.of[static_cast<unsigned char>(c)];
}

static bool HasHexPrefix(const char *text)
{
    return text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

// True if text is one or more digits below base, and nothing else.
static bool AllDigits(const char *text, unsigned base)
{
    if (*text == 0)
        return false;
    while (DigitValue(*text) < base)
        text++;
    return *text == 0;
}

// "0x" alone has no digit to give a value, so it is not a number.
bool IsNumberText(const char *text)
{
    return HasHexPrefix(text) ? AllDigits(text + 2, 16) : AllDigits(text, 10);
}

// Octal stops at the first digit that is not 0-7, as formatted input's
// "%i" does: '08' is 0 and '0189' is 1.
std::uint32_t ParseNumber(const char *text, WARNING_T *warning)
{
    unsigned base = HasHexPrefix(text) ? 16 : text[0] == '0' ? 8 : 10;
    if (base == 16)
        text += 2;
    std::uint64_t value = 0;
    bool wrapped = false;
    for (unsigned digit; (digit = DigitValue(*text)) < base; text++)
    {
        value = value * base + digit;
        wrapped |= value > UINT32_MAX;
        value &= UINT32_MAX;
    }
    *warning = *text != 0 ? OCTAL_CUT : wrapped ? PAST_32_BITS : NO_WARNING;
    return static_cast<std::uint32_t>(value);
}
