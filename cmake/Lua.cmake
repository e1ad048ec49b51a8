# Lua 5.2 core and auxiliary library, built from a source tree outside the repository.
set(LUA_SOURCE_DIR "${CMAKE_SOURCE_DIR}/.deps/lua5.2-5.2.4" CACHE PATH
    "Lua 5.2 source tree (the folder that holds src/lua.h)")
if(NOT EXISTS "${LUA_SOURCE_DIR}/src/lua.h")
  message(FATAL_ERROR "No Lua 5.2 source at ${LUA_SOURCE_DIR}: run scripts/setup.sh, "
                      "or set LUA_SOURCE_DIR to your own copy of the Lua 5.2 source.")
endif()
set(lua_names lapi lcode lctype ldebug ldo ldump lfunc lgc llex lmem lobject lopcodes lparser
    lstate lstring ltable ltm lundump lvm lzio lauxlib lbaselib lbitlib lcorolib ldblib liolib
    lmathlib loslib lstrlib ltablib loadlib linit)
list(TRANSFORM lua_names PREPEND "${LUA_SOURCE_DIR}/src/")
list(TRANSFORM lua_names APPEND ".c")
add_library(lua52 STATIC ${lua_names})
target_include_directories(lua52 SYSTEM PUBLIC "${LUA_SOURCE_DIR}/src")
set_target_properties(lua52 PROPERTIES C_STANDARD 99)
target_compile_options(lua52 PRIVATE -O2 -Wall)
