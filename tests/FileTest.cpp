// The file library on real files. This program brings its own heap, so that
// tests can refuse memory and count the records still allocated.

#include "File/File.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

static bool refuseMemory;
static int liveBlocks;

void *Mem_Alloc(std::size_t size)
{
    if (refuseMemory)
        return nullptr;
    liveBlocks++;
    return std::malloc(size);
}

void Mem_Free(void *block)
{
    liveBlocks -= block != nullptr;
    std::free(block);
}

namespace {

using std::string;

class FileTest : public testing::Test
{
protected:
    string dir;

    void SetUp() override
    {
        char pattern[] = "/tmp/numpress-file-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        refuseMemory = false;
        liveBlocks = 0;
    }

    void TearDown() override
    {
        EXPECT_EQ(liveBlocks, 0) << "a handle record was not freed";
        std::filesystem::remove_all(dir);
    }

    string Path(const char *name) { return dir + "/" + name; }

    string Write(const char *name, const string &text)
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
};

// The lowest free descriptor: unchanged if an operation left none open.
int NextDescriptor()
{
    int fd = dup(0);
    close(fd);
    return fd;
}

// Each refusal frees its record again, as TearDown checks.
TEST_F(FileTest, OnlyExistingRegularFilesAreOpenedForReading)
{
    ASSERT_EQ(mkfifo(Path("fifo").c_str(), 0600), 0);
    for (string name : {Path("missing"), Path("fifo"), dir, string("/dev/null")})
    {
        SCOPED_TRACE(name);
        EXPECT_EQ(File_StatusOf(File_OpenRead(name.c_str())), STATUS_ERROR);
    }
}

TEST_F(FileTest, ReadsWhatIsThereThenFailsAtTheEnd)
{
    HFILE_T *file = File_OpenRead(Write("in", "ab").c_str());
    ASSERT_FALSE(File_IsStatus(file));
    std::uint64_t size = 0;
    EXPECT_EQ(File_GetSize(file, &size), STATUS_OK);
    EXPECT_EQ(size, 2u);
    char bytes[4] = {};
    EXPECT_EQ(File_Read(file, bytes, 1), STATUS_OK);
    EXPECT_EQ(File_Read(file, bytes + 1, 1), STATUS_OK);
    EXPECT_EQ(File_Read(file, bytes + 2, 1), STATUS_ERROR);
    EXPECT_STREQ(bytes, "ab");
    File_Close(file);
}

TEST_F(FileTest, WritesToADevice)
{
    HFILE_T *null = File_Create("/dev/null");
    ASSERT_FALSE(File_IsStatus(null));
    EXPECT_EQ(File_Write(null, "abcd", 4), STATUS_OK);
    File_Close(null);
}

TEST_F(FileTest, WithoutMemoryNoFileIsOpened)
{
    string path = Write("in", "x");
    int before = NextDescriptor();
    refuseMemory = true;
    EXPECT_EQ(File_StatusOf(File_OpenRead(path.c_str())), STATUS_NO_MEMORY);
    EXPECT_EQ(File_StatusOf(File_Create(Path("out").c_str())), STATUS_NO_MEMORY);
    EXPECT_EQ(NextDescriptor(), before);
    EXPECT_EQ(access(Path("out").c_str(), F_OK), -1) << "the output was created";
}

}  // namespace
