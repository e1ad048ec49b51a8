// Stand-ins for functions that this test executable imports, put into the executable's own
// import address table. The program's code is linked into the executable and calls every
// DLL function through that table, so it meets the stand-in; code inside Windows and the
// DLLs does not. Each stand-in passes the call on to the real function unless told to fail.
//
//   FileCallHooks hooks;                                    // this thread's calls now counted
//   hooks.FailCall(FileCall::ReadFile, 1, ERROR_READ_FAULT);  // the next ReadFile fails
#pragma once

#include <windows.h>

#include <cstddef>
#include <memory>
#include <vector>

// Points the executable's import entry for `function` of `dll` at `replacement` while it
// lives, and back at the real function afterwards.
class ImportPatch {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch&) = delete;
    ImportPatch& operator=(const ImportPatch&) = delete;

    // False when the executable does not import `function` from `dll`.
    bool Installed() const { return slot_ != nullptr; }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

// What the executable's import entry for `function` of `dll` points at now; null when none.
// (Taking the address of an imported function in code does not tell: the compiler may reuse
// an address it read before the entry changed.)
void* CurrentImport(const char* dll, const char* function);

// The calls that FileCallHooks stands in front of; all from kernel32 but malloc and free,
// which the executable takes from msvcrt.dll.
enum class FileCall { CreateFileA, GetFileSizeEx, ReadFile, CloseHandle, Malloc, Free, Count };

// One block that malloc gave out while the hooks were in place.
struct HookedBlock {
    void* address;
    size_t size;
    int frees;  // calls of free with it: 1 when it was freed properly
};

// While it lives (one at a time), the calling thread's calls of the functions above are
// counted and passed to the real ones, except the one call chosen to fail. Calls from other
// threads pass straight through. The stand-ins record into fixed tables: they never allocate.
class FileCallHooks {
public:
    FileCallHooks();
    ~FileCallHooks();
    FileCallHooks(const FileCallHooks&) = delete;
    FileCallHooks& operator=(const FileCallHooks&) = delete;

    bool Installed() const;

    // The `nth` call of `call` from now (1: the next one) fails without reaching the real
    // function: a kernel32 function sets `error` as the last error and returns its failure
    // value; malloc returns null. A failing CloseHandle still closes the handle for real, so
    // that no file stays open behind the test: the caller sees only the failure.
    void FailCall(FileCall call, int nth, DWORD error = 0);

    int Calls(FileCall call) const;
    // Handles that CreateFileA gave out, and the handles CloseHandle was called with, in order.
    std::vector<HANDLE> Opened() const;
    std::vector<HANDLE> Closed() const;
    // Blocks from malloc, in order; free of a block from before the hooks is not recorded.
    std::vector<HookedBlock> Blocks() const;
    // The size asked for by each malloc call made to fail.
    std::vector<size_t> RefusedSizes() const;
    // True when a table overflowed and records were lost.
    bool Overflowed() const;

private:
    std::unique_ptr<ImportPatch> patches_[static_cast<size_t>(FileCall::Count)];
};
