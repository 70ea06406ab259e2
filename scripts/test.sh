#!/usr/bin/env bash
# Installs what is missing, checks the formatting and (with clang-tidy) the sources, builds
# Velvane and runs every test: once in a normal build and once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/check-format.sh

# The same build as scripts/run.sh makes, so running the tests after the program rebuilds nothing.
bash scripts/build.sh build
# clang-tidy reads the build's compile database, so it runs once the build is there.
bash scripts/check-tidy.sh build
(cd build && ctest --output-on-failure -j"$(nproc)")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
bash scripts/build.sh build-asan -DVELVANE_SANITIZE=ON -DVELVANE_BUILD_BENCH=OFF
(cd build-asan && ctest --output-on-failure -j"$(nproc)")
