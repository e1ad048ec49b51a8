#include "material/asset_file.h"

#include <iostream>

#include <lua.hpp>

namespace {
int openStates = 0;

lua_State* OpenState() {
    lua_State* L = luaL_newstate();
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
    lua_State* L = OpenState();
    if (L == nullptr) {
        std::cerr << "Failed to create a new Lua state\n";
        return false;
    }
    // No library is opened: an asset file describes data and may use only the language.
    if (luaL_loadfile(L, path) != LUA_OK) return ReportLuaError(L);
    if (lua_pcall(L, 0, LUA_MULTRET, 0) != LUA_OK) return ReportLuaError(L);

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
