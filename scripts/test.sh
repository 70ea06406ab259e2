#!/usr/bin/env bash
# Runs Velvane's tests.
#
#   scripts/test.sh          the quick run: installs what is missing, checks the formatting, builds
#                            the program and the tests (a Release build with warnings as errors)
#                            and runs every test but the checks of the real program on a virtual
#                            screen (ctest label xvfb, tests/xvfb).
#   scripts/test.sh --full   what CI runs: the quick run, then those checks, clang-tidy over the
#                            sources, the suite again under AddressSanitizer and
#                            UndefinedBehaviorSanitizer, and the Debian package built and checked
#                            (scripts/package-check.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

full=false
case "${1:-}" in
    "") ;;
    --full) full=true ;;
    *) echo "usage: scripts/test.sh [--full]" >&2; exit 2 ;;
esac

started=$SECONDS
step() {
    printf '\n== %s (%d s so far)\n' "$1" $((SECONDS - started))
}

step "Packages"
bash scripts/install-deps.sh
step "Formatting"
bash scripts/check-format.sh

# The same build folder as scripts/run.sh, so running the tests after the program builds only the
# tests.
step "Build"
bash scripts/build.sh build --tests
step "Tests"
# The full run is what CI runs: a test that needs POV-Ray fails there rather than skip.
if $full; then
    export VELVANE_REQUIRE_POVRAY=1
fi
# Most tests wait for POV-Ray rather than use a core, so twice as many run as there are cores.
jobs=$(($(nproc) * 2))
(cd build && ctest --output-on-failure -j"$jobs" -LE xvfb)

if $full; then
    # Each starts Xvfb, openbox and a session bus of its own.
    step "The real program on a virtual screen"
    (cd build && ctest --output-on-failure -L xvfb)

    # clang-tidy reads the build's compile database.
    step "clang-tidy"
    bash scripts/check-tidy.sh build

    step "Build with AddressSanitizer and UndefinedBehaviorSanitizer"
    bash scripts/build.sh build-asan --tests -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELVANE_SANITIZE=ON
    step "Tests with AddressSanitizer and UndefinedBehaviorSanitizer"
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    (cd build-asan && ctest --output-on-failure -j"$jobs" -LE xvfb)

    step "Debian package"
    bash scripts/package-check.sh
fi
step "Done"
