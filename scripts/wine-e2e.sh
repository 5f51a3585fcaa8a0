#!/usr/bin/env bash
# End-to-end suite of the Windows build: tessoid-host.exe with Tessoid.dll and
# Glintor2.dll beside it, run under Wine on a virtual display, compared with the
# Linux build. Builds nothing; expects both build folders.
#   scripts/wine-e2e.sh [--dll ZIP] [WIN32_BUILD] [LINUX32_BUILD]
# (defaults build/win32, build/linux32). With --dll, the plug-in under test is the
# Tessoid.dll inside the release zip, not the one in the build folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=
if [ "${1:-}" = --dll ]; then
    zip=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
    shift 2
fi
win=${1:-$root/build/win32}
lin=${2:-$root/build/linux32}

for tool in wine wineboot wineserver Xvfb python3; do
    command -v "$tool" >/dev/null || { echo "wine-e2e: $tool is not installed"; exit 1; }
done
for f in "$win/bin/tessoid-host.exe" "$win/bin/Tessoid.dll" "$win/bin/Glintor2.dll" \
         "$lin/bin/tessoid-host" "$lin/bin/libTessoid.so"; do
    [ -f "$f" ] || { echo "wine-e2e: $f is missing: build the win32 and linux32 presets first"; exit 1; }
done
win=$(cd "$win" && pwd)
lin=$(cd "$lin" && pwd)

work=$win/wine-e2e
rm -rf "$work"
mkdir -p "$work/run"
bin=$win/bin
if [ -n "$zip" ]; then
    # The released DLL beside the host and engine of this build, as a user's copy would sit.
    bin=$work/bin
    mkdir -p "$bin" "$work/unzipped"
    python3 -m zipfile -e "$zip" "$work/unzipped"
    dll=$(find "$work/unzipped" -name Tessoid.dll | head -n1)
    [ -n "$dll" ] || { echo "wine-e2e: no Tessoid.dll in $zip"; exit 1; }
    cp "$win/bin/tessoid-host.exe" "$win/bin/Glintor2.dll" "$dll" "$bin/"
    echo "wine-e2e: testing the Tessoid.dll of $zip"
fi
export WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
# No browser or .NET installers on first start: the host needs neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

# A display of our own; Xvfb picks a free number and tells it on the descriptor.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
cleanup() {
    wineserver -w 2>/dev/null || true  # lets Wine finish before its display goes
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "wine-e2e: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")

start=$SECONDS
echo "wine-e2e: $(wine --version), fresh prefix in $WINEPREFIX"
wineboot -i >"$work/wineboot.log" 2>&1 || { echo "wine-e2e: wineboot failed"; cat "$work/wineboot.log"; exit 1; }
# A crashing host ends at once instead of waiting on the crash dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >>"$work/wineboot.log" 2>&1
wineserver -w
echo "wine-e2e: prefix ready after $((SECONDS - start)) s"

status=0
# Real-world files: the full set beside the checkout (or TESSOID_SHARED_DIR), else the
# set bundled with the project.
testdata=${TESSOID_SHARED_DIR:-$root/../shared}/testdata
[ -e "$testdata/EXPECTED.tsv" ] || testdata=$root/tests/data/real
WIN_BIN=$bin LIN_BIN=$lin/bin RUN_DIR=$work/run SOURCE_DIR=$root \
TESTDATA_DIR=$testdata "$root/tests/wine/suite.sh" || status=$?
echo "wine-e2e: $((SECONDS - start)) s in all"
exit $status
