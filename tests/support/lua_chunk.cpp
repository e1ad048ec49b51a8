#include "support/lua_chunk.h"

extern "C" {
#include <lauxlib.h>
#include <lobject.h>
#include <lundump.h>
}

int AppendChunkBytes(lua_State*, const void* bytes, size_t size, void* out) {
    static_cast<std::string*>(out)->append(static_cast<const char*>(bytes), size);
    return 0;
}

std::string CompileChunk(const std::string& source, bool strip, const char* name,
                         void (*edit)(Proto* main)) {
    std::string bytes;
    lua_State* L = luaL_newstate();
    if (luaL_loadbuffer(L, source.data(), source.size(), name) == LUA_OK) {
        Proto* main = static_cast<const LClosure*>(lua_topointer(L, -1))->p;
        if (edit != nullptr) edit(main);
        luaU_dump(L, main, &AppendChunkBytes, &bytes, strip ? 1 : 0);
    }
    lua_close(L);
    return bytes;
}
