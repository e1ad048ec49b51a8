# Bad mesh sources that mesh_tool must refuse, for check_refusals.cmake.
expect_refusal(unknown_word [[
# a comment
vertex 0 0 0 #FFFFFFFF 0 0
vertexx 1 0 0 #FFFFFFFF 0 0
]] 3 "unknown word 'vertexx'")
expect_refusal(bad_number [[
vertex 0 0 0 #FFFFFFFF 0 0
vertex 1 0 0.5.1 #FFFFFFFF 0 0
]] 2 "'0.5.1' is not a number")
expect_refusal(infinite_number [[
vertex 1e39 0 0 #FFFFFFFF 0 0
]] 1 "not a number")
expect_refusal(bad_colour [[
vertex 0 0 0 #FFFFFF 0 0
]] 1 "not a colour")
expect_refusal(missing_field [[
vertex 0 0 0 #FFFFFFFF 0
]] 1 "missing values")
expect_refusal(extra_field [[
vertex 0 0 0 #FFFFFFFF 0 0 0
]] 1 "too many values")
expect_refusal(missing_corner [[
vertex 0 0 0 #FFFFFFFF 0 0
vertex 1 0 0 #FFFFFFFF 0 0
vertex 0 1 0 #FFFFFFFF 0 0
triangle 0 1
]] 4 "missing values")
expect_refusal(negative_index [[
vertex 0 0 0 #FFFFFFFF 0 0
vertex 1 0 0 #FFFFFFFF 0 0
vertex 0 1 0 #FFFFFFFF 0 0
triangle 0 1 -2
]] 4 "not a vertex number")
# The check comes once all vertices are known, and still names the triangle's line.
expect_refusal(index_not_below_count [[
vertex 0 0 0 #FFFFFFFF 0 0
triangle 0 1 3
vertex 1 0 0 #FFFFFFFF 0 0
vertex 0 1 0 #FFFFFFFF 0 0

]] 2 "vertex 3 does not exist \\(3 vertices\\)")
expect_refusal(repeated_corner [[
vertex 0 0 0 #FFFFFFFF 0 0
vertex 1 0 0 #FFFFFFFF 0 0
triangle 0 1 1
]] 3 "same vertex twice")
expect_refusal(no_triangle [[
vertex 0 0 0 #FFFFFFFF 0 0
# nothing else
]] 1 "without any triangle")

# Models that the import library refuses, or that hold no triangle.
expect_model_refusal(cut.gltf [[{ "asset": ]] "the model cannot be read: ")
expect_model_refusal(no_magic.ply [[
format ascii 1.0
element vertex 0
end_header
]] "the model cannot be read: ")
expect_model_refusal(lines.obj [[
v 0 0 0
v 1 0 0
l 1 2
]] "the model has no triangles")
