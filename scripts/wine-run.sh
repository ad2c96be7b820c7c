#!/usr/bin/env bash
# Runs a Windows program, 32- or 64-bit, under Wine in the test run's prefix
# (WINEPREFIX, made by wine-prefix.sh) and passes its output and exit code
# through.
# Wine's output is read from a file: through a pipe each call costs ~1.5 s.
set -uo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix made by wine-prefix.sh}"
. "$(dirname "$0")/wine-env.sh"
out=$(mktemp)
err=$(mktemp)
"$WINE" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $rc
