-- Numeric and generic loops, while, repeat, break and goto, with an iterator of its own.
local function iter(t, i)
  i = i + 1
  if t[i] ~= nil then return i, t[i] end
end
local sum, odd, steps = 0, {}, 0
for i = 1, 10 do sum = sum + i end
for i = 10, 1, -3 do steps = steps + 1 end
for i, v in iter, { 4, 5, 6 }, 0 do odd[#odd + 1] = i * v end
local n = 0
while n < 5 do n = n + 1 if n == 4 then break end end
repeat n = n - 1 until n <= 0
for i = 1, 3 do
  for j = 1, 3 do
    if j == 2 then goto continue end
    steps = steps + i * j
    ::continue::
  end
end
return { sum = sum, odd = odd, steps = steps, n = n }
