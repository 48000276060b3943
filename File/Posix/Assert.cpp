// The assertion report on POSIX: no message box, so the caption and the text
// go to standard error as one line.

#include "File/File.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

[[noreturn]] void Assert_Fail(const char *path, int line)
{
    const char *slash = std::strrchr(path, '/');
    const char *name = slash ? slash + 1 : path;
    char text[ASSERT_TEXT_MAX];
    std::snprintf(text, sizeof text, "%s(%d)", name, line);
    std::fprintf(stderr, "Assertion fail: %s\n", text);
    std::exit(ASSERT_EXIT_STATUS);  // the normal exit: handlers run, stdout is flushed
}
