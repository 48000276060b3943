// Runs the built program on each case of the table: what only the real
// system shows, from the arguments to the files. Arguments after GoogleTest's
// own: the commands that start the program and the assertion probe (an
// emulator may stand first), then "windows" for lines ended by CR LF.

#include "Hex.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using std::string;

enum { ON_POSIX = 1, ON_WINDOWS = 2, ON_BOTH = 3 };

struct CASE_T
{
    const char *name;
    string input;            // the bytes of in.txt
    const char *output;      // the bytes of out.bin in hex, null: not created
    int exitStatus;
    const char *message;     // after the banner, lines ended by "\n"
    const char *args = "in.txt out.bin";
    const char *setup = "";  // shell commands run in the directory first
    int platforms = ON_BOTH;
};

const CASE_T CASES[] = {
    {"worked_example", "# header\nD b 0x12345678\nW 258 l 258\nB 255 256\n",
     "12 34 56 78 01 02 02 01 FF 00", 0, ""},
    {"empty_input", "", "", 0, ""},
    {"old_output_truncated", "1", "01", 0, "", "in.txt out.bin", "echo old >out.bin"},
    {"no_arguments", "", nullptr, 1, "Usage> Numpress <in file> <out file>\n", ""},
    {"missing_input", "", nullptr, 2, "ERROR: Cannot open 'missing.txt'.\n",
     "missing.txt out.bin"},
    {"directory_as_input", "", nullptr, 2, "ERROR: Cannot open '.'.\n", ". out.bin"},
    {"output_in_missing_directory", "1", nullptr, 2,
     "ERROR: Cannot open 'none/out.bin'.\n", "in.txt none/out.bin"},
    {"same_file_twice", "1 2", nullptr, 2, "ERROR: Cannot open 'in.txt'.\n", "in.txt in.txt"},
    {"same_file_by_hard_link", "1 2", nullptr, 2, "ERROR: Cannot open 'link.txt'.\n",
     "in.txt link.txt", "ln in.txt link.txt"},
    {"same_file_by_symlink", "1 2", nullptr, 2, "ERROR: Cannot open 'link.txt'.\n",
     "in.txt link.txt", "ln -s in.txt link.txt"},
    {"input_of_4_GiB", "", "", 3, "ERROR: Cannot read 'huge.txt'.\n", "huge.txt out.bin",
     "truncate -s 4294967298 huge.txt"},
    {"backslash_in_output_path", "1", nullptr, 2, "ERROR: Cannot open 'none\\out.bin'.\n",
     "in.txt 'none\\out.bin'", "", ON_WINDOWS},
    {"full_device", "1 2", nullptr, 3, "ERROR: Cannot write '/dev/full'.\n",
     "in.txt /dev/full", "", ON_POSIX},
    {"fifo_as_input", "", nullptr, 2, "ERROR: Cannot open 'fifo'.\n", "fifo out.bin",
     "mkfifo fifo", ON_POSIX},
    {"device_as_input", "", nullptr, 2, "ERROR: Cannot open '/dev/null'.\n",
     "/dev/null out.bin", "", ON_POSIX},
    {"device_as_output", "1 2", nullptr, 0, "", "in.txt /dev/null", "", ON_POSIX},
};

string program, probe;  // the commands that start them
bool windows;

string ReadFile(const fs::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

const fs::path DIR = fs::temp_directory_path() / ("numpress-e2e-" + std::to_string(getpid()));

// Runs the commands in DIR, made anew with input in in.txt; returns their
// exit status and what the last one printed.
int RunInFreshDirectory(const string &input, const string &commands, string *printed)
{
    fs::remove_all(DIR);
    fs::create_directory(DIR);
    fs::current_path(DIR);
    std::ofstream("in.txt", std::ios::binary) << input;
    int status = std::system((commands + " </dev/null >printed 2>&1").c_str());
    *printed = ReadFile("printed");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EndToEnd, EveryCase)
{
    string eol = windows ? "\r\n" : "\n";
    for (const CASE_T &test : CASES)
    {
        if (!(test.platforms & (windows ? ON_WINDOWS : ON_POSIX)))
            continue;
        SCOPED_TRACE(test.name);
        string printed;
        string commands = string(test.setup) + "\n" + program + " " + test.args;
        EXPECT_EQ(RunInFreshDirectory(test.input, commands, &printed), test.exitStatus);
        EXPECT_EQ(printed.substr(0, 9), "Numpress ");
        EXPECT_EQ(printed.substr(printed.find(eol) + eol.size()),
                  std::regex_replace(test.message, std::regex("\n"), eol));
        EXPECT_EQ(ReadFile("in.txt"), test.input) << "the input was changed";
        if (test.output == nullptr)
        {
            EXPECT_FALSE(fs::exists("out.bin")) << "out.bin was created";
            continue;
        }
        EXPECT_EQ(Hex(ReadFile("out.bin")), test.output);
        // Readable by all, writable by its owner, as umask 022 leaves it.
        EXPECT_EQ(fs::status("out.bin").permissions(), static_cast<fs::perms>(0644));
    }
}

// A handle operation on a record of another kind ends the process with
// status 4. On POSIX the report goes to standard error; on Windows it is a
// message box, which returns at once where there is no display.
TEST(EndToEnd, AssertionReportEndsTheProcess)
{
    std::regex report(windows ? "" : "Assertion fail: File\\.cpp\\([0-9]+\\)\n");
    for (const char *operation : {"read", "write", "size", "close"})
    {
        string printed;
        EXPECT_EQ(RunInFreshDirectory("", probe + " " + operation, &printed), 4) << printed;
        EXPECT_TRUE(std::regex_match(printed, report)) << operation << ": " << printed;
    }
}

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc >= 3)
    {
        program = argv[1];
        probe = argv[2];
        windows = argc > 3 && string(argv[3]) == "windows";
    }
    umask(022);
    int status = RUN_ALL_TESTS();
    fs::remove_all(DIR);
    return status;
}
