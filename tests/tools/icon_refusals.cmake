# Bad emblem descriptions that icon_tool must refuse, for check_refusals.cmake.
expect_refusal(unknown_word [[
canvas 16
color a #102030
square a 0 0 4 4
]] 3 "unknown word 'square'")
expect_refusal(unknown_colour [[
canvas 16
color a #102030
circle b 8 8 4
]] 3 "unknown colour 'b'")
expect_refusal(bad_number [[
canvas 16
color a #102030
circle a 8 8 four
]] 3 "'four' is not a number")
expect_refusal(missing_field [[
canvas 16
color a #102030
rect a 0 0 4
]] 3 "missing values")
expect_refusal(shape_before_canvas [[
color a #102030
circle a 8 8 4
canvas 16
]] 2 "before the canvas")
expect_refusal(too_many_colours [[
canvas 16
color c1 #000001
color c2 #000002
color c3 #000003
color c4 #000004
color c5 #000005
color c6 #000006
color c7 #000007
color c8 #000008
color c9 #000009
color c10 #00000A
color c11 #00000B
color c12 #00000C
color c13 #00000D
color c14 #00000E
color c15 #00000F
color c16 #000010
]] 17 "more than 15 colours")
expect_refusal(no_shape [[
canvas 16
color a #102030
]] 2 "without any shape")
