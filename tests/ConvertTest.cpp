// The token reader, number syntax and conversion loop together, over files
// in memory: what each input converts to, and where a conversion stops.

#include "File/Memory/MemoryFiles.h"
#include "converter/Converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using BYTES = std::vector<std::uint8_t>;
using std::string;

struct RUN_CASE_T
{
    string input;
    BYTES output;
    int status = STATUS_OK;
    std::uint32_t stopLine = 0;
    string stopToken = "";
    std::uint64_t reportedSize = 0;  // 0: the input's own size
};

const string L32(32, '1');

const RUN_CASE_T RUN_CASES[] = {
    {"\t\v\f \n\r9 ", {9}},
    {"7#c\n8#c\r9 # 10", {7, 8, 9}},
    {"D b 4294967295 4294967296 99999999999",
     {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0x48, 0x76, 0xE7, 0xFF}},
    {"W b 0x1f 0X1F 0xDeadBeef 0x100000000 0x1FFFFFFFF",
     {0, 0x1F, 0, 0x1F, 0xBE, 0xEF, 0, 0, 0xFF, 0xFF}},
    {L32 + "#", {0xC7}},  // 32 bytes fit, and a comment may follow at once
    {"12 # c\n34 ", {12}, STATUS_OK, 0, "", 4},  // never read past the size
    {"1\n\n2 #x\n  BW 3", {1, 2}, STATUS_BAD_TOKEN, 4, "BW"},
    // A zero byte ends a comment and starts a token.
    {string("1 #a\0" "2", 6), {1}, STATUS_BAD_TOKEN, 1, string("\0" "2", 2)},
};

// Converts the input in memory, between its opening and closing.
int RunConversion(CONVERT_STOP_T *stop)
{
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out");
    int status = Convert_Run(output, input, stop);
    File_Close(output);
    File_Close(input);
    return status;
}

TEST(Convert, ConvertsOrStopsAtTheFirstFaultAndTellsWhere)
{
    for (const RUN_CASE_T &test : RUN_CASES)
    {
        SCOPED_TRACE(test.input);
        MEMORY_FILES_T *files = MemoryFiles_Reset(test.input.data(), test.input.size());
        if (test.reportedSize)
            files->reportedSize = test.reportedSize;
        CONVERT_STOP_T stop;
        EXPECT_EQ(RunConversion(&stop), test.status);
        EXPECT_EQ(files->output, test.output);
        if (test.status == STATUS_OK)
        {
            EXPECT_EQ(files->reads, std::min<int>(test.input.size(), files->reportedSize));
        }
        if (test.status == STATUS_BAD_TOKEN)
        {
            EXPECT_EQ(stop.line, test.stopLine);
            EXPECT_EQ(string(stop.token, stop.tokenLength), test.stopToken);
        }
    }
}

TEST(Convert, RefusesTokensThatAreNotNumbers)
{
    for (string bad : {"0x", "+1", "1a", "x", "0x1G", "00x1", "1x1", "\xB9", "1\xB9"})
    {
        SCOPED_TRACE(bad);
        string text = "1 " + bad + " 2";
        MEMORY_FILES_T *files = MemoryFiles_Reset(text.data(), text.size());
        CONVERT_STOP_T stop;
        EXPECT_EQ(RunConversion(&stop), STATUS_BAD_TOKEN);
        EXPECT_EQ(files->output, BYTES{1});
        EXPECT_EQ(string(stop.token, stop.tokenLength), bad);
    }
}

}  // namespace
