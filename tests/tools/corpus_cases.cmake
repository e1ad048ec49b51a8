# What the sweep over the import library's test models (check_corpus.cmake) expects of a few.

# A few hundred bytes that ask the library for more memory than there is.
refused_for(invalid/OutOfMemory.off "went past its memory bound")

# Sources whose own triangles face inward: each encloses a negative volume in the file's own
# coordinates, under node transforms whose determinants are all positive.
inside_out(FBX/animation_with_skeleton.fbx "the cube's faces run clockwise seen from outside")
inside_out(BLEND/TorusLightsCams_250_compressed.blend
  "the torus's faces run clockwise seen from outside")
