/* Checks for precompiled Lua 5.2 chunks, whose loader trusts every count and operand in the
** file. They are meant to pass no chunk that could make the interpreter read or write outside
** its own objects. Text chunks are left alone: the parser's output is sound by construction.
**
**   chunk_checkfile(L, path, &binary)  before luaL_loadfile: the layout against the file
**   luaL_loadfile(L, path)
**   chunk_verify(L, -1, path)          if binary, before the function runs: its code
**
** Each returns LUA_OK, or pushes "path: bad precompiled chunk (reason)" and returns
** LUA_ERRSYNTAX, as a load that fails does. chunk_verify takes memory from Lua for its
** work, so it belongs in a protected call. */
#ifndef CHUNK_CHECK_H
#define CHUNK_CHECK_H

#include <lua.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads `path` as luaL_loadfile will (an optional BOM and '#' first line, then the chunk).
** For a binary chunk with this build's header, walks its layout without allocating: every
** count and string size must fit in what is left of the file, functions nest at most
** LUAI_MAXCCALLS deep, constants have known types and string constants have bytes, a
** function has at most 255 upvalues and no more upvalue names than upvalues, line
** information is absent or one per instruction, and local variables have names. Sets
** *binary when the file holds a binary chunk. A file that cannot be opened, a header that
** is not this build's and a file cut short pass: luaL_loadfile reports them itself. */
int chunk_checkfile(lua_State *L, const char *path, int *binary);

/* Verifies the Lua function at `idx`, just loaded from a binary chunk, with every
** function nested in it: operands within their function's registers, constants, upvalues and
** nested functions; jumps within the code; the instructions that must follow others; results
** "up to the top" taken only right after an instruction that sets the top; SETLIST only on a
** table that NEWTABLE made and FORLOOP only on FORPREP's numbers, on every way there; nested
** functions' upvalues within their parent; RETURN last. */
int chunk_verify(lua_State *L, int idx, const char *path);

#ifdef __cplusplus
}
#endif

#endif
