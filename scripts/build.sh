#!/usr/bin/env bash
# Configures and builds Velvane into a build folder:
#
#   scripts/build.sh [BUILD_DIR] [--program | --tests | --bench] [CMAKE_ARGS...]
#
# --program builds what running the program needs (velvane, velvane-cli and the shape file),
# --tests that and every test (the default), --bench the benchmarks as well. Every script builds
# with the one configuration below, a Release build with warnings as errors (run.sh and test.sh
# share the folder "build", so neither rebuilds what the other built); CMAKE_ARGS come after it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=build
if (($#)) && [[ $1 != -* ]]; then
    build_dir=$1
    shift
fi
targets=(--target all)
case "${1:-}" in
    --program) targets=(--target velvane velvane-cli velvane_shape_file); shift ;;
    --tests) shift ;;
    --bench) targets=(--target all velvane_benchmarks); shift ;;
esac

# Compiler caches hit across checkouts in other folders (CI builds a fresh clone), and across the
# precompiled headers of the Qt targets.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime

# Ninja where it is installed; a folder configured by another generator starts over.
generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
    if [[ -f $build_dir/CMakeCache.txt ]] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$build_dir/CMakeCache.txt"; then
        rm -rf "$build_dir/CMakeCache.txt" "$build_dir/CMakeFiles"
    fi
fi

# Warnings are errors, so none can creep in unnoticed.
cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVELVANE_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" "${targets[@]}"
