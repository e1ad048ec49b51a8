# Sourced with $out/first.png: the client area is 800 by 600 and black.
size=$(identify -format '%wx%h' "$out/first.png")
[ "$size" = "804x604" ] || [ "$size" = "800x600" ] || fail "window image is $size"
mean=$(convert "$out/first.png" -colorspace Gray -format '%[fx:mean]' info:)
awk -v m="$mean" 'BEGIN { exit !(m < 0.02) }' || fail "client area is not black (mean $mean)"
