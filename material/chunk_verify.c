/* The code of a loaded precompiled chunk, checked against what lvm.c, ldo.c and ldebug.c take
** on trust from the compiler: operand ranges, jumps, the instructions that must come in pairs,
** the open-results convention, and (chunk_flow.c) the registers of SETLIST and FORLOOP. */
#include "material/chunk_check.h"
#include "material/chunk_flow.h"

#include <limits.h>
#include <string.h>

#include "llimits.h"
#include "lobject.h"
#include "lopcodes.h"

/* NEWTABLE's sizes are "floating point bytes": past this exponent they overflow an int. */
#define MAX_SIZE_EXPONENT 28
#define LARGEST_SETLIST_BLOCK ((INT_MAX - MAXARG_B) / LFIELDS_PER_FLUSH)

typedef struct {
  lua_State *L;
  const Proto *f;
  int pc;              /* the instruction being checked, -1 for the function as a whole */
  const char *why;
  lu_byte *targets;    /* 1 where a jump or a skip lands */
} Check;

static int fail(Check *c, const char *why) {
  if (c->why == NULL) c->why = why;
  return 0;
}

static int reg(Check *c, int r) {
  return r < c->f->maxstacksize ? 1 : fail(c, "register out of range");
}

static int kst(Check *c, int k) {
  return k < c->f->sizek ? 1 : fail(c, "constant out of range");
}

static int rk(Check *c, int x) { return ISK(x) ? kst(c, INDEXK(x)) : reg(c, x); }

static int upval(Check *c, int u) {
  return u < c->f->sizeupvalues ? 1 : fail(c, "upvalue out of range");
}

static int target(Check *c, int to) {
  if (to < 0 || to >= c->f->sizecode) return fail(c, "jump out of the code");
  c->targets[to] = 1;
  return 1;
}

static OpCode opat(const Proto *f, int pc) {
  return pc >= 0 && pc < f->sizecode ? GET_OPCODE(f->code[pc]) : NUM_OPCODES;
}

static int follows(Check *c, OpCode op, const char *why) {
  return opat(c->f, c->pc + 1) == op ? 1 : fail(c, why);
}

/* An instruction that leaves L->top after its last result, and one that reads up to it,
** from its first register on. */
static int setstop(Instruction i) {
  OpCode op = GET_OPCODE(i);
  return (op == OP_CALL && GETARG_C(i) == 0) || op == OP_TAILCALL ||
         (op == OP_VARARG && GETARG_B(i) == 0);
}

static int readstop(Instruction i, int *first) {
  OpCode op = GET_OPCODE(i);
  *first = GETARG_A(i) + (op == OP_RETURN ? 0 : 1);
  return GETARG_B(i) == 0 &&
         (op == OP_CALL || op == OP_TAILCALL || op == OP_RETURN || op == OP_SETLIST);
}

static int tablesize(Check *c, int fb) {
  return ((fb >> 3) & 0x1f) <= MAX_SIZE_EXPONENT ? 1 : fail(c, "table size too large");
}

static int operands(Check *c, Instruction i) {
  const Proto *f = c->f;
  int a = GETARG_A(i), b = GETARG_B(i), cc = GETARG_C(i), first;
  Instruction next = c->pc + 1 < f->sizecode ? f->code[c->pc + 1] : 0;
  if (setstop(i) && (!readstop(next, &first) || first > a))
    return fail(c, "open results not taken by the next instruction");
  if (readstop(i, &first) && (c->pc == 0 || !setstop(f->code[c->pc - 1]) ||
                              GETARG_A(f->code[c->pc - 1]) < first))
    return fail(c, "open results not set by the previous instruction");
  switch (GET_OPCODE(i)) {
    case OP_MOVE: case OP_UNM: case OP_NOT: case OP_LEN: return reg(c, a) && reg(c, b);
    case OP_LOADK: return reg(c, a) && kst(c, GETARG_Bx(i));
    case OP_LOADKX:
      return reg(c, a) && follows(c, OP_EXTRAARG, "LOADKX without EXTRAARG") &&
             kst(c, GETARG_Ax(next));
    case OP_LOADBOOL: return reg(c, a) && (cc == 0 || target(c, c->pc + 2));
    case OP_LOADNIL: return reg(c, a + b);
    case OP_GETUPVAL: case OP_SETUPVAL: return reg(c, a) && upval(c, b);
    case OP_GETTABUP: return reg(c, a) && upval(c, b) && rk(c, cc);
    case OP_GETTABLE: return reg(c, a) && reg(c, b) && rk(c, cc);
    case OP_SETTABUP: return upval(c, a) && rk(c, b) && rk(c, cc);
    case OP_SETTABLE: return reg(c, a) && rk(c, b) && rk(c, cc);
    case OP_NEWTABLE: return reg(c, a) && tablesize(c, b) && tablesize(c, cc);
    case OP_SELF: return reg(c, a + 1) && reg(c, b) && rk(c, cc);
    case OP_ADD: case OP_SUB: case OP_MUL: case OP_DIV: case OP_MOD: case OP_POW:
      return reg(c, a) && rk(c, b) && rk(c, cc);
    case OP_CONCAT: return reg(c, a) && reg(c, cc) && (b < cc || fail(c, "CONCAT of one value"));
    case OP_JMP: return (a <= f->maxstacksize || fail(c, "register out of range")) &&
                        target(c, c->pc + 1 + GETARG_sBx(i));
    case OP_EQ: case OP_LT: case OP_LE:
      return rk(c, b) && rk(c, cc) && follows(c, OP_JMP, "test without JMP") &&
             target(c, c->pc + 2);
    case OP_TEST: case OP_TESTSET:
      return reg(c, a) && reg(c, b) && follows(c, OP_JMP, "test without JMP") &&
             target(c, c->pc + 2);
    case OP_CALL: return reg(c, a) && reg(c, a + b - 1) && reg(c, a + cc - 2);
    case OP_TAILCALL:
      return reg(c, a) && reg(c, a + b - 1) && (cc == 0 || fail(c, "TAILCALL with results"));
    case OP_RETURN:
      return (a <= f->maxstacksize || fail(c, "register out of range")) && reg(c, a + b - 2);
    case OP_FORLOOP: case OP_FORPREP:
      return reg(c, a + 3) && target(c, c->pc + 1 + GETARG_sBx(i));
    case OP_TFORCALL:
      return reg(c, a + 5) && reg(c, a + 2 + cc) &&
             follows(c, OP_TFORLOOP, "TFORCALL without TFORLOOP") &&
             (GETARG_A(next) == a + 2 || fail(c, "TFORLOOP on other registers"));
    case OP_TFORLOOP: return reg(c, a + 1) && target(c, c->pc + 1 + GETARG_sBx(i));
    case OP_SETLIST:
      if (!reg(c, a) || !reg(c, a + b)) return 0;
      return cc != 0 || (follows(c, OP_EXTRAARG, "SETLIST without EXTRAARG") &&
                         (GETARG_Ax(next) <= LARGEST_SETLIST_BLOCK || fail(c, "SETLIST too far")));
    case OP_CLOSURE:
      return reg(c, a) && (GETARG_Bx(i) < f->sizep || fail(c, "function out of range"));
    case OP_VARARG:
      return reg(c, a) && reg(c, a + b - 2) && (f->is_vararg || fail(c, "VARARG without varargs"));
    case OP_EXTRAARG: {
      Instruction before = c->pc > 0 ? f->code[c->pc - 1] : 0;
      if (c->pc > 0 && (GET_OPCODE(before) == OP_LOADKX ||
                        (GET_OPCODE(before) == OP_SETLIST && GETARG_C(before) == 0)))
        return 1;
      return fail(c, "EXTRAARG out of place");
    }
    default: return fail(c, "unknown opcode");
  }
}

static int function(Check *c, const Proto *f, int depth);

/* A nested function's upvalues come from its parent's registers or upvalues. */
static int nested(Check *c, const Proto *child) {
  int i;
  for (i = 0; i < child->sizeupvalues; i++) {
    const Upvaldesc *u = &child->upvalues[i];
    if (u->instack ? u->idx >= c->f->maxstacksize : u->idx >= c->f->sizeupvalues)
      return fail(c, "nested function's upvalue out of range");
  }
  return 1;
}

static int function(Check *c, const Proto *f, int depth) {
  int pc, i, typed = 0;
  c->f = f;
  c->pc = -1;
  if (depth > LUAI_MAXCCALLS) return fail(c, "functions nested too deeply");
  if (f->sizecode < 1 || GET_OPCODE(f->code[f->sizecode - 1]) != OP_RETURN)
    return fail(c, "code does not end in RETURN");
  if (f->numparams > f->maxstacksize) return fail(c, "more parameters than registers");
  if (f->sizeupvalues > MAXUPVAL) return fail(c, "too many upvalues");
  if (f->sizelineinfo != 0 && f->sizelineinfo != f->sizecode)
    return fail(c, "line information does not match the code");
  for (i = 0; i < f->sizelocvars; i++) {
    if (f->locvars[i].varname == NULL) return fail(c, "local variable without a name");
  }
  for (i = 0; i < f->sizep; i++) {
    if (!nested(c, f->p[i])) return 0;
  }
  c->targets = (lu_byte *)lua_newuserdata(c->L, (size_t)f->sizecode);
  memset(c->targets, 0, (size_t)f->sizecode);
  for (pc = 0; pc < f->sizecode; pc++) {
    c->pc = pc;
    if (!operands(c, f->code[pc])) return 0;
    typed |= GET_OPCODE(f->code[pc]) == OP_SETLIST || GET_OPCODE(f->code[pc]) == OP_FORLOOP;
  }
  /* Open results are read right after they are set: never by a jump's landing. */
  for (pc = 0; pc < f->sizecode; pc++) {
    c->pc = pc;
    if (c->targets[pc] && readstop(f->code[pc], &i)) return fail(c, "open results after a jump");
  }
  lua_pop(c->L, 1);
  if (typed) {
    const char *why = chunk_flow(c->L, f, &c->pc);
    if (why != NULL) return fail(c, why);
  }
  for (i = 0; i < f->sizep; i++) {
    if (!function(c, f->p[i], depth + 1)) return 0;
  }
  return 1;
}

int chunk_verify(lua_State *L, int idx, const char *path) {
  Check c;
  if (lua_type(L, idx) != LUA_TFUNCTION || lua_iscfunction(L, idx)) return LUA_OK;
  memset(&c, 0, sizeof c);
  c.L = L;
  if (function(&c, ((const LClosure *)lua_topointer(L, idx))->p, 0)) return LUA_OK;
  if (c.pc < 0) {
    lua_pushfstring(L, "%s: bad precompiled chunk (%s in the function of line %d)", path, c.why,
                    c.f->linedefined);
  } else {
    lua_pushfstring(L, "%s: bad precompiled chunk (%s at instruction %d of the function of line %d)",
                    path, c.why, c.pc + 1, c.f->linedefined);
  }
  return LUA_ERRSYNTAX;
}
