#!/usr/bin/env bash
# Benchmarks against the peer libraries: installs the peers (as root), builds the
# benchmarks in the given build folder and runs them.
set -euo pipefail
build=${1:-build/linux32}
cd "$(dirname "$0")/.."
bench/obj_install_peer.sh
bench/chunk_install_peer.sh
cmake --preset linux32 -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target obj_bench chunk_bench
echo "== OBJ: reader, import through the plug-in, peer (median of ${RUNS:-7} runs)"
(cd "$build" && ./bin/obj_bench obj_bench_grid.obj "${RUNS:-7}")
echo
echo "== 3DS: chunk tree, tree plus decoding, peer"
"$build/bin/chunk_bench" "${RUNS:-7}" 20
