// Faults of Windows for the programs under test, the counterpart of
// SystemFaults.cpp: a program linked with this file patches its own import
// table as it starts, so that the calls that FAULT names fail where it says.
// FAULT holds words of the form CALL[@N[+]][=WHAT], separated by spaces:
//   CALL  a function that the program imports from a DLL: ReadFile, HeapAlloc
//   @N    its Nth call fails; with +, every call from the Nth; without @N,
//         every call
//   WHAT  the error it fails with, a number or a name of ERRORS below;
//         WriteFile=short writes one byte less and succeeds, and
//         GetFileSizeEx=size:N tells a length of N bytes
// A failed CloseHandle closes the handle all the same, as a failed
// write-back does. The layer also counts the files that the program holds
// open, for Faults_OpenFiles. It is never linked into a program that ships.

#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

struct FAULT_T
{
    char call[40];
    long from;    // the number of the first call that fails,
    bool onward;  // and whether every later one does
    DWORD error;
    bool shortWrite;
    long long size;  // that GetFileSizeEx tells, or -1
    long calls;
};

const struct
{
    const char *name;
    DWORD error;
} ERRORS[] = {{"ERROR_ACCESS_DENIED", ERROR_ACCESS_DENIED}, {"ERROR_HANDLE_EOF", ERROR_HANDLE_EOF},
              {"ERROR_DISK_FULL", ERROR_DISK_FULL},         {"ERROR_IO_DEVICE", ERROR_IO_DEVICE},
              {"ERROR_NOT_ENOUGH_MEMORY", ERROR_NOT_ENOUGH_MEMORY}};

FAULT_T faults[8];
int faultCount;
HANDLE openFiles[32];

void Parse(FAULT_T *fault, char *word)
{
    char *what = std::strchr(word, '='), *at = std::strchr(word, '@');
    if (what != nullptr)
        *what++ = 0;
    if (at != nullptr)
        *at++ = 0;
    std::strncpy(fault->call, word, sizeof fault->call - 1);
    fault->from = at != nullptr ? std::atol(at) : 1;
    fault->onward = at == nullptr || std::strchr(at, '+') != nullptr;
    fault->error = what != nullptr ? std::strtoul(what, nullptr, 0) : ERROR_ACCESS_DENIED;
    for (const auto &known : ERRORS)
        if (what != nullptr && std::strcmp(what, known.name) == 0)
            fault->error = known.error;
    fault->shortWrite = what != nullptr && std::strcmp(what, "short") == 0;
    fault->size = what != nullptr && std::strncmp(what, "size:", 5) == 0 ? std::atoll(what + 5) : -1;
}

// The fault of CALL that this call of it sets off, or null; counts the call.
const FAULT_T *Firing(const char *call)
{
    for (int i = 0; i < faultCount; i++)
    {
        FAULT_T &fault = faults[i];
        if (std::strcmp(fault.call, call) == 0 &&
            (++fault.calls == fault.from || (fault.onward && fault.calls > fault.from)))
            return &fault;
    }
    return nullptr;
}

// A call that fails as the fault says, and otherwise is the DLL's own.
#define FAULTY(TYPE, NAME, FAILED, PARAMETERS, ARGUMENTS)                  \
    decltype(&NAME) real##NAME;                                              \
    TYPE WINAPI Faulty##NAME PARAMETERS                                      \
    {                                                                        \
        if (const FAULT_T *fault = Firing(#NAME))                            \
        {                                                                    \
            SetLastError(fault->error);                                      \
            return FAILED;                                                   \
        }                                                                    \
        return real##NAME ARGUMENTS;                                         \
    }

FAULTY(BOOL, GetFileInformationByHandle, FALSE, (HANDLE file, LPBY_HANDLE_FILE_INFORMATION info),
       (file, info))
FAULTY(BOOL, GetFileInformationByHandleEx, FALSE,
       (HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info, DWORD size), (file, kind, info, size))
FAULTY(DWORD, GetFileType, FILE_TYPE_UNKNOWN, (HANDLE file), (file))
FAULTY(BOOL, SetEndOfFile, FALSE, (HANDLE file), (file))
FAULTY(BOOL, DeleteFileW, FALSE, (LPCWSTR name), (name))
FAULTY(LPVOID, HeapAlloc, nullptr, (HANDLE heap, DWORD flags, SIZE_T size), (heap, flags, size))
FAULTY(int, MultiByteToWideChar, 0,
       (UINT page, DWORD flags, LPCCH text, int size, LPWSTR wide, int room),
       (page, flags, text, size, wide, room))
FAULTY(int, WideCharToMultiByte, 0,
       (UINT page, DWORD flags, LPCWCH wide, int size, LPSTR text, int room, LPCCH stand, LPBOOL used),
       (page, flags, wide, size, text, room, stand, used))
FAULTY(BOOL, ReadFile, FALSE,
       (HANDLE file, LPVOID buffer, DWORD count, LPDWORD got, LPOVERLAPPED overlapped),
       (file, buffer, count, got, overlapped))

decltype(&CreateFileW) realCreateFileW;
HANDLE WINAPI FaultyCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE model)
{
    if (const FAULT_T *fault = Firing("CreateFileW"))
    {
        SetLastError(fault->error);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = realCreateFileW(name, access, share, security, disposition, flags, model);
    for (HANDLE &slot : openFiles)
        if (file != INVALID_HANDLE_VALUE && slot == nullptr)
        {
            slot = file;
            break;
        }
    return file;
}

decltype(&CloseHandle) realCloseHandle;
BOOL WINAPI FaultyCloseHandle(HANDLE handle)
{
    for (HANDLE &slot : openFiles)
        if (slot == handle)
            slot = nullptr;
    BOOL closed = realCloseHandle(handle);
    const FAULT_T *fault = Firing("CloseHandle");
    if (fault != nullptr)
        SetLastError(fault->error);
    return fault != nullptr ? FALSE : closed;
}

decltype(&WriteFile) realWriteFile;
BOOL WINAPI FaultyWriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD put, LPOVERLAPPED overlapped)
{
    const FAULT_T *fault = Firing("WriteFile");
    if (fault != nullptr && !fault->shortWrite)
    {
        SetLastError(fault->error);
        return FALSE;
    }
    return realWriteFile(file, buffer, count - (fault != nullptr && count > 1), put, overlapped);
}

decltype(&GetFileSizeEx) realGetFileSizeEx;
BOOL WINAPI FaultyGetFileSizeEx(HANDLE file, PLARGE_INTEGER size)
{
    const FAULT_T *fault = Firing("GetFileSizeEx");
    if (fault != nullptr && fault->size < 0)
    {
        SetLastError(fault->error);
        return FALSE;
    }
    BOOL told = realGetFileSizeEx(file, size);
    if (fault != nullptr)
        size->QuadPart = fault->size;
    return told;
}

// The C run-time's split of the command line in UTF-16 (File/Win32/Names.cpp).
using MAIN_ARGUMENTS_T = int(__cdecl *)(int *, wchar_t ***, wchar_t ***, int, void *);
MAIN_ARGUMENTS_T realMainArguments;
int __cdecl FaultyMainArguments(int *count, wchar_t ***arguments, wchar_t ***environment, int glob, void *start)
{
    return Firing("__wgetmainargs") ? -1 : realMainArguments(count, arguments, environment, glob, start);
}

#define HOOK(NAME) {#NAME, reinterpret_cast<void *>(Faulty##NAME), reinterpret_cast<void **>(&real##NAME)}
const struct
{
    const char *name;
    void *faulty;
    void **real;
} HOOKS[] = {HOOK(CreateFileW),
             HOOK(CloseHandle),
             HOOK(ReadFile),
             HOOK(WriteFile),
             HOOK(GetFileSizeEx),
             HOOK(GetFileInformationByHandle),
             HOOK(GetFileInformationByHandleEx),
             HOOK(GetFileType),
             HOOK(SetEndOfFile),
             HOOK(DeleteFileW),
             HOOK(HeapAlloc),
             HOOK(MultiByteToWideChar),
             HOOK(WideCharToMultiByte),
             {"__wgetmainargs", reinterpret_cast<void *>(FaultyMainArguments),
              reinterpret_cast<void **>(&realMainArguments)}};

// Puts each hook into the slots of the program's import table that hold the
// function of its name, keeping the function itself.
void PatchImports()
{
    auto *base = reinterpret_cast<BYTE *>(GetModuleHandleW(nullptr));
    auto *headers = reinterpret_cast<IMAGE_NT_HEADERS *>(base + reinterpret_cast<IMAGE_DOS_HEADER *>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY &imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto *dll = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + imports.VirtualAddress); dll->Name; dll++)
    {
        auto *name = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->OriginalFirstThunk);
        auto *slot = reinterpret_cast<IMAGE_THUNK_DATA *>(base + dll->FirstThunk);
        for (; name->u1.AddressOfData != 0; name++, slot++)
            for (const auto &hook : HOOKS)
                if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) &&
                    std::strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + name->u1.AddressOfData)->Name,
                                hook.name) == 0)
                {
                    DWORD was;
                    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &was);
                    *hook.real = reinterpret_cast<void *>(slot->u1.Function);
                    slot->u1.Function = reinterpret_cast<ULONG_PTR>(hook.faulty);
                    VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, was, &was);
                }
    }
}

const bool PATCHED = [] {
    static char words[256];
    std::strncpy(words, std::getenv("FAULT") ? std::getenv("FAULT") : "", sizeof words - 1);
    for (char *word = std::strtok(words, " "); word != nullptr && faultCount < 8; word = std::strtok(nullptr, " "))
        Parse(&faults[faultCount++], word);
    PatchImports();
    return true;
}();

}  // namespace

// How many of the files that the program opened it still holds.
int Faults_OpenFiles()
{
    int open = 0;
    for (HANDLE file : openFiles)
        open += file != nullptr;
    return open;
}
