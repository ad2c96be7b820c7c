#!/usr/bin/env bash
# The road 32-bit x86 programs (the 32-bit Wine loader, and with it every
# 32-bit Windows program) take on this machine, made ready.
#
#   i386-road.sh setup MODE STATE   prints the road: "native" or "emulated"
#   i386-road.sh refuse STATE       makes this machine refuse i386 programs
#                                   as a kernel without 32-bit emulation does
#                                   ("Exec format error"): that kind of
#                                   machine, tried on any machine
#   i386-road.sh undo STATE         takes back what setup and refuse did
#   i386-road.sh status             prints the road as it is: native,
#                                   emulated or none
#
# MODE:
#   auto       native where i386 programs run; otherwise they are handed to
#              qemu-user through binfmt_misc
#   emulated   the emulated road even where the native one works (binfmt_misc
#              is asked before the ELF loader, so a qemu entry takes over)
#
# Every entry registered is written to STATE, so that `undo` leaves the
# machine as it was found; setting up again is cheap. When neither road can
# be had, `setup` says why on standard error and exits 1.
set -uo pipefail

binfmt=/proc/sys/fs/binfmt_misc
qemu=/usr/bin/qemu-i386-static
# The i386 ELF executable and shared-object header, as binfmt_misc matches it.
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
# Names of our own, so that an entry somebody else registered is never
# replaced or removed.
qemu_entry=i386-road-qemu
refusal_entry=i386-road-refused

say() { printf '%s\n' "$*" >&2; }

# A 32-bit program runs at all (natively or through an entry).
i386_runs() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }

# An enabled binfmt entry hands i386 programs to qemu.
qemu_registered() {
  [ -r "$binfmt/status" ] && [ "$(cat "$binfmt/status")" = enabled ] || return 1
  local entry
  for entry in "$binfmt"/*; do
    case $(basename "$entry") in status | register) continue ;; esac
    grep -qx enabled "$entry" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$entry" 2>/dev/null && return 0
  done
  return 1
}

road_now() {
  if ! i386_runs; then
    echo none
  elif qemu_registered; then
    echo emulated
  else
    echo native
  fi
}

mount_binfmt() {
  [ -e "$binfmt/register" ] && return 0
  mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null && [ -e "$binfmt/register" ]
}

# register NAME INTERPRETER: an entry for i386 ELF programs (replacing one
# of ours a killed run left); F opens the interpreter now, so that it is
# found in every mount namespace.
register() {
  [ -e "$binfmt/$1" ] && echo -1 >"$binfmt/$1"
  printf '%s' ":$1:M::$magic:$mask:$2:OCF" >"$binfmt/register" 2>/dev/null
}

setup() {
  local mode=$1 state=$2
  mkdir -p "$(dirname "$state")"
  : >>"$state"
  case $mode in
    auto | emulated) ;;
    *)
      say "i386-road: MODE is auto or emulated, not '$mode'"
      return 2
      ;;
  esac

  local road
  road=$(road_now)
  if [ "$road" = native ] && [ "$mode" = auto ]; then
    echo native
    return 0
  fi
  if [ "$road" != emulated ]; then
    if [ ! -x "$qemu" ]; then
      say "i386-road: 32-bit x86 programs do not run on this machine, and $qemu (Debian's qemu-user-static) is missing"
      return 1
    fi
    if ! mount_binfmt; then
      say "i386-road: 32-bit x86 programs do not run on this machine, and binfmt_misc, through which qemu would run them, cannot be mounted (root is needed)"
      return 1
    fi
    if ! register "$qemu_entry" "$qemu"; then
      say "i386-road: 32-bit x86 programs do not run on this machine, and the kernel refused a binfmt_misc entry for qemu"
      return 1
    fi
    echo "$qemu_entry" >>"$state"
    if ! i386_runs; then
      say "i386-road: a 32-bit program does not run even through qemu ($qemu)"
      return 1
    fi
  fi
  echo emulated
}

refuse() {
  local state=$1
  mkdir -p "$(dirname "$state")"
  if ! mount_binfmt; then
    say "i386-road: refusing i386 programs needs binfmt_misc, which cannot be mounted here (root is needed)"
    return 1
  fi
  [ "$(road_now)" = none ] && return 0
  # An interpreter that is no program: exec of any i386 program then fails
  # with ENOEXEC. The newest entry is asked first, so this one wins over a
  # qemu entry registered before it.
  local refusal
  refusal=$(mktemp)
  printf 'not a program\n' >"$refusal"
  chmod +x "$refusal"
  register "$refusal_entry" "$refusal"
  rm -f "$refusal"
  echo "$refusal_entry" >>"$state"
  if i386_runs; then
    say "i386-road: i386 programs still run after registering $refusal_entry"
    return 1
  fi
}

undo() {
  local state=$1 entry
  [ -f "$state" ] || return 0
  # The newest first: the qemu entry goes before the refusal under it.
  tac "$state" | while read -r entry; do
    [ -n "$entry" ] && [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
  done
  rm -f "$state"
}

usage() {
  sed -n '2,24p' "$0" >&2
  exit 2
}

case ${1:-} in
  setup) [ $# -eq 3 ] || usage; setup "$2" "$3" ;;
  refuse) [ $# -eq 2 ] || usage; refuse "$2" ;;
  undo) [ $# -eq 2 ] || usage; undo "$2" ;;
  status) [ $# -eq 1 ] || usage; road_now ;;
  *) usage ;;
esac
