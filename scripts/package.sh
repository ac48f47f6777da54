#!/usr/bin/env bash
# Builds the Debian package build/quorvane_<version>_amd64.deb from the default build and
# checks it: lintian must report no errors, and the AppStream metainfo and the desktop entry
# inside the package must validate.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
rm -f build/quorvane_*.deb
(cd build && cpack -G DEB)
deb=$(echo build/quorvane_*_amd64.deb)

lintian --fail-on error --tag-display-limit 0 "$deb"
contents=$(mktemp -d)
trap 'rm -rf "$contents"' EXIT
dpkg-deb -x "$deb" "$contents"
appstreamcli validate --no-net "$contents"/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$contents"/usr/share/applications/quorvane.desktop
echo "package: $deb"
