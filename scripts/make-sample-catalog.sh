#!/usr/bin/env bash
# Regenerates examples/sample.vlv from the sample texture definitions and renders its
# thumbnails with POV-Ray.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
render_folder=$(mktemp -d)
trap 'rm -rf "$render_folder"' EXIT
./build/tests/velvane-make-sample examples/sample.vlv
./build/src/cli/velvane-cli render examples/sample.vlv --program-dir "$render_folder"
./build/src/cli/velvane-cli list examples/sample.vlv
