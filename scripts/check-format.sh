#!/usr/bin/env bash
# Fails, naming each file, when a C or C++ source of the tree differs from what
# `.clang-format` makes of it; `scripts/check-format.sh --fix` formats them in place.
# Templates such as `*.h.in` are not C++ until configured, and stay out.
set -uo pipefail
cd "$(dirname "$0")/.."
# Tracked and new files alike, as they stand in the work tree (a deleted one is gone).
mapfile -t files < <(git ls-files --cached --others --exclude-standard '*.c' '*.cpp' '*.h' |
    sort -u | while read -r f; do [ -f "$f" ] && echo "$f"; done)
if [ "${1:-}" = --fix ]; then
    clang-format -i "${files[@]}"
    exit
fi
bad=0
for f in "${files[@]}"; do
    if ! clang-format --dry-run -Werror "$f" >/dev/null 2>&1; then
        echo "not formatted: $f (scripts/check-format.sh --fix)"
        bad=$((bad + 1))
    fi
done
echo "format: ${#files[@]} files, $bad not formatted"
[ "$bad" = 0 ]
