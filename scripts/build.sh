#!/usr/bin/env bash
# Configures and builds Velvane into a build folder: scripts/build.sh [BUILD_DIR [CMAKE_ARGS...]]
# Every script builds with the one configuration below (run.sh and test.sh share the folder
# "build", so neither rebuilds what the other built); extra arguments come after it.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}
# Compiler caches hit across checkouts in other folders (CI builds a fresh clone).
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=true
shift || true
# Warnings are errors, so none can creep in unnoticed.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELVANE_WERROR=ON "$@" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
