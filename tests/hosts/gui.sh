# shellcheck shell=bash disable=SC2154
# Sourced by scripts/test-hosts: step 4 of an Ardour host, Ardour's GUI under
# a private Xvfb with B's editor (VST 2) and C's (LV2) open, looked at and
# clicked as a user would.
# Uses the script's work, hosts, pids, fail, begin, done_step, keep_screenshot,
# panel.sh, and from ardour.sh the GUI's command (ardour_gui), how long it may
# take to show the editor (ardour_gui_wait) and run_lua.

# Ctrl+S in the host's main window (its name matches `pattern`), as a user
# saves; done when the file changed.
save_with_ctrl_s() {
  local file=$1 pattern=$2 before main x y X Y WIDTH end=$((SECONDS + 30))
  before=$(stat -c %y "$file")
  main=$(xdotool search --name "$pattern" | head -1)
  [ -n "$main" ] || fail "the host's main window (\"$pattern\") is not there"
  eval "$(xdotool getwindowgeometry --shell "$main" | grep -E "^(X|Y|WIDTH)=")"
  x=$((X + WIDTH - 40))
  y=$((Y + 40))
  xdotool mousemove "$x" "$y"
  xdotool windowfocus "$main" 2>/dev/null || true
  xdotool key ctrl+s
  while [ "$(stat -c %y "$file")" = "$before" ]; do
    [ $SECONDS -lt $end ] || fail "Ctrl+S in the host's main window did not save $file within 30 s"
    sleep 0.5
  done
  echo "the host saved $file"
}

# Mode, port and Thru of one track's Tarvenna in a session file, from the
# chunk Ardour stored (bytes 48 to 50 of the program).
chunk_settings() {
  local file=$1 track=$2 chunk bytes
  chunk=$(awk -v want=" name=\"$track\" " '
    /<Route / { inside = index($0, want) > 0 }
    /<\/Route>/ { inside = 0 }
    inside && /<chunk/ { print; exit }' "$file" | sed -E 's/.*<chunk[^>]*>([^<]*)<\/chunk>.*/\1/')
  [ -n "$chunk" ] || fail "no Tarvenna chunk for track $track in $file"
  bytes=$(echo "$chunk" | base64 -d | od -An -tu1 -j48 -N3 | xargs)
  program_settings "$bytes"
}

# "Send:5:off" from the program's mode, port and Thru bytes ("0 4 0").
program_settings() {
  # shellcheck disable=SC2086 # three numbers, split on purpose
  set -- $1
  echo "$([ "$1" = 1 ] && echo Receive || echo Send):$(($2 + 1)):$([ "$3" = 1 ] && echo on || echo off)"
}

# Ends a host's GUI process and shows its output with the lines matching
# `quiet` left out.
stop_gui() {
  local pid=$1 log=$2 quiet=$3
  end_process "$pid"
  echo "the host's own output (lines matching \"$quiet\" left out):"
  grep -vE "$quiet" "$log" || true
}

gui() {
  begin gui "Ardour's GUI under Xvfb with B's editor (VST 2) and C's (LV2) open"
  local session=$work/sessions/gui file window windows=() open="" saved
  file=$session/restore.ardour
  cp -r "$work/sessions/restore" "$session"
  mapfile -t windows <"$work/window"
  # Ardour opens a plug-in's window at load when the session says it was open.
  for window in "${windows[@]}"; do
    open+="<Window name=\"$window\" visible=\"1\" custom-ui=\"1\"/>"
  done
  sed -i "s|^</Session>|  <Extra><UI>$open</UI></Extra>\n</Session>|" "$file"
  for window in "${windows[@]}"; do
    grep -q "<Window name=\"$window\"" "$file" || fail "could not mark $window open in $file"
  done
  start_xvfb
  "${ardour_gui[@]}" "$file" </dev/null >"$work/ardour.log" 2>&1 &
  ardour_pid=$!
  pids+=("$ardour_pid")
  # Both editors open in the middle of the screen, one over the other (there
  # is no window manager): C's goes to the top left corner.
  find_window '^C: Tarvenna' "$ardour_gui_wait" "$ardour_pid"
  xdotool windowmove "$editor_window" 0 0
  find_panel '^B: Tarvenna' 30 "$ardour_pid"
  await_panel before Receive 3 20 off
  keep_screenshot "$work/before.png"
  # shellcheck disable=SC2046,SC2086 # "x y", split on purpose
  click_panel $SEND_CLICK
  # shellcheck disable=SC2046
  click_panel $(port_click 5)
  await_panel after Send 5 10 off
  # C's LV2 panel: what its clicks change goes to C's controls in Ardour,
  # which the saved session then has.
  find_panel '^C: Tarvenna' 30 "$ardour_pid"
  await_panel lv2-before Receive 6 20 on
  # shellcheck disable=SC2046,SC2086 # "x y", split on purpose
  click_panel $SEND_CLICK
  # shellcheck disable=SC2046
  click_panel $(port_click 2)
  await_panel lv2-after Send 2 10 on
  save_with_ctrl_s "$file" ' - Ardour$'
  stop_gui "$ardour_pid" "$work/ardour.log" '^Ardour: \[INFO\]'
  saved=$(chunk_settings "$file" B)
  echo "B's chunk in the saved session: $saved"
  [ "$saved" = "Send:5:off" ] || fail "B's saved chunk says $saved, expected Send:5:off"
  run_lua 120 "$hosts/restore.lua" "$hosts" "$session" settings A=Send:3:on B=Send:5:off \
    C=Send:2:on
  done_step
}
