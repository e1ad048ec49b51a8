# What "mesh_tool info" says about the build's meshes and damaged copies, for check_info.cmake.
# The refusals are the loader's own words, from the code that the two share.
set(cube ${DATA}/cube.mesh.bin)

# The camera at (0, 0, -10) sees the cube's front face only; the floor faces it whole.
expect_info(${cube} 0 ""
  "24 vertices, 36 indices, 12 triangles" "the counts need 728 bytes\n"
  "bounds: x -1 to 1, y -1 to 1, z -1 to 1"
  "camera at \\(0, 0, -10\\): 2 triangles face it \\(clockwise, drawn\\), 10 face away"
  "every index is below the vertex count" "no indices left over" "the program loads this file")
expect_info(${DATA}/plane.mesh.bin 0 "" "4 vertices, 6 indices" ": 2 triangles face it.*, 0 face away")

damaged_copy(${cube} ${WORK}/short.mesh.bin CUT 100)
expect_info(${WORK}/short.mesh.bin 1
  "^mesh_tool: The mesh file .*/short.mesh.bin is damaged: it holds 100 bytes but its counts need 728$"
  "24 vertices, 36 indices")

damaged_copy(${cube} ${WORK}/header.mesh.bin CUT 5)
expect_info(${WORK}/header.mesh.bin 1 "it holds 5 bytes, fewer than its 8-byte header$")

# Index 4 names vertex 99 (its bytes at 8 + 24 * 24 + 4 * 4 = 600), and so does index 35; the
# loader stops at the first. Index 35's triangle, the last, is then missing too.
damaged_copy(${cube} ${WORK}/index.mesh.bin PUT 600 63000000 724 63000000)
expect_info(${WORK}/index.mesh.bin 1
  "^mesh_tool: The mesh file .*/index.mesh.bin is damaged: index 4 names vertex 99 but the file has 24 vertices$"
  "index 4 names vertex 99, not below the vertex count 24\n"
  "index 35 names vertex 99, not below the vertex count 24\n" "2 name a missing vertex")

# Two indices more than whole triangles take, one of them bad, and three bytes after them:
# the loader reads neither, so the file loads.
damaged_copy(${cube} ${WORK}/leftover.mesh.bin PUT 4 26000000 APPEND "05000000 F4010000 AABBCC")
expect_info(${WORK}/leftover.mesh.bin 0 ""
  "24 vertices, 38 indices, 12 triangles" "the counts need 736 bytes; the 3 after them are never read"
  "index 37 names vertex 500, not below the vertex count 24 \\(left over, never read\\)"
  "2 indices left over after the last whole triangle" "the program loads this file")

expect_info(${WORK}/missing.mesh.bin 1 "^mesh_tool: cannot open the mesh file .*/missing.mesh.bin$")

# Closed parts and their outsides: the cube is closed although its faces have corners of
# their own; the floor is open; a tetrahedron wound the wrong way round is inside out.
expect_info(${cube} 0 "" "joined by shared corners: 1, closed: 1, closed and inside out [^:]*: 0\n")
expect_info(${DATA}/plane.mesh.bin 0 "" "joined by shared corners: 1, closed: 0,")
file(WRITE ${WORK}/inside_out.mesh.txt [[
vertex 0 0 0 #FFFFFFFF 0 0
vertex 1 0 0 #FFFFFFFF 1 0
vertex 0 1 0 #FFFFFFFF 0 1
vertex 0 0 1 #FFFFFFFF 1 1
vertex 5 0 0 #FFFFFFFF 0 0
vertex 6 0 0 #FFFFFFFF 1 0
vertex 5 1 0 #FFFFFFFF 0 1
vertex 5 0 1 #FFFFFFFF 1 1
triangle 0 1 2
triangle 0 3 1
triangle 0 2 3
triangle 1 3 2
triangle 4 6 5
triangle 4 5 7
triangle 4 7 6
triangle 5 6 7
]])
execute_process(COMMAND ${TOOL} ${WORK}/inside_out.mesh.txt ${WORK}/inside_out.mesh.bin)
expect_info(${WORK}/inside_out.mesh.bin 0 "" "joined by shared corners: 2, closed: 2, closed and inside out [^:]*: 1\n")
