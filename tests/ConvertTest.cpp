// The whole tool over files in memory, one case a row: the input, a fault of
// the file library if any, and the exit status, message after the banner,
// reason line and output bytes it must end in, with every handle closed again.

#include "converter/Converter.h"
#include "tests/MemoryFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

using std::string;
using M = MEMORY_FILES_T;

struct CASE_T
{
    string input;
    const char *output;  // in hex
    int exitStatus = 0;
    string message = "";
    string reason = "";
    std::uint64_t M::*fault = nullptr;  // set to `at` before the run
    std::uint64_t at = 0;
};

// Bytes as upper-case hex pairs, "01 0A FF", as the table spells outputs.
string Hex(const std::vector<std::uint8_t> &bytes)
{
    string hex;
    char pair[4];
    for (std::uint8_t byte : bytes)
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

string NotAToken(int line = 1)
{
    return "numpress: 'in.txt' line " + std::to_string(line) +
           ": a token is a number or one of the directives B, W, D, b and l\n";
}

const string CANNOT_READ = "ERROR: Cannot read 'in.txt'.\n";
const string CANNOT_WRITE = "ERROR: Cannot write 'out.bin'.\n";
const string READ_FAULT = "numpress: cannot read 'in.txt': the fault asked for\n";
const string WRITE_FAULT = "numpress: cannot write 'out.bin': the fault asked for\n";
const string L32(32, '1');
const string ESCAPED_32 = std::regex_replace(string(32, '.'), std::regex("."), "\\x80");
// Bytes 1-2 "W ", 3 "1", 5-6 "22", 8-10 "333", 11 "\n": three 2-byte values.
const string W3 = "W 1 22 333\n";

const CASE_T CASES[] = {
    // Tokens, white space and comments.
    {"\t\v\f \n\r9 ", "09"},
    {"7#c\n8#c\r9 # 10", "07 08 09"},
    {"12 # c\n34 ", "0C", 0, "", "", &M::reportedSize, 4},  // never read past the size
    {L32 + "#", "C7"},
    {L32 + "1", "", 3, "ERROR: Token too long at line 1.\n",
     "numpress: 'in.txt' line 1: a token has at most 32 bytes\n"},
    // Numbers, widths and byte orders.
    {"B 300 W 70000 D 4294967295", "2C 70 11 FF FF FF FF"},
    {"b W 258 l W 258 b D 16909060 l 16909060 b B 300", "01 02 02 01 01 02 03 04 04 03 02 01 2C"},
    {"010 08 09 0189 0012 07", "08 00 00 01 0A 07"},
    {"0x0 0x9 0xa 0xf 0xA 0XF 0x1f 0xDeadBeef", "00 09 0A 0F 0A 0F 1F EF"},
    {"D b 4294967296 99999999999 0x100000000 0x1FFFFFFFF",
     "00 00 00 00 48 76 E7 FF 00 00 00 00 FF FF FF FF"},
    // Tokens that are neither, and how they are shown.
    {"1 -1 2", "01", 3, Bad("-1"), NotAToken()},
    {"1a", "", 3, Bad("1a"), NotAToken()},
    {"0x", "", 3, Bad("0x"), NotAToken()},
    {"0x:", "", 3, Bad("0x:"), NotAToken()},  // the byte after the digits
    {"BW", "", 3, Bad("BW"), NotAToken()},
    {"\x1F!\\'~\x7F\xC8", "", 3, Bad("\\x1F!\\x5C\\x27~\\x7F\\xC8"), NotAToken()},
    {string(32, '\x80'), "", 3, Bad(ESCAPED_32), NotAToken()},
    {string("1 W\0zz 2", 8), "01", 3, Bad("W\\x00zz"), NotAToken()},
    {string("1 #a\0002", 6), "01", 3, Bad("\\x002"), NotAToken()},  // a zero byte ends a comment
    {"1\r\n2\r\n# c\r\n1a", "01 02", 3, Bad("1a", 4), NotAToken(4)},
    {"B 1\r2\n\r# c\n\r1a", "01 02", 3, Bad("1a", 6), NotAToken(6)},
    // Faults of the file library. A token cut off by a failed read is not written.
    {W3, "", 3, CANNOT_READ, READ_FAULT, &M::failRead, 4},
    {W3, "01 00", 3, CANNOT_READ, READ_FAULT, &M::failRead, 6},
    {W3, "01 00 16 00", 3, CANNOT_READ, READ_FAULT, &M::failRead, 8},
    {W3, "01 00 16 00", 3, CANNOT_READ, READ_FAULT, &M::failRead, 11},
    {W3, "01 00 16 00 4D 01", 3, CANNOT_READ,
     "numpress: cannot read 'in.txt': it ended before its size said\n", &M::reportedSize, 14},
    {"1 ", "", 3, CANNOT_READ, "numpress: cannot read 'in.txt': it is 4 GiB or larger\n",
     &M::reportedSize, 0xFFFFFFFF + 1ull},
    {"1 ", "01", 3, CANNOT_READ, "numpress: cannot read 'in.txt': it ended before its size said\n",
     &M::reportedSize, 0xFFFFFFFF},
    {W3, "", 3, CANNOT_READ, READ_FAULT, &M::failSize, 1},
    {W3, "", 3, CANNOT_WRITE, WRITE_FAULT, &M::failWrite, 1},
    {W3, "01", 3, CANNOT_WRITE,
     "numpress: cannot write 'out.bin': the system took only part of a value\n", &M::shortWrite, 1},
    {W3, "01 00 16 00 4D 01", 3, CANNOT_WRITE, WRITE_FAULT, &M::failClose,
     1},  // the output's, closed first
    {"1 x", "01", 3, Bad("x") + CANNOT_WRITE, NotAToken() + WRITE_FAULT, &M::failClose, 1},
    {W3, "", 2, "ERROR: Cannot open 'out.bin'.\n",
     "numpress: cannot open 'out.bin': not enough memory\n", &M::failAlloc, 2},
};

// A stream to print into and read back: a file that none other sees, or on
// WASI, which has no temporary files, one in memory.
std::FILE *Stream()
{
#ifdef __wasi__
    return fmemopen(nullptr, 4096, "w+");
#else
    return std::tmpfile();
#endif
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

TEST(Conversion, EndsAsTheCaseSays)
{
    char program[] = "numpress", in[] = "in.txt", out[] = "out.bin";
    char *argv[] = {program, in, out, nullptr};
    for (const CASE_T &test : CASES)
    {
        SCOPED_TRACE("case " + std::to_string(&test - CASES) + ": " + test.input);
        MEMORY_FILES_T *files = MemoryFiles_Reset(test.input.data(), test.input.size());
        if (test.fault)
            files->*test.fault = test.at;
        std::FILE *messages = Stream(), *reasons = Stream();
        ASSERT_TRUE(messages && reasons);
        EXPECT_EQ(Numpress_Main(3, argv, messages, reasons), test.exitStatus);
        string printed = Contents(messages);
        EXPECT_EQ(printed.substr(printed.find('\n') + 1), test.message);
        EXPECT_EQ(Contents(reasons), test.reason);
        EXPECT_EQ(Hex(files->output), test.output);
        EXPECT_EQ(files->openHandles, 0);
    }
}

}  // namespace
