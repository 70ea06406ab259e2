#!/bin/bash
# Retakes the README's picture of POV-Ray's own textures imported in the desktop program: the
# real program on a virtual screen makes a new catalog, imports examples/library-selection.inc
# with Texture > Import Source... from the keyboard (with approximations, thumbnails rendered by
# POV-Ray), and the main window is taken once the summary is closed. Needs a build in build/,
# povray, povray-includes, xvfb, xdotool and ImageMagick.
set -euo pipefail
extra_settings="Import Approximate=1
Tabbed Windows=1"
source "$(dirname "$0")/program-session.sh"
app=
trap 'kill $app "$server" 2>/dev/null; rm -rf "$work"' EXIT
cd "$root"

# Waits up to $1 seconds for a visible window named $2 other than $3; prints its id.
await_window() {
    local id
    for _ in $(seq $(($1 * 5))); do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | grep -vx "${3:-none}" | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "no window \"$2\" within $1 seconds" >&2
    return 1
}

build/src/ui/velvane 2>/dev/null &
app=$!
window=$(await_window 20 '^Velvane$')
xdotool windowsize --sync "$window" 1000 720
xdotool windowfocus --sync "$window"
sleep 0.5
xdotool key ctrl+n
await_window 10 'Catalog1' >/dev/null
# Texture > Import Source..., the file typed into the open dialog.
xdotool key --delay 300 alt+t i
chooser=$(await_window 10 '^Import Source$')
xdotool windowfocus --sync "$chooser"
xdotool type --delay 20 "$root/examples/library-selection.inc"
xdotool key Return
# The summary comes up once every new texture has its thumbnail.
summary=$(await_window 300 '^Import Source$' "$chooser")
sleep 1
import -window root "$work/summary.png"
xdotool windowfocus --sync "$summary"
xdotool key Escape
# Edit > Select None: the thumbnails without the selection's blue.
xdotool windowfocus --sync "$window"
xdotool key --delay 300 alt+e n
sleep 1
mkdir -p docs/screenshots
import -window "$window" "$work/window.png"
convert "$work/window.png" -resize 720x +dither -colors 192 -strip PNG8:docs/screenshots/import-source.png
ls -l docs/screenshots/import-source.png
