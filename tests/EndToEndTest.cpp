// Runs the built program on each case of the table, in a directory of its own.
//
// NUMPRESS_COMMAND starts the program (a command prefix may stand before it,
// such as an emulator); NUMPRESS_EOL=crlf expects messages ended by CR LF;
// NUMPRESS_PLATFORM=windows selects the cases of that platform.

#include "EndToEndCases.h"

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

string Environment(const char *name, const char *otherwise)
{
    const char *value = std::getenv(name);
    return value ? value : otherwise;
}

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

// Runs the program in dir; returns its exit status and what it printed.
int RunProgram(const fs::path &dir, const string &args, string *printed)
{
    string command = "cd '" + dir.string() + "' && " +
                     Environment("NUMPRESS_COMMAND", "numpress") + " " + args + " </dev/null";
    FILE *pipe = popen(command.c_str(), "r");
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
    bool onWindows = Environment("NUMPRESS_PLATFORM", "posix") == "windows";
    if (!(test.platforms & (onWindows ? ON_WINDOWS : ON_POSIX)))
        GTEST_SKIP() << "not a case of this platform";
    string eol = Environment("NUMPRESS_EOL", "lf") == "crlf" ? "\r\n" : "\n";

    fs::path dir = fs::temp_directory_path() / ("numpress-e2e-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directory(dir);
    Prepare(test, dir);

    string printed;
    EXPECT_EQ(RunProgram(dir, test.args, &printed), test.exitStatus);

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

}  // namespace
