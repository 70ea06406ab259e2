#!/usr/bin/env bash
# Installs what building, running and testing Velvane needs on Debian 12 (run as root);
# with --package also what building and checking the Debian package needs.
set -euo pipefail

packages=(
    cmake g++ make ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
    libpng-dev zlib1g-dev libxxhash-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    povray povray-includes povray-doc # the doc: its reference checks the language table
    python3-markdown # writes the help pages from the user guide
    xvfb xauth x11-utils openbox
    xdotool dbus at-spi2-core python3-pyatspi imagemagick # the real program driven under Xvfb
    locales
    clang libclang-rt-14-dev clang-format clang-tidy
    ccache
)
if [[ ${1:-} == --package ]]; then
    packages+=(dpkg-dev file lintian appstream desktop-file-utils)
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]})); then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Number text must never follow the user's locale; the tests run under a comma-decimal one.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
