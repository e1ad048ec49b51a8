-- A chunk that fails at run time after some work: error messages name locals and upvalues.
local up = nil
local function f(t) return t.field.missing end
local ok = { 1, 2, 3 }
local function g() return up.x end
local value = #ok
if value == 3 then return f({ field = { missing = value } }) + g() end
return { value }
