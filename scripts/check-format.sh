#!/usr/bin/env bash
# Fails when a C++ file differs from the repository's .clang-format; lists the files.
# scripts/check-format.sh --fix formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'resources/*.cpp')
if [[ "${1:-}" == "--fix" ]]; then
    clang-format -i "${files[@]}"
    exit 0
fi
# Side by side, one clang-format per core; each prints the files it would change.
mapfile -t unformatted < <(printf '%s\0' "${files[@]}" | xargs -0 -n 20 -P "$(nproc)" bash -c '
    for file; do clang-format "$file" | cmp -s - "$file" || echo "$file"; done' _ | sort)
if ((${#unformatted[@]})); then
    printf 'Not formatted (run scripts/check-format.sh --fix):\n'
    printf '  %s\n' "${unformatted[@]}"
    exit 1
fi
echo "All ${#files[@]} C++ files are formatted."
