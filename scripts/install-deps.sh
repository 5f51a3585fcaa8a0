#!/usr/bin/env bash
# Installs the Debian packages the builds need, only those that are missing.
# Runs as root on a fresh Debian 12 machine; a no-op when everything is there.
set -euo pipefail

# A mirror in the middle of a sync makes apt-get update fail on one index while the
# others are fine: try again a few times, then go on with the lists at hand.
apt_update() {
    local try
    for try in 1 2 3; do
        apt-get update -qq && return 0
        echo "apt-get update failed (try $try of 3)"
        sleep $((try * 10))
    done
    echo "warning: apt-get update kept failing; installing from the package lists at hand"
}
apt_install() {
    apt-get install -y -qq --no-install-recommends "$@" && return 0
    sleep 20
    apt_update
    apt-get install -y -qq --no-install-recommends "$@"
}

# What the Wine end-to-end suite needs: `install-deps.sh wine`, called by the
# Makefile for that suite only.
install_wine() {
    local need=(wine wine32:i386 xvfb xauth) missing=() p
    for p in "${need[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    apt_update
    apt_install "${missing[@]}" && return 0
    # An i386 index missing from the security archive mid-sync leaves the amd64 libraries
    # newer than any i386 twin, which must match: take both from the main archive for
    # this one install.
    echo "retrying with the main archive preferred over the security archive"
    local pin=/etc/apt/preferences.d/tessoid-mid-sync
    printf 'Package: *\nPin: release l=Debian-Security\nPin-Priority: 100\n' >"$pin"
    local rc=0
    apt-get install -y -qq --no-install-recommends "${missing[@]}" || rc=$?
    rm -f "$pin"
    return "$rc"
}
if [ "${1:-}" = wine ]; then
    install_wine
    exit
fi

need=(g++ g++-multilib g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake ninja-build
      clang libclang-rt-14-dev googletest make python3 nlohmann-json3-dev
      libtinyobjloader-dev povray clang-format)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_update
  apt_install "${missing[@]}"
fi

# Some kernels have no 32-bit user mode: the 32-bit builds' programs then run through
# the emulator, which takes one line to say.
. "$(dirname "$0")/machine32.sh"
mode=$(mode_32bit)
if [ "$mode" = none ] || { [ "$mode" = native ] && [ -n "${TESSOID_EMULATE_32BIT:-}" ]; }; then
  if [ "$(id -u)" = 0 ] && setup_emulator >/dev/null; then
    if [ "$mode" = native ]; then
      echo "32-bit programs: run through qemu-i386, as TESSOID_EMULATE_32BIT asks"
    else
      echo "32-bit programs: this kernel cannot run them, so they run through qemu-i386"
    fi
  else
    echo "32-bit programs: this kernel cannot run them and the emulator could not be set up"
  fi
fi
