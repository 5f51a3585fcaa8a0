#!/usr/bin/env bash
# Installs the 32-bit build of the peer 3DS reader the chunk benchmark compares with.
# Without it the benchmark still runs and says the comparison was not made.
set -euo pipefail
if ! dpkg-query -W -f='${Status}' lib3ds-dev:i386 2>/dev/null | grep -q 'install ok installed'; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  # A mirror mid-sync fails one index while the others are fine: retry, then go on.
  for try in 1 2 3; do
    apt-get update -qq && break
    echo "apt-get update failed (try $try of 3)"
    sleep $((try * 10))
  done
  apt-get install -y -qq --no-install-recommends lib3ds-dev:i386 ||
    echo "warning: lib3ds-dev:i386 could not be installed; chunk_bench runs without its peer"
fi
