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
