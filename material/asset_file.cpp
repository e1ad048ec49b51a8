#include "material/asset_file.h"

#include <chrono>
#include <cstdint>
#include <iostream>

#include <lua.hpp>

#include "material/asset_state.h"

namespace {
int openStates = 0;

using Clock = std::chrono::steady_clock;

// What one asset file may use while its chunk runs. A material runs a few hundred
// instructions in a few kilobytes; these limits stop a file that never ends or that grows
// without bound, in a second or so, without ever coming near a real one. Some single
// instructions take long (comparing two equal strings of megabytes), so the budget is
// also a span of time.
constexpr long InstructionBudget = 200000000;
constexpr Clock::duration TimeBudget = std::chrono::seconds(5);
constexpr size_t MemoryLimit = size_t{64} << 20;

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

lua_State* OpenState(AssetStateLimits* limits) {
    lua_State* L = OpenAssetState(limits);
    if (L != nullptr) ++openStates;
    return L;
}

void CloseState(lua_State* L) {
    lua_close(L);
    --openStates;
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
    AssetStateLimits limits;
    limits.byteLimit = MemoryLimit;
    limits.countsLeft = InstructionBudget / kAssetInstructionsPerCount;
    lua_State* L = OpenState(&limits);
    if (L == nullptr) {
        std::cerr << "Failed to create a new Lua state\n";
        return false;
    }
    // No library is opened: an asset file describes data and may use only the language.
    if (LoadCheckedChunk(L, path) != LUA_OK) return ReportLuaError(L);
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
