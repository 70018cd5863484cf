#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the tree is not laid out as
# .clang-format says; with --fix, lays them out. clang-format 14 only: other
# versions lay out some lines otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
format=clang-format-14
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --fix ]; then
    "$format" -i "${files[@]}"
    exit 0
fi
unformatted=()
for file in "${files[@]}"; do
    "$format" --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "check-format.sh: not laid out as .clang-format says (tools/check-format.sh --fix):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    exit 1
fi
echo "check-format.sh: ${#files[@]} files laid out as .clang-format says"
