# Sourced by the scripts that drive the real program under Xvfb: the build to run ($build, the
# script's first argument or build/), a work folder of its own with the program's settings
# ($XDG_CONFIG_HOME, $XDG_DATA_HOME), a copy of the sample catalog ($work/sample.vlv) and a
# virtual screen ($DISPLAY, whose server is $server). Lines in $extra_settings are added to the
# settings.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
mkdir -p "$XDG_CONFIG_HOME/Velvane" "$work/program"
cat > "$XDG_CONFIG_HOME/Velvane/Velvane.conf" <<CONF
[Settings]
Program Directory=$work/program
POV Executable=$(command -v povray)
Display Mailing List Dialog=0
${extra_settings:-}
CONF
cp "$build/resources/shapes.dat" "$work/program/"
cp "$root/examples/sample.vlv" "$work/sample.vlv"
chmod u+w "$work/sample.vlv"

# Xvfb takes a free display itself and writes its number once it is ready; -noreset keeps it
# from starting afresh (and refusing clients for a moment) whenever its last client leaves.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset 3>"$work/display" >/dev/null 2>&1 &
server=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
