// The Lua state an asset file's chunk runs in: its memory and its instructions are limited,
// and a precompiled chunk is checked before Lua reads it and before it runs. LoadAssetFile
// uses it; the host fuzzing of the chunk checks runs the same steps.
#pragma once

#include <chrono>
#include <cstddef>

struct lua_State;

// The hook looks at the limits once per this many instructions.
constexpr int kAssetInstructionsPerCount = 1000;

// One state's limits and use; it must outlive the state. The deadline may be moved while
// the state is open (LoadAssetFile starts the clock once the chunk has loaded).
struct AssetStateLimits {
    size_t bytesInUse = 0;
    size_t byteLimit = 0;
    long countsLeft = 0;  // instruction counts of kAssetInstructionsPerCount left
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// A new state with no library opened, whose allocations fail past limits->byteLimit and whose
// code stops with "file:line: execution budget exceeded" once the counts or the time run out.
// Null when Lua could not make a state.
lua_State* OpenAssetState(AssetStateLimits* limits);

// luaL_loadfile, with a precompiled chunk checked before Lua reads it and verified once
// loaded: the loader and the interpreter take its counts and operands on trust. On success the
// chunk's function is on the stack; otherwise Lua's status, with the message there.
int LoadCheckedChunk(lua_State* L, const char* path);
