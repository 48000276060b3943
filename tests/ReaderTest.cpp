// The token reader over files in memory: what it yields, token by token.

#include "File/Memory/MemoryFiles.h"
#include "converter/Converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using std::string;

// One reader step as text: the token, or "<END>", "<ERROR>", "<LONG:token>".
string Step(CONVERTER_T *c)
{
    int status = Reader_NextToken(c);
    string token(c->token, c->tokenLength);
    switch (status)
    {
    case STATUS_OK: return token;
    case STATUS_END: return "<END>";
    case STATUS_ERROR: return "<ERROR>";
    case STATUS_TOKEN_TOO_LONG: return "<LONG:" + token + ">";
    default: return "<?>";
    }
}

// Reads until the reader reports anything but a token, and one step more to
// show that the end or failure is remembered.
std::vector<string> ReadAll(CONVERTER_T *c)
{
    std::vector<string> steps;
    while (steps.size() < 100)
    {
        steps.push_back(Step(c));
        if (steps.back()[0] == '<')
            break;
    }
    steps.push_back(Step(c));
    return steps;
}

struct READER_CASE_T
{
    const char *name;
    string input;
    std::vector<string> steps;
    int failRead = 0;
    std::uint32_t extraSize = 0;  // the size says more than the data holds
};

const string L32(32, '1');

const READER_CASE_T READER_CASES[] = {
    {"one byte", "5", {"5", "<END>", "<END>"}},
    {"empty", "", {"<END>", "<END>"}},
    {"spaces between and after", "1 2 ", {"1", "2", "<END>", "<END>"}},
    {"crlf line ends", "1\r\n2\r\n", {"1", "2", "<END>", "<END>"}},
    {"all white space", "\t\v\f \n\r9", {"9", "<END>", "<END>"}},
    {"comment after token", "7#c\n8", {"7", "8", "<END>", "<END>"}},
    {"comment ended by cr", "#c\r8", {"8", "<END>", "<END>"}},
    {"comment to end of input", "1 # 2B 3", {"1", "<END>", "<END>"}},
    {"only a comment", "# only a comment", {"<END>", "<END>"}},
    {"zero byte ends comment", string("#a\0b c", 6), {string("\0b", 2), "c", "<END>", "<END>"}},
    {"zero byte inside token", string("W\0zz", 4), {string("W\0zz", 4), "<END>", "<END>"}},
    {"high bytes are token bytes", "\xC8\xC9", {"\xC8\xC9", "<END>", "<END>"}},
    {"32 bytes fit", L32 + " 2", {L32, "2", "<END>", "<END>"}},
    {"33 bytes are too long", L32 + "1", {"<LONG:" + L32 + ">", "1"}},
    {"33 bytes before a comment", L32 + "#", {L32, "<END>", "<END>"}},
    {"read fails between tokens", "12 34", {"12", "<ERROR>", "<ERROR>"}, 4},
    {"read fails inside token", "12345", {"123", "<ERROR>", "<ERROR>"}, 4},
    {"read fails at first byte", "12", {"<ERROR>", "<ERROR>"}, 1},
    {"file shorter than its size", "12", {"12", "<ERROR>", "<ERROR>"}, 0, 5},
};

void PrintTo(const READER_CASE_T &test, std::ostream *out)
{
    *out << test.name;
}

class ReaderTest : public testing::TestWithParam<READER_CASE_T> {};

TEST_P(ReaderTest, YieldsTokensThenRemembersHowItEnded)
{
    const READER_CASE_T &test = GetParam();
    MEMORY_FILES_T *files = MemoryFiles_Reset(test.input.data(), test.input.size());
    files->failRead = test.failRead;

    CONVERTER_T c = {};
    c.input = File_OpenRead("in");
    c.remaining = static_cast<std::uint32_t>(test.input.size() + test.extraSize);
    c.line = 1;
    Reader_Advance(&c);
    EXPECT_EQ(ReadAll(&c), test.steps);
    File_Close(c.input);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReaderTest, testing::ValuesIn(READER_CASES),
                         [](const testing::TestParamInfo<READER_CASE_T> &info) {
                             string name = info.param.name;
                             for (char &ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });

TEST(Reader, ReadsOneByteACallAndNeverPastRemaining)
{
    const string input = "12 # c\n34 ";
    MEMORY_FILES_T *files = MemoryFiles_Reset(input.data(), input.size());
    CONVERTER_T c = {};
    c.input = File_OpenRead("in");
    c.remaining = 4;
    Reader_Advance(&c);
    EXPECT_EQ(ReadAll(&c), (std::vector<string>{"12", "<END>", "<END>"}));
    EXPECT_EQ(files->reads, 4);
    EXPECT_EQ(files->inputRead, 4u);
    File_Close(c.input);
}

TEST(Reader, CountsLinesToEachTokensFirstByte)
{
    const string input = "1\n\n2 #x\n  3\r\n4";
    MemoryFiles_Reset(input.data(), input.size());
    CONVERTER_T c = {};
    c.input = File_OpenRead("in");
    c.remaining = static_cast<std::uint32_t>(input.size());
    c.line = 1;
    Reader_Advance(&c);
    std::vector<std::uint32_t> lines;
    while (Reader_NextToken(&c) == STATUS_OK)
        lines.push_back(c.tokenLine);
    EXPECT_EQ(lines, (std::vector<std::uint32_t>{1, 3, 4, 5}));
    File_Close(c.input);
}

}  // namespace
