# Sourced by the benchmark scripts: the texts every benchmark game shares.

# bench_project FILE: the project file gamedisc builds a benchmark game with.
bench_project() {
  cat >"$1" <<PROJECT
company = Bench
game = Game
uninstall_key = BenchGame
exe = kelvora.exe
names = ascii
setupdata = folder
ProgramName_EN = Bench Setup
PROJECT
}

# peer_nsi FILE COMPRESSOR OUTFILE: the NSIS script of a peer installer of
# the game beside FILE, for 64-bit Windows like the setup.exe builds timed
# beside it. It holds what setup.exe installs, the archives' files
# (game/) and disc 1's data folder (built/disc1/data/), and installs them
# into C:\peer\game. No page but the progress page, which closes by itself
# when the files are in: the installer runs without a click. Paths are
# relative to FILE's folder.
peer_nsi() {
  cat >"$1" <<EOF
Target amd64-unicode
SetCompressor $2
Name "Game"
OutFile "$3"
InstallDir "C:\\peer\\game"
Page instfiles
AutoCloseWindow true
Section
  SetOutPath \$INSTDIR
  File /r "game/*"
  File /r "built/disc1/data/*"
SectionEnd
EOF
}
