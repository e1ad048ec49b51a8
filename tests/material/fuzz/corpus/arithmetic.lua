-- Arithmetic, comparisons and logic on locals, upvalues and constants.
local a, b, c = 7, 3, 2.5
local function ops(x, y)
  return x + y, x - y, x * y, x / y, x % y, x ^ 2, -x, x == y, x < y, x <= y, not x
end
local r = { ops(a, b) }
local t = { ops(c, a) }
local logic = (a > b and 'yes' or 'no') .. (nothing or "")
local many = 0
for i = 1, 300 do many = many + (i % 7 == 0 and 1 or 0) end
return { r = r, t = t, logic = logic, many = many, nan = (0 / 0 ~= 0 / 0), big = 2 ^ 1000 }
