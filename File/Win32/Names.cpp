// File names on Windows. The C run-time hands main its arguments in the ANSI
// code page, where a character that the code page lacks becomes '?' or a
// look-alike ("best fit": é becomes e under code page 1251), which would
// open another file than the one named. So the arguments are taken again in
// UTF-16, as the user typed them, and carried in UTF-8, which spells every
// name; the opens turn them back into UTF-16. Only the messages, which are
// written in the ANSI code page as they always were, spell names in it.

#include "File/Win32/Windows.h"

// The C run-time's own split of the command line, in UTF-16: the very split
// that gave main its arguments, with the same globbing setting.
extern "C"
{
    struct _startupinfo
    {
        int newmode;
    };
    int __wgetmainargs(int *argc, wchar_t ***argv, wchar_t ***environment, int glob,
                       _startupinfo *start);
    extern int _dowildcard;
}

// ARGUMENT in UTF-8, in a block of the heap. Null where no memory is left,
// or where it holds an unpaired surrogate, which no UTF-8 spells: a stand-in
// character there would name another file than the one meant.
static char *Utf8(const wchar_t *argument)
{
    int size = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argument, -1, nullptr, 0, nullptr,
                                   nullptr);
    char *name = size != 0 ? static_cast<char *>(Mem_Alloc(size)) : nullptr;
    if (name != nullptr)
        WideCharToMultiByte(CP_UTF8, 0, argument, -1, name, size, nullptr, nullptr);
    return name;
}

// The count of the names is the split's too: ARGV's may be another, where
// best fit turned a fullwidth quotation mark (U+FF02) into '"'.
char **File_Arguments(int *argc, char **)
{
    int count;
    wchar_t **wide, **environment;
    _startupinfo start = {};
    if (__wgetmainargs(&count, &wide, &environment, _dowildcard, &start) != 0)
        return nullptr;
    *argc = count;
    char **names = static_cast<char **>(Mem_Alloc(count * sizeof(char *)));
    for (int i = 0; names != nullptr && i < count; i++)
        if ((names[i] = Utf8(wide[i])) == nullptr)
            return nullptr;
    return names;
}

// In the ANSI code page without best fit, so that a name the code page
// cannot spell shows '?' where it would show a look-alike (a character of
// it takes 2 bytes at most). Where that cannot be made (a code page of
// UTF-8), the name goes as it is.
void File_PrintName(std::FILE *stream, const char *name, std::size_t length)
{
    wchar_t wide[UNICODE_STRING_MAX_CHARS];
    char ansi[2 * UNICODE_STRING_MAX_CHARS];
    int count = MultiByteToWideChar(CP_UTF8, 0, name, static_cast<int>(length), wide,
                                    UNICODE_STRING_MAX_CHARS);
    int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, count, ansi, sizeof ansi,
                                    "?", nullptr);
    if (count != 0 && bytes != 0)
        std::fwrite(ansi, 1, bytes, stream);
    else
        std::fwrite(name, 1, length, stream);
}
