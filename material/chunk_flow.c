/* Facts about registers that the interpreter takes on trust, found by a forward must-analysis
** over a function's code: what is sure at an instruction on every way there. */
#include "material/chunk_flow.h"

#include <string.h>

#include "llimits.h"
#include "lopcodes.h"

#define SET_WORDS (256 / 32)

/* What is sure of the registers at an instruction, on every way there: which hold a table
** that NEWTABLE made (SETLIST writes into it without looking), and which hold the numbers
** that FORPREP or FORLOOP made (FORLOOP reads them as numbers without looking). */
enum { TABLES, NUMBERS, FACTS };
typedef struct { unsigned int bits[FACTS][SET_WORDS]; } Known;

/* The registers that an instruction may change, from *low to *high (CONCAT changes its A
** too). A call's callee takes the registers from the function's own on. NEWTABLE, CONCAT and
** CLOSURE may run the collector with the top lowered to their result, or to the operands of
** CONCAT: it takes the registers above for dead and may empty them. */
static void changes(Instruction i, int *low, int *high) {
  int a = GETARG_A(i), b = GETARG_B(i);
  *low = a;
  *high = a;
  switch (GET_OPCODE(i)) {
    case OP_LOADNIL: *high = a + b; break;
    case OP_SELF: *high = a + 1; break;
    case OP_CONCAT: *low = b; *high = MAXARG_A; break;
    case OP_CALL: case OP_TAILCALL: case OP_VARARG: case OP_NEWTABLE: case OP_CLOSURE:
      *high = MAXARG_A;
      break;
    case OP_TFORCALL: *low = a + 3; *high = MAXARG_A; break;
    case OP_FORLOOP: *high = a + 3; break;
    case OP_JMP: case OP_EQ: case OP_LT: case OP_LE: case OP_TEST: case OP_SETTABUP:
    case OP_SETUPVAL: case OP_SETTABLE: case OP_RETURN: case OP_SETLIST: case OP_EXTRAARG:
      *high = a - 1;
      break;
    default: break;
  }
}

/* Where control goes after instruction pc; chunk_verify's checks keep every one in the code. */
static int successors(const Proto *f, int pc, int to[2]) {
  Instruction i = f->code[pc];
  switch (GET_OPCODE(i)) {
    case OP_RETURN: return 0;
    case OP_JMP: case OP_FORPREP: to[0] = pc + 1 + GETARG_sBx(i); return 1;
    case OP_FORLOOP: case OP_TFORLOOP: to[1] = pc + 1 + GETARG_sBx(i); break;
    case OP_EQ: case OP_LT: case OP_LE: case OP_TEST: case OP_TESTSET: to[1] = pc + 2; break;
    case OP_LOADBOOL: to[0] = pc + (GETARG_C(i) != 0 ? 2 : 1); return 1;
    default: to[0] = pc + 1; return 1;
  }
  to[0] = pc + 1;
  return 2;
}

static int isknown(const Known *k, int fact, int r) {
  return (k->bits[fact][r / 32] >> (r % 32)) & 1;
}

static void setknown(Known *k, int fact, int r, int on) {
  unsigned int bit = 1u << (r % 32);
  k->bits[fact][r / 32] = on ? (k->bits[fact][r / 32] | bit) : (k->bits[fact][r / 32] & ~bit);
}

/* What instruction pc makes sure of. A register that a nested function captures is never
** sure: any call may run that function, which may write the register through its upvalue. */
static void transfer(const Proto *f, int pc, const unsigned int *captured, Known *k) {
  Instruction i = f->code[pc];
  int a = GETARG_A(i), low, high, r, fact;
  changes(i, &low, &high);
  for (fact = 0; fact < FACTS; fact++) {
    for (r = low; r <= high; r++) setknown(k, fact, r, 0);
    if (GET_OPCODE(i) == OP_CONCAT) setknown(k, fact, a, 0);
  }
  switch (GET_OPCODE(i)) {
    case OP_NEWTABLE: setknown(k, TABLES, a, 1); break;
    case OP_FORPREP: case OP_FORLOOP:
      for (r = a; r < a + 3; r++) setknown(k, NUMBERS, r, 1);
      break;
    default: break;
  }
  for (fact = 0; fact < FACTS; fact++) {
    for (r = 0; r < SET_WORDS; r++) k->bits[fact][r] &= ~captured[r];
  }
}

const char *chunk_flow(lua_State *L, const Proto *f, int *failing) {
  int n = f->sizecode, top = 0, pc, k, r;
  Known *in;
  unsigned int captured[SET_WORDS];
  int *work;
  lu_byte *seen;
  *failing = -1;
  if ((size_t)n > MAX_SIZET / sizeof *in) return "too much code";
  memset(captured, 0, sizeof captured);
  for (k = 0; k < f->sizep; k++) {
    for (r = 0; r < f->p[k]->sizeupvalues; r++) {
      const Upvaldesc *u = &f->p[k]->upvalues[r];
      if (u->instack) captured[u->idx / 32] |= 1u << (u->idx % 32);
    }
  }
  in = (Known *)lua_newuserdata(L, (size_t)n * sizeof *in);
  work = (int *)lua_newuserdata(L, (size_t)n * sizeof *work);
  seen = (lu_byte *)lua_newuserdata(L, (size_t)n);
  memset(seen, 0, (size_t)n);
  memset(&in[0], 0, sizeof in[0]);
  seen[0] = 2;  /* 2: on the work list */
  work[top++] = 0;
  while (top > 0) {
    Known out;
    int to[2], count;
    pc = work[--top];
    seen[pc] = 1;
    out = in[pc];
    transfer(f, pc, captured, &out);
    count = successors(f, pc, to);
    for (k = 0; k < count; k++) {
      int s = to[k], changed = !seen[s], fact, w;
      for (fact = 0; fact < FACTS; fact++) {
        for (w = 0; w < SET_WORDS; w++) {
          unsigned int was = in[s].bits[fact][w];
          unsigned int merged = seen[s] ? (was & out.bits[fact][w]) : out.bits[fact][w];
          changed |= merged != was;
          in[s].bits[fact][w] = merged;
        }
      }
      if (changed && seen[s] != 2) {
        seen[s] = 2;
        work[top++] = s;
      }
    }
  }
  for (pc = 0; pc < n; pc++) {
    Instruction i = f->code[pc];
    int a = GETARG_A(i);
    *failing = pc;
    if (!seen[pc]) continue;
    if (GET_OPCODE(i) == OP_SETLIST && !isknown(&in[pc], TABLES, a))
      return "SETLIST on a register that may not hold NEWTABLE's table";
    if (GET_OPCODE(i) == OP_FORLOOP && !(isknown(&in[pc], NUMBERS, a) &&
                                         isknown(&in[pc], NUMBERS, a + 1) &&
                                         isknown(&in[pc], NUMBERS, a + 2)))
      return "FORLOOP on registers that may not hold FORPREP's numbers";
  }
  lua_pop(L, 3);
  return NULL;
}

