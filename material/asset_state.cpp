#include "material/asset_state.h"

#include <cstdlib>
#include <iostream>

#include <lua.hpp>

#include "material/chunk_check.h"

namespace {
// Lua's allocator contract: free for a new size of 0, otherwise realloc. A null result
// makes Lua collect garbage and try again, then raise its memory error.
void* Allocate(void* limitsData, void* block, size_t oldSize, size_t newSize) {
    AssetStateLimits& limits = *static_cast<AssetStateLimits*>(limitsData);
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

// Runs every kAssetInstructionsPerCount instructions of the chunk; when the budget is spent it
// raises an ordinary run error, placed like Lua's own ("file:line: ...").
void CountInstructions(lua_State* L, lua_Debug*) {
    void* limitsData = nullptr;
    lua_getallocf(L, &limitsData);
    AssetStateLimits& limits = *static_cast<AssetStateLimits*>(limitsData);
    if (--limits.countsLeft > 0 && std::chrono::steady_clock::now() < limits.deadline) return;
    luaL_where(L, 0);
    lua_pushliteral(L, "execution budget exceeded");
    lua_concat(L, 2);
    lua_error(L);
}

// As luaL_newstate's: an error outside any protected call has nowhere to go, so it is
// written out and Lua aborts the process.
int ReportPanic(lua_State* L) {
    const char* message = lua_tostring(L, -1);
    std::cerr << "PANIC: unprotected error in call to Lua API ("
              << (message != nullptr ? message : "no message") << ")\n";
    return 0;
}

// Verifies the loaded precompiled chunk below the path (a light userdata) in a protected call,
// so that running out of memory while verifying is an ordinary error.
int VerifyLoadedChunk(lua_State* L) {
    if (chunk_verify(L, 1, static_cast<const char*>(lua_touserdata(L, 2))) != LUA_OK) {
        return lua_error(L);
    }
    return 0;
}
}  // namespace

lua_State* OpenAssetState(AssetStateLimits* limits) {
    lua_State* L = lua_newstate(&Allocate, limits);
    if (L == nullptr) return nullptr;
    lua_atpanic(L, &ReportPanic);
    lua_sethook(L, &CountInstructions, LUA_MASKCOUNT, kAssetInstructionsPerCount);
    return L;
}

int LoadCheckedChunk(lua_State* L, const char* path) {
    int binary = 0;
    if (chunk_checkfile(L, path, &binary) != LUA_OK) return LUA_ERRSYNTAX;
    const int status = luaL_loadfile(L, path);
    if (status != LUA_OK || !binary) return status;
    lua_pushcfunction(L, &VerifyLoadedChunk);
    lua_pushvalue(L, -2);
    lua_pushlightuserdata(L, const_cast<char*>(path));
    return lua_pcall(L, 2, 0, 0);
}
