#!/usr/bin/env bash
# Runs clang-tidy with the checks in .clang-tidy (bugprone-*, performance-*) over the program's
# sources, as the compile database of a build compiles them, and fails on any finding.
# Usage: scripts/check-tidy.sh [BUILD_DIR [FILE...]] (default build/ and every source file; it
# needs the build's compile_commands.json, so build first). Files are checked side by side, one
# per core ($TIDY_JOBS to choose).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
if [[ ! -f $build/compile_commands.json ]]; then
    echo "$build/compile_commands.json is missing: build first (scripts/build.sh $build)." >&2
    exit 2
fi

if (($#)); then
    files=("$@")
else
    mapfile -t files < <(git ls-files -- 'src/*.cpp')
fi
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# The sources as they are, without the build's precompiled headers (which clang cannot read):
# a file that forgets an include it needs shows here. GCC's own warning options are no finding.
database=$logs/database
mkdir "$database"
sed -E 's# -include [^ ]*/cmake_pch\.hxx##g; s# -Winvalid-pch##g' "$build/compile_commands.json" \
    >"$database/compile_commands.json"
build=$database
export build logs
printf '%s\n' "${files[@]}" | xargs -P "${TIDY_JOBS:-$(nproc)}" -I{} bash -c '
    log="$logs/${1//\//_}"
    clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option "$1" >"$log" 2>&1 || mv "$log" "$log.findings"' _ {}

shopt -s nullglob
found=("$logs"/*.findings)
if ((${#found[@]})); then
    # Only the findings: not the counts of warnings clang-tidy kept quiet about.
    grep -hvE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "${found[@]}"
    printf '\nclang-tidy found something in %d of %d files.\n' "${#found[@]}" "${#files[@]}"
    exit 1
fi
echo "clang-tidy found nothing in ${#files[@]} files."
