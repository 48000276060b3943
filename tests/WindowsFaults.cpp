// Faults of Windows for the programs under test, the counterpart of
// SystemFaults.cpp: a program linked with this file patches its own import
// table as it starts, so that the calls that FAULT names fail where it says.
// FAULT holds words CALL[@N[+]][=WHAT]: the function CALL fails at its Nth
// call (with +, at every one from the Nth; without @N, at every one), with
// the error WHAT, a number (5, access denied, where none is given); or, for
// WriteFile, "short", one byte less written (of one byte, none), the last
// error left as a failure's, as a success may leave it; for GetFileSizeEx,
// "size:N"; for __wgetmainargs, "count:N".
// A failed CloseHandle closes all the same, as a failed write-back does. The
// layer also counts the files that the program holds open. It is never
// linked into a program that ships.

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

struct FAULT_T
{
    char call[40], what[24];
    long from, calls;
    bool onward;
};

FAULT_T faults[8];
HANDLE openFiles[32];

// The fault of CALL that this call of it sets off, or null; its error is set.
const FAULT_T *Firing(const char *call)
{
    for (FAULT_T &fault : faults)
        if (std::strcmp(fault.call, call) == 0 &&
            (++fault.calls == fault.from || (fault.onward && fault.calls > fault.from)))
        {
            SetLastError(std::isdigit(fault.what[0]) ? std::strtoul(fault.what, nullptr, 0) : 5);
            return &fault;
        }
    return nullptr;
}

#define FAULTY(TYPE, NAME, FAILED, PARAMETERS, ARGUMENTS) \
    decltype(&NAME) real##NAME; \
    TYPE WINAPI Faulty##NAME PARAMETERS \
    { \
        return Firing(#NAME) ? FAILED : real##NAME ARGUMENTS; \
    }

FAULTY(BOOL, GetFileInformationByHandle, FALSE, (HANDLE file, LPBY_HANDLE_FILE_INFORMATION info),
       (file, info))
FAULTY(BOOL, GetFileInformationByHandleEx, FALSE,
       (HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size),
       (file, kind, info, size))
FAULTY(DWORD, GetFileType, FILE_TYPE_UNKNOWN, (HANDLE file), (file))
FAULTY(BOOL, SetEndOfFile, FALSE, (HANDLE file), (file))
FAULTY(LPVOID, HeapAlloc, nullptr, (HANDLE heap, DWORD flags, SIZE_T size), (heap, flags, size))
FAULTY(int, MultiByteToWideChar, 0,
       (UINT page, DWORD flags, LPCCH text, int size, LPWSTR wide, int room),
       (page, flags, text, size, wide, room))
FAULTY(int, WideCharToMultiByte, 0,
       (UINT page, DWORD flags, LPCWCH wide, int size, LPSTR text, int room, LPCCH stand,
        LPBOOL used),
       (page, flags, wide, size, text, room, stand, used))
FAULTY(BOOL, ReadFile, FALSE,
       (HANDLE file, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED at),
       (file, buffer, count, got, at))

decltype(&CreateFileW) realCreateFileW;
HANDLE WINAPI FaultyCreateFileW(LPCWSTR name, DWORD access, DWORD share,
                                LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                HANDLE model)
{
    HANDLE file = Firing("CreateFileW")
                      ? INVALID_HANDLE_VALUE
                      : realCreateFileW(name, access, share, security, disposition, flags, model);
    if (file != INVALID_HANDLE_VALUE)
        *std::find(openFiles, openFiles + 32, nullptr) = file;
    return file;
}

// A call that succeeds may change the last error: CloseHandle and HeapFree,
// which the code calls between a failure and its report, leave a stale one,
// so that a report gives the failure's only where the code kept it.
BOOL Stale(BOOL done)
{
    if (done)
        SetLastError(ERROR_INVALID_HANDLE);
    return done;
}

decltype(&HeapFree) realHeapFree;
BOOL WINAPI FaultyHeapFree(HANDLE heap, DWORD flags, LPVOID block)
{
    return Stale(realHeapFree(heap, flags, block));
}

decltype(&CloseHandle) realCloseHandle;
BOOL WINAPI FaultyCloseHandle(HANDLE handle)
{
    std::replace(openFiles, openFiles + 32, handle, HANDLE{});
    BOOL closed = realCloseHandle(handle);
    return Firing("CloseHandle") ? FALSE : Stale(closed);
}

decltype(&WriteFile) realWriteFile;
BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD put, LPOVERLAPPED at)
{
    const FAULT_T *fault = Firing("WriteFile");
    bool cut = fault != nullptr && std::strcmp(fault->what, "short") == 0 && count > 0;
    if (cut)
        SetLastError(ERROR_IO_DEVICE);
    return fault != nullptr && !cut ? FALSE : realWriteFile(file, buffer, count - cut, put, at);
}

decltype(&GetFileSizeEx) realGetFileSizeEx;
BOOL WINAPI FaultyGetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    const FAULT_T *fault = Firing("GetFileSizeEx");
    if (fault != nullptr && std::strncmp(fault->what, "size:", 5) != 0)
        return FALSE;
    BOOL told = realGetFileSizeEx(file, size);
    if (fault != nullptr)
        size->QuadPart = std::atoll(fault->what + 5);
    return told;
}

// The C run-time's split of the command line in UTF-16 (File/Win32/Names.cpp);
// with "count:N", its first N arguments alone, as where it differs from the
// ANSI split of main's arguments.
int(__cdecl *realMainArguments)(int *, wchar_t ***, wchar_t ***, int, void *);
int __cdecl FaultyMainArguments(int *count, wchar_t ***arguments, wchar_t ***environment, int glob,
                                void *start)
{
    const FAULT_T *fault = Firing("__wgetmainargs");
    if (fault != nullptr && std::strncmp(fault->what, "count:", 6) != 0)
        return -1;
    int split = realMainArguments(count, arguments, environment, glob, start);
    if (fault != nullptr)
        *count = std::atoi(fault->what + 6);
    return split;
}

#define HOOK(NAME, FUNCTION) \
    { \
        NAME, reinterpret_cast<void *>(Faulty##FUNCTION), \
            reinterpret_cast<void **>(&real##FUNCTION) \
    }
const struct
{
    const char *name;
    void *faulty, **real;
} HOOKS[] = {HOOK("CreateFileW", CreateFileW),
             HOOK("CloseHandle", CloseHandle),
             HOOK("ReadFile", ReadFile),
             HOOK("WriteFile", WriteFile),
             HOOK("GetFileSizeEx", GetFileSizeEx),
             HOOK("GetFileInformationByHandle", GetFileInformationByHandle),
             HOOK("GetFileInformationByHandleEx", GetFileInformationByHandleEx),
             HOOK("GetFileType", GetFileType),
             HOOK("SetEndOfFile", SetEndOfFile),
             HOOK("HeapAlloc", HeapAlloc),
             HOOK("HeapFree", HeapFree),
             HOOK("MultiByteToWideChar", MultiByteToWideChar),
             HOOK("WideCharToMultiByte", WideCharToMultiByte),
             HOOK("__wgetmainargs", MainArguments)};

// Puts each hook into the slots of the program's import table that hold the
// function of its name, keeping the function itself.
void PatchImports()
{
    auto *base = reinterpret_cast<BYTE *>(GetModuleHandleW(nullptr));
    auto *headers = reinterpret_cast<IMAGE_NT_HEADERS *>(
        base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    DWORD at = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto *dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + at); dll->Name; dll++)
    {
        auto *name = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->OriginalFirstThunk);
        auto *slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; name++, slot++)
            for (const auto &hook : HOOKS)
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                    std::strcmp(
                        reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)
                            ->Name,
                        hook.name) == 0)
                {
                    DWORD was;
                    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                                   &was);
                    *hook.real = reinterpret_cast<void *>(slot->u1.Function);
                    slot->u1.Function = reinterpret_cast<ULONG_PTR>(hook.faulty);
                    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
                }
    }
}

const bool PATCHED = [] {
    static char words[256];
    std::strncpy(words, std::getenv("FAULT") ? std::getenv("FAULT") : "", sizeof words - 1);
    FAULT_T *fault = faults;
    for (char *word = std::strtok(words, " "); word != nullptr && fault < faults + 8;
         word = std::strtok(nullptr, " "))
    {
        char *at = std::strchr(word, '@'), *what = std::strchr(word, '=');
        std::strncpy(fault->what, what != nullptr ? what + 1 : "", sizeof fault->what - 1);
        fault->from = at != nullptr ? std::atol(at + 1) : 1;
        fault->onward = at == nullptr || std::strchr(at, '+') != nullptr;
        std::strncpy(fault->call, word, std::strcspn(word, "@="));
        fault++;
    }
    PatchImports();
    return true;
}();

}  // namespace

// How many of the files that the program opened it still holds.
int Faults_OpenFiles()
{
    return 32 - static_cast<int>(std::count(openFiles, openFiles + 32, nullptr));
}
