/* The layout of a precompiled chunk against the size of its file, walked before lundump reads
** it: lundump allocates whatever a count says before it finds the file too short, recurses
** once per nested function, and writes upvalue names by a count of their own. */
#include "material/chunk_check.h"

#include <stdio.h>
#include <string.h>

#include "llimits.h"
#include "lobject.h"
#include "lundump.h"

typedef struct {
  FILE *f;
  long left;           /* bytes of the file not yet read */
  const char *why;     /* the first fault found */
} Layout;

/* What the smallest function takes: its two line numbers, three bytes, seven counts and the
** size of its (absent) source name. */
#define MIN_FUNCTION_BYTES ((long)(9 * sizeof(int) + 3 + sizeof(size_t)))

static int fault(Layout *s, const char *why) {
  if (s->why == NULL) s->why = why;
  return 0;
}

static int readbytes(Layout *s, void *to, long n) {
  if (n > s->left || fread(to, 1, (size_t)n, s->f) != (size_t)n) return fault(s, "truncated");
  s->left -= n;
  return 1;
}

/* Skips `count` items of `size` bytes each, if the file holds them. */
static int skip(Layout *s, long count, long size) {
  if (count > s->left / size) return fault(s, "a count runs past the end of the file");
  if (fseek(s->f, count * size, SEEK_CUR) != 0) return fault(s, "truncated");
  s->left -= count * size;
  return 1;
}

static int readcount(Layout *s, int *n) {
  if (!readbytes(s, n, (long)sizeof(int))) return 0;
  return *n >= 0 ? 1 : fault(s, "negative count");
}

static int readbyte(Layout *s, lu_byte *b) { return readbytes(s, b, 1); }

/* A string: a size (0 for none) and that many bytes. */
static int skipstring(Layout *s, size_t *size) {
  if (!readbytes(s, size, (long)sizeof(size_t))) return 0;
  if (*size > (size_t)s->left) return fault(s, "a string runs past the end of the file");
  return skip(s, (long)*size, 1);
}

static int skipconstants(Layout *s) {
  int n, i;
  size_t size;
  if (!readcount(s, &n)) return 0;
  if (n > s->left) return fault(s, "too many constants");  /* each takes a byte at least */
  for (i = 0; i < n; i++) {
    lu_byte type;
    if (!readbyte(s, &type)) return 0;
    switch (type) {
      case LUA_TNIL: break;
      case LUA_TBOOLEAN: if (!skip(s, 1, 1)) return 0; break;
      case LUA_TNUMBER: if (!skip(s, 1, (long)sizeof(lua_Number))) return 0; break;
      case LUA_TSTRING:  /* size 0 stands for no string: lundump would make a null one */
        if (!skipstring(s, &size)) return 0;
        if (size == 0) return fault(s, "string constant without bytes");
        break;
      default: return fault(s, "constant of unknown type");
    }
  }
  return 1;
}

static int skipfunction(Layout *s, int depth);

static int skipdebug(Layout *s, int sizecode, int sizeupvalues) {
  int n, i;
  size_t size;
  if (!skipstring(s, &size) || !readcount(s, &n)) return 0;
  if (n != 0 && n != sizecode) return fault(s, "line information does not match the code");
  if (!skip(s, n, (long)sizeof(int)) || !readcount(s, &n)) return 0;
  if (n > s->left) return fault(s, "too many local variables");
  for (i = 0; i < n; i++) {
    if (!skipstring(s, &size)) return 0;
    if (size == 0) return fault(s, "local variable without a name");
    if (!skip(s, 2, (long)sizeof(int))) return 0;
  }
  if (!readcount(s, &n)) return 0;
  if (n > sizeupvalues) return fault(s, "more upvalue names than upvalues");
  for (i = 0; i < n; i++) {
    if (!skipstring(s, &size)) return 0;
  }
  return 1;
}

static int skipfunction(Layout *s, int depth) {
  int sizecode, n, i;
  if (depth > LUAI_MAXCCALLS) return fault(s, "functions nested too deeply");
  if (!skip(s, 2, (long)sizeof(int)) || !skip(s, 3, 1)) return 0;
  if (!readcount(s, &sizecode) || !skip(s, sizecode, (long)sizeof(Instruction))) return 0;
  if (!skipconstants(s) || !readcount(s, &n)) return 0;
  if (n > s->left / MIN_FUNCTION_BYTES) return fault(s, "too many functions");
  for (i = 0; i < n; i++) {
    if (!skipfunction(s, depth + 1)) return 0;
  }
  if (!readcount(s, &n)) return 0;
  if (n > MAXUPVAL) return fault(s, "too many upvalues");
  if (!skip(s, n, 2)) return 0;
  return skipdebug(s, sizecode, n);
}

/* luaL_loadfile's own start: an optional UTF-8 BOM, then an optional '#' line. Gives the
** first character of the chunk, or EOF when a partial BOM would make it text. */
static int firstcharacter(FILE *f) {
  const char *bom = "\xEF\xBB\xBF";
  int c;
  int matched = 0;
  while ((c = getc(f)) != EOF && c == (unsigned char)bom[matched]) {
    if (bom[++matched] == '\0') {
      c = getc(f);
      matched = 0;
      break;
    }
  }
  if (matched > 0) return EOF;
  if (c == '#') {
    while ((c = getc(f)) != EOF && c != '\n') {}
    c = getc(f);
  }
  return c;
}

int chunk_checkfile(lua_State *L, const char *path, int *binary) {
  Layout s;
  lu_byte expected[LUAC_HEADERSIZE], header[LUAC_HEADERSIZE];
  long start;
  *binary = 0;
  s.f = fopen(path, "rb");
  s.why = NULL;
  if (s.f == NULL) return LUA_OK;
  if (firstcharacter(s.f) != LUA_SIGNATURE[0]) {
    fclose(s.f);
    return LUA_OK;
  }
  *binary = 1;
  start = ftell(s.f);
  if (start < 0 || fseek(s.f, 0, SEEK_END) != 0 || (s.left = ftell(s.f)) < 0 ||
      fseek(s.f, start, SEEK_SET) != 0) {
    s.why = "file too large";
  } else {
    s.left -= start;
    luaU_header(expected);
    header[0] = expected[0];
    /* Another header is lundump's to report. */
    if (readbytes(&s, header + 1, LUAC_HEADERSIZE - 1) &&
        memcmp(header, expected, LUAC_HEADERSIZE) == 0) {
      skipfunction(&s, 0);
    }
    if (s.why != NULL && strcmp(s.why, "truncated") == 0) s.why = NULL;  /* lundump says so */
  }
  fclose(s.f);
  if (s.why == NULL) return LUA_OK;
  lua_pushfstring(L, "%s: bad precompiled chunk (%s)", path, s.why);
  return LUA_ERRSYNTAX;
}
