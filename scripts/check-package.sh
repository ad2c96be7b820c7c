#!/usr/bin/env bash
# Checks gamedisc as a player on Linux installs it: builds the release tool,
# installs it with `cmake --install` into a scratch prefix and runs it from
# there, checks its manual page (well-formed, and the commands and exit
# codes of docs/gamedisc.md), then makes the Debian package with CPack and
# checks its files, its fields and the libraries it depends on. Says what it
# checked; any mismatch stops it with exit code 1.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build/host-release
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-package: FAIL: $*" >&2; exit 1; }
ok() { echo "check-package: ok: $*"; }
# same_lines WHAT EXPECTED ACTUAL: the two lists must be equal, line for line.
same_lines() {
  [ "$2" = "$3" ] || fail "$1: expected
$2
found
$3"
}

cmake --preset host-release >/dev/null
cmake --build --preset host-release --target gamedisc >/dev/null
version=$(sed -n 's/^project(disc_setup VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no project version in CMakeLists.txt"

# The installed files: the tool and its manual page, nothing else.
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
same_lines "the files cmake --install puts under the prefix" \
  "$(printf 'bin/gamedisc\nshare/man/man1/gamedisc.1')" "$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)"
[ -x "$prefix/bin/gamedisc" ] || fail "$prefix/bin/gamedisc is not executable"
ok "cmake --install puts exactly bin/gamedisc and share/man/man1/gamedisc.1 under the prefix"

# run_help BINARY: `help extract` from a folder outside the tree, with the
# build folder out of reach of the loader's search path.
run_help() {
  local out status=0
  out=$(cd "$work" && env -u LD_LIBRARY_PATH "$1" help extract) || status=$?
  [ "$status" -eq 0 ] || fail "$1 help extract: exit code $status"
  [ "$(head -n1 <<<"$out")" = "gamedisc extract DISCS... --out FOLDER [options]" ] ||
    fail "$1 help extract does not start with the extract usage: $(head -n1 <<<"$out")"
  grep -q -- '^  --names CODEPAGE' <<<"$out" || fail "$1 help extract lists no --names"
}
run_help "$prefix/bin/gamedisc"
ok "the installed gamedisc prints the extract usage (help extract, exit code 0)"

# The manual page: groff reads it without a warning, man shows it, and it
# carries every command line of docs/gamedisc.md and its exit codes.
page=$prefix/share/man/man1/gamedisc.1
command -v groff >/dev/null || fail "no groff (scripts/install-deps.sh installs groff-base)"
warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1)
[ -z "$warnings" ] || fail "groff warns about gamedisc.1:
$warnings"
ok "groff -man -Tutf8 -ww formats gamedisc.1 without a warning"
if command -v man >/dev/null; then
  MANWIDTH=80 man -P cat -l "$page" 2>&1 | grep -q 'gamedisc - build, list, verify and extract' ||
    fail "man -l does not show the page's NAME line"
  ok "man -l shows the page"
else
  echo "check-package: no man here (man-db): the page is read through groff only"
fi
# Plain text (no overstriking), lines wide enough not to wrap the synopsis.
text=$(groff -man -Tascii -P-cbu -rLL=200n "$page")
grep -q '^GAMEDISC(1)' <<<"$text" || fail "the page is not GAMEDISC(1)"
synopsis=$(sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' <<<"$text" | tr -s ' \n' '  ')
# Each command line of the manual's first block, its continuation lines
# joined on.
documented=$(awk '/^```sh/ && !done { inside = 1; next }
  inside && /^```/ { inside = 0; done = 1; if (line != "") print line; next }
  inside && /^gamedisc / { if (line != "") print line; line = $0; next }
  inside { line = line " " $0 }' docs/gamedisc.md | tr -s ' ')
[ "$(wc -l <<<"$documented")" -ge 6 ] || fail "fewer than six command lines read from docs/gamedisc.md"
while IFS= read -r line; do
  [[ $synopsis == *"$line"* ]] || fail "the page's SYNOPSIS lacks, as docs/gamedisc.md has it: $line"
done <<<"$documented"
ok "the SYNOPSIS holds the $(wc -l <<<"$documented") command lines of docs/gamedisc.md (build, list, verify, extract, pack, unpack)"
for command in build list verify extract pack unpack help; do
  sed -n '/^COMMANDS/,/^OPTIONS/p' <<<"$text" | grep -Eq "^ *$command( |$)" || fail "COMMANDS does not describe $command"
done
ok "COMMANDS describes build, list, verify, extract, pack, unpack and help"
codes=$(sed -n '/^EXIT STATUS/,/^ENVIRONMENT/p' <<<"$text" | sed -n 's/^ *\([0-9]\)  *.*/\1/p' | tr '\n' ' ')
tr -s ' \n' '  ' <docs/gamedisc.md | grep -q 'exit codes are 0 (done), 1 (the build failed, or a fault was found) and 2 (a wrong command line)' ||
  fail "docs/gamedisc.md no longer gives the exit codes as 0, 1 and 2: update gamedisc.1 and this check"
[ "$codes" = "0 1 2 " ] || fail "EXIT STATUS gives codes '$codes', docs/gamedisc.md 0, 1 and 2"
ok "EXIT STATUS gives 0, 1 and 2, as docs/gamedisc.md does"

# The Debian package.
command -v dpkg-shlibdeps >/dev/null || fail "no dpkg-shlibdeps (scripts/install-deps.sh installs dpkg-dev)"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb=$work/deb/gamedisc_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "cpack made no $(basename "$deb"): $(ls "$work/deb")"
echo "check-package: $(basename "$deb"), its files:"
dpkg-deb -c "$deb" | sed 's/^/    /'
same_lines "the package's files" "$(printf './usr/bin/gamedisc\n./usr/share/man/man1/gamedisc.1')" \
  "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort)"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { exit 1 }' || fail "a file of the package is not owned by root"
ok "the package holds exactly /usr/bin/gamedisc and /usr/share/man/man1/gamedisc.1, owned by root"
for field in Package:gamedisc Version:$version Section:utils; do
  [ "$(dpkg-deb -f "$deb" "${field%%:*}")" = "${field#*:}" ] || fail "${field%%:*} is '$(dpkg-deb -f "$deb" "${field%%:*}")', not '${field#*:}'"
done
for field in Maintainer Description; do
  [ -n "$(dpkg-deb -f "$deb" $field)" ] || fail "the package has no $field"
done
ok "Package gamedisc, Version $version, Section utils, a Maintainer and a Description"
depends=$(dpkg-deb -f "$deb" Depends)
echo "check-package: Depends: $depends"
names=$(tr ',' '\n' <<<"$depends" | awk '{ print $1 }')
# Every library the tool loads, by the package that holds it, and the four
# it is built on by name.
needed=$(ldd "$build/tools/gamedisc/gamedisc" | awk '$2 == "=>" { print $3 }' | while read -r lib; do
  real=$(realpath "$lib")
  dpkg -S "$lib" 2>/dev/null || dpkg -S "$real" 2>/dev/null || dpkg -S "/usr$lib" 2>/dev/null || dpkg -S "/usr$real" 2>/dev/null ||
    echo "UNOWNED: $lib"
done | sed 's/:.*//' | sort -u)
grep -q UNOWNED <<<"$needed" && fail "no package owns a library gamedisc loads: $needed"
for pkg in $needed; do
  grep -qx "$pkg" <<<"$names" || fail "Depends lacks $pkg, which holds a library gamedisc loads"
done
for pattern in 'libpng[0-9-]*' 'libiso9660-[0-9]*' 'libcdio[0-9]*' zlib1g; do
  grep -qx "$pattern" <<<"$names" || fail "Depends names no $pattern"
done
ok "Depends names the package of every library ldd shows ($(tr '\n' ' ' <<<"$needed"| sed 's/ $//'))"

# The package's own tool, unpacked as dpkg would install it, below the
# package's prefix (the first folder of its file list).
dpkg-deb -x "$deb" "$work/root"
deb_prefix=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed -n 's|^\./\([^/]*\)/bin/gamedisc$|\1|p')
[ -n "$deb_prefix" ] || fail "the package holds no bin/gamedisc"
run_help "$work/root/$deb_prefix/bin/gamedisc"
ok "the packaged gamedisc prints the extract usage"
echo "check-package: all checks passed"
