#!/usr/bin/env bash
# Installs what is missing, builds Velvane and runs it on the sample catalog. Without a screen
# the program runs on a virtual one and saves a picture of its window instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh build --program

./build/src/cli/velvane-cli list examples/sample.vlv
./build/src/cli/velvane-cli sheet examples/sample.vlv build/sample-sheet.png --width 700

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec ./build/src/ui/velvane examples/sample.vlv
fi
echo "No display: running Velvane on a virtual screen."
xvfb-run -a -s "-screen 0 1280x900x24" ./build/src/ui/velvane --screenshot build/velvane-window.png examples/sample.vlv
echo "Pictures of the program: build/velvane-window.png (the main window), build/sample-sheet.png (the catalog grid)"
