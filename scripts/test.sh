#!/usr/bin/env bash
# Installs what is missing, builds Velvane and runs every test: once in a normal build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh

# Warnings are errors here, so none can creep in unnoticed.
bash scripts/build.sh build -DVELVANE_WERROR=ON
(cd build && ctest --output-on-failure -j"$(nproc)")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/build.sh build-asan -DVELVANE_WERROR=ON -DVELVANE_SANITIZE=ON -DVELVANE_BUILD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j"$(nproc)")
