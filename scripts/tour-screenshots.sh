#!/bin/bash
# Retakes the README's screenshots (docs/screenshots) from the real program on a virtual screen:
# the main window with the sample catalog (velvane --screenshot), and the editors from the tour
# tests of ui_tests. Needs a build in build/, xvfb-run and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp examples/sample.vlv "$home/"
# A program that has started before: its shape file is there, so the status bar says "Ready".
mkdir -p "$home/data/Velvane"
cp resources/shapes.dat "$home/data/Velvane/"
HOME=$home XDG_CONFIG_HOME=$home/config XDG_DATA_HOME=$home/data \
    xvfb-run -a -s "-screen 0 1024x720x24" build/src/ui/velvane --screenshot "$home/main.png" "$home/sample.vlv"
(cd build/tests && QT_QPA_PLATFORM=xcb xvfb-run -a ./ui_tests --gtest_filter='TourTest*')
shots=build/tests/screenshots
mkdir -p docs/screenshots
convert "$home/main.png" -resize 720x +dither -colors 192 -strip PNG8:docs/screenshots/catalog.png
convert "$shots/tour-finish-page.png" +dither -colors 64 -strip PNG8:docs/screenshots/finish-page.png
convert "$shots/tour-preview.png" -colors 128 -strip PNG8:docs/screenshots/preview.png
convert "$shots/tour-layered.png" +dither -colors 128 -strip PNG8:docs/screenshots/layered-texture.png
ls -l docs/screenshots
