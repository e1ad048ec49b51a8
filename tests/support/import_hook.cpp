#include "support/import_hook.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {
// The executable's import entry for `function` of `dll`, found by name; null when none.
void** FindImportSlot(const char* dll, const char* function) {
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* module = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         module->Name != 0; ++module) {
        // Without the name list (OriginalFirstThunk) the entries cannot be told apart by name.
        if (_stricmp(reinterpret_cast<const char*>(base + module->Name), dll) != 0 ||
            module->OriginalFirstThunk == 0) {
            continue;
        }
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
    }
    return nullptr;
}

// The table may sit in a read-only page once the loader has filled it in.
void WriteSlot(void** slot, void* value) {
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    InterlockedExchangePointer(slot, value);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

constexpr size_t CallCount = static_cast<size_t>(FileCall::Count);
constexpr size_t HandleCapacity = 64;
constexpr size_t BlockCapacity = 1024;
constexpr size_t RefusedCapacity = 16;

// What the stand-ins see and record. Plain fixed tables: a stand-in for malloc must not
// allocate.
struct HookState {
    bool active;
    DWORD thread;
    void* real[CallCount];
    int calls[CallCount];
    int failAt[CallCount];  // the call number that fails; 0 for none
    DWORD failError[CallCount];
    HANDLE opened[HandleCapacity];
    size_t openedCount;
    HANDLE closed[HandleCapacity];
    size_t closedCount;
    HookedBlock blocks[BlockCapacity];
    size_t blockCount;
    size_t refused[RefusedCapacity];
    size_t refusedCount;
    bool overflowed;
};
HookState state;

bool Mine() { return state.active && GetCurrentThreadId() == state.thread; }

// Counts a call of this thread; true when it is the one to fail.
bool CountAndCheck(FileCall call) {
    const size_t at = static_cast<size_t>(call);
    return ++state.calls[at] == state.failAt[at];
}

// A call of this thread that is the one to fail, with its error set as the last error.
bool FailsNow(FileCall call) {
    if (!Mine() || !CountAndCheck(call)) return false;
    SetLastError(state.failError[static_cast<size_t>(call)]);
    return true;
}

template <class Value>
void Append(Value* table, size_t capacity, size_t* count, const Value& value) {
    if (*count == capacity) {
        state.overflowed = true;
        return;
    }
    table[(*count)++] = value;
}

// The real function behind a stand-in, of the type of `function`.
#define MIRELTH_REAL(function, call) \
    reinterpret_cast<decltype(&function)>(state.real[static_cast<size_t>(FileCall::call)])

HANDLE WINAPI StandInCreateFileA(LPCSTR path, DWORD access, DWORD share,
                                 LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                 HANDLE model) {
    if (FailsNow(FileCall::CreateFileA)) return INVALID_HANDLE_VALUE;
    HANDLE file = MIRELTH_REAL(CreateFileA, CreateFileA)(path, access, share, security,
                                                         disposition, flags, model);
    if (Mine() && file != INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();  // OPEN_ALWAYS and the like report through it
        Append(state.opened, HandleCapacity, &state.openedCount, file);
        SetLastError(error);
    }
    return file;
}

BOOL WINAPI StandInGetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    if (FailsNow(FileCall::GetFileSizeEx)) return FALSE;
    return MIRELTH_REAL(GetFileSizeEx, GetFileSizeEx)(file, size);
}

BOOL WINAPI StandInReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                            LPOVERLAPPED overlapped) {
    if (!FailsNow(FileCall::ReadFile)) {
        return MIRELTH_REAL(ReadFile, ReadFile)(file, buffer, toRead, read, overlapped);
    }
    if (read != nullptr) *read = 0;  // as the real one does before it reads
    return FALSE;
}

BOOL WINAPI StandInCloseHandle(HANDLE object) {
    const auto real = MIRELTH_REAL(CloseHandle, CloseHandle);
    if (!Mine()) return real(object);
    Append(state.closed, HandleCapacity, &state.closedCount, object);
    if (!CountAndCheck(FileCall::CloseHandle)) return real(object);
    real(object);
    SetLastError(state.failError[static_cast<size_t>(FileCall::CloseHandle)]);
    return FALSE;
}

void* __cdecl StandInMalloc(size_t size) {
    const auto real = MIRELTH_REAL(std::malloc, Malloc);
    if (!Mine()) return real(size);
    if (CountAndCheck(FileCall::Malloc)) {
        Append(state.refused, RefusedCapacity, &state.refusedCount, size);
        errno = ENOMEM;
        return nullptr;
    }
    void* block = real(size);
    if (block != nullptr) {
        Append(state.blocks, BlockCapacity, &state.blockCount, HookedBlock{block, size, 0});
    }
    return block;
}

void __cdecl StandInFree(void* block) {
    const auto real = MIRELTH_REAL(std::free, Free);
    if (!Mine() || block == nullptr) return real(block);
    CountAndCheck(FileCall::Free);
    for (size_t i = state.blockCount; i-- > 0;) {
        HookedBlock& known = state.blocks[i];
        if (known.address != block) continue;
        // A second free is recorded but kept from the heap, so the test can report it.
        if (++known.frees > 1) return;
        break;
    }
    real(block);
}
#undef MIRELTH_REAL

struct Target {
    const char* dll;
    const char* function;
    void* standIn;
};
const Target Targets[CallCount] = {
    {"kernel32.dll", "CreateFileA", reinterpret_cast<void*>(&StandInCreateFileA)},
    {"kernel32.dll", "GetFileSizeEx", reinterpret_cast<void*>(&StandInGetFileSizeEx)},
    {"kernel32.dll", "ReadFile", reinterpret_cast<void*>(&StandInReadFile)},
    {"kernel32.dll", "CloseHandle", reinterpret_cast<void*>(&StandInCloseHandle)},
    {"msvcrt.dll", "malloc", reinterpret_cast<void*>(&StandInMalloc)},
    {"msvcrt.dll", "free", reinterpret_cast<void*>(&StandInFree)},
};

template <class Value>
std::vector<Value> Copy(const Value* table, size_t count) {
    return std::vector<Value>(table, table + count);
}
}  // namespace

void* CurrentImport(const char* dll, const char* function) {
    void** slot = FindImportSlot(dll, function);
    return slot == nullptr ? nullptr : *static_cast<void* volatile*>(slot);
}

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement)
    : slot_(FindImportSlot(dll, function)) {
    if (slot_ == nullptr) return;
    original_ = *slot_;
    WriteSlot(slot_, replacement);
}

ImportPatch::~ImportPatch() {
    if (slot_ != nullptr) WriteSlot(slot_, original_);
}

FileCallHooks::FileCallHooks() {
    std::memset(&state, 0, sizeof state);
    state.thread = GetCurrentThreadId();
    // The real functions are known before any stand-in can be reached.
    for (size_t i = 0; i < CallCount; ++i) {
        void** slot = FindImportSlot(Targets[i].dll, Targets[i].function);
        if (slot != nullptr) state.real[i] = *slot;
    }
    state.active = true;
    for (size_t i = 0; i < CallCount; ++i) {
        if (state.real[i] == nullptr) continue;
        patches_[i] =
            std::make_unique<ImportPatch>(Targets[i].dll, Targets[i].function, Targets[i].standIn);
    }
}

FileCallHooks::~FileCallHooks() {
    for (auto& patch : patches_) patch.reset();
    state.active = false;
}

bool FileCallHooks::Installed() const {
    for (const auto& patch : patches_) {
        if (patch == nullptr || !patch->Installed()) return false;
    }
    return true;
}

void FileCallHooks::FailCall(FileCall call, int nth, DWORD error) {
    const size_t at = static_cast<size_t>(call);
    state.failAt[at] = state.calls[at] + nth;
    state.failError[at] = error;
}

int FileCallHooks::Calls(FileCall call) const { return state.calls[static_cast<size_t>(call)]; }

std::vector<HANDLE> FileCallHooks::Opened() const { return Copy(state.opened, state.openedCount); }

std::vector<HANDLE> FileCallHooks::Closed() const { return Copy(state.closed, state.closedCount); }

std::vector<HookedBlock> FileCallHooks::Blocks() const {
    return Copy(state.blocks, state.blockCount);
}

std::vector<size_t> FileCallHooks::RefusedSizes() const {
    return Copy(state.refused, state.refusedCount);
}

bool FileCallHooks::Overflowed() const { return state.overflowed; }
