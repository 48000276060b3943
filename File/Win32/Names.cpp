// File names on Windows. The C run-time hands main its arguments in the ANSI
// code page, where a character that the code page lacks becomes '?' or a
// look-alike ("best fit": é becomes e under code page 1251), which would
// open another file than the one named. So the arguments are taken again in
// UTF-16, as the user typed them, and carried in UTF-8, which spells every
// name; the opens turn them back into UTF-16. Only the messages, which are
// written in the ANSI code page as they always were, spell names in it.

#include "File/Win32/Windows.h"

#include <string>
#include <vector>

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

// ARGUMENT in UTF-8. An unpaired surrogate, which no UTF-8 spells, makes the
// name begin with the byte 0xFF, which no UTF-8 holds: the name then opens
// no file at all, rather than one that a stand-in character would name.
static std::string Utf8(const wchar_t *argument)
{
    bool spelled = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, argument, -1, nullptr, 0,
                                       nullptr, nullptr) != 0;
    std::string name(WideCharToMultiByte(CP_UTF8, 0, argument, -1, nullptr, 0, nullptr, nullptr),
                     '\0');
    WideCharToMultiByte(CP_UTF8, 0, argument, -1, &name[0], name.size(), nullptr, nullptr);
    return (spelled ? "" : "\xFF") + name;
}

// The program's own name as ARGV has it, then the arguments in UTF-8.
char **File_Arguments(int argc, char **argv)
{
    static std::vector<std::string> arguments;
    static std::vector<char *> names;
    int count;
    wchar_t **wide, **environment;
    _startupinfo start = {};
    if (__wgetmainargs(&count, &wide, &environment, _dowildcard, &start) != 0 || count != argc)
        return nullptr;
    arguments.resize(argc);
    names.assign(argv, argv + argc);
    for (int i = 1; i < argc; i++)
        names[i] = &(arguments[i] = Utf8(wide[i]))[0];
    return names.data();
}

// In the ANSI code page without best fit, so that a name the code page
// cannot spell shows '?' where it would show a look-alike. Where that cannot
// be made (no memory, or a code page of UTF-8), the name goes as it is.
void File_PrintName(std::FILE *stream, const char *name)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    auto *wide = static_cast<wchar_t *>(Mem_Alloc(units * sizeof(wchar_t)));
    if (wide != nullptr)
        MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, units);
    int bytes = wide != nullptr ? WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1,
                                                      nullptr, 0, "?", nullptr)
                                : 0;
    auto *ansi = static_cast<char *>(bytes != 0 ? Mem_Alloc(bytes) : nullptr);
    if (ansi != nullptr)
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansi, bytes, "?", nullptr);
    std::fputs(ansi != nullptr ? ansi : name, stream);
    Mem_Free(ansi);
    Mem_Free(wide);
}
