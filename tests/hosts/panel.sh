# shellcheck shell=bash disable=SC2154,SC2034
# Sourced by scripts/test-hosts: a private Xvfb, and Tarvenna's panel inside
# a host's window as a user sees it: found, shot, its pixels read, clicked.
# Uses the script's work, pids and fail.

# The panel's geometry: buttons and the points inside them whose colour
# tells their state (a few pixels in from the corner, clear of the labels).
PANEL_SIZE=170x200
SEND_CLICK="55 72"
SEND_PIXEL="39,65"
RECEIVE_PIXEL="97,65"
THRU_PIXEL="40,156"
BACKGROUND_PIXELS="150,150 140,110 25,60"
BACKGROUND=4D5154
LIT_PORT=FF00FF
ACTIVE_MODE=0000FF
THRU_ON=FF8000
THRU_OFF=000000

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

# Screenshot of the whole screen and the panel at (panel_x, panel_y) cut out of it.
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

# The panel as a user sees it: background, the mode button that is active,
# the one lit port button and, when asked (on or off), the Thru button.
check_panel() {
  local image=$1 mode=$2 port=$3 thru=${4:-} n point
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
  case $thru in
    on) pixel_is "$image" "$THRU_PIXEL" "$THRU_ON" "Thru, on," ;;
    off) pixel_is "$image" "$THRU_PIXEL" "$THRU_OFF" "Thru, off," ;;
  esac
  echo "panel shows: $mode active, port $port lit${thru:+, Thru $thru}, background #$BACKGROUND"
}

# Shoots until the panel shows `mode`, `port` (and `thru`) or `seconds` have passed.
await_panel() {
  local name=$1 mode=$2 port=$3 seconds=$4 thru=${5:-}
  local end=$((SECONDS + seconds))
  while true; do
    shoot "$name"
    (probing=1 check_panel "$work/$name-panel.png" "$mode" "$port" "$thru") >/dev/null 2>&1 && break
    [ $SECONDS -lt $end ] || break
    sleep 0.5
  done
  check_panel "$work/$name-panel.png" "$mode" "$port" "$thru"
}

click_panel() {
  local x=$1 y=$2
  xdotool mousemove "$((panel_x + x))" "$((panel_y + y))" click 1
  echo "clicked panel point ($x,$y)"
}

# What is on the screen, for a step that did not find what it waited for:
# the named windows in the log, the screen in the work folder.
show_screen() {
  echo "windows on $DISPLAY:"
  xwininfo -root -tree | grep '"' || true
  import -window root "$work/screen.png" && echo "the screen: $work/screen.png"
}

# The host's window whose name matches `pattern` (shown within `seconds`,
# while process `pid` lives), and the panel inside it: sets editor_window,
# panel_x and panel_y.
find_panel() {
  find_window "$@"
  locate_panel
}

# The host's window alone: sets editor_window.
find_window() {
  local pattern=$1 seconds=$2 pid=$3 end=$((SECONDS + $2))
  editor_window=""
  while [ -z "$editor_window" ]; do
    editor_window=$(xdotool search --name "$pattern" 2>/dev/null | head -1 || true)
    [ -n "$editor_window" ] && break
    kill -0 "$pid" 2>/dev/null || fail "the host exited before showing a window \"$pattern\""
    if [ $SECONDS -ge $end ]; then
      show_screen
      fail "the host showed no window \"$pattern\" within $seconds s"
    fi
    sleep 1
  done
  echo "the host's window for the editor: \"$(xdotool getwindowname "$editor_window")\""
}

# The panel inside editor_window, where it is now.
locate_panel() {
  local end=$((SECONDS + 20)) line=""
  while [ -z "$line" ]; do
    line=$(xwininfo -tree -id "$editor_window" | grep " $PANEL_SIZE+" | head -1 || true)
    [ -n "$line" ] && break
    [ $SECONDS -lt $end ] || fail "no $PANEL_SIZE panel window inside window $editor_window"
    sleep 0.5
  done
  read -r panel_x panel_y < <(echo "$line" | sed -E 's/.* \+(-?[0-9]+)\+(-?[0-9]+)$/\1 \2/')
  echo "panel window: $line"
}
