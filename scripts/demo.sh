#!/usr/bin/env bash
# The demo: the reference host runs the plug-in on the bundled examples.
set -euo pipefail
build=${1:-build/linux32}
cd "$(dirname "$0")/.."
host="$build/bin/tessoid-host"
out=out/demo
mkdir -p "$out"

step() { printf '\n== %s\n' "$*"; }

step "the plug-in's records"
"$host" info

step "a predefined cube, its property page, saved and written as scene text"
"$host" new cube --page --angle 30 --save "$out/cube.tsc" --scene-text "$out/cube.inc"
head -n 4 "$out/cube.inc"

step "the saved scene loaded back, declared once and referenced"
"$host" load "$out/cube.tsc" --declare --scene-text "$out/cube-declared.inc"
tail -n 4 "$out/cube-declared.inc"

for obj in examples/*.obj; do
  step "import $obj"
  "$host" import "$obj" --scene-text "$out/$(basename "$obj" .obj).inc"
done

for tds in examples/*.3ds; do
  [ -e "$tds" ] || continue
  step "import $tds"
  "$host" import "$tds" --scene-text "$out/$(basename "$tds" .3ds).inc"
done

pictures=()
if command -v povray >/dev/null; then
  # A real-world model from the bundled test files, and the OBJ example (no camera, no light).
  for model in tests/data/real/3ds/indochine.3DS examples/lprism.obj; do
    name=$(basename "${model%.*}")
    step "render $model with the ray tracer"
    "$host" import "$model" --pov "$out/$name.pov" --render "$out/$name.png" --size 640x480
    echo "rendered $out/$name.png (scene file $out/$name.pov)"
    pictures+=("$out/$name.png")
  done
else
  step "no ray tracer installed (apt install povray): no pictures rendered"
fi

step "tessellate the current object of examples/tessellate.json (a transformed CSG union)"
"$host" tessellate examples/tessellate.json --scene-text "$out/tessellate.inc"
head -n 3 "$out/tessellate.inc"

printf '\nScene text and scenes are in %s/\n' "$out"
[ ${#pictures[@]} = 0 ] || printf 'Pictures: %s\n' "${pictures[*]}"
