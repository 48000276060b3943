// Runs the built program on each case of the table, in a directory of its own.
//
// Arguments after GoogleTest's own: --program=COMMAND starts the program and
// --probe=COMMAND the assertion probe (an emulator may stand before either);
// --windows selects the cases of Windows and expects lines ended by CR LF.

#include "EndToEndCases.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Names a case in test listings instead of dumping its bytes.
void PrintTo(const E2E_CASE_T &test, std::ostream *out)
{
    *out << test.name;
}

namespace {

namespace fs = std::filesystem;
using std::string;

struct TARGET_T
{
    string program = "numpress";
    string probe = "assert_probe";
    bool windows = false;
} target;

string ReadFile(const fs::path &path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

string Hex(const string &bytes)
{
    string hex;
    char digits[4];
    for (unsigned char byte : bytes)
    {
        std::snprintf(digits, sizeof digits, hex.empty() ? "%02X" : " %02X", byte);
        hex += digits;
    }
    return hex;
}

string WithLineEnds(string text, const string &eol)
{
    string result;
    for (char ch : text)
        result += ch == '\n' ? eol : string(1, ch);
    return result;
}

void Prepare(const E2E_CASE_T &test, const fs::path &dir)
{
    std::ofstream(dir / "in.txt", std::ios::binary) << test.input;
    switch (test.setup)
    {
    case SETUP_NONE: break;
    case SETUP_OLD_OUTPUT: std::ofstream(dir / "out.bin") << "old"; break;
    case SETUP_HARD_LINK: fs::create_hard_link(dir / "in.txt", dir / "link.txt"); break;
    case SETUP_SYMLINK: fs::create_symlink("in.txt", dir / "link.txt"); break;
    case SETUP_HUGE_INPUT: fs::resize_file(dir / "in.txt", 0x100000002ull); break;
    case SETUP_FIFO: ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0); break;
    }
}

// Runs a command in dir; returns its exit status and what it printed.
int RunCommand(const fs::path &dir, const string &command, string *printed)
{
    string line = "cd '" + dir.string() + "' && " + command + " </dev/null";
    FILE *pipe = popen(line.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char buffer[256];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        printed->append(buffer, got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class EndToEnd : public testing::TestWithParam<E2E_CASE_T> {};

TEST_P(EndToEnd, Case)
{
    const E2E_CASE_T &test = GetParam();
    if (!(test.platforms & (target.windows ? ON_WINDOWS : ON_POSIX)))
        GTEST_SKIP() << "not a case of this platform";
    string eol = target.windows ? "\r\n" : "\n";

    fs::path dir = fs::temp_directory_path() / ("numpress-e2e-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    Prepare(test, dir);

    string printed;
    string command = target.program + " " + test.args;
    EXPECT_EQ(RunCommand(dir, command, &printed), test.exitStatus);

    std::size_t bannerEnd = printed.find(eol);
    ASSERT_NE(bannerEnd, string::npos) << printed;
    EXPECT_EQ(printed.compare(0, 9, "Numpress "), 0) << printed;
    EXPECT_EQ(printed.substr(bannerEnd + eol.size()), WithLineEnds(test.message, eol));

    if (test.output == nullptr)
    {
        EXPECT_FALSE(fs::exists(dir / "out.bin")) << "out.bin was created";
    }
    else
    {
        EXPECT_EQ(Hex(ReadFile(dir / "out.bin")), test.output);
    }
    if (test.setup != SETUP_HUGE_INPUT)
    {
        EXPECT_EQ(ReadFile(dir / "in.txt"), test.input) << "the input was changed";
    }
    fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Cases, EndToEnd, testing::ValuesIn(E2E_CASES),
                         [](const testing::TestParamInfo<E2E_CASE_T> &info) {
                             return string(info.param.name);
                         });

// A handle operation on a record of another kind ends the process with
// status 4. On POSIX the report goes to standard error; on Windows it is a
// message box, which returns at once where there is no display.
class AssertReport : public testing::TestWithParam<const char *> {};

TEST_P(AssertReport, EndsTheProcess)
{
    string printed;
    string command = target.probe + " " + GetParam() + " 2>&1";
    EXPECT_EQ(RunCommand(fs::temp_directory_path(), command, &printed), 4) << printed;
    string report = target.windows ? "" : "Assertion fail: File\\.cpp\\([0-9]+\\)\n";
    EXPECT_THAT(printed, testing::MatchesRegex(report));
}

INSTANTIATE_TEST_SUITE_P(Operations, AssertReport,
                         testing::Values("read", "write", "size", "close"));

}  // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; i++)
    {
        string arg = argv[i];
        if (arg.rfind("--program=", 0) == 0)
            target.program = arg.substr(10);
        else if (arg.rfind("--probe=", 0) == 0)
            target.probe = arg.substr(8);
        else if (arg == "--windows")
            target.windows = true;
    }
    return RUN_ALL_TESTS();
}
