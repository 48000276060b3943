// Number syntax and values, including the wrap-around and octal rules that
// stored inputs rely on.

#include "converter/Converter.h"

#include <gtest/gtest.h>

namespace {

struct NUMBER_CASE_T
{
    const char *text;
    bool isNumber;
    std::uint32_t value;
};

const NUMBER_CASE_T NUMBER_CASES[] = {
    {"0", true, 0},
    {"5", true, 5},
    {"4294967295", true, 4294967295u},
    {"4294967296", true, 0},
    {"99999999999", true, 1215752191u},
    {"010", true, 8},
    {"0012", true, 10},
    {"08", true, 0},
    {"09", true, 0},
    {"0189", true, 1},
    {"0x1f", true, 0x1F},
    {"0X1F", true, 0x1F},
    {"0xff", true, 0xFF},
    {"0xDeadBeef", true, 0xDEADBEEF},
    {"0x100000000", true, 0},
    {"0x1FFFFFFFF", true, 0xFFFFFFFF},
    {"0x", false, 0},
    {"0X", false, 0},
    {"", false, 0},
    {"-1", false, 0},
    {"+1", false, 0},
    {"1a", false, 0},
    {"x", false, 0},
    {"0x1G", false, 0},
    {"00x1", false, 0},
    {"1x1", false, 0},
    {"\xB9", false, 0},
    {"1\xB9", false, 0},
};

TEST(Number, SyntaxAndValue)
{
    for (const NUMBER_CASE_T &test : NUMBER_CASES)
    {
        SCOPED_TRACE(test.text);
        EXPECT_EQ(IsNumberText(test.text), test.isNumber);
        if (test.isNumber)
        {
            EXPECT_EQ(ParseNumber(test.text), test.value);
        }
    }
}

}  // namespace
