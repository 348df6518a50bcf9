# shellcheck shell=bash disable=SC2154
# Sourced by scripts/test-hosts: step 4, Ardour's GUI under a private Xvfb
# with B's editor open, looked at and clicked as a user would.
# Uses the script's work, hosts, pids, fail, begin, done_step and run_lua.

# The panel's geometry: buttons and the points inside them whose colour
# tells their state (a few pixels in from the corner, clear of the labels).
PANEL_SIZE=170x200
SEND_CLICK="55 72"
SEND_PIXEL="39,65"
RECEIVE_PIXEL="97,65"
BACKGROUND_PIXELS="150,150 140,110 25,60"
BACKGROUND=4D5154
LIT_PORT=FF00FF
ACTIVE_MODE=0000FF

port_origin() {
  local n=$1
  echo "$((36 + 25 * ((n - 1) % 4))) $((n <= 4 ? 90 : 120))"
}

port_pixel() {
  local x y
  read -r x y < <(port_origin "$1")
  echo "$((x + 3)),$((y + 3))"
}

port_click() {
  local x y
  read -r x y < <(port_origin "$1")
  echo "$((x + 10)) $((y + 10))"
}

# A display number no one uses, in a range the test programs keep clear of.
start_xvfb() {
  local n pid
  for n in $(shuf -i 900-999 -n 20); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    for _ in $(seq 100); do
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"
        echo "Xvfb on $DISPLAY (1280x1024x24)"
        return 0
      fi
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
  done
  cat "$work/xvfb.log"
  fail "no private Xvfb could be started"
}

# The colours at panel points ("x,y" ...) of the panel image, as RRGGBB.
panel_pixels() {
  local image=$1 format="" point
  shift
  for point in "$@"; do
    format+="%[hex:p{$point}] "
  done
  /usr/bin/convert "$image" -depth 8 -format "$format" info:
}

# Screenshot of the whole screen and the panel cut out of it.
shoot() {
  import -window root "$work/$1.png"
  /usr/bin/convert "$work/$1.png" -crop "${PANEL_SIZE}+${panel_x}+${panel_y}" +repage \
    "$work/$1-panel.png"
}

pixel_is() {
  local image=$1 point=$2 want=$3 what=$4
  local found
  found=$(panel_pixels "$image" "$point" | tr -d ' ')
  [ "$found" = "$want" ] || fail "$what at panel point ($point) is #$found, expected #$want"
}

pixel_is_not() {
  local image=$1 point=$2 unwanted=$3 what=$4
  local found
  found=$(panel_pixels "$image" "$point" | tr -d ' ')
  [ "$found" != "$unwanted" ] || fail "$what at panel point ($point) is #$found"
}

# The panel as a user sees it: background, the mode button that is active and
# the one lit port button.
check_panel() {
  local image=$1 mode=$2 port=$3 n point
  for point in $BACKGROUND_PIXELS; do
    pixel_is "$image" "$point" "$BACKGROUND" "the background"
  done
  if [ "$mode" = Send ]; then
    pixel_is "$image" "$SEND_PIXEL" "$ACTIVE_MODE" "Send"
    pixel_is_not "$image" "$RECEIVE_PIXEL" "$ACTIVE_MODE" "Receive, not active,"
  else
    pixel_is "$image" "$RECEIVE_PIXEL" "$ACTIVE_MODE" "Receive"
    pixel_is_not "$image" "$SEND_PIXEL" "$ACTIVE_MODE" "Send, not active,"
  fi
  for n in 1 2 3 4 5 6 7 8; do
    point=$(port_pixel "$n")
    if [ "$n" = "$port" ]; then
      pixel_is "$image" "$point" "$LIT_PORT" "port button $n"
    else
      pixel_is_not "$image" "$point" "$LIT_PORT" "port button $n, not the node's port,"
    fi
  done
  echo "panel shows: $mode active, port $port lit, background #$BACKGROUND"
}

# Shoots until the panel shows `mode` and `port` or `seconds` have passed.
await_panel() {
  local name=$1 mode=$2 port=$3 end=$((SECONDS + $4))
  while true; do
    shoot "$name"
    (check_panel "$work/$name-panel.png" "$mode" "$port") >/dev/null 2>&1 && break
    [ $SECONDS -lt $end ] || break
    sleep 0.5
  done
  check_panel "$work/$name-panel.png" "$mode" "$port"
}

click_panel() {
  local x=$1 y=$2
  xdotool mousemove "$((panel_x + x))" "$((panel_y + y))" click 1
  echo "clicked panel point ($x,$y)"
}

# The window Ardour made for B's editor, and the panel inside it.
find_panel() {
  local end=$((SECONDS + 150)) line
  editor_window=""
  while [ -z "$editor_window" ]; do
    editor_window=$(xdotool search --name '^B: Tarvenna' 2>/dev/null | head -1 || true)
    [ -n "$editor_window" ] && break
    kill -0 "$ardour_pid" 2>/dev/null || fail "Ardour exited before showing B's editor"
    [ $SECONDS -lt $end ] || fail "Ardour showed no window \"B: Tarvenna ...\" within 150 s"
    sleep 1
  done
  echo "Ardour's window for B's editor: \"$(xdotool getwindowname "$editor_window")\""
  end=$((SECONDS + 20))
  line=""
  while [ -z "$line" ]; do
    line=$(xwininfo -tree -id "$editor_window" | grep " $PANEL_SIZE+" | head -1 || true)
    [ -n "$line" ] && break
    [ $SECONDS -lt $end ] || fail "no $PANEL_SIZE panel window inside B's editor window"
    sleep 0.5
  done
  read -r panel_x panel_y < <(echo "$line" | sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/')
  echo "panel window: $line"
}

# Ctrl+S in Ardour's main window, as a user saves; done when the file changed.
save_in_ardour() {
  local file=$1 before main x y X Y WIDTH end=$((SECONDS + 30))
  before=$(stat -c %y "$file")
  main=$(xdotool search --name ' - Ardour$' | head -1)
  [ -n "$main" ] || fail "Ardour's main window is not there"
  eval "$(xdotool getwindowgeometry --shell "$main" | grep -E "^(X|Y|WIDTH)=")"
  x=$((X + WIDTH - 40))
  y=$((Y + 40))
  xdotool mousemove "$x" "$y"
  xdotool windowfocus "$main" 2>/dev/null || true
  xdotool key ctrl+s
  while [ "$(stat -c %y "$file")" = "$before" ]; do
    [ $SECONDS -lt $end ] || fail "Ctrl+S in Ardour's main window did not save $file within 30 s"
    sleep 0.5
  done
  echo "Ardour saved $file"
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
  # shellcheck disable=SC2086 # three numbers, split on purpose
  set -- $bytes
  echo "$([ "$1" = 1 ] && echo Receive || echo Send):$(($2 + 1)):$([ "$3" = 1 ] && echo on || echo off)"
}

stop_ardour() {
  kill "$ardour_pid" 2>/dev/null || true
  local end=$((SECONDS + 20))
  while kill -0 "$ardour_pid" 2>/dev/null; do
    if [ $SECONDS -ge $end ]; then
      kill -9 "$ardour_pid" 2>/dev/null || true
      break
    fi
    sleep 0.5
  done
  wait "$ardour_pid" 2>/dev/null || true
  echo "Ardour's own output (information lines left out):"
  grep -v '^Ardour: \[INFO\]' "$work/ardour.log" || true
}

gui() {
  begin gui "Ardour's GUI under Xvfb with B's editor open"
  local session=$work/sessions/gui file window saved
  file=$session/restore.ardour
  cp -r "$work/sessions/restore" "$session"
  window=$(cat "$work/window")
  # Ardour opens a plug-in's window at load when the session says it was open.
  sed -i "s|^</Session>|  <Extra><UI><Window name=\"$window\" visible=\"1\" custom-ui=\"1\"/></UI></Extra>\n</Session>|" \
    "$file"
  grep -q "<Window name=\"$window\"" "$file" || fail "could not mark B's editor open in $file"
  start_xvfb
  ardour "$file" </dev/null >"$work/ardour.log" 2>&1 &
  ardour_pid=$!
  pids+=("$ardour_pid")
  find_panel
  await_panel before Receive 3 20
  [ -z "${TARVENNA_HOST_SCREENSHOT:-}" ] || cp "$work/before.png" "$TARVENNA_HOST_SCREENSHOT"
  # shellcheck disable=SC2046,SC2086 # "x y", split on purpose
  click_panel $SEND_CLICK
  # shellcheck disable=SC2046
  click_panel $(port_click 5)
  await_panel after Send 5 10
  save_in_ardour "$file"
  stop_ardour
  saved=$(chunk_settings "$file" B)
  echo "B's chunk in the saved session: $saved"
  [ "$saved" = "Send:5:off" ] || fail "B's saved chunk says $saved, expected Send:5:off"
  run_lua 120 "$hosts/restore.lua" "$hosts" "$session" settings A=Send:3:on B=Send:5:off \
    C=Receive:6:on
  done_step
}
