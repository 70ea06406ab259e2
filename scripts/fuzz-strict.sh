#!/usr/bin/env bash
# Builds the fuzzer of the strict reading that source textures are opened with, and runs it:
# scripts/fuzz-strict.sh [SECONDS]. Seeds are the texts of POV-Ray's own library imported as
# source textures, one value per file; crashes land in build-fuzz/strict-crashes. Admitted texts
# with a '#' are rendered by POV-Ray as well, which must carry out no directive in them.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DVELVANE_FUZZ=ON -DVELVANE_BUILD_TESTS=ON \
    -DVELVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target strictsource_fuzzer velvane-cli
mkdir -p build-fuzz/strict-corpus build-fuzz/strict-crashes
library=/usr/share/povray-3.7/include
rm -f build-fuzz/strict-seeds.vlv
./build-fuzz/src/cli/velvane-cli import build-fuzz/strict-seeds.vlv --as-source \
    "$library"/{colors,textures,stones,woods,metals,glass,skies}.inc >/dev/null 2>&1
./build-fuzz/src/cli/velvane-cli source build-fuzz/strict-seeds.vlv |
    python3 -c '
import re, sys
text = sys.stdin.read()
for i, value in enumerate(re.split(r"(?m)^(?://[^\n]*\n)*#declare \w+ =", text)[1:]):
    open(f"build-fuzz/strict-corpus/seed{i:04}.txt", "w").write(value.strip() + "\n")
'
VELVANE_FUZZ_POVRAY=$(command -v povray || true) \
./build-fuzz/tests/fuzz/strictsource_fuzzer -max_total_time="$seconds" -max_len=100000 \
    -dict=tests/fuzz/strict-directives.dict \
    -artifact_prefix=build-fuzz/strict-crashes/ build-fuzz/strict-corpus
