-- Varargs in every position: counted, passed on, returned, packed into tables.
local function count(...) return #{ ... } end
local function pass(...) return ... end
local function firsttwo(a, b, ...) return a, b, count(...) end
local function tail(...) return pass(...) end
local function pack(...) return { n = count(...), ... } end
local a, b, rest = firsttwo(1, 2, 3, 4, 5)
local t = pack(pass(7, 8, 9))
local x, y = tail('p', 'q')
return { a, b, rest, t.n, t[3], x .. y, count(), select = count(pass()) }
