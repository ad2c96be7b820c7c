#!/usr/bin/env bash
# Runs a Windows program, 32- or 64-bit, under Wine in the test run's prefix
# (WINEPREFIX, made by wine-prefix.sh) and passes its output and exit code
# through.
# Wine's output is read from a file: through a pipe each call costs ~1.5 s.
set -uo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the prefix made by wine-prefix.sh}"
. "$(dirname "$0")/wine-env.sh"
# The tests of a run start one program after another, several at once, in
# the one prefix. A wineserver that ends with its last program can be
# taking down its folder just as the next program comes to it ("chdir to
# /tmp/wine-.../server-...: No such file or directory", and the program
# never runs): it is kept for 30 s after its last program instead (started
# here when none runs; the test command kills it at its end).
"$WINESERVER" -p30 2>/dev/null || true
out=$(mktemp)
err=$(mktemp)
"$WINE" "$@" >"$out" 2>"$err"
rc=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $rc
