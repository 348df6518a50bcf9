# shellcheck shell=bash disable=SC2154
# Sourced by scripts/test-hosts: Debian's MusE 4 with the x86_64 module, on a
# private dummy JACK server and Xvfb. MusE opens muse-project.med: S (Send,
# port 1, Thru on), R1 (Receive, port 1), R2 (Receive, port 2), and a MIDI
# track playing four notes into S. Started with -m, MusE prints
# "MidiInput from synth: time:T port:P ..." for every event an instance hands
# it, the relay's output: counted per instance by its MusE port.
# Uses the script's helpers and panel.sh.

MUSE_NODES="S R1 R2"
declare -A MUSE_PORT=([S]=1 [R1]=2 [R2]=3)
# Without a window manager every editor opens at (0, 0); the script moves
# them side by side over the arranger's empty canvas, as a user would.
declare -A MUSE_AT=([S]="500 330" [R1]="690 330" [R2]="880 330")

muse_setup() {
  begin set-up "MusE, a private JACK server, Xvfb and home"
  install_for "muse muse_plugin_scan jackd jack_transport jack_wait perl $X_TOOLS" \
    "muse jackd2 perl $X_PACKAGES"
  perl -MCompress::Zlib -e 1 || fail "perl's Compress::Zlib is missing (Debian package perl)"
  host_version="MusE $(dpkg-query -W -f='${Version}' muse), JACK $(dpkg-query -W -f='${Version}' jackd2)"
  echo "$host_version; module $1"
  [ -f "$1" ] || fail "no module at $1 (build the x86_64 preset first)"
  private_home /tmp
  mkdir -p "$work/vst" "$work/project" "$XDG_CONFIG_HOME/MusE/MusE"
  cp "$1" "$work/vst/tarvenna.so"
  sed "s|@LXVST_PATH@|$work/vst|" "$hosts/muse-config.xml" >"$XDG_CONFIG_HOME/MusE/MusE/MusE-seq.cfg"
  # MusE opens an empty song for a relative project path.
  project=$work/project/relay.med
  cp "$hosts/muse-project.med" "$project"
  start_xvfb
  # Another engineer's JACK server may be running: this one has its own name.
  export JACK_DEFAULT_SERVER=tarvenna-hosts-$$
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 1024 >"$work/jackd.log" 2>&1 &
  pids+=($!)
  timeout 20 jack_wait -w -t 15 >/dev/null 2>&1 ||
    { cat "$work/jackd.log"; fail "the JACK server $JACK_DEFAULT_SERVER did not start"; }
  echo "JACK server $JACK_DEFAULT_SERVER: dummy driver, 48000 Hz, 1024 frames"
  echo "==== hosts $host set-up: done in $((SECONDS - step_started)) s"
}

muse_start() {
  muse_log=$work/$1.log
  muse -j -m "$project" </dev/null >"$muse_log" 2>&1 &
  muse_pid=$!
  pids+=("$muse_pid")
  echo "MusE started on $project"
}

muse_stop() {
  stop_gui "$muse_pid" "$muse_log" '^QCursor: |^MidiInput from synth: |^-> '
}

transport() {
  printf '%s\n' "$@" quit | timeout 10 jack_transport >/dev/null 2>&1 ||
    fail "jack_transport could not send: $*"
}

# What each instance handed MusE since line `mark` of its output, as
# "S:on/off R1:on/off R2:on/off other:n".
muse_counts() {
  local mark=$1 node
  local args=()
  for node in $MUSE_NODES; do
    args+=("$node=${MUSE_PORT[$node]}")
  done
  tail -n +"$((mark + 1))" "$muse_log" | grep '^MidiInput from synth: ' |
    awk -v nodes="${args[*]}" '
      BEGIN { n = split(nodes, list, " ") }
      { port = $5; sub(/^port:/, "", port)
        kind = ($7 == "NoteOn" || $7 == "NoteOff") ? $7 : "other"
        if (kind == "other") other++; else count[port, kind]++ }
      END {
        for (i = 1; i <= n; i++) {
          split(list[i], pair, "=")
          printf "%s:%d/%d ", pair[1], count[pair[2], "NoteOn"], count[pair[2], "NoteOff"]
        }
        printf "other:%d\n", other
      }'
}

# Plays "Notes" once from the start; every instance must have handed MusE
# what `want` says ("S:4/4 R1:4/4 R2:0/0 other:0"), and nothing more.
muse_play() {
  local want=$1 mark events=0 pair end found
  for pair in $want; do
    pair=${pair#*:}
    [[ $pair == */* ]] && events=$((events + ${pair%/*} + ${pair#*/}))
  done
  mark=$(wc -l <"$muse_log")
  transport "locate 0" play
  end=$((SECONDS + 20))
  while [ "$(tail -n +"$((mark + 1))" "$muse_log" | grep -c '^MidiInput from synth: ')" -lt $events ]; do
    kill -0 "$muse_pid" 2>/dev/null || fail "MusE exited while it played"
    [ $SECONDS -lt $end ] || break
    sleep 0.2
  done
  # Anything more would come within the bar's end and a moment after.
  sleep 1
  transport stop "locate 0"
  found=$(muse_counts "$mark")
  echo "note-ons/note-offs handed to MusE: $found"
  [ "$found" = "$want" ] || fail "the instances handed MusE $found; expected $want"
}

# Waits for each instance's editor window, moves it to its place and finds
# its panel there (sets MUSE_PANEL[node] to "x y").
declare -A MUSE_PANEL
muse_panels() {
  local node
  for node in $MUSE_NODES; do
    find_window "^$node:Tarvenna" 60 "$muse_pid"
    # shellcheck disable=SC2086 # "x y", split on purpose
    xdotool windowmove "$editor_window" ${MUSE_AT[$node]}
    sleep 0.2
    locate_panel
    MUSE_PANEL[$node]="$panel_x $panel_y"
  done
}

# Each node's panel shows its settings ("S=Send:1:on" ...).
muse_check_panels() {
  local setting node mode port thru
  for setting in "$@"; do
    node=${setting%%=*}
    IFS=: read -r mode port thru <<<"${setting#*=}"
    read -r panel_x panel_y <<<"${MUSE_PANEL[$node]}"
    echo "$node's panel:"
    await_panel "$node" "$mode" "$port" 20 "$thru"
  done
}

# One node's settings in a saved project, from the chunk MusE stored
# (<customData>: a 4-byte length, then the program compressed with zlib).
muse_chunk_settings() {
  local file=$1 node=$2 data bytes
  data=$(awk -v want="<name>$node</name>" '
    /<SynthI>/ { inside = 0 }
    index($0, want) { inside = 1 }
    inside && /<customData>/ { reading = 1; next }
    reading { if (index($0, "</customData>")) { sub(/<\/customData>.*/, ""); print; exit } print }' "$file")
  [ -n "$data" ] || fail "no chunk of $node in $file"
  bytes=$(echo "$data" | base64 -d | tail -c +5 |
    perl -MCompress::Zlib -e 'local $/; my $p = uncompress(<STDIN>); print join(" ", unpack("C3", substr($p, 48, 3))) if defined $p')
  [ -n "$bytes" ] || fail "the chunk of $node in $file does not decompress"
  program_settings "$bytes"
}

muse_scan() {
  begin scan "MusE's plug-in scanner at start-up, the project's instances"
  local cache=$XDG_CACHE_HOME/MusE/MusE/scanner/linux_vst_plugins.scan entry end=$((SECONDS + 60))
  muse_start first
  while ! grep -q "file=\"$work/vst/tarvenna.so\"" "$cache" 2>/dev/null; do
    kill -0 "$muse_pid" 2>/dev/null || fail "MusE exited during its scan"
    [ $SECONDS -lt $end ] || fail "MusE's scan listed no $work/vst/tarvenna.so in $cache within 60 s"
    sleep 0.5
  done
  entry=$(awk '/<plugin file=/ { inside = index($0, "tarvenna.so") > 0 }
    inside { print } /<\/plugin>/ { inside = 0 }' "$cache")
  echo "$entry"
  local want field value
  # type 16 LinuxVST; class bit 2 instrument; flags 1 GUI, 2 chunks; VST flags
  # 2 sends, 16 receives MIDI.
  for want in type=16 class=+2 uniqueID=1364348517 name=Tarvenna pluginFlags=+3 inports=2 \
    outports=2 ctlInports=4 vstPluginFlags=+18; do
    field=${want%%=*}
    value=$(sed -nE "s|.*<$field>([^<]*)</$field>.*|\1|p" <<<"$entry")
    case ${want#*=} in
      +*)
        if [ -z "$value" ] || [ $((value & ${want#*=+})) -ne "${want#*=+}" ]; then
          fail "MusE's scan has $field \"$value\", without the bits ${want#*=+}"
        fi
        ;;
      *) [ "$value" = "${want#*=}" ] || fail "MusE's scan has $field \"$value\", expected ${want#*=}" ;;
    esac
  done
  echo "MusE's scan: an instrument with a GUI and chunks, 2 audio ins and outs, 4 parameters, MIDI in and out"
  muse_panels
  done_step
}

muse_relay() {
  begin relay "the notes into S reach R1 (port 1) and S (Thru), not R2 (port 2)"
  muse_play "S:4/4 R1:4/4 R2:0/0 other:0"
  done_step
}

muse_gui() {
  begin gui "the three editors, a click on S's port button 2"
  muse_check_panels S=Send:1:on R1=Receive:1:off R2=Receive:2:off
  shoot muse
  keep_screenshot "$work/muse.png"
  read -r panel_x panel_y <<<"${MUSE_PANEL[S]}"
  # shellcheck disable=SC2046 # "x y", split on purpose
  click_panel $(port_click 2)
  muse_check_panels S=Send:2:on
  muse_play "S:4/4 R1:0/0 R2:4/4 other:0"
  done_step
}

muse_restore() {
  begin restore "Ctrl+S, the project reloaded in a new MusE"
  save_with_ctrl_s "$project" '^MusE Project: relay'
  local node saved
  for node in $MUSE_NODES; do
    echo "$node's chunk in the saved project: $(muse_chunk_settings "$project" "$node")"
  done
  for saved in S:Send:2:on R1:Receive:1:off R2:Receive:2:off; do
    [ "$(muse_chunk_settings "$project" "${saved%%:*}")" = "${saved#*:}" ] ||
      fail "the saved chunk of ${saved%%:*} is not ${saved#*:}"
  done
  muse_stop
  muse_start reload
  muse_panels
  muse_check_panels S=Send:2:on R1=Receive:1:off R2=Receive:2:off
  muse_play "S:4/4 R1:0/0 R2:4/4 other:0"
  muse_stop
  done_step
}

muse_host() {
  muse_setup "$1"
  muse_scan
  muse_relay
  muse_gui
  muse_restore
}
