-- String operations the language has without libraries: concatenation, lengths, comparisons.
local parts = {}
for i = 1, 20 do parts[#parts + 1] = 'p' .. i end
local s = ''
for i = 1, #parts do s = s .. parts[i] .. (i < #parts and ',' or '') end
local long = [[
a long
string]]
local cmp = ('abc' < 'abd') and ('b' > 'a') and ('x' ~= 'y')
local mixed = 1 .. 2 .. 'three' .. 4.5
return { s = s, len = #s, long = long, cmp = cmp, mixed = mixed, esc = "tab\there\n\0end" }
