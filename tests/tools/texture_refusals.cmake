# Bad texture sources that texture_tool must refuse, for check_refusals.cmake.
expect_refusal(unknown_word [[
size 8 8
chequer 2 #000000 #FFFFFF
]] 2 "unknown word 'chequer'")
expect_refusal(not_power_of_two [[
size 8 12
]] 1 "powers of two")
expect_refusal(bad_number [[
size 8 8
checker two #000000 #FFFFFF
]] 2 "'two' is not a whole number")
expect_refusal(bad_colour [[
size 8 8
checker 2 #000000 #FFFFF
]] 2 "not a colour")
expect_refusal(missing_field [[
size 8
]] 1 "missing values")
expect_refusal(rect_outside [[
size 8 8
checker 2 #000000 #FFFFFF
rect #FF0000 6 0 3 1
]] 3 "outside the image")
expect_refusal(rect_first [[
rect #FF0000 0 0 1 1
size 8 8
]] 1 "before the size and checker")
expect_refusal(no_checker [[
size 8 8
]] 1 "no checker line")
