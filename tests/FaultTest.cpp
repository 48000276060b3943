// The whole tool over files in memory, with one fault injected at a time:
// every fault must end in its message and exit status, with the output
// holding exactly what was written before it.

#include "File/Memory/MemoryFiles.h"
#include "converter/Converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using BYTES = std::vector<std::uint8_t>;
using std::string;

// Bytes 1-2 "W ", 3 "1", 5-6 "22", 8-10 "333", 11 "\n": three 2-byte values.
const string INPUT = "W 1 22 333\n";
const BYTES CONVERTED = {0x01, 0x00, 0x16, 0x00, 0x4D, 0x01};

const char CANNOT_READ[] = "ERROR: Cannot read 'in.txt'.\n";
const char CANNOT_WRITE[] = "ERROR: Cannot write 'out.bin'.\n";

struct FAULT_CASE_T
{
    const char *name;
    void (*inject)(MEMORY_FILES_T *files);
    int exitStatus;
    const char *message;
    BYTES output;
};

const FAULT_CASE_T FAULT_CASES[] = {
    {"no fault", [](MEMORY_FILES_T *) {}, 0, "", CONVERTED},
    {"read fails before the first byte", [](MEMORY_FILES_T *f) { f->failRead = 1; },
     3, CANNOT_READ, {}},
    {"read fails inside a token", [](MEMORY_FILES_T *f) { f->failRead = 6; },
     3, CANNOT_READ, {0x01, 0x00, 0x02, 0x00}},
    {"read fails between tokens", [](MEMORY_FILES_T *f) { f->failRead = 8; },
     3, CANNOT_READ, {0x01, 0x00, 0x16, 0x00}},
    {"read fails on the last byte", [](MEMORY_FILES_T *f) { f->failRead = 11; },
     3, CANNOT_READ, CONVERTED},
    {"size larger than the data", [](MEMORY_FILES_T *f) { f->reportedSize += 3; },
     3, CANNOT_READ, CONVERTED},
    {"size unknown", [](MEMORY_FILES_T *f) { f->sizeUnknown = true; }, 3, CANNOT_READ, {}},
    {"first write fails", [](MEMORY_FILES_T *f) { f->failWrite = 1; }, 3, CANNOT_WRITE, {}},
    {"later write fails", [](MEMORY_FILES_T *f) { f->failWrite = 3; },
     3, CANNOT_WRITE, {0x01, 0x00, 0x16, 0x00}},
    // A short write leaves the bytes that the system did take.
    {"first write short", [](MEMORY_FILES_T *f) { f->shortWrite = 1; },
     3, CANNOT_WRITE, {0x01}},
    {"later write short", [](MEMORY_FILES_T *f) { f->shortWrite = 2; },
     3, CANNOT_WRITE, {0x01, 0x00, 0x16}},
    {"no memory to open the input", [](MEMORY_FILES_T *f) { f->failAlloc = 1; },
     2, "ERROR: Cannot open 'in.txt'.\n", {}},
    {"no memory to create the output", [](MEMORY_FILES_T *f) { f->failAlloc = 2; },
     2, "ERROR: Cannot open 'out.bin'.\n", {}},
};

// Runs the tool on INPUT; returns its exit status and what followed the banner.
int RunTool(string *message)
{
    char program[] = "numpress", in[] = "in.txt", out[] = "out.bin";
    char *argv[] = {program, in, out, nullptr};
    testing::internal::CaptureStdout();
    int status = Numpress_Main(3, argv);
    string printed = testing::internal::GetCapturedStdout();
    *message = printed.substr(printed.find('\n') + 1);
    return status;
}

TEST(Fault, EndsInItsMessageWithTheValuesBeforeIt)
{
    for (const FAULT_CASE_T &test : FAULT_CASES)
    {
        SCOPED_TRACE(test.name);
        MEMORY_FILES_T *files = MemoryFiles_Reset(INPUT.data(), INPUT.size());
        test.inject(files);
        string message;
        EXPECT_EQ(RunTool(&message), test.exitStatus);
        EXPECT_EQ(message, test.message);
        EXPECT_EQ(files->output, test.output);
        EXPECT_EQ(files->openHandles, 0);
    }
}

// Every read of the run, failed in turn: each is reported, and the output
// holds the converted values before it. A read failing inside
// a token leaves one more value, of the token's bytes so far.
TEST(Fault, EveryReadFailureIsReported)
{
    for (std::size_t read = 1; read <= INPUT.size(); read++)
    {
        MEMORY_FILES_T *files = MemoryFiles_Reset(INPUT.data(), INPUT.size());
        files->failRead = static_cast<int>(read);
        string message;
        EXPECT_EQ(RunTool(&message), 3) << "read " << read;
        EXPECT_EQ(message, CANNOT_READ) << "read " << read;
        std::size_t size = files->output.size();
        ASSERT_TRUE(size % 2 == 0 && size <= CONVERTED.size()) << "read " << read;
        std::size_t whole = size == 0 ? 0 : size - 2;
        EXPECT_TRUE(std::equal(CONVERTED.begin(), CONVERTED.begin() + whole,
                               files->output.begin())) << "read " << read;
    }
}

}  // namespace
