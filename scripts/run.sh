#!/usr/bin/env bash
# Installs what is missing, builds Velvane and runs it on the sample catalog.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build
./build/src/cli/velvane-cli list examples/sample.vlv
./build/src/cli/velvane-cli source examples/sample.vlv -i 0
