#!/usr/bin/env bash
# Checks the shipped DLL's boundary: exactly the two undecorated exports, and
# imports only from the system DLLs, the C runtime and the engine.
set -euo pipefail
dir=${1:-build/win32}
dll=$(find "$dir" -name Tessoid.dll | head -n1)
[ -n "$dll" ] || { echo "Tessoid.dll not found under $dir"; exit 1; }
dump=$(i686-w64-mingw32-objdump -p "$dll")
# The names listed under the export table's name pointer table.
exports=$(awk '/Ordinal\/Name Pointer\] Table/ {f = 1; next}
               f && /^[ \t]*\[/ {print $NF; next}
               {f = 0}' <<<"$dump" | sort | tr '\n' ' ')
if [ "$exports" != "GetDLLInfo GetInterfaceFunctions " ]; then
  echo "unexpected exports: '$exports'"; exit 1
fi
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$dump" | sort -u)
while read -r lib; do
  case "${lib,,}" in
    kernel32.dll|user32.dll|msvcrt.dll|glintor2.dll) ;;
    *) echo "unexpected import: $lib"; exit 1 ;;
  esac
done <<<"$imports"
echo "Tessoid.dll: exports [$exports] imports [$(tr '\n' ' ' <<<"$imports")]"
# The resource version block carries the project's one version number.
version=$(sed -n 's/^#define TESSOID_VERSION_RC_STRING "\(.*\)"$/\1/p' "$dir/generated/tessoid_version.h")
python3 - "$dll" "$version" <<'PY' || exit 1
import re, sys
data = open(sys.argv[1], "rb").read()
key, value = "FileVersion".encode("utf-16-le"), sys.argv[2].encode("utf-16-le")
# The key, its zero terminator and alignment padding, then the value.
if not re.search(re.escape(key) + b"(\x00\x00)+" + re.escape(value) + b"\x00\x00", data):
    sys.exit("the version block does not say FileVersion " + sys.argv[2])
PY
echo "Tessoid.dll: file version $version"
