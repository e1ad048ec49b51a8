#!/usr/bin/env bash
# Lists the functions of a 32-bit exe that do x87 arithmetic, whose results the device's
# single-precision setting would spoil: x87_audit.sh EXE
# The program's own code, Lua and GoogleTest are built for SSE2 and must have none. What is
# left is the runtime's own: number parsing and formatting, pow and its helpers, reached only
# through Lua, which runs with the x87 in double precision.
set -u
allowed='___gdtoa ___strtodg ___ratio_D2A ___powi _pow _exp2l _log2l _ldexp'
found=$(i686-w64-mingw32-objdump -d "$1" | awk '
  /^[0-9a-f]+ <.*>:$/ { name = substr($2, 2, length($2) - 3) }
  /\t(f(i?)(add|sub|subr|mul|div|divr)p?|fsqrt|fprem1?|fscale|fyl2xp?1?|f2xm1|fpatan|fsin|fcos|fsincos|fptan|frndint)( |$)/ {
    if (name !~ /^\./) seen[name] = 1 }
  END { for (n in seen) print n }' | sort)
unexpected=$(comm -23 <(echo "$found") <(tr ' ' '\n' <<<"$allowed" | sort))
echo "functions with x87 arithmetic: $(echo $found)"
[ -z "$unexpected" ] || { echo "FAIL: x87 arithmetic outside the runtime's number routines: $(echo $unexpected)"; exit 1; }
echo PASS
