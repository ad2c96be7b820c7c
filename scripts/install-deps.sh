#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks. Does nothing (and needs no network) when all is there.
#
# qemu-user-static comes too where 32-bit x86 programs do not run here, or
# where TEST_I386 asks for the emulated road (see i386-road.sh).
set -euo pipefail

have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$'; }

install() {
  [ $# -gt 0 ] || return 0
  echo "install-deps: installing $*"
  local sudo=
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then $sudo dpkg --add-architecture i386; fi
  export DEBIAN_FRONTEND=noninteractive
  # A mirror caught in the middle of a sync refuses an index now and then:
  # try again, and at the end install from the indexes that did come.
  local try log updated=no
  log=$(mktemp)
  for try in 1 2 3; do
    if $sudo apt-get update -q >"$log" 2>&1; then updated=yes; cat "$log"; break; fi
    cat "$log"
    echo "install-deps: apt-get update failed (try $try of 3)"
    [ "$try" -eq 3 ] || sleep 20
  done
  [ "$updated" = yes ] || take_stale_indexes "$log"
  rm -f "$log"
  $sudo apt-get install -y -q --no-install-recommends "$@"
}

# A mirror can stay for days with an index older than its Release file (the
# i386 half of a suite, say), and apt then refuses that index for its size.
# Without it the i386 packages of that suite fall back to older versions
# than their amd64 twins, and multiarch refuses to install both. Such an
# index is taken as the mirror serves it: it is not checked against the
# signed Release, but every package it names is still checked against the
# hash it lists when it is downloaded. An index apt already holds is kept.
take_stale_indexes() {
  local url list tmp
  for url in $(grep -o 'Failed to fetch http://[^ ]*/Packages\.xz  File has unexpected size' "$1" |
               awk '{print $4}' | sort -u); do
    list=/var/lib/apt/lists/$(echo "${url#http://}" | sed 's/\.xz$//; s|/|_|g')
    if compgen -G "$list*" >/dev/null; then continue; fi
    tmp=$(mktemp --suffix=.xz)
    if /usr/lib/apt/apt-helper download-file "$url" "$tmp" >/dev/null &&
       /usr/lib/apt/apt-helper cat-file "$tmp" >"$tmp.txt" && grep -q '^Package: ' "$tmp.txt"; then
      $sudo cp "$tmp.txt" "$list"
      $sudo chmod 644 "$list"
      echo "install-deps: took the mirror's index $url as it is (older than its Release)"
    fi
    rm -f "$tmp" "$tmp.txt"
  done
}

# The fonts stand in for Arial and PMingLiU when the installer's dialogs run
# under Wine in the end-to-end tests. Both cross compilers: the 32-bit build
# is what ships, the 64-bit one runs the Windows tests under wine64 on any
# machine. osslsigncode signs the programs of a set (gamedisc build --sign),
# openssl makes the tests' certificates. groff-base checks gamedisc's manual
# page, and dpkg-dev's dpkg-shlibdeps finds its package's dependencies.
need=()
for p in cmake g++ make zlib1g-dev libpng-dev libgtest-dev googletest libdeflate-dev \
         g++-mingw-w64-i686 gcc-mingw-w64-i686 binutils-mingw-w64-i686 \
         g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
         mingw-w64-x86-64-dev libz-mingw-w64-dev \
         wine wine64 wine32:i386 xvfb xauth locales imagemagick x11-utils clang libfuzzer-14-dev xorriso \
         fonts-liberation fonts-wqy-microhei dpkg-dev libiso9660-dev libcdio-dev osslsigncode openssl \
         groff-base; do
  have_pkg "$p" || need+=("$p")
done
install "${need[@]}"

if ! have_pkg qemu-user-static; then
  if [ "${TEST_I386:-auto}" != auto ] || ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    install qemu-user-static
  fi
fi

# libdeflate for the Windows builds. Debian packages it for Linux only, so
# its source package, from the archive this machine installs from, is built
# with each cross compiler and put beside the cross zlib in the compiler's
# own tree, where the build finds it as it finds zlib. Only the source index
# is fetched for it: the binary indexes stay as they are.
mingw_libdeflate() {
  local triple missing=()
  for triple in i686-w64-mingw32 x86_64-w64-mingw32; do
    [ -f "/usr/$triple/lib/libdeflate.a" ] || missing+=("$triple")
  done
  [ ${#missing[@]} -gt 0 ] || return 0
  local sudo= work status=0
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  work=$(mktemp -d)
  build_libdeflate "$work" "${missing[@]}" || status=1
  $sudo rm -rf "$work"
  return $status
}

# build_libdeflate FOLDER TRIPLE...: fetches the source into FOLDER and
# installs the library for each compiler. Called where a failure does not
# stop the script: each step says.
build_libdeflate() {
  local work=$1 triple list uri suite
  shift
  # The first binary archive of the machine's own entries, its URI and
  # suite taken from the same entry (deb822 stanzas, else one-line ones).
  read -r uri suite < <(awk 'BEGIN { RS = ""; FS = "\n" }
    { t = u = s = ""
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^Types:/) t = $i
        if ($i ~ /^URIs:/) { split($i, w, " "); u = w[2] }
        if ($i ~ /^Suites:/) { split($i, w, " "); s = w[2] }
      }
      if (t ~ /[ \t]deb([ \t]|$)/ && u != "" && u !~ /security/ && s != "") { print u, s; exit } }' \
    /etc/apt/sources.list.d/*.sources 2>/dev/null) || true
  if [ -z "$uri" ]; then
    read -r uri suite < <(awk '$1 == "deb" {
      for (i = 2; i <= NF; i++) if ($i ~ /:\/\// && $i !~ /security/) { print $i, $(i + 1); exit } }' /etc/apt/sources.list 2>/dev/null) || true
  fi
  [ -n "$uri" ] && [ -n "$suite" ] || { echo "install-deps: no Debian archive found for libdeflate's source"; return 1; }
  list=$work/source.sources
  printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$uri" "$suite" >"$list"
  local apt_src=(-o "Dir::Etc::sourcelist=$list" -o Dir::Etc::sourceparts=- -o APT::Get::List-Cleanup=0)
  echo "install-deps: building libdeflate for $* from the source package of $uri $suite"
  $sudo apt-get "${apt_src[@]}" update -q >"$work/update.log" 2>&1 ||
    { cat "$work/update.log"; echo "install-deps: the source index did not come"; return 1; }
  # apt's own download user writes into the folder.
  chmod 777 "$work"
  (cd "$work" && $sudo apt-get "${apt_src[@]}" source -q libdeflate >/dev/null 2>&1) ||
    { echo "install-deps: apt-get source libdeflate failed"; return 1; }
  local src; src=$(find "$work" -maxdepth 1 -type d -name 'libdeflate-*' | head -n1)
  [ -n "$src" ] || { echo "install-deps: apt-get source libdeflate unpacked nothing"; return 1; }
  for triple in "$@"; do
    rm -rf "$work/$triple" && cp -r "$src" "$work/$triple" &&
      make -s -C "$work/$triple" CC="$triple-gcc-posix" AR="$triple-ar" libdeflatestatic.lib >/dev/null &&
      $sudo cp "$work/$triple/libdeflate.h" "/usr/$triple/include/libdeflate.h" &&
      $sudo cp "$work/$triple/libdeflatestatic.lib" "/usr/$triple/lib/libdeflate.a" ||
      { echo "install-deps: libdeflate did not build for $triple"; return 1; }
  done
}
# Without it the Windows builds still build and pass, with zlib's inflate
# (slower): a mirror that fails for a while does not stop the run.
mingw_libdeflate ||
  echo "install-deps: warning: no libdeflate for the Windows builds; they decompress with zlib's inflate"
