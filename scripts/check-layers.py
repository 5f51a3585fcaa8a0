#!/usr/bin/env python3
"""Fails when a source folder includes a folder of its own layer or of a layer above it.

The layers, lowest first. A folder may include its own headers and those of any folder
in a lower layer; folders in one layer know nothing of each other. docs/ARCHITECTURE.md
draws the same picture. Tests, benchmarks and scripts may include anything.

    check-layers.py             checks the tree this script is in
    check-layers.py --root DIR  checks the tree at DIR
    check-layers.py --self-test checks that the check catches what it should
"""
import os
import re
import sys
import tempfile

LAYERS = [
    # What knows nothing of ours: the Win32 stand-in, the compiled resources, the engine
    # (stand-in and interface), the 3DS chunk layer, and the mesh arrays' element types
    # with the hand-off record (PendingMesh).
    ["platform", "resources", "engine", "tds/chunk", "mesh"],
    # The host boundary (records, services, exports); the 3DS toolkit's database; the
    # Wavefront reader, which reads into the mesh element types.
    ["plugin", "tds/extract", "objreader"],
    # The reference host, which sees only the boundary.
    ["host"],
    # The mesh object type.
    ["tessoid"],
    # What produces meshes for it: the imports, the tessellation.
    ["import", "tessellate"],
    # The plug-in module: start-up, and the one place that connects layers.
    ["module"],
]
UNCHECKED = {"tests", "bench", "scripts", "examples", "docs", "cmake", "build", "dist"}
SOURCE_SUFFIXES = (".c", ".cpp", ".h", ".S", ".def", ".rc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def rank_of():
    return {folder: rank for rank, folders in enumerate(LAYERS) for folder in folders}


def folder_of(path, ranks):
    """The known folder a relative path lies in (the longest match), or None."""
    best = None
    for folder in ranks:
        if path == folder or path.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def check(root):
    ranks = rank_of()
    problems = []
    for top in sorted(os.listdir(root)):
        if top.startswith(".") or top in UNCHECKED or not os.path.isdir(os.path.join(root, top)):
            continue
        for dirpath, _, files in os.walk(os.path.join(root, top)):
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                rel = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                own = folder_of(rel, ranks)
                if own is None:
                    problems.append(f"{rel}: its folder has no layer in scripts/check-layers.py")
                    continue
                with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        m = INCLUDE.match(line)
                        if not m:
                            continue
                        target = folder_of(m.group(1), ranks)
                        if target is None or target == own:
                            continue
                        if ranks[target] >= ranks[own]:
                            where = "above" if ranks[target] > ranks[own] else "beside"
                            problems.append(f"{rel}:{number}: includes {m.group(1)}, "
                                            f"from {target}/, a layer {where} {own}/")
    return problems


def self_test():
    files = {
        "platform/win32.h": "",
        "plugin/abi.h": '#include "platform/win32.h"\n',  # down: fine
        "tessoid/object.h": '#include "plugin/abi.h"\n#include "tessellate/x.h"\n',  # up
        "import/a.cpp": '#include "tessellate/x.h"\n',  # beside
        "tessellate/x.h": '#include "tessoid/object.h"\n#include "tessellate/y.h"\n',
        "newfolder/z.cpp": "",  # no layer
        "tests/t.cpp": '#include "module/m.cpp"\n',  # unchecked
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
        found = check(root)
    expected = [
        "import/a.cpp:1: includes tessellate/x.h, from tessellate/, a layer beside import/",
        "newfolder/z.cpp: its folder has no layer in scripts/check-layers.py",
        "tessoid/object.h:2: includes tessellate/x.h, from tessellate/, a layer above tessoid/",
    ]
    if found != expected:
        print("check-layers self-test failed; found:", *found, sep="\n  ")
        return 1
    print(f"check-layers self-test: the {len(expected)} planted faults were found")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    if len(argv) == 3 and argv[1] == "--root":
        root = argv[2]
    elif len(argv) != 1:
        print(__doc__.strip())
        return 2
    problems = check(root)
    for p in problems:
        print(p)
    print(f"{len(problems)} include(s) against the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
