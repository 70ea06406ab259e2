#!/usr/bin/env bash
# Checks the files here with POV-Ray 3.7: each file must parse, and every texture, pigment and
# material it declares must render on a sphere in a small scene that includes the file.
#
#   bench/others/check-povray.sh [--list FILE] [FILE...]
#
# The kind of each "#declare NAME =" is asked of POV-Ray itself: NAME is a pigment where
# "pigment { NAME }" parses and "NAME + 0" does not (that is a colour), a material where
# "material { NAME }" parses, and a texture where "texture { NAME }" parses but it is neither a
# pigment, a normal nor a finish. Anything else (colours, finishes, objects, loop counters) is
# not counted. colors.inc comes first unless the file includes it itself (an "#include" at the
# start of a line), as its users do.
# Prints "FILE: N of M render" per file; --list writes "FILE NAME KIND result" per declaration.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
list=
if [[ ${1:-} == --list ]]; then
    list=$2
    shift 2
fi
files=("$@")
((${#files[@]})) || files=("$here"/*.inc "$here"/*.pov)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
[[ -n $list ]] && : >"$list"

# parses FILE_HEADER TAIL [SIZE]: whether a scene of the header and TAIL renders.
parses() {
    local size=${3:-1}
    printf '%s\n%s\n' "$1" "$2" >"$scratch/probe.pov"
    (cd "$scratch" && povray +W"$size" +H"$size" -D -V -GA +O"$scratch/probe.png" probe.pov \
        >/dev/null 2>&1) && [[ -s $scratch/probe.png ]]
}

status=0
for file in "${files[@]}"; do
    path=$(cd "$(dirname "$file")" && pwd)/$(basename "$file")
    header='#version 3.7;'
    grep -q '^#include[[:space:]]*"colors.inc"' "$path" ||
        header+=$'\n#include "colors.inc"'
    header+=$'\n#include "'"$path"'"'
    name=$(basename "$path")
    if ! parses "$header" ''; then
        echo "$name: does not parse"
        status=1
        continue
    fi
    total=0
    rendered=0
    while read -r id <&3; do
        kind=
        use=
        if parses "$header" "#declare Probe_ = pigment { $id }"; then
            parses "$header" "#declare Probe_ = $id + 0;" ||
                { kind=pigment use="texture { pigment { $id } finish { ambient 0.1 diffuse 0.6 } }"; }
        elif parses "$header" "#declare Probe_ = material { $id }"; then
            kind=material use="material { $id }"
        elif parses "$header" "#declare Probe_ = texture { $id }" &&
            ! parses "$header" "#declare Probe_ = normal { $id }" &&
            ! parses "$header" "#declare Probe_ = finish { $id }"; then
            kind=texture use="texture { $id }"
        fi
        [[ -n $kind ]] || continue
        total=$((total + 1))
        scene="camera { location <0, 0, -3.5> look_at 0 angle 40 }
light_source { <-10, 10, -20> rgb 1 }
sphere { 0, 1 $use }"
        if parses "$header" "$scene" 64; then
            rendered=$((rendered + 1))
            result=renders
        else
            result=fails
            status=1
        fi
        [[ -n $list ]] && echo "$name $id $kind $result" >>"$list"
    done 3< <(grep -oE '#declare[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*=' "$path" |
        sed -E 's/#declare[[:space:]]+([A-Za-z0-9_]+).*/\1/' | awk '!seen[$0]++')
    echo "$name: $rendered of $total render"
done
exit $status
