// File names on Windows. The C run-time hands main its arguments in the ANSI
// code page, where a character that the code page lacks becomes '?' or a
// look-alike ("best fit": é becomes e under code page 1251), which would
// open another file than the one named. So the arguments are taken again in
// UTF-16, as the user typed them, and carried in UTF-8, which spells every
// name; the opens turn them back into UTF-16. Only the messages, which are
// written in the ANSI code page as they always were, spell names in it.

#include "File/Win32/Windows.h"

#include <cwchar>

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

// Writes the UTF-8 of the UTF-16 ARGUMENT at OUT, at most 3 bytes a unit,
// and returns where it ends. An unpaired surrogate, which no UTF-8 spells,
// becomes the byte 0xFF, which no UTF-8 holds, so that the name then opens
// no file at all rather than one that a stand-in character would name.
static char *PutUtf8(const wchar_t *argument, char *out)
{
    for (const wchar_t *at = argument; *at != 0;)
    {
        int units = IS_HIGH_SURROGATE(at[0]) && IS_LOW_SURROGATE(at[1]) ? 2 : 1;
        int length =
            WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, at, units, out, 4, nullptr, nullptr);
        if (length <= 0)
        {
            *out = '\xFF';
            length = 1;
        }
        out += length;
        at += units;
    }
    return out;
}

char **File_Arguments(int argc, char **)
{
    int count;
    wchar_t **wide, **environment;
    _startupinfo start = {0};
    if (__wgetmainargs(&count, &wide, &environment, _dowildcard, &start) != 0 || count != argc)
        return nullptr;
    // One block: the pointers, then the arguments.
    std::size_t size = (argc + 1) * sizeof(char *);
    for (int i = 0; i < argc; i++)
        size += 3 * std::wcslen(wide[i]) + 1;
    char **names = static_cast<char **>(Mem_Alloc(size));
    if (names == nullptr)
        return nullptr;
    char *at = reinterpret_cast<char *>(names + argc + 1);
    for (int i = 0; i < argc; i++)
    {
        names[i] = at;
        at = PutUtf8(wide[i], at);
        *at++ = 0;
    }
    names[argc] = nullptr;
    return names;
}

// In the ANSI code page without best fit, so that a name the code page
// cannot spell shows '?' where it would show a look-alike. Where no memory
// is left for that, or the code page is UTF-8, the name goes as it is.
void File_PrintName(std::FILE *stream, const char *name)
{
    int units = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
    wchar_t *wide = static_cast<wchar_t *>(Mem_Alloc(units * sizeof(wchar_t)));
    int bytes = wide == nullptr ? 0 : MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, units);
    if (bytes > 0)
        bytes =
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, "?", nullptr);
    char *ansi = static_cast<char *>(bytes > 0 ? Mem_Alloc(bytes) : nullptr);
    if (ansi != nullptr &&
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide, -1, ansi, bytes, "?", nullptr) > 0)
        std::fputs(ansi, stream);
    else
        std::fputs(name, stream);
    Mem_Free(ansi);
    Mem_Free(wide);
}
