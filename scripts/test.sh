#!/usr/bin/env bash
# The test command: installs what is missing, builds both configurations and
# runs every test, natively and under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

echo "== host build (sanitizers on)"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host

echo "== fuzz targets, a short pass"
scripts/fuzz.sh 10

echo "== win32 cross build, tests under Wine"
cmake --preset win32 >/dev/null
cmake --build --preset win32
status=0
xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset win32 || status=$?
WINEPREFIX="$PWD/build/win32/wineprefix" wineserver -k 2>/dev/null || true
exit $status
