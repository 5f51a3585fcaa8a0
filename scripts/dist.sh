#!/usr/bin/env bash
# make dist: the release archives, from the win32, linux32 and linux64 builds (built here
# if needed), checked after they are made.
#   dist/Tessoid-VERSION-win32.zip                 the plug-in for Windows users
#   dist/tessoid-host-VERSION-linux-x86_64.tar.gz  the command-line tool, for any x86-64 Linux
#   dist/tessoid-host-VERSION-linux-i386.tar.gz    the same as a 32-bit program
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
JOBS=${JOBS:-2}
win=build/win32
lin=build/linux32
for preset in win32 linux32 linux64; do
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
# pack_tool ARCH BUILD COMPILER_FLAG: the tarball's path.
pack_tool() {
    local arch=$1 build=$2 flag=$3 lib path
    local tool=$stage/tessoid-host-$version-linux-$arch
    mkdir -p "$tool/bin"
    cp "$build/bin/tessoid-host" "$build/bin/libTessoid.so" "$build/bin/libwin32.so" \
       "$build/bin/libGlintor2.so" "$tool/bin/"
    for lib in libstdc++.so.6 libgcc_s.so.1; do
        path=$(g++ "$flag" -print-file-name="$lib")
        [ -f "$path" ] || { echo "dist: no $arch $lib" >&2; exit 1; }
        cp -L "$path" "$tool/bin/$lib"
    done
    # Debug sections make up most of the size; nobody debugs from the release archive.
    strip --strip-debug "$tool"/bin/*
    cp LICENSE CHANGES.md "$tool/"
    local platform="64-bit (x86-64) Linux" note="nothing else is needed."
    if [ "$arch" = i386 ]; then
        platform="32-bit Linux"
        note="the machine needs the 32-bit C library (Debian and Ubuntu: apt install libc6-i386)."
    fi
    sed "s/@VERSION@/$version/; s/@PLATFORM@/$platform/; s/@RUNTIME_NOTE@/$note/" \
        packaging/README-linux.txt >"$tool/README.txt"
    local tarball=$out/tessoid-host-$version-linux-$arch.tar.gz
    tar -C "$stage" --owner=0 --group=0 -czf "$tarball" "tessoid-host-$version-linux-$arch"
    echo "$tarball"
}
tarball64=$(pack_tool x86_64 build/linux64 -m64)
tarball=$(pack_tool i386 "$lin" -m32)

# Checks: the archives hold what they should, the checksums hold, and the unpacked tool
# runs from another folder through PATH.
check=$stage/check
mkdir -p "$check"
python3 -m zipfile -e "$zip" "$check"
(cd "$check/Tessoid-$version-win32" && sha256sum --quiet -c SHA256SUMS)
# check_tool TARBALL ARCH: the unpacked tool runs from another folder through PATH.
check_tool() {
    tar -C "$check" -xzf "$1"
    local bin=$check/tessoid-host-$version-linux-$2/bin got
    got=$(cd / && PATH="$bin:$PATH" tessoid-host --version)
    [ "$got" = "tessoid-host $version" ] || { echo "dist: unpacked $2 tool says '$got'"; exit 1; }
    (cd / && PATH="$bin:$PATH" tessoid-host info >/dev/null) ||
        { echo "dist: the unpacked $2 tool cannot load its plug-in"; exit 1; }
}
check_tool "$tarball64" x86_64
. "$root/scripts/machine32.sh"
if [ "$(mode_32bit)" = none ]; then
    echo "dist: the i386 tool is not run: this kernel cannot run 32-bit programs"
else
    check_tool "$tarball" i386
fi
echo "dist: $zip"
echo "dist: $tarball64"
echo "dist: $tarball"
