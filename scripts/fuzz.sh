#!/usr/bin/env bash
# Builds the catalog reader's fuzzer with clang and runs it: scripts/fuzz.sh [SECONDS]
# Seeds come from catalogs written by the program and the hand-made corpus in
# tests/data/catalog-corpus (each prefixed with a zero byte: the fuzzer's first byte chooses how
# the streamed reader is fed); crashes land in build-fuzz/crashes.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELVANE_FUZZ=ON -DVELVANE_BUILD_TESTS=ON \
    -DVELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target catalog_fuzzer velvane-make-sample
mkdir -p build-fuzz/corpus build-fuzz/crashes
./build-fuzz/tests/velvane-make-sample build-fuzz/sample.vlv
for seed in build-fuzz/sample.vlv tests/data/catalog-corpus/*.vlv; do
    { printf '\0'; cat "$seed"; } > "build-fuzz/corpus/$(basename "$seed")"
done
./build-fuzz/tests/fuzz/catalog_fuzzer -max_total_time="$seconds" -max_len=600000 \
    -artifact_prefix=build-fuzz/crashes/ build-fuzz/corpus
