#!/usr/bin/env bash
# Installs every Debian package that building, running, testing and benchmarking need.
# Idempotent: does nothing when all are present; runs apt-get update only when one is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev qt6-image-formats-plugins
    libqt6sql6 libqt6sql6-sqlite  # the history of the charts: Qt SQL and its SQLite driver
    libxlsxwriter-dev zlib1g-dev libacl1-dev rapidjson-dev
    ncdu gdu  # peers: the scan-file tests read their files, scanfile_bench times them
    acl attr
    libgtest-dev
    xvfb xauth unzip
    bindfs fuse3
    locales
    at-spi2-core python3-pyatspi dbus-daemon
    qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-translations-l10n
    dpkg-dev file lintian appstream desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

# The size text tests need one locale with a decimal comma; Debian generates none by default.
comma_locale=de_DE.UTF-8
need_comma_locale=0
locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8' || need_comma_locale=1
[ ${#missing[@]} -eq 0 ] && [ $need_comma_locale -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]} $comma_locale" >&2; exit 1; }
    sudo="sudo"
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
if [ $need_comma_locale -eq 1 ]; then
    echo "install-deps: generating the locale $comma_locale"
    $sudo localedef -i de_DE -f UTF-8 "$comma_locale"
fi
