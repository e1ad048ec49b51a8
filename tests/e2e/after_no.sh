# Sourced after the prompt was answered No: frames go on.
shot before_right
xdotool keydown Right; sleep 0.6; xdotool keyup Right
sleep 0.3
shot after_right
