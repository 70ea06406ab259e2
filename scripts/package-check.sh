#!/usr/bin/env bash
# Builds the Debian package and checks it: the files it holds, the man page against
# `velvane-cli --help`, the AppStream metainfo and desktop entry, lintian, and (as root) that it
# installs with what it needs, runs, and leaves nothing behind when it is removed.
set -euo pipefail
cd "$(dirname "$0")/.."
deb=$(bash scripts/package.sh | tail -n 1)
echo "Checking $deb"
failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for path in /usr/bin/velvane /usr/bin/velvane-cli \
    /usr/share/applications/velvane.desktop \
    /usr/share/icons/hicolor/48x48/apps/velvane.png /usr/share/icons/hicolor/scalable/apps/velvane.svg \
    /usr/share/mime/packages/velvane.xml \
    /usr/share/doc/velvane/html/index.html /usr/share/doc/velvane/copyright /usr/share/doc/velvane/changelog.gz \
    /usr/share/man/man1/velvane.1.gz /usr/share/man/man1/velvane-cli.1.gz \
    /usr/share/bash-completion/completions/velvane-cli \
    /usr/share/metainfo/org.velvane.velvane.metainfo.xml; do
    grep -qxF "$path" <<<"$contents" || fail "the package has no $path"
done

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
version=$(dpkg-deb -f "$deb" Version)
cli="$unpacked/usr/bin/velvane-cli"
[[ $("$cli" --version) == "velvane-cli $version" ]] || fail "velvane-cli --version is not $version"
[[ $("$unpacked/usr/bin/velvane" --version) == "velvane $version" ]] || fail "velvane --version is not $version"

manual=$(zcat "$unpacked/usr/share/man/man1/velvane-cli.1.gz")
mapfile -t commands < <("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\).*/\1/p')
((${#commands[@]} > 0)) || fail "velvane-cli --help names no command"
for command in "${commands[@]}"; do
    grep -q "^\.B $command\b" <<<"$manual" || fail "velvane-cli(1) does not describe $command"
done
man --warnings -l "$unpacked/usr/share/man/man1/velvane-cli.1.gz" >/dev/null 2>"$unpacked/man.log" || true
man --warnings -l "$unpacked/usr/share/man/man1/velvane.1.gz" >/dev/null 2>>"$unpacked/man.log" || true
[[ ! -s $unpacked/man.log ]] || fail "the man pages have warnings: $(cat "$unpacked/man.log")"

appstreamcli validate --no-net "$unpacked/usr/share/metainfo/org.velvane.velvane.metainfo.xml" ||
    fail "the AppStream metainfo does not validate"
desktop-file-validate "$unpacked/usr/share/applications/velvane.desktop" ||
    fail "the desktop entry does not validate"
lintian --fail-on error --suppress-tags dir-or-file-in-opt "$deb" || fail "lintian reports errors"

# Installing it pulls in what it needs; removing it leaves nothing but the user's files.
if [[ $(id -u) == 0 ]]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$(realpath "$deb")" >/dev/null ||
        fail "apt-get install of the package failed"
    [[ $(velvane-cli --version) == "velvane-cli $version" ]] || fail "the installed velvane-cli does not run"
    [[ $(dpkg -s povray 2>/dev/null | grep -c '^Status: install ok installed') == 1 ]] ||
        fail "POV-Ray is not installed with the package"
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq velvane >/dev/null || fail "apt-get purge failed"
    for path in $(grep -v '/$' <<<"$contents"); do
        [[ ! -e $path ]] || fail "$path is left after the package is removed"
    done
    [[ ! -e /usr/share/doc/velvane ]] || fail "/usr/share/doc/velvane is left after the package is removed"
fi

if ((failures)); then
    echo "The package check found $failures problems." >&2
    exit 1
fi
echo "The package $(basename "$deb") holds what it should, validates and installs cleanly."
