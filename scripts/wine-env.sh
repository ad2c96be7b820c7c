# Sourced by the Wine scripts: the environment every Wine call of the test
# run shares. Expects WINEPREFIX to be set.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links the user's Desktop and Documents to $HOME: keep it in the run.
export HOME="${WINEPREFIX%/}-home"
mkdir -p "$HOME"
