# shellcheck shell=bash disable=SC2154,SC2034
# Sourced by scripts/test-hosts: the steps of an Ardour host, the same for the
# x86_64 Ardour and the i386 one under qemu (ardour-i386.sh); only the
# commands, the folders and how long the relay runs differ:
#   ardour_lua      runs a session script headless (ardour7-lua)
#   ardour_gui      Ardour's GUI
#   ardour_scanner  Ardour's VST scanner
#   ardour_gui_wait seconds the GUI may take to show B's editor
#   relay_threads   the processor usages the relay runs with, and
#   relay_repetitions  how often with each

# Runs one session script with a time limit; its output goes into the log
# and its last PASS or FAIL line is the verdict.
run_lua() {
  local limit=$1 out
  shift
  out=$work/lua.out
  local status=0
  (unset DISPLAY; timeout -k 10 "$limit" "${ardour_lua[@]}" "$@") </dev/null >"$out" 2>&1 || status=$?
  grep -v "^Butler drops pool trash$" "$out" || true
  [ $status -eq 124 ] && fail "the session script $(basename "$1") did not finish within $limit s"
  local verdict
  verdict=$(grep -E "^(PASS|FAIL)" "$out" | tail -1 || true)
  case "$verdict" in
    PASS*) [ $status -eq 0 ] || fail "the session script $(basename "$1") exited with $status after: $verdict" ;;
    FAIL*) fail "${verdict#FAIL }" ;;
    *) fail "the session script $(basename "$1") exited with $status and no verdict (last line: $(tail -1 "$out"))" ;;
  esac
}

ardour_commands_x86_64() {
  local libdir=/usr/lib/ardour7
  ardour_lua=(ardour7-lua)
  ardour_gui=(ardour)
  ardour_scanner=(env "LD_LIBRARY_PATH=$libdir" "$libdir/ardour-vst-scanner")
  [ -x "$libdir/ardour-vst-scanner" ] || fail "Ardour's VST scanner is not at $libdir/ardour-vst-scanner"
  ardour_gui_wait=150
  relay_threads="1 4"
  relay_repetitions=$repetitions
}

ardour_setup() {
  local arch=$1 module=$2
  begin set-up "Ardour ($arch) and a private home"
  install_for "ardour7-lua ardour $X_TOOLS" "ardour $X_PACKAGES"
  host_version="Ardour $(dpkg-query -W -f='${Version}' ardour 2>/dev/null || echo unknown)"
  [ -f "$module" ] || fail "no module at $module (build the $arch preset first)"
  if [ "$arch" = i386 ]; then
    ardour_commands_i386
  else
    private_home /tmp
    ardour_commands_x86_64
  fi
  echo "$host_version, $arch; module $module"
  mkdir -p "$XDG_CONFIG_HOME/ardour7/scripts" "$work/vst" "$work/sessions"
  # Ardour takes a scanner's cache entry only when the module is older than
  # the entry, to the second: a module built a moment ago would be rescanned
  # and then refused in a headless run.
  cp "$module" "$work/vst/tarvenna.so"
  touch -d "-1 hour" "$work/vst/tarvenna.so"
  # The LV2 bundle, its binary the same file as the LXVST module: a host that
  # loads both faces loads one module, and all its instances share one relay.
  local bundle
  bundle=$(dirname "$module")/tarvenna.lv2
  [ -f "$bundle/manifest.ttl" ] || fail "no LV2 bundle at $bundle (build the $arch preset first)"
  mkdir -p "$work/lv2/tarvenna.lv2"
  cp "$bundle/manifest.ttl" "$bundle/tarvenna.ttl" "$work/lv2/tarvenna.lv2/"
  ln -s ../../vst/tarvenna.so "$work/lv2/tarvenna.lv2/tarvenna.so"
  # The machine's own bundles stay on the path: LV2's core (the plug-in
  # classes) and Ardour's ACE synth. Under qemu-i386 -L ROOT, /usr/lib/lv2
  # is the root's, which has the ACE bundles but not LV2's core (lv2-dev):
  # the machine's is linked in.
  if [ "$arch" = i386 ]; then
    [ -d /usr/lib/lv2/core.lv2 ] || fail "LV2's core bundle is not at /usr/lib/lv2/core.lv2 (lv2-dev)"
    ln -s /usr/lib/lv2/core.lv2 "$work/lv2/core.lv2"
  fi
  export LV2_PATH=$work/lv2:/usr/lib/lv2
  sed "s|@LXVST_PATH@|$work/vst|" "$hosts/ardour-config.xml" >"$XDG_CONFIG_HOME/ardour7/config"
  cp "$hosts/probe.lua" "$XDG_CONFIG_HOME/ardour7/scripts/"
  # Ardour's GUI shows its first-run dialog unless this marker exists.
  touch "$XDG_CONFIG_HOME/ardour7/.a7"
  echo "==== hosts $host set-up: done in $((SECONDS - step_started)) s"
}

# The scanner's exit code is 0 even when it fails: its output is the verdict.
scan() {
  begin scan "Ardour's VST scanner and plug-in list (LXVST and LV2)"
  local out=$work/scan.out entry cache
  (unset DISPLAY; timeout 60 "${ardour_scanner[@]}" -v -f "$work/vst/tarvenna.so") \
    >"$out" 2>&1 || true
  cat "$out"
  entry=$(grep -o '<VST2Info [^>]*>' "$out" | head -1)
  [ -n "$entry" ] || fail "the scanner printed no <VST2Info .../> line"
  local want
  for want in 'name="Tarvenna"' 'category="Instrument"' 'n_inputs="2"' 'n_outputs="2"' \
    'n_midi_inputs="1"' 'n_midi_outputs="1"' 'is_instrument="1"' 'has_editor="1"' \
    'id="1364348517"'; do
    case "$entry" in
      *"$want"*) ;;
      *) fail "the scanner's entry lacks $want: $entry" ;;
    esac
  done
  cache=$(find "$XDG_CACHE_HOME/ardour7/vst" -name '*.v2i' 2>/dev/null | head -1)
  [ -n "$cache" ] || fail "the scanner wrote no cache file under $XDG_CACHE_HOME/ardour7/vst"
  grep -q 'name="Tarvenna"' "$cache" || fail "the cache file $cache does not name Tarvenna"
  echo "cache: $cache"
  run_lua 120 "$hosts/scan.lua" "$hosts" "$work/sessions/scan" "$work/vst/tarvenna.so"
  done_step
}

relay() {
  begin relay "three tracks, $relay_repetitions repetitions with processor usage ${relay_threads// / and }, once with LV2 receivers"
  local threads
  for threads in $relay_threads; do
    run_lua 240 "$hosts/relay.lua" "$hosts" "$work/sessions" "$threads" "$relay_repetitions"
  done
  # An LXVST sender and LV2 receivers (the restore step has the reverse).
  run_lua 240 "$hosts/relay.lua" "$hosts" "$work/sessions" "${relay_threads##* }" 1 "B=LV2,C=LV2"
  done_step
}

restore() {
  begin restore "save, reload in a new process (A and C LV2, B VST 2)"
  run_lua 120 "$hosts/restore.lua" "$hosts" "$work/sessions/restore" save "$work/window"
  run_lua 120 "$hosts/restore.lua" "$hosts" "$work/sessions/restore" load
  done_step
}

ardour_host() {
  ardour_setup "$1" "$2"
  scan
  relay
  restore
  gui
}
