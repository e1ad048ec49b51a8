# Sourced after the prompt was answered No: frames go on, and Right moves the cube right.
shot before_right
read -r first_before last_before <<<"$(lit_extent "$out/before_right.png" 280)"
xdotool keydown Right; sleep 0.6; xdotool keyup Right
sleep 0.5
shot after_right
read -r first_after last_after <<<"$(lit_extent "$out/after_right.png" 280)"
echo "cube on row 280: $first_before-$last_before before Right, $first_after-$last_after after"
[ "$first_after" -gt $(( first_before + 5 )) ] && [ "$last_after" -gt $(( last_before + 5 )) ] ||
  fail "holding Right did not move the cube right"
