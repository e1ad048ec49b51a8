/* The part of chunk_verify that follows values through a function's code. */
#ifndef CHUNK_FLOW_H
#define CHUNK_FLOW_H

#include <lua.h>

#include "lobject.h"

/* For a function whose operands and jumps chunk_verify has checked: SETLIST must find a table
** that NEWTABLE made in its register, FORLOOP the numbers that FORPREP made, on every way to
** them. NULL when they do; otherwise why not, with *pc the instruction. Takes its working
** memory from Lua, as userdata that it leaves on the stack when it fails. */
const char *chunk_flow(lua_State *L, const Proto *f, int *pc);

#endif
