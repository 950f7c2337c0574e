#!/usr/bin/env bash
# Checks C++ files with clang-format and the repository's .clang-format; prints what it
# would change and fails when anything would.
#   scripts/check-format.sh          the files this branch changed (against its merge base
#                                    with main, or with the branch given as $1)
#   scripts/check-format.sh --all    every C++ file of the tree (CI), except the peer
#                                    benchmark programs, which are kept as their authors wrote them
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--all" ]; then
    mapfile -t files < <(git ls-files '*.h' '*.cpp' | grep -v -e '^bench/peers/' || true)
else
    if ! base=$(git merge-base HEAD "${1:-main}" 2>/dev/null); then
        echo "check-format: no merge base with ${1:-main}; nothing to compare"
        exit 0
    fi
    mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.h' '*.cpp' |
                         grep -v -e '^build/' -e '^bench/peers/' || true)
fi
if [ "${#files[@]}" -eq 0 ]; then
    echo "check-format: no C++ files to check"
    exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "check-format: ${#files[@]} files formatted as .clang-format says"
