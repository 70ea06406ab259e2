#!/bin/bash
# Retakes the README's tour pictures (docs/screenshots) from the real program on a virtual
# screen, driven from the keyboard as a user would: the start page, the main window with the
# sample catalog, the sample's "Green Glass" in the edit sheet on its Finish page with the Preview
# beside it, the Color Map dialog of the sample's "Rainbow Gradient" with a stop moved to 0.70,
# and the sample's "Veined Stone" in the Layered Texture dialog. Needs a build in build/, povray,
# Xvfb, xdotool and ImageMagick.
set -euo pipefail
source "$(dirname "$0")/program-session.sh"
app=
trap 'kill $app "$server" 2>/dev/null; rm -rf "$work"' EXIT
cd "$root"
mkdir -p docs/screenshots

# Waits up to $1 seconds for a visible window named $2; prints its id.
await_window() {
    local id
    for _ in $(seq $(($1 * 5))); do
        id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.2
    done
    echo "no window \"$2\" within $1 seconds" >&2
    return 1
}

# Waits until the window's picture has stayed the same for two seconds (the render has arrived
# and the busy mark is gone), then writes it to $2.
settled_picture() {
    local previous= same=0
    for _ in $(seq 240); do
        sleep 0.5
        import -window "$1" "$2"
        local now
        now=$(md5sum < "$2")
        if [ "$now" = "$previous" ]; then
            same=$((same + 1))
            [ $same -ge 4 ] && return 0
        else
            same=0
        fi
        previous=$now
    done
    echo "the window $1 kept changing" >&2
    return 1
}

# Shows only the sample's texture named $1 (Edit > Find) and opens it from the keyboard.
open_texture() {
    xdotool windowfocus --sync "$window"
    xdotool key ctrl+f
    sleep 0.3
    xdotool key ctrl+a
    xdotool type --delay 20 "$1"
    sleep 0.3
    xdotool key Tab Right Return
}

# Started without a catalog, the program shows its start page.
build/src/ui/velvane 2>/dev/null &
app=$!
window=$(await_window 20 '^Velvane$')
xdotool windowsize --sync "$window" 770 577
xdotool windowfocus --sync "$window"
settled_picture "$window" "$work/start.png"
convert "$work/start.png" +dither -colors 128 -strip PNG8:docs/screenshots/start-page.png
kill $app
wait $app 2>/dev/null || true

build/src/ui/velvane "$work/sample.vlv" 2>/dev/null &
app=$!
window=$(await_window 20 'sample.vlv')
xdotool windowsize --sync "$window" 1024 720
xdotool windowfocus --sync "$window"
settled_picture "$window" "$work/main.png"
convert "$work/main.png" -resize 720x +dither -colors 192 -strip PNG8:docs/screenshots/catalog.png

open_texture "Green Glass"
sheet=$(await_window 10 '^Modify Simple Texture$')
xdotool windowfocus --sync "$sheet"
xdotool key ctrl+Prior # from the General page round to the last, the Finish page
preview=$(await_window 10 '^Preview$')
settled_picture "$preview" "$work/preview.png"
settled_picture "$sheet" "$work/finish.png"
convert "$work/finish.png" +dither -colors 64 -strip PNG8:docs/screenshots/finish-page.png
convert "$work/preview.png" -colors 128 -strip PNG8:docs/screenshots/preview.png
xdotool windowfocus --sync "$sheet"
xdotool key Escape

# The Pigment page's Color Map dialog: the stop at 0.60 (the fourth line) moved to 0.70 by
# typing its position.
open_texture "Rainbow Gradient"
sheet=$(await_window 10 '^Modify Simple Texture$')
xdotool windowfocus --sync "$sheet"
xdotool key ctrl+Next # the Pigment page
sleep 0.3
xdotool key alt+m
colormap=$(await_window 10 '^Color Map$')
xdotool windowfocus --sync "$colormap"
sleep 0.3
xdotool key Home Down Down Down alt+p ctrl+a
xdotool type --delay 20 "0.70"
xdotool key Tab
settled_picture "$colormap" "$work/colormap.png"
convert "$work/colormap.png" -strip PNG8:docs/screenshots/colormap.png
xdotool windowfocus --sync "$colormap"
xdotool key Escape
sleep 0.3
xdotool windowfocus --sync "$sheet"
xdotool key Escape

open_texture "Veined Stone"
layered=$(await_window 10 '^Layered Texture$')
xdotool windowfocus --sync "$layered"
settled_picture "$layered" "$work/layered.png"
convert "$work/layered.png" +dither -colors 128 -strip PNG8:docs/screenshots/layered-texture.png
ls -l docs/screenshots
