-- Closures sharing upvalues, counters, recursion and functions several levels deep.
local function counter(start)
  local count = start
  return function(step) count = count + (step or 1) return count end,
         function() return count end
end
local add, get = counter(10)
add() add(5)
local function fib(n) if n < 2 then return n end return fib(n - 1) + fib(n - 2) end
local function outer(a)
  local function middle(b)
    local function inner(c) return a + b + c end
    return inner
  end
  return middle
end
local fs = {}
for i = 1, 3 do fs[i] = function() return i * 2 end end
return { get(), fib(12), outer(1)(2)(3), fs[1]() + fs[2]() + fs[3]() }
