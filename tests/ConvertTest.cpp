// The whole tool on files of this system, one case a row: the input, and the
// exit status, message after the banner, reason line and output bytes it
// must end in, with every handle record given back. (Faults of the system
// are the program's own cases, end to end.)

#include "converter/Converter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <numeric>
#include <random>
#include <string>

extern int liveRecords, allocs, failingAlloc;  // CountingHeap.cpp

namespace {

using std::string;

const string IN = "conversion.txt";  // in the host's build folder
const string OUT = IN + ".bin";

struct CASE_T
{
    string input;
    string output;  // in hex
    int exitStatus = 0;
    string message = "";
    string reason = "";
    int failingAlloc = 0;
    bool unreadableCommandLine = false;
};

// Bytes as upper-case hex pairs, "01 0A FF", as the table spells outputs.
string Hex(const string &bytes)
{
    string hex;
    char pair[4];
    for (unsigned char byte : bytes)
    {
        std::snprintf(pair, sizeof pair, hex.empty() ? "%02X" : " %02X", byte);
        hex += pair;
    }
    return hex;
}

string Bad(const string &shown, int line = 1)
{
    return "ERROR: Bad token '" + shown + "' at line " + std::to_string(line) + ".\n";
}

string Why(const string &why, int line = 1)
{
    return "numpress: '" + IN + "' line " + std::to_string(line) + ": " + why + "\n";
}

// The warning of TOKEN, which is written as WRITTEN for the reason WHAT.
string Warned(const string &token, const string &what, const string &written, int line = 1)
{
    return Why("warning: " + token + " " + what + "; " + written + " is written", line);
}

// TEXT N times over.
string Times(int n, const string &text)
{
    string all;
    while (n-- > 0)
        all += text;
    return all;
}

const string NOT_A_TOKEN = "a token is a number or one of the directives B, W, D, b and l";
const string NO_SIGN = "a number has no sign: ";
const string NOT_BINARY = "a number is decimal, octal or hexadecimal: ";
const string COMMENT = "a comment begins with # and goes on to the end of its line";
const string COMMA = "values are separated by white space, not by commas";
const string OCTAL = "reads as octal for its leading 0, and stops at its ";
const string L32(32, '1');

const CASE_T CASES[] = {
    // Tokens, white space and comments.
    {"\t\v\f \n\r9 ", "09"},
    {"7#c\n8#c\r9 # 10", "07 08 09"},
    {L32 + "#\n300", "C7 2C", 0, "",
     Warned(L32, "is past 32 bits", "0xC7") + Warned("300", "does not fit in 1 byte", "0x2C", 2)},
    {L32 + "1", "", 3, "ERROR: Token too long at line 1.\n", Why("a token has at most 32 bytes")},
    // Numbers, widths and byte orders; each that is written otherwise than
    // it reads, warned of, the first ten of them in full.
    {"B 300 W 65535 70000\nD 4294967295", "2C FF FF 70 11 FF FF FF FF", 0, "",
     Warned("300", "does not fit in 1 byte", "0x2C") +
         Warned("70000", "does not fit in 2 bytes", "0x1170")},
    {"b W 258 l W 258 b D 16909060 l 16909060 b B 255", "01 02 02 01 01 02 03 04 04 03 02 01 FF"},
    {"010 08 09 0189 0012 07", "08 00 00 01 0A 07", 0, "",
     Warned("08", OCTAL + "8", "0x00") + Warned("09", OCTAL + "9", "0x00") +
         Warned("0189", OCTAL + "8", "0x01")},
    {"0x0 0x9 0xa 0xf 0xA 0XF 0x1f 0xDeadBeef", "00 09 0A 0F 0A 0F 1F EF", 0, "",
     Warned("0xDeadBeef", "does not fit in 1 byte", "0xEF")},
    {"D b 4294967296 99999999999 0x0000000012345678 0x1FFFFFFFF",
     "00 00 00 00 48 76 E7 FF 12 34 56 78 FF FF FF FF", 0, "",
     Warned("4294967296", "is past 32 bits", "0x00000000") +
         Warned("99999999999", "is past 32 bits", "0x4876E7FF") +
         Warned("0x1FFFFFFFF", "is past 32 bits", "0xFFFFFFFF")},
    {Times(10, "300 "), "2C" + Times(9, " 2C"), 0, "",
     Times(10, Warned("300", "does not fit in 1 byte", "0x2C"))},
    {string(12, '9') + "\n" + Times(10, "300 "), "FF" + Times(10, " 2C"), 0, "",
     Warned("999999999999", "is past 32 bits", "0xFF") +
         Times(9, Warned("300", "does not fit in 1 byte", "0x2C", 2)) + "numpress: '" + IN +
         "': 1 more warning\n"},
    // Tokens that are neither, and how they are shown, with what was most
    // likely meant: a number without its sign, or in binary; a comment or
    // values as C writes them; a file without the mark that begins its UTF-8
    // or UTF-16.
    {"1 -1 2", "01", 3, Bad("-1"),
     Why(NO_SIGN + "a negative value is written as its two's complement, -1 at B as 0xFF")},
    {"W -16384", "", 3, Bad("-16384"),
     Why(NO_SIGN + "a negative value is written as its two's complement, -16384 at W as 0xC000")},
    {"D -0x10 -x", "", 3, Bad("-0x10"),
     Why(NO_SIGN +
         "a negative value is written as its two's complement, -0x10 at D as 0xFFFFFFF0")},
    {"300 -" + L32.substr(1), "2C", 3, Bad("-" + L32.substr(1)),  // a sign at the longest
     Warned("300", "does not fit in 1 byte", "0x2C") +
         Why(NO_SIGN + "a negative value is written as its two's complement, -" + L32.substr(1) +
             " at B as 0x39")},
    {"B -x +12", "", 3, Bad("-x"), Why(NOT_A_TOKEN)},
    {"W 0b1010", "", 3, Bad("0b1010"), Why(NOT_BINARY + "write 0b1010 as 0xA")},
    {"0B" + L32.substr(2), "", 3, Bad("0B" + L32.substr(2)),
     Why(NOT_BINARY + "write 0B" + L32.substr(2) + " as 0x3FFFFFFF")},
    {"0b12", "", 3, Bad("0b12"), Why(NOT_A_TOKEN)},
    {"0o11", "", 3, Bad("0o11"), Why(NOT_A_TOKEN)},     // octal as Python writes it
    {"0x12 0b", "12", 3, Bad("0b"), Why(NOT_A_TOKEN)},  // a longer token's bytes left past its end
    {"1 //c", "01", 3, Bad("//c"), Why(COMMENT)},
    {"/*c*/", "", 3, Bad("/*c*/"), Why(COMMENT)},
    {"1 2,0x3", "01", 3, Bad("2,0x3"), Why(COMMA)},
    {"B 0x12, 0x34,", "", 3, Bad("0x12,"), Why(COMMA)},
    {"+x\x1B[7m", "", 3, Bad("+x\\x1B[7m"), Why(NOT_A_TOKEN)},  // no escape reaches the terminal
    {"+12", "", 3, Bad("+12"), Why(NO_SIGN + "write +12 as 12")},
    {"\xEF\xBB\xBF"
     "B 1",
     "", 3, Bad("\\xEF\\xBB\\xBFB"),
     Why("the file begins with a UTF-8 byte-order mark (EF BB BF); save it as UTF-8 without a "
         "byte-order mark, or as ASCII")},
    {string("\xFF\xFE"
            "B\0 \0",
            6),
     "", 3, Bad("\\xFF\\xFEB\\x00"),
     Why("the file is UTF-16 (it begins with FF FE); save it as UTF-8 or ASCII")},
    {"\xFE\xFF\x04\x10", "", 3, Bad("\\xFE\\xFF\\x04\\x10"),
     Why("the file is UTF-16 (it begins with FE FF); save it as UTF-8 or ASCII")},
    {" \xEF\xBB\xBF"
     "B 1",
     "", 3, Bad("\\xEF\\xBB\\xBFB"), Why(NOT_A_TOKEN)},
    {"1a", "", 3, Bad("1a"), Why(NOT_A_TOKEN)},
    {"0x", "", 3, Bad("0x"), Why(NOT_A_TOKEN)},
    {"0x:", "", 3, Bad("0x:"), Why(NOT_A_TOKEN)},  // the byte after the digits
    {"BW", "", 3, Bad("BW"), Why(NOT_A_TOKEN)},
    {"\x1F!\\'~\x7F\xC8", "", 3, Bad("\\x1F!\\x5C\\x27~\\x7F\\xC8"), Why(NOT_A_TOKEN)},
    {string(32, '\x80'), "", 3, Bad(Times(32, "\\x80")), Why(NOT_A_TOKEN)},
    {string("1 W\0zz 2", 8), "01", 3, Bad("W\\x00zz"), Why(NOT_A_TOKEN)},
    {string("1 #a\0002", 6), "01", 3, Bad("\\x002"),
     Why(NOT_A_TOKEN)},  // a zero byte ends a comment
    {"1\r\n2\r\n# c\r\n1a", "01 02", 3, Bad("1a", 4), Why(NOT_A_TOKEN, 4)},
    {"B 1\r2\n\r# c\n\r1a", "01 02", 3, Bad("1a", 6), Why(NOT_A_TOKEN, 6)},
    // No memory for the output's record; a command line that cannot be read.
    {"1", "", 2, "ERROR: Cannot open '" + OUT + "'.\n",
     "numpress: cannot open '" + OUT + "': not enough memory\n", 2},
    {"1", "", 2, "ERROR: Cannot read the command line.\n",
     "numpress: cannot read the command line: a name holds what no file name can (an unpaired "
     "surrogate), or no memory is left for it\n",
     0, true},
};

// A stream to print into and read back, a file of this test's own.
std::FILE *Stream(const char *name)
{
    return std::fopen((IN + name).c_str(), "w+b");
}

// What a stream took, from its start.
string Contents(std::FILE *stream)
{
    string text;
    std::rewind(stream);
    for (int c; (c = std::fgetc(stream)) != EOF;)
        text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

// What a run on INPUT printed after its banner, and said on standard error,
// its exit status, and the output's bytes; CASE's allocation fails, and its
// command line is unreadable, if it says so.
struct RUN_T
{
    int exitStatus;
    string message, reason, output;
};

RUN_T Convert(const string &input, const CASE_T &test = {})
{
    char program[] = "numpress";
    char *argv[] = {program, const_cast<char *>(IN.c_str()), const_cast<char *>(OUT.c_str()),
                    nullptr};
    std::ofstream(IN, std::ios::binary) << input;
    std::remove(OUT.c_str());
    allocs = 0;
    failingAlloc = test.failingAlloc;
    std::FILE *messages = Stream(".messages"), *reasons = Stream(".reasons");
    RUN_T run;
    run.exitStatus =
        Numpress_Main(3, test.unreadableCommandLine ? nullptr : argv, messages, reasons);
    run.message = Contents(messages);
    run.message.erase(0, run.message.find('\n') + 1);
    run.reason = Contents(reasons);
    std::ifstream output(OUT, std::ios::binary);
    run.output.assign(std::istreambuf_iterator<char>(output), {});
    return run;
}

TEST(Conversion, EndsAsTheCaseSays)
{
    for (const CASE_T &test : CASES)
    {
        SCOPED_TRACE("case " + std::to_string(&test - CASES) + ": " + test.input);
        RUN_T run = Convert(test.input, test);
        EXPECT_EQ(run.exitStatus, test.exitStatus);
        EXPECT_EQ(run.message, test.message);
        EXPECT_EQ(run.reason, test.reason);
        EXPECT_EQ(Hex(run.output), test.output);
        EXPECT_EQ(liveRecords, 0);
    }
}

// The description of SIZE BYTES of the file NAME, in the room it asks for.
string Described(const string &bytes, const string &name, int width, bool bigEndian)
{
    std::size_t room = Describe_Room(bytes.size(), name.size());
    string text(room, 0);
    text.resize(Describe_Text(reinterpret_cast<const std::uint8_t *>(bytes.data()), bytes.size(),
                              name.c_str(), width, bigEndian, text.data()));
    EXPECT_LE(text.size(), room);
    return text;
}

// A description reads as people expect: its header, the layout's directive,
// the values 16 bytes to a line, each line ended by its offset, and the
// bytes that fill no value on a line of their own.
TEST(Conversion, DescriptionsReadAsMeant)
{
    string bytes(17, 0);
    std::iota(bytes.begin(), bytes.end(), 0);
    EXPECT_EQ(Described(bytes, "x.bin", 1, true),
              "# x.bin: 17 bytes\nW b\n"
              "0x0001 0x0203 0x0405 0x0607 0x0809 0x0A0B 0x0C0D 0x0E0F  # 0x00000000\n"
              "B\n0x10  # 0x00000010\n");
    EXPECT_EQ(Described("", "x.bin", 0, false), "# x.bin: 0 bytes\nB\n");
    // A room past what a size counts, with the name's, is SIZE_MAX, which no allocation
    // gives; the largest that it counts is not.
    std::size_t name = 1 << 20;
    EXPECT_EQ(Describe_Room((SIZE_MAX - 72) / 6, name), SIZE_MAX);
    EXPECT_LT(Describe_Room((SIZE_MAX - 72 - name) / 6, name), SIZE_MAX);
}

// A binary's description converts back into it, silently, at each width
// and byte order: random bytes of many lengths, and none, and each value.
TEST(Conversion, DescriptionsConvertBack)
{
    std::mt19937 random(1);
    string all(256, 0);
    std::iota(all.begin(), all.end(), 0);
    for (std::size_t length : {0, 1, 2, 3, 5, 15, 16, 17, 33, 255, 256, 1001})
        for (int width = 0; width < 3; width++)
            for (bool bigEndian : {false, true})
            {
                string bytes(length, 0);
                for (char &byte : bytes)
                    byte = static_cast<char>(random());
                if (length == 256)
                    bytes = all;
                string text = Described(bytes, "a\nbinary file.bin", width, bigEndian);
                RUN_T run = Convert(text);
                SCOPED_TRACE(text);
                EXPECT_EQ(
                    text.rfind("# a?binary file.bin: " + std::to_string(length) + " bytes\n", 0),
                    0u);
                EXPECT_EQ(run.exitStatus, 0);
                EXPECT_EQ(run.reason, "");
                EXPECT_EQ(run.output, bytes);
            }
}

}  // namespace
