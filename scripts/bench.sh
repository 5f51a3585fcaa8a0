#!/usr/bin/env bash
# Benchmarks against the peer libraries: installs the peers (as root), builds the
# benchmarks in the given build folder and runs them. Every speed and memory figure is
# printed beside its target; generated input files stay in the build folder for reuse.
set -euo pipefail
build=${1:-build/linux32}
runs=${RUNS:-7}
cd "$(dirname "$0")/.."
bench/obj_install_peer.sh
bench/chunk_install_peer.sh
# The build folder's own preset (linux32, linux64); another folder is configured as linux32.
preset=$(basename "$build")
grep -q "\"name\": \"$preset\"" CMakePresets.json || preset=linux32
cmake --preset "$preset" -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target obj_bench chunk_bench tessoid-host Tessoid
status=0
echo "== OBJ: reader, import through the plug-in, peers, command-line host, file sizes (median of $runs runs)"
if [ -x "$build/bin/obj_bench" ]; then
  (cd "$build" && ./bin/obj_bench obj_bench_grid.obj "$runs") || status=1
else
  echo "obj_bench was not built (tiny_obj_loader.h missing: bench/obj_install_peer.sh)"
  status=1
fi
echo
echo "== 3DS: chunk tree, decoding, import through the plug-in, peer, command-line host (median of $runs runs)"
(cd "$build" && ./bin/chunk_bench "$runs" 20) || status=1
exit $status
