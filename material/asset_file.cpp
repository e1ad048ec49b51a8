#include "material/asset_file.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include <lua.hpp>

#include "material/chunk_check.h"

namespace {
int openStates = 0;

using Clock = std::chrono::steady_clock;

// What one asset file may use while its chunk runs. A material runs a few hundred
// instructions in a few kilobytes; these limits stop a file that never ends or that grows
// without bound, in a second or so, without ever coming near a real one. Some single
// instructions take long (comparing two equal strings of megabytes), so the budget is
// also a span of time, looked at on every count.
constexpr int InstructionsPerCount = 1000;
constexpr long InstructionBudget = 200000000;
constexpr Clock::duration TimeBudget = std::chrono::seconds(5);
constexpr size_t MemoryLimit = size_t{64} << 20;

// The allocator's user data: one per state, living on LoadAssetFile's stack.
struct StateLimits {
    size_t bytesInUse = 0;
    size_t byteLimit = MemoryLimit;
    long countsLeft = InstructionBudget / InstructionsPerCount;
    Clock::time_point deadline = Clock::time_point::max();
};

// Lua's allocator contract: free for a new size of 0, otherwise realloc. A null result
// makes Lua collect garbage and try again, then raise its memory error.
void* Allocate(void* limitsData, void* block, size_t oldSize, size_t newSize) {
    StateLimits& limits = *static_cast<StateLimits*>(limitsData);
    const size_t held = block != nullptr ? oldSize : 0;  // without a block, oldSize is a type
    if (newSize == 0) {
        std::free(block);
        limits.bytesInUse -= held;
        return nullptr;
    }
    if (newSize > held && newSize - held > limits.byteLimit - limits.bytesInUse) return nullptr;
    void* moved = std::realloc(block, newSize);
    if (moved != nullptr) limits.bytesInUse = limits.bytesInUse - held + newSize;
    return moved;
}

// Runs every InstructionsPerCount instructions of the chunk; when the budget is spent it
// raises an ordinary run error, placed like Lua's own ("file:line: ...").
void CountInstructions(lua_State* L, lua_Debug*) {
    void* limitsData = nullptr;
    lua_getallocf(L, &limitsData);
    StateLimits& limits = *static_cast<StateLimits*>(limitsData);
    if (--limits.countsLeft > 0 && Clock::now() < limits.deadline) return;
    luaL_where(L, 0);
    lua_pushliteral(L, "execution budget exceeded");
    lua_concat(L, 2);
    lua_error(L);
}

// Lua, and the C library routines it calls (number parsing and formatting, floor, pow),
// compute in double precision. In the 32-bit build those routines are the runtime's own x87
// code, and a Direct3D device made without D3DCREATE_FPU_PRESERVE leaves the x87 in single
// precision: "0.1" would read wrongly. So the x87 computes in double precision while an asset
// file is being read, and the device's setting is put back afterwards.
class X87DoublePrecision {
public:
    X87DoublePrecision() {
#if defined(__i386__)
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        const auto doublePrecision = static_cast<unsigned short>((saved_ & ~0x300) | 0x200);
        __asm__ volatile("fldcw %0" : : "m"(doublePrecision));
#endif
    }
    ~X87DoublePrecision() {
#if defined(__i386__)
        __asm__ volatile("fldcw %0" : : "m"(saved_));
#endif
    }

private:
    unsigned short saved_ = 0;
};

// As luaL_newstate's: an error outside any protected call has nowhere to go, so it is
// written out and Lua aborts the process.
int ReportPanic(lua_State* L) {
    const char* message = lua_tostring(L, -1);
    std::cerr << "PANIC: unprotected error in call to Lua API ("
              << (message != nullptr ? message : "no message") << ")\n";
    return 0;
}

lua_State* OpenState(StateLimits* limits) {
    lua_State* L = lua_newstate(&Allocate, limits);
    if (L == nullptr) return nullptr;
    lua_atpanic(L, &ReportPanic);
    lua_sethook(L, &CountInstructions, LUA_MASKCOUNT, InstructionsPerCount);
    ++openStates;
    return L;
}

void CloseState(lua_State* L) {
    lua_close(L);
    --openStates;
}

// Verifies the loaded precompiled chunk below the path (a light userdata) in a protected call,
// so that running out of memory while verifying is an ordinary error.
int VerifyLoadedChunk(lua_State* L) {
    if (chunk_verify(L, 1, static_cast<const char*>(lua_touserdata(L, 2))) != LUA_OK) {
        return lua_error(L);
    }
    return 0;
}

// luaL_loadfile, with a precompiled chunk checked before Lua reads it and before it runs: the
// loader and the interpreter take its counts and operands on trust.
int LoadFile(lua_State* L, const char* path) {
    int binary = 0;
    if (chunk_checkfile(L, path, &binary) != LUA_OK) return LUA_ERRSYNTAX;
    const int status = luaL_loadfile(L, path);
    if (status != LUA_OK || !binary) return status;
    lua_pushcfunction(L, &VerifyLoadedChunk);
    lua_pushvalue(L, -2);
    lua_pushlightuserdata(L, const_cast<char*>(path));
    return lua_pcall(L, 2, 0, 0);
}

// Writes the error object of a failed load or run exactly as Lua made it, with nothing added.
bool ReportLuaError(lua_State* L) {
    const char* message = lua_tostring(L, -1);
    if (message != nullptr) std::cerr << message;
    lua_pop(L, 1);
    CloseState(L);
    return false;
}
}  // namespace

int OpenAssetFileStates() { return openStates; }

bool LoadAssetFile(const char* path, AssetTableReader tableReader, void* context) {
    const X87DoublePrecision precision;
    StateLimits limits;
    lua_State* L = OpenState(&limits);
    if (L == nullptr) {
        std::cerr << "Failed to create a new Lua state\n";
        return false;
    }
    // No library is opened: an asset file describes data and may use only the language.
    if (LoadFile(L, path) != LUA_OK) return ReportLuaError(L);
    limits.deadline = Clock::now() + TimeBudget;
    if (lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) return ReportLuaError(L);
    // The limits are for the file's own code. What follows runs outside any protected call,
    // where a refused allocation would be a panic: a file that stopped just short of the
    // limit must not make the readers' few small strings fail.
    lua_sethook(L, nullptr, 0, 0);
    limits.byteLimit = SIZE_MAX;

    // The stack was empty before loading, so it now holds exactly the returned values.
    const int count = lua_gettop(L);
    if (count != 1) {
        std::cerr << "Asset files must return a single table (instead of " << count
                  << " values)\n";
        lua_pop(L, count);
        CloseState(L);
        return false;
    }
    const int type = lua_type(L, -1);
    if (type != LUA_TTABLE) {
        std::cerr << "Asset files must return a table (instead of a " << lua_typename(L, type)
                  << ")\n";
        lua_pop(L, 1);
        CloseState(L);
        return false;
    }
    const bool read = tableReader(L, context);
    lua_pop(L, 1);
    CloseState(L);
    return read;
}
