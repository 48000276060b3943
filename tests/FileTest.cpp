// The platform's file library on real files, for what the whole program
// cannot show, on a heap that counts the records it holds.

#include "File/File.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>

int Faults_OpenFiles();  // tests/WindowsFaults.cpp
#endif

extern int liveRecords;  // CountingHeap.cpp

namespace {

const std::string TEST_FILE = "file-test";  // in the host's build folder
#ifdef _WIN32
const char DEVICE[] = "NUL";
#else
const char DEVICE[] = "/dev/null";
#endif

// What changes when a file is left open: on POSIX the lowest free
// descriptor (WASI has no dup), on Windows the files held open as the fault
// layer counts them, since wine's GetProcessHandleCount always tells 0.
int OpenFiles()
{
#if defined(__wasi__)
    return -1;
#elif defined(_WIN32)
    return Faults_OpenFiles();
#else
    int fd = dup(2);
    close(fd);
    return fd;
#endif
}

// Closes what an opening returned; false if it was refused.
bool Opened(HFILE_T *file)
{
    if (File_IsStatus(file))
        return false;
    File_Close(file);
    return true;
}

class File : public testing::Test
{
    void SetUp() override { std::ofstream(TEST_FILE) << "ab"; }

    void TearDown() override
    {
        EXPECT_EQ(liveRecords, 0);
        std::remove(TEST_FILE.c_str());
    }
};

// A read that finds nothing (the file was cut short) fails, and is no fault
// of the system's, even after one; a refused open is, in its words, on one
// line. (Windows has words for most errors, and a number for the rest.)
TEST_F(File, ReadingAtTheEndFails)
{
    char bytes[3] = {}, text[100];
    HFILE_T *file = File_OpenRead(TEST_FILE.c_str());
    EXPECT_EQ(File_Read(file, bytes, 2), STATUS_OK);
    EXPECT_EQ(File_OpenRead("missing"), File_StatusResult(STATUS_ERROR));
    EXPECT_TRUE(File_ErrorText(text, sizeof text));
    EXPECT_TRUE(std::isgraph(static_cast<unsigned char>(text[std::strlen(text) - 1]))) << text;
    EXPECT_EQ(File_Read(file, bytes, 1), STATUS_ERROR);
    EXPECT_FALSE(File_ErrorText(text, sizeof text));
    EXPECT_STREQ(text, "");
    EXPECT_STREQ(bytes, "ab");
    File_Close(file);
#ifdef _WIN32
    SetLastError(0x2FFFFFFF);
    EXPECT_TRUE(File_ErrorText(text, sizeof text));
    EXPECT_STREQ(text, "Windows error 805306367");
#endif
}

// Refused opens and closed files give back what they took. A reader that is
// not named as the input refuses a writer as another process's would, where
// there are locks (WASI has none).
TEST_F(File, GivesBackWhatItTook)
{
    int before = OpenFiles();
    EXPECT_FALSE(Opened(File_OpenRead(".")));
    EXPECT_FALSE(Opened(File_OpenRead(DEVICE)));
    HFILE_T *input = File_OpenRead(TEST_FILE.c_str());
    int beside = OpenFiles();
#ifdef _WIN32
    char text[100], violation[100];  // Windows's sharing mode refuses it, and says so
    EXPECT_EQ(File_Create(TEST_FILE.c_str(), nullptr), File_StatusResult(STATUS_ERROR));
    EXPECT_TRUE(File_ErrorText(text, sizeof text));
    SetLastError(ERROR_SHARING_VIOLATION);
    File_ErrorText(violation, sizeof violation);
    EXPECT_STREQ(text, violation);
#elif !defined(__wasi__)
    EXPECT_EQ(File_Create(TEST_FILE.c_str(), nullptr), File_StatusResult(STATUS_IN_USE));
#endif
    EXPECT_EQ(OpenFiles(), beside);
    File_Close(input);
    EXPECT_EQ(OpenFiles(), before);
    EXPECT_TRUE(Opened(File_Create(TEST_FILE.c_str(), nullptr)));
}

// Started with standard streams closed, as cron may start it, the tool opens
// no file on their descriptors, where the messages would land. All three
// closed, or the last alone.
TEST_F(File, LeavesTheStandardStreamsTheirDescriptors)
{
#ifdef __wasi__
    GTEST_SKIP() << "WASI has no dup, and its runtime keeps the standard streams' descriptors";
#else
    std::fflush(stdout);
    for (int first : {0, 2})
    {
        int saved[3] = {dup(0), dup(1), dup(2)}, taken = 0;
        for (int fd = first; fd < 3; fd++)
            close(fd);
        HFILE_T *input = File_OpenRead(TEST_FILE.c_str());
        HFILE_T *output = File_Create((TEST_FILE + ".out").c_str(), input);
        for (int fd = 0; fd < 3; fd++)
        {
            int copy = dup(fd);
            taken += fd >= first && copy != -1;
            close(copy);
            dup2(saved[fd], fd);
            close(saved[fd]);
        }
        EXPECT_EQ(taken, 0) << "with descriptors " << first << " to 2 closed";
        EXPECT_TRUE(Opened(output));
        EXPECT_TRUE(Opened(input));
    }
    std::remove((TEST_FILE + ".out").c_str());
#endif
}

}  // namespace
