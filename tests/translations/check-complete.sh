#!/usr/bin/env bash
# Every text the program passes through its translation functions has a finished entry in a
# translation: lupdate brings a copy of the .ts file up to date with the sources, and a text it
# had no entry for comes in unfinished. Usage: check-complete.sh LUPDATE TS_FILE SOURCE_FOLDER...
set -euo pipefail
lupdate=$1
ts=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$ts" "$work/check.ts"
"$lupdate" -silent -no-obsolete "$@" -ts "$work/check.ts" >"$work/lupdate.log" 2>&1 ||
    { cat "$work/lupdate.log"; exit 1; }
missing=$(grep -c 'type="unfinished"' "$work/check.ts" || true)
if [ "$missing" -ne 0 ]; then
    echo "$(basename "$ts"): $missing texts without a translation:"
    grep -B3 'type="unfinished"' "$work/check.ts" | grep '<source>' | sed 's/^ */  /'
    exit 1
fi
echo "$(basename "$ts"): every text has a translation"
