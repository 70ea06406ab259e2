#!/bin/bash
# Retakes the README's picture of a catalog of POV-Ray's own textures: a selection of the
# library imported with velvane-cli import, its thumbnails rendered with velvane-cli render, and
# its grid drawn as the catalog window shows it. Needs a build in build/, povray,
# povray-includes and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/.."
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cat > "$home/selection.inc" <<'POV'
#include "colors.inc"
#include "textures.inc"
#include "stones.inc"
#include "woods.inc"
#include "metals.inc"
#declare Jade = pigment { Jade }
#declare Red_Marble = pigment { Red_Marble }
#declare Blue_Agate = pigment { Blue_Agate }
#declare Pink_Granite = pigment { Pink_Granite }
#declare Cherry_Wood = pigment { Cherry_Wood }
#declare Sapphire_Agate = pigment { Sapphire_Agate }
#declare T_Stone1 = texture { T_Stone1 }
#declare T_Stone8 = texture { T_Stone8 }
#declare T_Stone21 = texture { T_Stone21 }
#declare T_Grnt29 = texture { T_Grnt29 }
#declare T_Wood3 = texture { T_Wood3 rotate x*80 }
#declare T_Wood10 = texture { T_Wood10 rotate x*80 }
#declare T_Wood35 = texture { T_Wood35 }
#declare T_Brass_3C = texture { T_Brass_3C }
#declare T_Copper_4B = texture { T_Copper_4B }
#declare T_Chrome_2D = texture { T_Chrome_2D }
#declare T_Silver_3A = texture { T_Silver_3A }
#declare Blue_Sky = pigment { Blue_Sky }
POV
cli=build/src/cli/velvane-cli
"$cli" import "$home/library.vlv" "$home/selection.inc" --approximate
"$cli" render "$home/library.vlv" --pov povray --program-dir "$home/program" --jobs 2
"$cli" sheet "$home/library.vlv" "$home/sheet.png" --width 720
mkdir -p docs/screenshots
convert "$home/sheet.png" +dither -colors 192 -strip PNG8:docs/screenshots/library-catalog.png
ls -l docs/screenshots/library-catalog.png
