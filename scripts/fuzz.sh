#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each for a bounded time (FUZZ_SECONDS, default 30).
set -euo pipefail
cd "$(dirname "$0")/.."
secs=${FUZZ_SECONDS:-30}
cmake --preset fuzz -DTESSOID_FUZZ_SECONDS="$secs" >/dev/null
cmake --build --preset fuzz -j "${JOBS:-2}"
targets=$(cmake --build --preset fuzz --target help | sed -n 's/^\(fuzz-[A-Za-z0-9_-]*\):.*/\1/p' | grep -v '^fuzz-all$' || true)
for t in $targets; do
  echo "== $t (${secs}s)"
  cmake --build --preset fuzz --target "$t"
done
