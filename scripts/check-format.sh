#!/usr/bin/env bash
# Checks the C++ files this branch changed (against its merge base with main, or with the
# branch given as $1) with clang-format and the repository's .clang-format; prints what it
# would change and fails when anything would. Files nobody touched are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! base=$(git merge-base HEAD "${1:-main}" 2>/dev/null); then
    echo "check-format: no merge base with ${1:-main}; nothing to compare"
    exit 0
fi
mapfile -t files < <(git diff --name-only --diff-filter=ACMR "$base" -- '*.h' '*.cpp' | grep -v '^build/' || true)
if [ "${#files[@]}" -eq 0 ]; then
    echo "check-format: no changed C++ files"
    exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "check-format: ${#files[@]} changed files formatted as .clang-format says"
