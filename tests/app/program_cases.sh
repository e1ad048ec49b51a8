#!/usr/bin/env bash
# The real program started as a user would, in a fresh working folder that holds a copy of the
# build's data/, driven on the run's display by tests/support/program_driver.sh:
#   program_cases.sh CASE PROGRAM BUILD_DIR OUT_DIR BOX_READER
# Each case_ function may damage data/ or take Direct3D away, and sets what its run must see
# (see the driver): by default the whole scene, no box, and Alt+F4 ends the program. Pictures,
# streams and the boxes' descriptions stay in OUT_DIR/CASE.
set -u
name=$1 program=$(realpath "$2") build=$(realpath "$3") out=$(realpath -m "$4/$1")
box_reader=$(realpath "$5") here=$(cd "$(dirname "$0")" && pwd) target=x86_64
data_source=$build/data
. "$here/../support/program_driver.sh"

# The build's own data: the scene in its colours.
case_screenshot() { check_scene() { shows_own_scene "$1"; }; }
case_close() { :; }
case_escape() { quit=no_then_yes; }

# Direct3D fails for real: one box owned by the main window says so, and answering it ends
# the program with status 0.
d3d_failure() {  # CAPTION TEXT
  boxes=("$1") scene="" quit=ends
  described=$(printf 'caption=%s\ntext=%s\nowner_title=%s\nowner_class=%s\nbuttons=OK\nicon=red' \
    "$1" "$2" "$main_title" "Bexa's Main Window Class")
}
# An X display without GLX: Wine's Direct3D has no OpenGL and Direct3DCreate9 returns null.
case_no_opengl() {
  . "$here/../../scripts/xvfb.sh"
  start_xvfb -extension GLX || fail "Xvfb without GLX did not start"
  trap 'kill "$xvfb_pid"' EXIT
  xdpyinfo 2>/dev/null | grep -q GLX && fail "the display $DISPLAY has GLX"
  d3d_failure "No D3D9 Interface" "DirectX failed to create a Direct3D9 interface"
}
# Wine's Direct3D on its renderer without 3D: the interface exists but CreateDevice fails.
case_no3d() {
  export WINE_D3D_CONFIG="renderer=no3d"
  d3d_failure "No D3D9 Device" "DirectX failed to create a Direct3D9 device"
}

# Damaged data/ folders, and ones with the user's own content. A mesh is damaged on the same
# side as a material, so that the frame shows which renderable is left: the other one.
# Standard error ends a line with CR LF (a text-mode stream); Lua's own errors carry no line end.
lua_cannot_open() { printf 'cannot open %s: No such file or directory' "$1"; }

# Fails the run when a damaging edit changed nothing (the build's files took another shape).
changed() { cmp -s "$1" "$data_source/${1#data/}" && fail "the damage to $1 changed nothing"; true; }

case_no_data_folder() {
  rm -rf data
  boxes=("No Fragment Shader" "No Vertex Shader" "No Fragment Shader" "No Vertex Shader"
         "No Mesh" "No Mesh")
  errors="$(lua_cannot_open data/material2.material)$(lua_cannot_open data/material1.material)"
  scene="" quit=escape
}

# The plane's or the cube's material and mesh gone: the other one alone is drawn.
missing_files() {  # MATERIAL MESH SCENE [QUIT]
  rm "data/$1" "data/$2"
  boxes=("No Fragment Shader" "No Vertex Shader" "No Mesh")
  errors=$(lua_cannot_open "data/$1")
  scene=$3 quit=${4:-close}
}
case_missing_plane_files() { missing_files material2.material plane.mesh.bin cube; }
case_missing_cube_files() { missing_files material1.material cube.mesh.bin floor escape; }

# Every shader file gone: each material reports both of its own.
case_missing_shaders() {
  rm data/standard_fragment.shader data/cube_fragment.shader data/standard_vertex.shader
  boxes=("No Fragment Shader" "No Vertex Shader" "No Fragment Shader" "No Vertex Shader")
  scene=""
}

# A texture that fails to load is no error: no box and no diagnostic. The shaders then
# sample black, so the scene shows nothing against the black sky.
case_missing_texture() {
  rm data/checker.dds
  scene=""
}

# A DDS whose header claims 2^32-1 mip levels, a minute's walk for Wine's reader: the texture
# is refused at once, silently, and both objects draw black. Frames must come within the
# usual wait, and Escape then Yes must end the program.
case_absurd_mip_count() {
  printf '\377\377\377\377' | dd of=data/checker.dds bs=1 seek=28 conv=notrunc status=none
  changed data/checker.dds
  scene="" quit=escape
}

# The plane's material does not parse and the plane's mesh is cut short.
case_plane_syntax_error_truncated_mesh() {
  cat >data/material2.material <<'EOF'
-- A comma is missing after the texture.
return {
    texture = "data/checker.dds"
    shaders = {},
}
EOF
  truncate -s 100 data/plane.mesh.bin
  boxes=("No Fragment Shader" "No Vertex Shader" "No Mesh")
  errors="data/material2.material:4: '}' expected (to close '{' at line 2) near 'shaders'"
  scene="cube"
}

# The plane's colour modifier is gone: a warning, and the plane is still drawn with the
# shader's defaults. The cube's material returns a number and the cube's mesh claims far more
# than it holds.
case_no_modifier_number_huge_mesh() {
  sed -i '/g_colorModifier/d' data/material2.material
  changed data/material2.material
  printf -- '-- A number where a table belongs.\nreturn 42\n' >data/material1.material
  printf '\377\377\377\377\377\377\377\377' | dd of=data/cube.mesh.bin conv=notrunc status=none
  changed data/cube.mesh.bin
  boxes=("No ColorModifier" "No Fragment Shader" "No Vertex Shader" "No Mesh")
  errors=$'Asset files must return a table (instead of a number)\r\n'
  scene="floor"
}

# The fragment shaders are cut in half and the vertex shader file holds a fragment shader; the
# cube's colour modifier is gone and its mesh is shorter than its own header. The plane's
# reports come first, then the cube material's own, then its shaders', then the cube mesh's.
case_damaged_shaders_short_mesh() {
  for shader in standard_fragment cube_fragment; do
    truncate -s $(( $(stat -c %s data/$shader.shader) / 2 )) data/$shader.shader
  done
  cp "$data_source/standard_fragment.shader" data/standard_vertex.shader
  sed -i '/g_colorModifier/d' data/material1.material
  changed data/material1.material
  truncate -s 4 data/cube.mesh.bin
  boxes=("No Fragment Shader" "No Vertex Shader"
         "No ColorModifier" "No Fragment Shader" "No Vertex Shader" "No Mesh")
  scene=""
}

# A model of the user's own in place of the cube: a square card from an interchange format,
# right-handed with counter-clockwise front faces, made the cube's mesh at the cube's size.
# It is drawn, so its front faces the camera; its colours lie where the file puts them, so it
# is not mirrored: import_model MODEL X Y CHANNEL... Around each point (X, Y) of the card, 1.5
# units apart from its centre at (400, 300) (a unit is about 52 pixels there), the strongest
# channel (red, green or blue) of a 9 by 9 patch of client pixels is CHANNEL.
import_model() {
  "$build/host-tools/bin/mesh_tool" --fit 2 "$here/../fixtures/models/$1" data/cube.mesh.bin ||
    fail "mesh_tool refused $1"
  shift
  patches=("$@")
  check_scene() {
    local i x y strongest
    for (( i = 0; i < ${#patches[@]}; i += 3 )); do
      x=${patches[i]} y=${patches[i + 1]}
      strongest=$(rgb_mean "$1" $(( x - 4 )) $(( y - 4 )) 9 9 | awk '{ c = "red"; m = $1
        if ($2 > m) { c = "green"; m = $2 } if ($3 > m) c = "blue"; print c }')
      [ "$strongest" = "${patches[i + 2]}" ] ||
        fail "the card at ($x, $y) is mostly $strongest, not ${patches[i + 2]}"
    done
  }
}
# OBJ with its .mtl: the left half red, the right half green.
case_imported_obj() { import_model card.obj 370 300 red 430 300 green; }
# glTF: vertex colours red at the bottom left, blue at the top right.
case_imported_gltf() { import_model card.gltf 365 335 red 435 265 blue; }

declare -F "case_$name" >/dev/null || fail "unknown case"
rm -rf "$out"
mkdir -p "$out/work"
cp -R "$data_source" "$out/work/data" || fail "no data folder in $build"
cd "$out/work" || exit 2
boxes=() errors="" scene="cube floor" quit=close described=""
"case_$name"
drive
