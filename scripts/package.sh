#!/usr/bin/env bash
# Builds the Debian package velvane_<version>_amd64.deb (the program and velvane-cli, their man
# pages and completion, the desktop entry, icons, file type, help and AppStream metainfo) in
# build-package/package/, and prints its path as the last line.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh --package
# Files in the package are readable by all, whatever the caller's umask.
umask 022
bash scripts/build.sh build-package --tests -DVELVANE_BUILD_TESTS=OFF -DVELVANE_BUILD_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >&2
rm -f build-package/package/*.deb
(cd build-package && cpack -G DEB >&2)
deb=(build-package/package/velvane_*_amd64.deb)
[[ -f ${deb[0]} ]] || { echo "cpack made no package" >&2; exit 1; }
realpath "${deb[0]}"
