#!/usr/bin/env bash
# Starts the program under Xvfb with an accessibility bus and reads its chart with a real
# AT-SPI client (chart_through_atspi.py). Usage: run-atspi-check.sh <quorvane executable>
# Needs xvfb-run, dbus-run-session, at-spi2-core and python3-pyatspi (scripts/install-deps.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

if [ "${1:-}" = --inside ]; then
    # Inside the X server and the session bus: the accessibility bus, the program, the reader.
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    launcher=$!
    sleep 1
    # The reader registers its listener before the program starts: the program learns at its
    # start which events anyone listens to, and one registered just after may never reach it.
    /usr/bin/python3 "$here/chart_through_atspi.py" Alpha Beta Gamma &
    reader=$!
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb "$2" &
    app=$!
    status=0
    wait "$reader" || status=$?
    kill "$app" "$launcher" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    exit $status
fi

program=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program charts the desktop folder at start: three subfolders of known sizes.
mkdir -p "$work/home/Desktop/Alpha" "$work/home/Desktop/Beta/deeper" "$work/home/Desktop/Gamma"
head -c 4096 /dev/zero >"$work/home/Desktop/Alpha/a"
head -c 1024 /dev/zero >"$work/home/Desktop/Beta/deeper/b"
HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_RUNTIME_DIR="$work" \
    LANG=C.UTF-8 LC_ALL=C.UTF-8 QUORVANE_SIZE_MEMORY=0 \
    xvfb-run -a -s "-screen 0 1280x800x24" \
    dbus-run-session -- "$here/run-atspi-check.sh" --inside "$program"
