# shellcheck shell=bash disable=SC2154,SC2034
# Sourced by scripts/test-hosts: Debian's i386 Ardour for the i386 module. It
# cannot be installed beside the amd64 Ardour, so its packages are unpacked
# into a cache folder kept between runs, and its programs run under
# qemu-i386 -L ROOT: the root holds every package the i386 Ardour needs,
# libc included, and each program uses that root's libraries alone.
#
# Why a root of its own: what apt would install for ardour:i386 on this
# machine depends on the machine's amd64 packages (multi-arch libraries must
# be at one version on both architectures), so a mirror that serves one
# architecture's index late, or a machine with newer amd64 libraries, makes
# it unsolvable. A private apt state (its own lists, an empty dpkg status,
# i386 the only architecture) solves Ardour's packages from the archive
# alone, whatever the machine has; the price is that libc and everything
# else come from the root, so qemu is pointed at it instead of at /.
#
# The cache: TARVENNA_HOST_CACHE when set, else /var/cache/tarvenna when it
# can be written (root), else ~/.cache/tarvenna. In it, apt-i386/ holds the
# private apt state and ardour-i386-root-VERSION/ holds root/ (the unpacked
# packages), loaders.cache (GTK's image loaders of that root) and complete
# (written last); a new Ardour version replaces it.

i386_cache_folder() {
  if [ -n "${TARVENNA_HOST_CACHE:-}" ]; then
    echo "$TARVENNA_HOST_CACHE"
  elif mkdir -p /var/cache/tarvenna 2>/dev/null && [ -w /var/cache/tarvenna ]; then
    echo /var/cache/tarvenna
  else
    echo "$user_cache/tarvenna"
  fi
}

# apt-get and apt-cache on the private i386 state in $i386_apt_state, with
# the machine's sources. No lock (the state is ours, and flock guards it) and
# no privilege drop to _apt, which could not write a user's cache folder.
i386_apt() {
  local tool=$1
  shift
  "$tool" -q -o "Dir::State=$i386_apt_state/state" -o "Dir::State::status=$i386_apt_state/status" \
    -o "Dir::Cache=$i386_apt_state/cache" -o APT::Architecture=i386 -o APT::Architectures::=i386 \
    -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)" "$@"
}

i386_candidate() {
  i386_apt apt-cache policy ardour 2>/dev/null | sed -nE 's/^ *Candidate: (.*)$/\1/p'
}

# The private state's lists, from the machine's sources. A mirror mid-sync
# may fail one index (seen: bookworm-security's i386 Packages); the others
# are enough as long as they know Ardour, and one line says so.
i386_update() {
  i386_apt_state=$1
  mkdir -p "$i386_apt_state/state/lists/partial" "$i386_apt_state/cache/archives/partial"
  touch "$i386_apt_state/status"
  local try
  for try in 1 2; do
    i386_apt apt-get update >"$work/apt-i386-update.log" 2>&1 && return 0
    [ $try -eq 2 ] || sleep 10
  done
  grep '^E:' "$work/apt-i386-update.log" | head -3
  echo "the i386 package lists could not all be updated (above): going on with those apt has"
}

# Every package ardour:i386 needs on an empty i386 system, as name=version.
i386_package_list() {
  i386_apt apt-get -s install --no-install-recommends ardour 2>"$work/apt-i386-solve.log" |
    sed -nE 's/^Inst ([^ ]+) \(([^ ]+) .*/\1=\2/p'
}

i386_fill_cache() {
  local into=$1 partial=$1.partial list deb count
  rm -rf "$partial"
  mkdir -p "$partial/debs" "$partial/root"
  list=$(i386_package_list)
  grep -q '^ardour=' <<<"$list" ||
    { cat "$work/apt-i386-solve.log"; fail "apt cannot solve ardour:i386 on an empty i386 system (above)"; }
  count=$(wc -l <<<"$list")
  echo "downloading the $count i386 packages of ardour:i386 with its own libc"
  # shellcheck disable=SC2086 # a list of name=version words
  (cd "$partial/debs" && i386_apt apt-get download $list) >"$work/download.log" 2>&1 ||
    { cat "$work/download.log"; fail "apt-get download of the i386 packages failed (above)"; }
  for deb in "$partial"/debs/*.deb; do
    dpkg-deb -x "$deb" "$partial/root" || fail "dpkg-deb could not unpack $deb"
  done
  rm -rf "$partial/debs"
  mv "$partial" "$into"
  local lib=/usr/lib/i386-linux-gnu
  qemu-i386 -L "$into/root" "$into/root$lib/gdk-pixbuf-2.0/gdk-pixbuf-query-loaders" \
    "$into/root$lib"/gdk-pixbuf-2.0/2.10.0/loaders/*.so \
    >"$into/loaders.cache" || fail "the i386 gdk-pixbuf-query-loaders failed"
  echo "$count packages" >"$into/complete"
}

# Sets i386_root to the unpacked ardour:i386, filling the cache when needed;
# one run at a time fills it.
i386_unpacked() {
  local cache version
  cache=$(i386_cache_folder)
  mkdir -p "$cache"
  exec 9>"$cache/ardour-i386.lock"
  flock 9
  i386_apt_state=$cache/apt-i386
  version=$(i386_candidate)
  i386_cached=$cache/ardour-i386-root-${version//[:~]/_}
  if [ -z "$version" ] || [ "$version" = "(none)" ] || [ ! -f "$i386_cached/complete" ]; then
    i386_update "$i386_apt_state"
    version=$(i386_candidate)
    if [ -z "$version" ] || [ "$version" = "(none)" ]; then
      cat "$work/apt-i386-update.log"
      fail "the i386 package lists know no ardour (above)"
    fi
    i386_cached=$cache/ardour-i386-root-${version//[:~]/_}
  fi
  if [ -f "$i386_cached/complete" ]; then
    echo "i386 Ardour $version from the cache $i386_cached ($(cat "$i386_cached/complete"))"
  else
    echo "no i386 Ardour $version in $cache yet: unpacking it there"
    rm -rf "$cache"/ardour-i386-*/
    i386_fill_cache "$i386_cached"
  fi
  exec 9>&-
  i386_root=$i386_cached/root
  host_version="Ardour $version i386 under $(qemu-i386 --version | head -1)"
}

# The commands of ardour.sh for the i386 Ardour. Its 32-bit readdir fails
# under qemu on ext4's large directory offsets (EOVERFLOW), so everything
# Ardour lists lives on a tmpfs: the work folder with home and sessions, and
# a copy of the LV2 bundle the sessions use.
ardour_commands_i386() {
  install_for "qemu-i386" "qemu-user"
  [ "$(stat -f -c %T /dev/shm 2>/dev/null)" = tmpfs ] ||
    fail "/dev/shm is not a tmpfs; the i386 Ardour needs one to list its folders under qemu"
  private_home /dev/shm
  i386_unpacked
  local r=$i386_root lib=$i386_root/usr/lib/ardour7 gui
  mkdir -p "$work/lv2"
  cp -r "$r/usr/lib/lv2/reasonablesynth.lv2" "$work/lv2/"
  local env=(env "LD_LIBRARY_PATH=$lib:$r/usr/lib/i386-linux-gnu:$r/lib/i386-linux-gnu:$r/usr/lib/i386-linux-gnu/pulseaudio"
    ARDOUR_DATA_PATH=/usr/share/ardour7 "ARDOUR_CONFIG_PATH=$r/etc/ardour7" "ARDOUR_DLL_PATH=$lib"
    "VAMP_PATH=$lib/vamp" "LV2_PATH=$work/lv2")
  gui=$(find "$lib" -maxdepth 1 -name 'ardour-[0-9]*' -type f | head -1)
  [ -n "$gui" ] || fail "no Ardour program in $lib"
  ardour_lua=("${env[@]}" qemu-i386 -L "$r" "$lib/luasession")
  ardour_gui=("${env[@]}" "GTK_PATH=$r/etc/ardour7:$lib:$r/usr/lib/i386-linux-gnu/gtk-2.0"
    "GDK_PIXBUF_MODULE_FILE=$i386_cached/loaders.cache" UBUNTU_MENUPROXY= qemu-i386 -L "$r" "$gui")
  ardour_scanner=("${env[@]}" qemu-i386 -L "$r" "$lib/ardour-vst-scanner")
  # Under qemu Ardour's GUI takes about a minute to come up, several on a
  # busy machine, and each relay repetition about 3 s: three, with two
  # process threads.
  ardour_gui_wait=600
  relay_threads=4
  relay_repetitions=3
}
