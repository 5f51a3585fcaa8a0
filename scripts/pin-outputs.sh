#!/usr/bin/env bash
# Pins what users and stored scenes rely on: for every real and example model, the
# command-line host's plain import (output and exit code) and its scene text and saved
# scene. Prints one "digest  what" line per output; diff two runs to see what changed.
#
#   scripts/pin-outputs.sh build/linux32 > before.txt
#   ... change ...
#   scripts/pin-outputs.sh build/linux32 > after.txt && diff before.txt after.txt
#
# EXTRA_FILES adds more models (a blank-separated list), e.g. the benchmarks' large files.
set -uo pipefail
build=${1:?usage: pin-outputs.sh BUILD_FOLDER}
root=$(cd "$(dirname "$0")/.." && pwd)
host=$(cd "$build" && pwd)/bin/tessoid-host
shared=${TESSOID_SHARED_DIR:-$root/../shared}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

models() {
    {
        [ -d "$shared/testdata" ] && find "$shared/testdata" -type f \( -iname '*.obj' -o -iname '*.3ds' \)
        find "$root/tests/data/real" "$root/examples" -type f \( -iname '*.obj' -o -iname '*.3ds' \)
        for f in ${EXTRA_FILES:-}; do echo "$f"; done
    } | LC_ALL=C sort
}

digest() { sha256sum | cut -c1-16; }

while read -r model; do
    name=${model#"$root/"}
    name=${name#"$shared/"}
    # Run from the scratch folder so that relative names in the output do not depend on
    # where the checkout is.
    out=$(cd "$scratch" && "$host" import "$model" 2>&1; echo "exit $?")
    echo "$(sed "s|$root|ROOT|g; s|$shared|SHARED|g" <<<"$out" | digest)  import $name"
    rm -f "$scratch/scene.inc" "$scratch/scene.tsc"
    out=$(cd "$scratch" && "$host" import "$model" --scene-text scene.inc --save scene.tsc 2>&1; echo "exit $?")
    echo "$(sed "s|$root|ROOT|g; s|$shared|SHARED|g" <<<"$out" | digest)  import --scene-text --save $name"
    echo "$( (cat "$scratch/scene.inc" 2>/dev/null || echo none) | digest)  scene text $name"
    echo "$( (cat "$scratch/scene.tsc" 2>/dev/null || echo none) | digest)  saved scene $name"
done < <(models)
