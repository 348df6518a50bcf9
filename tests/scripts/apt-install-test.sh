#!/usr/bin/env bash
# The set-up's way through a Debian mirror mid-sync, against the stand-in
# apt-get of standin/ (no network, nothing installed): scripts/setup goes on
# after a failing update, falls back to one release and says what it
# downgrades; scripts/apt-install refuses a downgrade outside a multi-arch
# pair, and fails with one line naming the packages and apt's reason when
# nothing solves.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
failures=0
states=()
trap 'rm -rf "${states[@]}"' EXIT

# Runs the command under the stand-ins in a fresh state; sets out and status.
run() {
  export STANDIN_SCENE=$1
  shift
  STANDIN=$(mktemp -d /tmp/tarvenna-standin.XXXXXX)
  states+=("$STANDIN")
  export STANDIN TARVENNA_APT_PAUSE=0 TARVENNA_APT_STAMP=$STANDIN/stamp
  status=0
  out=$(PATH="$here/standin:$PATH" "$@" 2>&1) || status=$?
}

check() {
  local what=$1
  shift
  if ! "$@"; then
    echo "FAILED ($STANDIN_SCENE): $what"
    echo "$out" | sed 's/^/  | /'
    failures=$((failures + 1))
  fi
}
has() { grep -qF -- "$1" <<<"$out"; }
called() { grep -cF -- "$1" "$STANDIN/calls"; }

run mirror "$scripts/setup"
check "setup passes" test "$status" -eq 0
check "update tried three times" test "$(called "apt-get -q -o DPkg::Lock::Timeout=60 update")" -eq 3
check "one line says it goes on" has "apt-get update failed 3 times (E: Failed to fetch"
check "the downgrade is named" has "downgrading, to keep both architectures at one version: linux-libc-dev 6.1.187-1 -> 6.1.176-1"
check "installed from one release, linux-libc-dev pinned" \
  grep -qE "install -y .*-t bookworm .*linux-libc-dev:amd64/bookworm" "$STANDIN/calls"
run mirror "$scripts/apt-install" ardour
check "a second install within minutes does not update again" test "$status" -eq 0
touch "$STANDIN/stamp"
PATH="$here/standin:$PATH" "$scripts/apt-install" ardour >/dev/null 2>&1
check "... nor does the one after it" test "$(called " update")" -eq 3

run downgrade "$scripts/apt-install" libpng-dev libpng-dev:i386
check "a downgrade outside a multi-arch pair fails" test "$status" -eq 1
check "the refusal is said" has "could not install libpng-dev libpng-dev:i386: apt-install: not downgrading libssl3 3.0.17-1~deb12u2 -> 3.0.15-1~deb12u1"
check "nothing is installed" test "$(called "install -y")" -eq 1

run unsolvable "$scripts/apt-install" libpng-dev libpng-dev:i386
check "nothing solves: it fails" test "$status" -eq 1
check "one message names the packages and apt's reason" \
  has "apt-install: could not install libpng-dev libpng-dev:i386: libpng-dev : Breaks: libpng-dev:i386 (!= 1.6.39-2+deb12u6)"
check "the fallback gave up after pinning what the failure named" \
  grep -qE "install -s .*libc6-dev:amd64/bookworm linux-libc-dev:amd64/bookworm" "$STANDIN/calls"

[ $failures -eq 0 ] && echo "set-up against a mirror mid-sync: every check passed"
exit $((failures > 0))
