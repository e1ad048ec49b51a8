// Lua asset files: a Lua 5.2 chunk that returns one table, handed to the asset's reader.
#pragma once

struct lua_State;

// Reads the returned table, which is alone on the stack (index 1, also -1). It may push and
// pop but must leave the table alone on the stack. Reports its own failures on std::cerr.
using AssetTableReader = bool (*)(lua_State* L, void* context);

// Runs `path` in a fresh Lua state with no standard library opened, checks that it returned
// exactly one table and calls `tableReader(L, context)` with it. Lua's errors and a wrong
// result are written to std::cerr. The file's code runs within an execution budget (some
// hundred million instructions, or a few seconds) and a memory limit (64 MiB), far above
// what any asset needs: a file that exceeds one fails like any run error, with
// "path:line: execution budget exceeded" or "not enough memory". The state is closed
// before this returns, on every path.
// True only when the file ran, returned one table and the reader returned true.
bool LoadAssetFile(const char* path, AssetTableReader tableReader, void* context);

// How many Lua states LoadAssetFile has open right now: 0 whenever no load is running.
// It lets the tests see that every path closes its state.
int OpenAssetFileStates();
