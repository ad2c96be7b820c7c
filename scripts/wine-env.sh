# Sourced by the Wine scripts: the environment every Wine call of the test
# run shares. Expects WINEPREFIX to be set.
#
# Prefixes are 64-bit and every Wine program is started through the 64-bit
# loader and server: they run on machines that cannot run 32-bit x86 code,
# and the loader hands a 32-bit Windows program on to the 32-bit one (native
# or emulated, see i386-road.sh) by itself.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Wine links the user's Desktop and Documents to $HOME: keep it in the run.
export HOME="${WINEPREFIX%/}-home"
mkdir -p "$HOME"

# pe_bits EXE: 32 or 64, from the machine field of a Windows program's
# header; empty when the file is none.
pe_bits() {
  local pe machine
  pe=$(od -An -tu4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$pe" ] || return 0
  machine=$(od -An -tx2 -j $((pe + 4)) -N 2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo 32 ;;
    8664) echo 64 ;;
  esac
}
