#!/bin/bash
# Retakes the README's picture of a catalog of POV-Ray's own textures: a selection of the
# library imported with velvane-cli import, its thumbnails rendered with velvane-cli render, and
# its grid drawn as the catalog window shows it. Needs a build in build/, povray,
# povray-includes and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cli=build/src/cli/velvane-cli
"$cli" import "$home/library.vlv" examples/library-selection.inc --approximate
"$cli" render "$home/library.vlv" --pov povray --program-dir "$home/program" --jobs 2
"$cli" sheet "$home/library.vlv" "$home/sheet.png" --width 720
mkdir -p docs/screenshots
convert "$home/sheet.png" +dither -colors 192 -strip PNG8:docs/screenshots/library-catalog.png
ls -l docs/screenshots/library-catalog.png
