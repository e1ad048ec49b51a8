# Sourced with $out/first.png: black sky above, the textured cube in the middle, the plane below.
size=$(identify -format '%wx%h' "$out/first.png")
[ "$size" = "804x604" ] || [ "$size" = "800x600" ] || fail "window image is $size"
sky=$(band_mean "$out/first.png" 10 150)
floor=$(band_mean "$out/first.png" 500 90)
awk -v m="$sky" 'BEGIN { exit !(m < 0.02) }' || fail "the sky is not black (mean $sky)"
awk -v m="$floor" 'BEGIN { exit !(m > 0.15) }' || fail "no plane below (mean $floor)"
read -r first last <<<"$(lit_extent "$out/first.png" 280)"
[ "$first" -gt 250 ] && [ "$last" -lt 550 ] && [ $(( (first + last) / 2 - 400 )) -le 3 ] &&
  [ $(( 400 - (first + last) / 2 )) -le 3 ] || fail "no cube in the middle (row 280 lit from $first to $last)"
echo "cube on row 280 from $first to $last; sky $sky; floor $floor"
