#!/usr/bin/env bash
# Regenerates examples/sample.vlv from the sample texture definitions.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
./build/tests/velvane-make-sample examples/sample.vlv
./build/src/cli/velvane-cli list examples/sample.vlv
