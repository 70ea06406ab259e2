#!/usr/bin/env bash
# Installs what is missing, builds Velvane and runs it on the sample catalog.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build

# The catalog, its source, and its grid drawn as the catalog window shows it.
./build/src/cli/velvane-cli list examples/sample.vlv
./build/src/cli/velvane-cli source examples/sample.vlv -i 0
./build/src/cli/velvane-cli sheet examples/sample.vlv build/sample-sheet.png --width 700
echo "The sample catalog's grid is drawn in build/sample-sheet.png"
