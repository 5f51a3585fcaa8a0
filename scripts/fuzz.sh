#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (FUZZ_SECONDS, default 30).
#
# Each target keeps the inputs it found in build/fuzz/tests/fuzz/<target>-corpus and
# starts from them (plus its seeds) on the next run, so long runs add up. To fuzz one
# target for hours, e.g. the whole .3ds import for four:
#   FUZZ_SECONDS=14400 FUZZ_TARGETS=whole_import_3ds scripts/fuzz.sh
# FUZZ_TARGETS is a space-separated list of target names (default: all). A crash leaves
# its input as crash-* in build/fuzz/tests/fuzz; rerun it with build/fuzz/bin/<target> <file>.
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-30}
cmake --preset fuzz -DTESSOID_FUZZ_SECONDS="$secs" >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}"
targets=$(cmake --build --preset fuzz --target help | sed -n 's/^\(fuzz-[A-Za-z0-9_-]*\):.*/\1/p' | grep -v '^fuzz-all$' || true)
if [ -n "${FUZZ_TARGETS:-}" ]; then
  targets=$(for t in $FUZZ_TARGETS; do echo "fuzz-$t"; done)
fi
for t in $targets; do
  echo "== $t (${secs}s)"
  cmake --build --preset fuzz --target "$t"
done
