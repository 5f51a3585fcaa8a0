#!/usr/bin/env bash
# Installs the 32-bit build of the peer 3DS reader the chunk benchmark compares with.
set -euo pipefail
if ! dpkg-query -W -f='${Status}' lib3ds-dev:i386 2>/dev/null | grep -q 'install ok installed'; then
  export DEBIAN_FRONTEND=noninteractive
  dpkg --add-architecture i386
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends lib3ds-dev:i386
fi
