# Sourced by the scripts that drive the real program under Xvfb: a work folder of its own with
# the program's settings ($XDG_CONFIG_HOME, $XDG_DATA_HOME), a copy of the sample catalog
# ($work/sample.vlv) and a virtual screen ($DISPLAY, whose server is $server). Lines in
# $extra_settings are added to the settings.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
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
cp "$root/resources/shapes.dat" "$work/program/"
cp "$root/examples/sample.vlv" "$work/sample.vlv"
chmod u+w "$work/sample.vlv"

display=:$((50 + RANDOM % 40))
Xvfb "$display" -screen 0 1280x1024x24 >/dev/null 2>&1 &
server=$!
sleep 1
export DISPLAY=$display
