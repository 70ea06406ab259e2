#!/usr/bin/env bash
# Builds the POV-Ray source reader's fuzzer with clang and runs it: scripts/fuzz-source.sh [SECONDS]
# Seeds are POV-Ray's own texture library, the scenes in bench/scenes (defaults, macros, loops)
# and the source the sample catalog exports; crashes land in build-fuzz/source-crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELVANE_FUZZ=ON -DVELVANE_BUILD_TESTS=ON \
    -DVELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target source_fuzzer velvane-make-sample velvane-cli
mkdir -p build-fuzz/source-corpus build-fuzz/source-crashes
for seed in /usr/share/povray-3.7/include/{textures,stones1,woods,metals,golds,skies,stars}.inc \
    bench/scenes/*.inc; do
    cp "$seed" build-fuzz/source-corpus/
done
./build-fuzz/tests/velvane-make-sample build-fuzz/sample.vlv
./build-fuzz/src/cli/velvane-cli source build-fuzz/sample.vlv > build-fuzz/source-corpus/sample.inc
./build-fuzz/tests/fuzz/source_fuzzer -max_total_time="$seconds" -max_len=200000 \
    -artifact_prefix=build-fuzz/source-crashes/ build-fuzz/source-corpus
