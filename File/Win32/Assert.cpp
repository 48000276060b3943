// The assertion report on Windows: a warning box owned by no window.

#include "File/Win32/Windows.h"

#include <cstdio>
#include <cstdlib>

// The part of the path after its last separator. CharNextA steps over
// double-byte characters whole, so a trail byte that equals '\' is not taken
// for one. mingw may spell __FILE__ with '/', so that counts too.
static const char *FileName(const char *path)
{
    const char *name = path;
    for (const char *at = path; *at != 0; at = CharNextA(at))
        if (*at == '\\' || *at == '/')
            name = at + 1;
    return name;
}

[[noreturn]] void Assert_Fail(const char *path, int line)
{
    char text[ASSERT_TEXT_MAX];
    std::snprintf(text, sizeof text, "%s(%d)", FileName(path), line);
    MessageBoxA(nullptr, text, "Assertion fail", MB_OK | MB_ICONWARNING);
    std::exit(ASSERT_EXIT_STATUS);  // the normal exit: handlers run, stdout is flushed
}
