// Value output and the conversion loop over files in memory.

#include "File/Memory/MemoryFiles.h"
#include "converter/Converter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using BYTES = std::vector<std::uint8_t>;

struct EMIT_CASE_T
{
    std::int32_t size;
    std::int32_t bigEndian;
    BYTES bytes;  // of 0x12345678
};

const EMIT_CASE_T EMIT_CASES[] = {
    {0, 0, {0x78}},
    {0, 1, {0x78}},
    {1, 0, {0x78, 0x56}},
    {1, 1, {0x56, 0x78}},
    {2, 0, {0x78, 0x56, 0x34, 0x12}},
    {2, 1, {0x12, 0x34, 0x56, 0x78}},
    {2, 5, {0x12, 0x34, 0x56, 0x78}},
    {7, 0, {0x78}},
};

TEST(EmitValue, WritesOneValueInTheCurrentWidthAndOrder)
{
    for (const EMIT_CASE_T &test : EMIT_CASES)
    {
        SCOPED_TRACE(testing::Message() << "size " << test.size << " bigEndian " << test.bigEndian);
        MEMORY_FILES_T *files = MemoryFiles_Reset(nullptr, 0);
        CONVERTER_T c = {};
        c.output = File_Create("out");
        c.size = test.size;
        c.bigEndian = test.bigEndian;
        EXPECT_EQ(EmitValue(&c, 0x12345678), STATUS_OK);
        EXPECT_EQ(files->output, test.bytes);
        EXPECT_EQ(files->writes, 1);
        File_Close(c.output);
    }
}

struct RUN_CASE_T
{
    std::string input;
    BYTES output;
    int status;
    std::uint32_t stopLine = 0;
    std::string stopToken = "";
    std::uint64_t reportedSize = 0;  // 0: the input's own size
};

const std::string DIGITS_33(33, '1');

const RUN_CASE_T RUN_CASES[] = {
    {"b W 1 B 2 D 3", {0x00, 0x01, 0x02, 0x00, 0x00, 0x00, 0x03}, STATUS_OK},
    {"1\n2 # x\n  BW 3", {0x01, 0x02}, STATUS_BAD_TOKEN, 3, "BW"},
    {std::string("W\0zz 1", 6), {}, STATUS_BAD_TOKEN, 1, std::string("W\0zz", 4)},
    {"1\r\n" + DIGITS_33, {0x01}, STATUS_TOKEN_TOO_LONG, 2},
    {"1 2", {}, STATUS_ERROR, 0, "", 0x100000002ull},
};

TEST(Convert, StopsAtTheFirstFaultAndTellsWhere)
{
    for (const RUN_CASE_T &test : RUN_CASES)
    {
        SCOPED_TRACE(test.input);
        MEMORY_FILES_T *files = MemoryFiles_Reset(test.input.data(), test.input.size());
        if (test.reportedSize)
            files->reportedSize = test.reportedSize;
        HFILE_T *input = File_OpenRead("in");
        HFILE_T *output = File_Create("out");
        CONVERT_STOP_T stop;
        EXPECT_EQ(Convert_Run(output, input, &stop), test.status);
        EXPECT_EQ(files->output, test.output);
        if (test.status == STATUS_BAD_TOKEN || test.status == STATUS_TOKEN_TOO_LONG)
        {
            EXPECT_EQ(stop.line, test.stopLine);
        }
        if (test.status == STATUS_BAD_TOKEN)
        {
            EXPECT_EQ(std::string(stop.token, stop.tokenLength), test.stopToken);
        }
        File_Close(output);
        File_Close(input);
    }
}

TEST(Convert, RefusesAnInputTooLargeToCountBeforeReadingIt)
{
    MEMORY_FILES_T *files = MemoryFiles_Reset("1", 1);
    files->reportedSize = 0x100000000ull;
    HFILE_T *input = File_OpenRead("in");
    HFILE_T *output = File_Create("out");
    CONVERT_STOP_T stop;
    EXPECT_EQ(Convert_Run(output, input, &stop), STATUS_ERROR);
    EXPECT_EQ(files->reads, 0);
    files->reportedSize = 1;
    files->sizeUnknown = true;
    EXPECT_EQ(Convert_Run(output, input, &stop), STATUS_ERROR);
    EXPECT_EQ(files->reads, 0);
    File_Close(output);
    File_Close(input);
}

}  // namespace
