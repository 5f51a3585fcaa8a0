#!/usr/bin/env bash
# Installs the peer library the OBJ benchmark compares with (header only), if missing.
set -euo pipefail
if ! dpkg-query -W -f='${Status}' libtinyobjloader-dev 2>/dev/null | grep -q 'install ok installed'; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends libtinyobjloader-dev
fi
