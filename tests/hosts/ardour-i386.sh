# shellcheck shell=bash disable=SC2154,SC2034
# Sourced by scripts/test-hosts: Debian's i386 Ardour for the i386 module. It
# cannot be installed beside the amd64 Ardour, so its packages are unpacked
# into a cache folder kept between runs, and its programs run under
# qemu-i386 -L / with the libraries found there. The architecture-independent
# data comes from the amd64 install.
#
# The cache: TARVENNA_HOST_CACHE when set, else /var/cache/tarvenna when it
# can be written (root), else ~/.cache/tarvenna. In it, ardour-i386-VERSION/
# holds root/ (the unpacked packages), loaders.cache (GTK's image loaders of
# that root) and complete (written last); a new Ardour version replaces it.

i386_cache_folder() {
  if [ -n "${TARVENNA_HOST_CACHE:-}" ]; then
    echo "$TARVENNA_HOST_CACHE"
  elif mkdir -p /var/cache/tarvenna 2>/dev/null && [ -w /var/cache/tarvenna ]; then
    echo /var/cache/tarvenna
  else
    echo "$user_cache/tarvenna"
  fi
}

i386_candidate() {
  apt-cache policy ardour:i386 2>/dev/null | sed -nE 's/^ *Candidate: (.*)$/\1/p'
}

# What apt would install for ardour:i386 here, as name:i386=version. Only
# new packages: an i386 library the system has already is used from there
# (a newer copy beside an older libc would not load).
i386_package_list() {
  apt-get -s install ardour:i386 2>/dev/null | sed -nE 's/^Inst ([^ ]+:i386) \(([^ ]+) .*/\1=\2/p'
}

i386_fill_cache() {
  local into=$1 partial=$1.partial list deb count
  rm -rf "$partial"
  mkdir -p "$partial/debs" "$partial/root"
  list=$(i386_package_list)
  grep -q '^ardour:i386=' <<<"$list" || fail "apt offers no ardour:i386 here"
  count=$(wc -l <<<"$list")
  echo "downloading the $count i386 packages ardour:i386 takes on this machine"
  # shellcheck disable=SC2086 # a list of name=version words
  (cd "$partial/debs" && apt-get -q download $list) >"$work/download.log" 2>&1 ||
    { cat "$work/download.log"; fail "apt-get download of the i386 packages failed (above)"; }
  for deb in "$partial"/debs/*.deb; do
    dpkg-deb -x "$deb" "$partial/root" || fail "dpkg-deb could not unpack $deb"
  done
  rm -rf "$partial/debs"
  mv "$partial" "$into"
  local lib=$into/root/usr/lib/i386-linux-gnu
  env "LD_LIBRARY_PATH=$lib:$into/root/lib/i386-linux-gnu" qemu-i386 -L / \
    "$lib/gdk-pixbuf-2.0/gdk-pixbuf-query-loaders" "$lib"/gdk-pixbuf-2.0/2.10.0/loaders/*.so \
    >"$into/loaders.cache" || fail "the i386 gdk-pixbuf-query-loaders failed"
  echo "$count packages" >"$into/complete"
}

# Sets i386_root to the unpacked ardour:i386, filling the cache when needed;
# one run at a time fills it.
i386_unpacked() {
  local cache version
  cache=$(i386_cache_folder)
  mkdir -p "$cache"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "enabling the i386 architecture"
    as_root dpkg --add-architecture i386
  fi
  version=$(i386_candidate)
  if [ -z "$version" ] || [ "$version" = "(none)" ]; then
    apt_get update || fail "apt-get update failed (above)"
    version=$(i386_candidate)
  fi
  if [ -z "$version" ] || [ "$version" = "(none)" ]; then
    fail "apt knows no ardour:i386"
  fi
  i386_cached=$cache/ardour-i386-${version//[:~]/_}
  exec 9>"$cache/ardour-i386.lock"
  flock 9
  if [ -f "$i386_cached/complete" ]; then
    echo "i386 Ardour $version from the cache $i386_cached ($(cat "$i386_cached/complete"))"
  else
    echo "no i386 Ardour $version in $cache yet: unpacking it there"
    apt_get update || fail "apt-get update failed (above)"
    rm -rf "$cache"/ardour-i386-*
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
  ardour_lua=("${env[@]}" qemu-i386 -L / "$lib/luasession")
  ardour_gui=("${env[@]}" "GTK_PATH=$r/etc/ardour7:$lib:$r/usr/lib/i386-linux-gnu/gtk-2.0"
    "GDK_PIXBUF_MODULE_FILE=$i386_cached/loaders.cache" UBUNTU_MENUPROXY= qemu-i386 -L / "$gui")
  ardour_scanner=("${env[@]}" qemu-i386 -L / "$lib/ardour-vst-scanner")
  # Under qemu Ardour's GUI takes about a minute to come up, several on a
  # busy machine, and each relay repetition about 3 s: three, with two
  # process threads.
  ardour_gui_wait=600
  relay_threads=4
  relay_repetitions=3
}
