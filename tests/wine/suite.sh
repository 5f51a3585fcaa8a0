#!/usr/bin/env bash
# The end-to-end checks of the Windows build under Wine. Run by scripts/wine-e2e.sh,
# which provides the display, the Wine prefix and these variables:
#   WIN_BIN    folder of tessoid-host.exe, Tessoid.dll and Glintor2.dll
#   LIN_BIN    folder of the Linux tessoid-host and libTessoid.so
#   RUN_DIR    an empty folder for inputs and outputs
#   SOURCE_DIR the repository
# Both hosts run in RUN_DIR on inputs copied there, so every path they print or
# store is the same relative name. Windows console output is in text mode (CR LF);
# console outputs are compared after turning CR LF into LF, files as they are.
set -uo pipefail

expected=$SOURCE_DIR/tests/wine/expected
passed=0
failed=0

ok() { echo "ok   $1"; passed=$((passed + 1)); }
fail() {
    echo "FAIL $1"
    shift
    for f in "$@"; do [ -r "$f" ] && sed 's/^/     | /' "$f" | head -n 40; done
    failed=$((failed + 1))
}

# run NAME linux|windows ARGS...: outputs NAME.{lin,win}.{out,err,rc} in RUN_DIR.
run() {
    local name=$1 side=$2 rc=0
    shift 2
    cd "$RUN_DIR" || exit 1
    if [ "$side" = linux ]; then
        "$LIN_BIN/tessoid-host" "$@" >"$name.lin.out" 2>"$name.lin.err" || rc=$?
        echo "$rc" >"$name.lin.rc"
    else
        timeout 60 wine "$WIN_BIN/tessoid-host.exe" "$@" >"$name.win.raw" 2>"$name.win.rawerr" || rc=$?
        tr -d '\r' <"$name.win.raw" >"$name.win.out"
        tr -d '\r' <"$name.win.rawerr" >"$name.win.err"
        echo "$rc" >"$name.win.rc"
    fi
}
# both NAME ARGS...: runs both builds; an @ in an argument becomes lin or win, so
# each build writes its own files.
both() {
    local name=$1
    shift
    run "$name" linux "${@//@/lin}"
    run "$name" windows "${@//@/win}"
}
rc() { cat "$RUN_DIR/$1.$2.rc"; }

# expect_rc NAME CODE: both builds ended with CODE.
expect_rc() {
    local l w
    l=$(rc "$1" lin) w=$(rc "$1" win)
    if [ "$l" = "$2" ] && [ "$w" = "$2" ]; then
        ok "$1: both builds exit $2"
    else
        fail "$1: exit codes linux $l, windows $w, expected $2" "$RUN_DIR/$1.win.err" "$RUN_DIR/$1.lin.err"
    fi
}
# same WHAT FILE_A FILE_B: byte-for-byte equal and not empty.
same() {
    if [ ! -s "$2" ]; then
        fail "$1: $(basename "$2") is missing or empty"
    elif cmp -s "$2" "$3"; then
        ok "$1: identical ($(wc -c <"$2") bytes)"
    else
        fail "$1: linux and windows differ" <(diff "$2" "$3" | head -n 30)
    fi
}
# same_or_empty WHAT FILE_A FILE_B: byte-for-byte equal, both may be empty.
same_or_empty() {
    if cmp -s "$2" "$3"; then
        ok "$1: identical ($(wc -c <"$2") bytes)"
    else
        fail "$1: linux and windows differ" <(diff "$2" "$3" | head -n 30)
    fi
}
# has WHAT FILE TEXT: FILE holds the exact line TEXT.
has() {
    if grep -qxF -- "$3" "$2"; then ok "$1"; else fail "$1: no line '$3'" "$2"; fi
}

# The robot's view of the predefined-mesh dialog (the Windows host echoes it under
# --verbose): every control of template 109, bitmaps on the five solid buttons.
dialog_seen() {
    local name=$1 line
    line=$(grep -F 'dialog "Select Predefined Mesh":' "$RUN_DIR/$name.win.err" | head -n 1)
    if [ "$line" = "$(cat "$expected/$2") click $3" ]; then
        ok "$name: dialog 109 as the robot saw it, clicked $3"
    else
        fail "$name: dialog seen as '$line'" "$expected/$2"
    fi
}

cd "$RUN_DIR" || exit 1
cp "$SOURCE_DIR/examples/lprism.obj" "$SOURCE_DIR/examples/tessellate.json" .
[ -f "$SOURCE_DIR/examples/showroom.3ds" ] && cp "$SOURCE_DIR/examples/showroom.3ds" .
cp "$TESTDATA_DIR/3ds/cube.3ds" small.3ds
# Two small 3DS files: one with nothing to import, one whose second face points
# past the mesh's vertices (dropped, with a debug line).
python3 - <<'PY'
import struct
def chunk(cid, body): return struct.pack('<HI', cid, 6 + len(body)) + body
def file(objects):
    data = chunk(0x3D3D, chunk(0x3D3E, struct.pack('<i', 3)) + objects)
    return chunk(0x4D4D, chunk(0x0002, struct.pack('<i', 3)) + data)
points = struct.pack('<H', 3) + struct.pack('<9f', 0, 0, 0, 1, 0, 0, 0, 1, 0)
faces = struct.pack('<H', 2) + struct.pack('<8H', 0, 1, 2, 0, 0, 1, 7, 0)
mesh = chunk(0x4000, b'Bad\0' + chunk(0x4100, chunk(0x4110, points) + chunk(0x4120, faces)))
open('nomesh.3ds', 'wb').write(file(b''))
open('badface.3ds', 'wb').write(file(mesh))
PY
# A group whose counted mesh gives no primitive but has its vertices counted in the
# debug output, beside a box that gives the mesh.
cat >counted.json <<'JSON'
{ "current": "Pair",
  "objects": [ { "name": "Pair", "kind": "group", "children": [
    { "name": "Block", "kind": "box" },
    { "name": "Counted", "kind": "counted_mesh",
      "vertices": [[0, 0, 0], [1, 0, 0], [0, 1, 0], [0, 0, 1]] } ] } ] }
JSON

# ---- info ---------------------------------------------------------------------------
both info info
expect_rc info 0
same "info: summary" info.lin.out info.win.out
has "info: object type record" info.win.out "  3: kind 1 version 112  object type  id eb 23 8b 3b 38 89 b3 f3"
has "info: icon from the DLL's resources" info.win.out "icon         loaded"

# ---- calling conventions of every slot the plug-in hands over -------------------------
# Each slot is called through a trampoline that measures the stack, which catches a
# slot built with the wrong convention even where the caller's frame would hide it.
both slots check-slots
expect_rc slots 0
same "slots: every slot keeps its calling convention" slots.lin.out slots.win.out

# ---- predefined solids ----------------------------------------------------------------
button=1013
for solid in tetrahedron cube octahedron dodecahedron icosahedron; do
    both "$solid" --verbose new "$solid" --save "$solid.@.tsc" --scene-text "$solid.@.inc"
    expect_rc "$solid" 0
    same "$solid: summary" "$solid.lin.out" "$solid.win.out"
    same "$solid: scene text" "$solid.lin.inc" "$solid.win.inc"
    same "$solid: saved scene" "$solid.lin.tsc" "$solid.win.tsc"
    dialog_seen "$solid" select_no_current.txt "$button"
    button=$((button + 1))
done

# Cancel, and the Current Object button that cannot be pressed without a current object.
both cancel --verbose new cancel
expect_rc cancel 1
same "cancel: message" cancel.lin.err <(grep -v '^dialog ' cancel.win.err)
dialog_seen cancel select_no_current.txt 2
both current --verbose new current
expect_rc current 1
dialog_seen current select_no_current.txt 1018
has "current: the disabled button is not pressed" current.win.err \
    'tessoid-host: button 1018 of dialog "Select Predefined Mesh" cannot be clicked'
same "current: messages" current.lin.err <(grep -v '^dialog ' current.win.err)

# ---- property page from template 106, through record 3's window procedure ----------------
both page new cube --page --angle 30 --scene-text page.@.inc
expect_rc page 0
same "page: printout" page.lin.out page.win.out
same "page: scene text with the new angle" page.lin.inc page.win.inc
if diff -q <(head -n 7 page.win.out) "$expected/page_cube_30.txt" >/dev/null; then
    ok "page: controls filled by the page itself"
else
    fail "page: controls" page.win.out "$expected/page_cube_30.txt"
fi
both page_range new cube --page --angle 500
expect_rc page_range 1
same "page: angle outside the descriptor's range" page_range.lin.out page_range.win.out

# ---- saved scenes load back, across builds ----------------------------------------------
run load_own windows load dodecahedron.win.tsc --scene-text load_own.win.inc
run load_linux windows load dodecahedron.lin.tsc --scene-text load_linux.win.inc
run load_windows linux load dodecahedron.win.tsc --scene-text load_windows.lin.inc
for name in load_own load_linux; do
    [ "$(rc $name win)" = 0 ] && ok "$name: loads" || fail "$name: exit $(rc $name win)" "$name.win.err"
done
[ "$(rc load_windows lin)" = 0 ] && ok "load_windows: linux loads the windows file" ||
    fail "load_windows: exit $(rc load_windows lin)" load_windows.lin.err
same "load: windows reload gives the saved scene text" dodecahedron.win.inc load_own.win.inc
same "load: linux file in the windows host" dodecahedron.lin.inc load_linux.win.inc
same "load: windows file in the linux host" dodecahedron.win.inc load_windows.lin.inc
both declared load cube.lin.tsc --declare --scene-text -
expect_rc declared 0
same "load: declared scene text on stdout" declared.lin.out declared.win.out

# ---- imports ---------------------------------------------------------------------------
both import_obj --verbose import lprism.obj --page --scene-text obj.@.inc --save obj.@.tsc
expect_rc import_obj 0
same "import_obj: summary and page" import_obj.lin.out import_obj.win.out
same "import_obj: scene text" obj.lin.inc obj.win.inc
same "import_obj: saved scene" obj.lin.tsc obj.win.tsc
has "import_obj: the page names the source file" import_obj.win.out '  1000: "lprism.obj"'
inputs=(small.3ds badface.3ds)
[ -f showroom.3ds ] && inputs+=(showroom.3ds)
for input in "${inputs[@]}"; do
    name=import_${input%.*}
    both "$name" --verbose import "$input" --scene-text "$name.@.inc"
    expect_rc "$name" 0
    same "$name: summary" "$name.lin.out" "$name.win.out"
    same "$name: scene text" "$name.lin.inc" "$name.win.inc"
    same_or_empty "$name: debug output" "$name.lin.err" "$name.win.err"
done
has "import_badface: debug output through the host's catcher" import_badface.win.err \
    "Mesh 'Bad': 1 faces with vertex indices outside the mesh dropped"
both import_nomesh import nomesh.3ds
expect_rc import_nomesh 1
has "import_nomesh: the error box, answered" import_nomesh.win.err \
    "message box: Error: No valid meshes found in 'nomesh.3ds'"
same "import_nomesh: messages" import_nomesh.lin.err import_nomesh.win.err
both import_cancel import
expect_rc import_cancel 1
# An OBJ file that can't be read says why on both platforms; one that uses what the
# reader mends (a large face, comments after corners, lone CR ends, UTF-16) reads the same.
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 9\n' > badref.obj
both import_badref import badref.obj
expect_rc import_badref 1
has "import_badref: the reason on stderr" import_badref.win.err \
    "tessoid-host: Failed to read 'badref.obj', line 5: a face corner refers to vertex 9, but the file has 3 vertices"
same "import_badref: messages" import_badref.lin.err import_badref.win.err
python3 - <<'PY'
import math
n = 40
text = ''.join('v %.4f %.4f 0\r' % (math.cos(i * 6.2832 / n) * (1 + i % 2), math.sin(i * 6.2832 / n) * (1 + i % 2))
               for i in range(n))
text += ' f ' + ' '.join(str(i + 1) for i in range(n)) + ' # a star of forty corners\r'
open('mended.obj', 'wb').write(b'\xff\xfe' + text.encode('utf-16-le'))
PY
both import_mended import mended.obj --scene-text mended.@.inc
expect_rc import_mended 0
same "import_mended: summary" import_mended.lin.out import_mended.win.out
same "import_mended: scene text" mended.lin.inc mended.win.inc

# ---- tessellation ----------------------------------------------------------------------
run tessellate linux --verbose tessellate tessellate.json
if [ "$(rc tessellate lin)" != 0 ]; then
    echo "skip tessellate: the Linux build does not tessellate examples/tessellate.json yet (exit $(rc tessellate lin))"
else
    run tessellate windows --verbose tessellate tessellate.json
    expect_rc tessellate 0
    same "tessellate: summary and scene text" tessellate.lin.out tessellate.win.out
    dialog_seen tessellate select_current.txt 1018
fi
both counted --verbose tessellate counted.json
expect_rc counted 0
same "counted: summary and scene text" counted.lin.out counted.win.out
has "counted: debug output through the host's catcher" counted.win.err "Num verts: 4"
same "counted: debug output" counted.lin.err <(grep -v '^dialog ' counted.win.err)

# ---- a long session in one process ----------------------------------------------------
# Rounds of imports, dialogs, pages, tessellations and save/load, each removing what it
# made: what the process holds stays at the first round's count, and the dialog's five
# button pictures are the same five bitmaps at every opening.
# No pages here: each takes seconds to map on the virtual display, and Wine's dialog
# manager keeps 28 bytes of every page dialog, whose procedure (the plug-in's, as in the
# modeller) never passes WM_NCDESTROY to DefDlgProc. The page case above shows one.
both session session --rounds 3 --openings 100 --pages 0 lprism.obj small.3ds showroom.3ds
expect_rc session 0
tail -n 1 session.lin.out >session.lin.last
tail -n 1 session.win.out >session.win.last
same "session: operations and button pictures" session.lin.last session.win.last
if grep -q " 5 bitmaps on the dialog's buttons\$" session.win.last; then
    ok "session: the five pictures loaded once for $(grep -o '[0-9]* dialog openings' session.win.last)"
else
    fail "session: the dialog's pictures were loaded more than once" session.win.out
fi

echo "wine end-to-end: $passed passed, $failed failed"
[ "$failed" = 0 ]
