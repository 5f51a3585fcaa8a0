#!/usr/bin/env bash
# make dist: the two release archives, from the win32 and linux32 builds (built here if
# needed), checked after they are made.
#   dist/Tessoid-VERSION-win32.zip               the plug-in for Windows users
#   dist/tessoid-host-VERSION-linux-i386.tar.gz  the command-line tool, runnable anywhere
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
JOBS=${JOBS:-2}
win=build/win32
lin=build/linux32
for preset in win32 linux32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$JOBS"
done
version=$(sed -n 's/^#define TESSOID_VERSION_STRING "\(.*\)"$/\1/p' "$lin/generated/tessoid_version.h")
[ -n "$version" ] || { echo "dist: no version in $lin/generated/tessoid_version.h"; exit 1; }

out=$root/dist
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$out"
subst() { sed "s/@VERSION@/$version/" "$1" >"$2"; }

# The plug-in: the DLL and plain-words installation notes, with checksums.
plugin=$stage/Tessoid-$version-win32
mkdir -p "$plugin"
cp "$win/bin/Tessoid.dll" LICENSE CHANGES.md "$plugin/"
subst packaging/INSTALL.txt "$plugin/INSTALL.txt"
(cd "$plugin" && sha256sum Tessoid.dll INSTALL.txt LICENSE CHANGES.md >SHA256SUMS)
zip=$out/Tessoid-$version-win32.zip
rm -f "$zip"
(cd "$stage" && python3 -m zipfile -c "$zip" "Tessoid-$version-win32")

# The command-line tool: the host, the plug-in, the stand-ins and the C++ runtime, all
# in bin/ (the binaries look for their libraries beside themselves).
tool=$stage/tessoid-host-$version-linux-i386
mkdir -p "$tool/bin"
cp "$lin/bin/tessoid-host" "$lin/bin/libTessoid.so" "$lin/bin/libwin32.so" \
   "$lin/bin/libGlintor2.so" "$tool/bin/"
for lib in libstdc++.so.6 libgcc_s.so.1; do
    path=$(g++ -m32 -print-file-name="$lib")
    [ -f "$path" ] || { echo "dist: no 32-bit $lib"; exit 1; }
    cp -L "$path" "$tool/bin/$lib"
done
# Debug sections make up most of the size; nobody debugs from the release archive.
strip --strip-debug "$tool"/bin/*
cp LICENSE CHANGES.md "$tool/"
subst packaging/README-linux.txt "$tool/README.txt"
tarball=$out/tessoid-host-$version-linux-i386.tar.gz
tar -C "$stage" --owner=0 --group=0 -czf "$tarball" "tessoid-host-$version-linux-i386"

# Checks: the archives hold what they should, the checksums hold, and the unpacked tool
# runs from another folder through PATH.
check=$stage/check
mkdir -p "$check"
python3 -m zipfile -e "$zip" "$check"
(cd "$check/Tessoid-$version-win32" && sha256sum --quiet -c SHA256SUMS)
tar -C "$check" -xzf "$tarball"
got=$(cd / && PATH="$check/tessoid-host-$version-linux-i386/bin:$PATH" tessoid-host --version)
[ "$got" = "tessoid-host $version" ] || { echo "dist: unpacked tool says '$got'"; exit 1; }
(cd / && PATH="$check/tessoid-host-$version-linux-i386/bin:$PATH" tessoid-host info >/dev/null) ||
    { echo "dist: the unpacked tool cannot load its plug-in"; exit 1; }
echo "dist: $zip"
echo "dist: $tarball"
