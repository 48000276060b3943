// The platform's file library on real files. This program brings its own
// heap, so that a test can refuse memory for handle records.

#include "File/File.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

static bool refuseMemory;

void *Mem_Alloc(std::size_t size)
{
    return refuseMemory ? nullptr : std::malloc(size);
}

void Mem_Free(void *block)
{
    std::free(block);
}

namespace {

// The lowest free descriptor: unchanged if an operation left none open.
int NextDescriptor()
{
    int fd = dup(0);
    close(fd);
    return fd;
}

class File : public testing::Test
{
protected:
    char dir[32] = "/tmp/numpress-file-XXXXXX";
    std::string in, out;

    void SetUp() override
    {
        ASSERT_NE(mkdtemp(dir), nullptr);
        in = std::string(dir) + "/in";
        out = std::string(dir) + "/out";
        FILE *file = std::fopen(in.c_str(), "w");
        std::fputs("ab", file);
        std::fclose(file);
        refuseMemory = false;
    }

    void TearDown() override
    {
        std::remove(in.c_str());
        std::remove(out.c_str());
        rmdir(dir);
    }
};

// A read that finds nothing, as when the file is cut short while it is read,
// is a failure and not an empty success.
TEST_F(File, ReadingAtTheEndFails)
{
    HFILE_T *file = File_OpenRead(in.c_str());
    ASSERT_FALSE(File_IsStatus(file));
    char bytes[3] = {};
    EXPECT_EQ(File_Read(file, bytes, 2), STATUS_OK);
    EXPECT_EQ(File_Read(file, bytes, 1), STATUS_ERROR);
    EXPECT_STREQ(bytes, "ab");
    File_Close(file);
}

TEST_F(File, WithoutMemoryNoFileIsOpened)
{
    refuseMemory = true;
    int before = NextDescriptor();
    EXPECT_EQ(File_StatusOf(File_OpenRead(in.c_str())), STATUS_NO_MEMORY);
    EXPECT_EQ(File_StatusOf(File_Create(out.c_str())), STATUS_NO_MEMORY);
    EXPECT_EQ(NextDescriptor(), before);
    EXPECT_EQ(access(out.c_str(), F_OK), -1) << "the output was created";
}

}  // namespace
