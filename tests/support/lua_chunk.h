// Precompiled Lua chunks as luac writes them, made by this build's own Lua (whose header, with
// the size of size_t, is what the program takes), and optionally damaged on the way.
#pragma once

#include <string>

struct Proto;
struct lua_State;

// A lua_Writer that appends the dumped bytes to the std::string at `out`.
int AppendChunkBytes(lua_State*, const void* bytes, size_t size, void* out);

// Compiles `source` under the chunk name `name` ("@file" for a file) and dumps it, without
// debug information when `strip`, as `luac -s` does. `edit`, when given, changes the main
// function first. Empty when the source does not compile.
std::string CompileChunk(const std::string& source, bool strip, const char* name = "=chunk",
                         void (*edit)(Proto* main) = nullptr);
