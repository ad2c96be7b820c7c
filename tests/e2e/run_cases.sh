#!/usr/bin/env bash
# End-to-end cases: the real setup.exe under Wine, driven from outside by
# ui_driver.exe and checked from outside.
#
#   run_cases.sh prepare WORK DISCS_EXE UNINSTALL_EXE
#       makes the base prefix (scripts/wine-prefix.sh), builds the private
#       locales and lays out the game discs below WORK, each installing
#       UNINSTALL_EXE as its uninstaller
#   run_cases.sh case WORK SETUP_EXE DRIVER_EXE CRASHER_EXE NAME...
#       runs the named cases; each gets a clone of the base prefix, an X
#       display and a wineserver of its own, its disc folder mapped as the
#       CD-ROM drive E:, and its locale
#
# Everything a case leaves is in WORK/cases/NAME (the driver's transcript,
# Wine's log, the registry read back); the pictures of the dialogs are in
# WORK/screenshots. Exit code 0 when every check held, 77 when a case cannot
# run on this machine (it says why), 1 otherwise. E2E_SLOWDOWN (a whole
# number, default 1) stretches every wait, for programs that run emulated.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
scripts=$(cd "$here/../../scripts" && pwd)
. "$scripts/xvfb-display.sh"

usage() {
  sed -n '2,19p' "$0" >&2
  exit 2
}

# A Unix path as Wine's drive Z: shows it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

say() { printf '%s\n' "$*"; }

failures=0
fail() {
  say "FAIL: $*"
  failures=$((failures + 1))
}
ok() { say "ok: $*"; }

# ---------------------------------------------------------------------------
# prepare
# ---------------------------------------------------------------------------

prepare() {
  local work=$1 discs_exe=$2 uninstall_exe=$3
  local start=$SECONDS
  mkdir -p "$work"
  work=$(cd "$work" && pwd)

  # The glibc locales the cases run in: without them Wine cannot make files
  # with Chinese names.
  local loc
  for loc in en_US zh_TW zh_CN; do
    if [ ! -e "$work/locales/$loc.UTF-8/LC_CTYPE" ]; then
      mkdir -p "$work/locales"
      localedef -c -i "$loc" -f UTF-8 "$work/locales/$loc.UTF-8" >/dev/null 2>&1
      [ -e "$work/locales/$loc.UTF-8/LC_CTYPE" ] || { say "cannot build the locale $loc.UTF-8"; return 1; }
    fi
  done

  # One base prefix (a clone of the test run's, where it has one); the cases
  # clone it. Its own X display, so that nothing depends on the caller's.
  local base=$work/base
  start_display "$work" || { say "Xvfb did not start"; return 1; }
  if ! DISPLAY=$display "$scripts/wine-prefix.sh" "$base"; then
    stop_display
    return 1
  fi
  (
    export WINEPREFIX=$base DISPLAY=$display
    . "$scripts/wine-env.sh"
    rm -rf "$work/discs"
    mkdir -p "$work/discs"
    "$WINE" "$discs_exe" "$(winpath "$work/discs")" "$(winpath "$uninstall_exe")" >"$work/discs.log" 2>&1
    rc=$?
    "$WINESERVER" -w
    exit $rc
  )
  local rc=$?
  stop_display
  if [ $rc -ne 0 ]; then
    cat "$work/discs.log"
    return 1
  fi
  # A full disk that a killed run left mounted.
  local target
  while read -r target; do
    target=$(printf '%b' "$target")
    case $target in "$work"/cases/*) umount "$target" ;; esac
  done < <(findmnt -rn -o TARGET 2>/dev/null)
  rm -rf "$work/cases" "$work/screenshots"
  say "e2e prepared in $((SECONDS - start)) s: prefix, locales and discs in $work"
}

# ---------------------------------------------------------------------------
# The parts of a case
# ---------------------------------------------------------------------------

# begin_case SET LOCALE [DRIVE]: a fresh prefix, the set's first disc in
# drive DRIVE (E:, the CD-ROM drive, unless told).
begin_case() {
  local set=$1 locale=$2 drive=${3:-e}
  case_dir=$work/cases/$case_name
  rm -rf "$case_dir"
  mkdir -p "$case_dir" "$work/screenshots"
  set_dir=$work/discs/$set
  # shellcheck disable=SC1091
  . "$set_dir/facts.sh"
  cp -a "$set_dir/disc" "$case_dir/disc"
  prefix=$case_dir/prefix
  "$scripts/wine-clone.sh" "$work/base" "$prefix"
  ln -sfn "$case_dir/disc" "$prefix/dosdevices/$drive:"
  start_display "$case_dir" || { say "Xvfb did not start"; return 1; }
  export WINEPREFIX=$prefix DISPLAY=$display LOCPATH=$work/locales
  # For Wine; this shell itself may not take up a locale from LOCPATH.
  export LC_ALL=$locale 2>/dev/null
  . "$scripts/wine-env.sh"
  drive_c=$prefix/drive_c
  target_dir=$drive_c/$TARGET_UNIX
  steps=$case_dir/steps.txt
  : >"$steps"
  say "== $case_name: set $set, locale $locale, disc $case_dir/disc as ${drive^^}:"
}

end_case() {
  if [ -n "${watcher:-}" ]; then kill "$watcher" 2>/dev/null; wait "$watcher" 2>/dev/null; fi
  watcher=
  if [ -n "$prefix" ]; then "$WINESERVER" -k 2>/dev/null; fi
  if [ -n "$mounted" ]; then umount "$mounted" || fail "cannot unmount $mounted"; fi
  mounted=
  stop_display
}

# Adds lines to the driver's steps.
steps() { cat >>"$steps"; }

# Runs the driver over a steps file; its transcript is part of the case's
# output. Returns the driver's exit code.
run_driver() {
  local file=$1 transcript=${1%.txt}.transcript
  "$WINE" "$driver_exe" "$(winpath "$file")" >"$transcript" 2>>"$case_dir/wine.log"
  local rc=$?
  sed 's/^/  | /' "$transcript"
  return $rc
}

# Runs the case's steps; every one must hold.
drive() {
  local rc
  run_driver "$steps"
  rc=$?
  if [ $rc -ne 0 ]; then
    fail "the driver stopped (exit code $rc); Wine's log: $case_dir/wine.log"
    grep -v '^fixme' "$case_dir/wine.log" | tail -n 20 | sed 's/^/  wine: /'
  fi
  local bmp png
  for bmp in "$case_dir"/*.bmp; do
    [ -e "$bmp" ] || continue
    png=$work/screenshots/$(basename "${bmp%.bmp}").png
    if convert "$bmp" "$png" 2>/dev/null; then
      say "screenshot: $png"
    else
      cp "$bmp" "$work/screenshots/"
      say "screenshot: $work/screenshots/$(basename "$bmp")"
    fi
  done
}

# A picture of a window, saved beside the case's other output.
shot() { printf 'shot %s "%s"\n' "$1" "$(winpath "$case_dir/$case_name-$2.bmp")"; }

programs_dir() {
  local d
  for d in "$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs; do
    [ -d "$d" ] && printf '%s' "$d"
  done
}

desktop_dir() {
  local d
  for d in "$drive_c"/users/*/Desktop; do
    case $d in */Public/*) ;; *) printf '%s' "$d" ;; esac
  done
}

# Link steps for every shortcut a finished install makes.
link_steps() {
  local menu="%PROGRAMS%\\$COMPANY\\$GAME" k file name
  steps <<EOF
link "$menu\\$UNINSTALL_TEXT.lnk" "$TARGET\\uninstall.exe" "$TARGET" "$UNINSTALL_TEXT" 2 "" 0
link "$menu\\$GAME.lnk" "$TARGET\\$EXE" "$TARGET" "$GAME" 2 "" 0
link "%DESKTOP%\\$GAME.lnk" "$TARGET\\$EXE" "$TARGET" "$GAME" 2 "" 0
EOF
  for ((k = 0; k < LINK_COUNT; k++)); do
    file=LINK_FILE_$k name=LINK_NAME_$k
    steps <<EOF
link "$menu\\${!name}.lnk" "$TARGET\\${!file}" "$TARGET" "${!name}" 0 "$TARGET\\${!file}" 0
EOF
  done
}

# The uninstall key as `reg query` shows it in the view setup.exe writes (the
# 32-bit one for a 32-bit program, the 64-bit one for a 64-bit build); empty
# when there is none. The tool writes in the console's code page.
registry() {
  local cp=CP437
  [[ $LC_ALL == zh_TW* ]] && cp=CP950
  [[ $LC_ALL == zh_CN* ]] && cp=CP936
  if "$WINE" reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$KEY" "/reg:$view" \
    >"$case_dir/reg.raw" 2>>"$case_dir/wine.log"; then
    iconv -f "$cp" -t UTF-8 "$case_dir/reg.raw" | tr -d '\r' >"$case_dir/reg.txt"
  else
    : >"$case_dir/reg.txt"
  fi
}

check_files() {
  local diffs
  if diffs=$(diff -r -x install.log "$set_dir/expect" "$target_dir" 2>&1); then
    ok "every file of the game folder, byte for byte ($(find "$target_dir" -type f | wc -l) files, install.log among them)"
  else
    fail "the game folder differs from what was expected:"
    printf '%s\n' "$diffs" | head -n 20 | sed 's/^/  /'
  fi
  local record=$target_dir/uninstall.dat
  if [ -f "$record" ] && [ "$(stat -c %s "$record")" -eq 40 ] &&
    cmp -s <(head -c 120 "$case_dir/disc/cd1" | tail -c 40) "$record"; then
    ok "uninstall.dat: 40 bytes, the header's uninstall key field ($(od -An -c "$record" | tr -s ' \n' ' ' | head -c 64)...)"
  else
    fail "uninstall.dat is not the header's 40 bytes"
  fi
}

check_registry() {
  registry
  local expected
  expected=$(printf '    %s    REG_SZ    %s\n' DisplayName "$GAME" company "$COMPANY" path "$TARGET" \
      UninstallString "\"$TARGET\\uninstall.exe\"" Publisher "$COMPANY" InstallLocation "$TARGET" \
      DisplayIcon "$TARGET\\$EXE" InstallDate "$(date +%Y%m%d)"
    printf '    %s    REG_DWORD    0x%x\n' EstimatedSize "$INSTALL_KB" NoModify 1 NoRepair 1)
  # Wine lists values by name, not in the order they were written.
  if [ "$(grep REG_ "$case_dir/reg.txt" | LC_ALL=C sort)" = "$(printf '%s\n' "$expected" | LC_ALL=C sort)" ]; then
    ok "registry (reg query /reg:$view): $(grep -c REG_ "$case_dir/reg.txt") values as expected"
    sed 's/^/  | /' "$case_dir/reg.txt"
  else
    fail "the uninstall key reads:"
    sed 's/^/  | /' "$case_dir/reg.txt"
    say "  expected:"
    printf '%s\n' "$expected" | sed 's/^/  | /'
  fi
}

check_menu() {
  local menu
  menu=$(programs_dir)/$COMPANY/$GAME
  local expected=("$UNINSTALL_TEXT.lnk" "$GAME.lnk" "$URL_NAME") k name
  for ((k = 0; k < LINK_COUNT; k++)); do
    name=LINK_NAME_$k
    expected+=("${!name}.lnk")
  done
  local want have
  want=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
  have=$(cd "$menu" 2>/dev/null && LC_ALL=C ls -1)
  if [ "$want" = "$have" ]; then
    ok "the menu folder holds exactly: $(printf '%s' "$have" | tr '\n' ',' )"
  else
    fail "the menu folder holds [$(printf '%s' "$have" | tr '\n' ',')], expected [$(printf '%s' "$want" | tr '\n' ',')]"
  fi
  if cmp -s "$case_dir/disc/$URL_SOURCE" "$menu/$URL_NAME"; then
    ok "the web link is a copy of $URL_SOURCE"
  else
    fail "the web link $URL_NAME is not a copy of $URL_SOURCE"
  fi
}

# The progress bar in a picture: its fill is the pure blue the program asks
# for, and the percentage over it is white on the fill and, with `split`,
# blue beside it (text pixels are told by their colour, give or take the
# smoothing of their edges). The fill's top row holds no text: it gives the
# fill's extent and its edge.
check_bar() {
  local png=$1 split=$2 counts
  counts=$(convert "$png" -depth 8 txt:- | sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p' | awk '
    function kind(r, g, b) {
      if (r == 0 && g == 0 && b == 255) return "fill"
      if (r > 200 && g > 200 && b > 200) return "white"
      if (b > 200 && r < 140 && g < 140) return "blue"
      return ""
    }
    { x[NR] = $1; y[NR] = $2; k[NR] = kind($3, $4, $5)
      if (k[NR] == "fill" && (top == "" || $2 < top)) top = $2 }
    END {
      if (top == "") { print "0 0 0 0"; exit }
      left = -1; edge = -1
      for (i = 1; i <= NR; i++) if (k[i] == "fill" && y[i] == top) {
        if (left < 0 || x[i] < left) left = x[i]
        if (x[i] > edge) edge = x[i]
      }
      bottom = top
      for (i = 1; i <= NR; i++) if (k[i] == "fill" && x[i] == left && y[i] > bottom) bottom = y[i]
      for (i = 1; i <= NR; i++) {
        if (y[i] < top || y[i] > bottom || x[i] < left) continue
        if (x[i] <= edge) { if (k[i] == "fill") fill++; else if (k[i] == "white") white++ }
        else if (x[i] > edge + 1 && (k[i] == "blue" || k[i] == "fill")) blue++
      }
      print fill + 0, white + 0, blue + 0, edge - left + 1
    }')
  local fill white blue width
  read -r fill white blue width <<<"$counts"
  if [ "$fill" -lt 1000 ]; then
    fail "$(basename "$png"): the bar is not filled in pure blue ($fill pixels of #0000FF)"
  elif [ "$white" -lt 20 ]; then
    fail "$(basename "$png"): no white percentage over the blue fill ($white white pixels)"
  elif [ "$split" = split ] && [ "$blue" -lt 20 ]; then
    fail "$(basename "$png"): no blue percentage beside the fill ($blue blue pixels)"
  else
    ok "$(basename "$png"): blue fill ${width} px wide ($fill px), white text on it ($white px), blue text beside it ($blue px)"
  fi
}

# The publisher's art in a picture of a dialog. ENTRIES lists "RRGGBB:WxH:X,Y"
# entries: with `all`, each colour must fill exactly a W x H rectangle of
# the picture, and lie at (X, Y) from where the first one lies (the banner,
# shown at its own size, whatever the depth it was stored in); with `one`,
# exactly one entry must (the progress picture of the moment), and with a
# number N it must be entry N (from 1).
check_art() {
  local png=$1 mode=$2 entries=$3 what=$4 result
  result=$(convert "$png" -depth 8 txt:- | awk -v list="$entries" -v mode="$mode" '
    BEGIN {
      n = split(list, entries, " ")
      for (i = 1; i <= n; i++) {
        split(entries[i], f, ":"); split(f[2], size, "x"); split(f[3], at, ",")
        colour[i] = f[1]; w[i] = size[1]; h[i] = size[2]; ax[i] = at[1]; ay[i] = at[2]; count[i] = 0
        which[f[1]] = i
      }
    }
    /^[0-9]+,[0-9]+:/ {
      if (!match($0, /#[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]/)) next
      c = toupper(substr($0, RSTART + 1, 6))
      if (!(c in which)) next
      i = which[c]; split($1, p, /[,:]/)
      if (count[i]++ == 0) { left[i] = right[i] = p[1]; top[i] = bottom[i] = p[2] }
      if (p[1] < left[i]) left[i] = p[1]; if (p[1] > right[i]) right[i] = p[1]
      if (p[2] < top[i]) top[i] = p[2]; if (p[2] > bottom[i]) bottom[i] = p[2]
    }
    function exact(i) {
      return count[i] == w[i] * h[i] && right[i] - left[i] + 1 == w[i] && bottom[i] - top[i] + 1 == h[i]
    }
    function seen(i) {
      return count[i] ? sprintf("#%s: %d px in %dx%d at %d,%d", colour[i], count[i], right[i] - left[i] + 1,
                                bottom[i] - top[i] + 1, left[i], top[i]) : sprintf("#%s: none", colour[i])
    }
    END {
      if (mode == "all") {
        for (i = 1; i <= n; i++) {
          if (!exact(i)) { print "bad", seen(i), "(expected " w[i] "x" h[i] ")"; exit }
          if (left[i] - left[1] != ax[i] - ax[1] || top[i] - top[1] != ay[i] - ay[1]) { print "bad misplaced", seen(i); exit }
        }
        print "ok", n, "rectangles exactly in place, the first at", left[1] "," top[1]; exit
      }
      shown = 0; found = 0
      for (i = 1; i <= n; i++) if (exact(i)) { shown = i; found++ }
      if (found != 1) { out = ""; for (i = 1; i <= n; i++) out = out "; " seen(i); print "bad", found, "pictures shown" out; exit }
      if (mode != "one" && shown != mode) { print "bad picture", shown, "shown, not", mode, "(" seen(shown) ")"; exit }
      print "ok picture", shown, "of", n, "(" seen(shown) ")"
    }')
  if [ "${result%% *}" = ok ]; then
    ok "$(basename "$png"): $what: ${result#ok }"
  else
    fail "$(basename "$png"): $what: ${result#bad }"
  fi
}

# Everything a finished install leaves.
check_installed() {
  check_files
  check_registry
  check_menu
}

# What a stopped install must not leave.
check_not_finished() {
  if [ -e "$target_dir/uninstall.dat" ]; then fail "uninstall.dat was written"; else ok "no uninstall.dat"; fi
  registry
  if [ -s "$case_dir/reg.txt" ]; then
    fail "the uninstall key exists:"
    sed 's/^/  | /' "$case_dir/reg.txt"
  else
    ok "no uninstall key (reg query /reg:$view finds none)"
  fi
  if [ -e "$(programs_dir)/$COMPANY" ] || [ -e "$(desktop_dir)/$GAME.lnk" ]; then
    fail "shortcuts were made"
  else
    ok "no menu folder, no desktop shortcut"
  fi
}

# The same file in the game folder as a finished install has it.
check_same() {
  if cmp -s "$set_dir/expect/$1" "$target_dir/$1"; then ok "$1 is complete"; else fail "$1 differs"; fi
}

check_absent() {
  if [ -e "$target_dir/$1" ]; then fail "$1 exists"; else ok "no $1"; fi
}

# The steps up to the progress dialog: the path dialog, as it first shows.
path_dialog_steps() {
  steps <<EOF
timeout $((60 * slowdown))
start "${setup_start:-$(winpath "$setup_exe")}"
window path "$PROGRAM_NAME" 1006
text path 1006 "$TARGET"
text path 1004 "OK"
text path 1000 "CANCEL"
text path 1005 "Browse"
enabled path 1004
EOF
}

# ---------------------------------------------------------------------------
# The cases
# ---------------------------------------------------------------------------

# A one-disc install from the path dialog to "Sucess!!", with a picture of
# each dialog, and every check of a finished install.
whole_install() {
  path_dialog_steps
  shot path path-dialog | steps
  steps <<EOF
click path 1004
gone path
box "" "Sucess!!" OK
window progress "$PROGRAM_NAME" 1009
text progress 1010 "CANCEL"
text progress 1011 "$STATUS_AFTER_DISC1"
move box 0 0
$(shot progress progress-100)
answer OK
exit 0
EOF
  link_steps
  drive
  check_bar "$work/screenshots/$case_name-progress-100.png" whole
  check_art "$work/screenshots/$case_name-path-dialog.png" all "$BANNER" "the banner ($ART_BITS bits)"
  check_art "$work/screenshots/$case_name-progress-100.png" 4 "$FRAMES" "the last progress picture at 100%"
  check_installed
}

case_english() {
  begin_case english en_US.UTF-8 || return
  whole_install
}

# The English set installed by a copy of setup.exe signed as gamedisc build
# --sign signs it: exactly as by the unsigned one. (The set's uninstall.exe
# was packed when the discs were laid out, unsigned.)
case_signed() {
  begin_case english en_US.UTF-8 || return
  local setup_exe=$setup_exe
  if "$here/sign_copies.sh" "$case_dir/signed" "$setup_exe" >"$case_dir/signing.log" 2>&1; then
    ok "$(tail -n 1 "$case_dir/signing.log")"
  else
    fail "setup.exe could not be signed:"
    sed 's/^/  /' "$case_dir/signing.log"
    return
  fi
  setup_exe=$case_dir/signed/setup.exe
  whole_install
}

case_three_discs() {
  begin_case threedisc en_US.UTF-8 || return
  path_dialog_steps
  steps <<EOF
click path 1004
box "Next Disc" "${NEXT_CD}2" OKCANCEL
window progress "$PROGRAM_NAME" 1009
text progress 1011 "$STATUS_AFTER_DISC1"
move box 0 0
$(shot progress progress-disc2)
copy "$(winpath "$set_dir/spare/cd2")" "$(winpath "$case_dir/disc/cd2")"
answer OK
box "Next Disc" "${NEXT_CD}3" OKCANCEL
text progress 1011 "$STATUS_AFTER_DISC2"
# Not in the drive yet: the question comes again.
answer OK
box "Next Disc" "${NEXT_CD}3" OKCANCEL
copy "$(winpath "$set_dir/spare/cd3")" "$(winpath "$case_dir/disc/cd3")"
answer OK
box "" "Sucess!!" OK
text progress 1011 "$STATUS_AFTER_DISC3"
answer OK
exit 0
EOF
  link_steps
  drive
  check_bar "$work/screenshots/three_discs-progress-disc2.png" split
  check_art "$work/screenshots/three_discs-progress-disc2.png" one "$FRAMES" "a progress picture at disc 2"
  check_installed
}

case_cancel_in_path_dialog() {
  begin_case english en_US.UTF-8 || return
  path_dialog_steps
  steps <<EOF
click path 1000
exit 1
EOF
  drive
  if [ -e "$drive_c/Program Files/$COMPANY" ]; then fail "the target folder was made"; else ok "no target folder"; fi
  check_not_finished
}

case_cancel_during_copy() {
  begin_case threedisc en_US.UTF-8 || return
  path_dialog_steps
  # A press of CANCEL made as the disc question goes away lands while the
  # next disc is read.
  steps <<EOF
click path 1004
box "Next Disc" "${NEXT_CD}2" OKCANCEL
window progress "$PROGRAM_NAME" 1009
copy "$(winpath "$set_dir/spare/cd2")" "$(winpath "$case_dir/disc/cd2")"
answer OK
click progress 1010
box "Warning" "$CANCEL_MSG" OKCANCEL
move box 0 0
$(shot progress cancel-question)
# Going on after all.
answer CANCEL
box "Next Disc" "${NEXT_CD}3" OKCANCEL
copy "$(winpath "$set_dir/spare/cd3")" "$(winpath "$case_dir/disc/cd3")"
answer OK
click progress 1010
box "Warning" "$CANCEL_MSG" OKCANCEL
answer OK
gone progress
exit 1
EOF
  drive
  check_same uninstall.exe
  check_absent Movies/intro.avi
  check_not_finished
}

# The path dialog, then giving up at the question for disc 2.
decline_disc_steps() {
  path_dialog_steps
  steps <<EOF
click path 1004
box "Next Disc" "${NEXT_CD}2" OKCANCEL
answer CANCEL
box "Fail" "$FAIL_MSG" OK
answer OK
exit 2
EOF
}

case_decline_disc() {
  begin_case threedisc en_US.UTF-8 || return
  decline_disc_steps
  drive
  check_same uninstall.exe
  check_not_finished
}

# While setup asks for the next disc (the driver says so by a file), what
# every process holds on the drive is looked at from outside; check_drive_free
# reads the verdict after the run.
watch_drive_at_prompt() {
  rm -f "$case_dir/asking" "$case_dir/looked" "$case_dir/held.txt"
  (
    for ((i = 0; i < 3000 * slowdown; i++)); do
      [ -e "$case_dir/asking" ] && break
      sleep 0.1
    done
    [ -e "$case_dir/asking" ] || exit 0
    "$here/held_on_drive.sh" "$case_dir/disc" >"$case_dir/held.txt" 2>&1
    echo "exit $?" >>"$case_dir/held.txt"
    touch "$case_dir/looked"
  ) &
  watcher=$!
}

check_drive_free() {
  wait "$watcher" 2>/dev/null
  if grep -qx 'exit 0' "$case_dir/held.txt" 2>/dev/null; then
    ok "at the question for disc 2, nothing is held on the drive (no file, no current folder)"
  else
    fail "at the question for disc 2 the drive is held:"
    sed 's/^/  /' "$case_dir/held.txt" 2>/dev/null
  fi
}

# The English game on two discs: the disc prompt, then everything a finished
# install leaves.
# The steps of a two-disc install to "Sucess!!", disc 2 put in when asked.
two_disc_install_steps() {
  watch_drive_at_prompt
  path_dialog_steps
  steps <<EOF
click path 1004
box "Next Disc" "${NEXT_CD}2" OKCANCEL
window progress "$PROGRAM_NAME" 1009
text progress 1011 "$STATUS_AFTER_DISC1"
# The drive can open: nothing is held on it, the current folder neither.
copy "$(winpath "$steps")" "$(winpath "$case_dir/asking")"
await "$(winpath "$case_dir/looked")"
copy "$(winpath "$set_dir/spare/cd2")" "$(winpath "$case_dir/disc/cd2")"
answer OK
box "" "Sucess!!" OK
text progress 1011 "$STATUS_AFTER_DISC2"
answer OK
exit 0
EOF
}

case_two_discs() {
  begin_case twodisc en_US.UTF-8 || return
  two_disc_install_steps
  link_steps
  drive
  check_drive_free
  check_installed
}

# Traditional Chinese: the titles are the Big5 texts of the disc, and the
# game's names, folders, files, key and links are Chinese too, some of them
# with characters whose second byte is "\" or "|".
case_chinese() {
  begin_case chinese zh_TW.UTF-8 || return
  whole_install
}

# Simplified Chinese the same way, in GBK, from an archive with tag bytes of
# no record between its records.
case_simplified() {
  begin_case simplified zh_CN.UTF-8 || return
  whole_install
}

case_damaged_disc() {
  begin_case damaged en_US.UTF-8 || return
  path_dialog_steps
  steps <<EOF
click path 1004
box "Error" "The disc file E:\\cd1 is damaged (record at byte $DAMAGED_AT: a record does not unpack).\\nThe installation was stopped." OK
answer OK
exit 3
EOF
  drive
  check_not_finished
}

# The English disc with its list of files, whose data folder has a file
# changed in one byte after the list was made: told, with the sizes and
# CRC-32s, before anything is registered.
case_spoilt_data() {
  begin_case spoilt en_US.UTF-8 || return
  path_dialog_steps
  steps <<EOF
click path 1004
box "Error" "The disc file E:\\data$SPOILT_FILE is damaged ($SPOILT_FILE is $SPOILT_SUM; the disc's list of files gives $LISTED_SUM).\\nThe installation was stopped." OK
answer OK
exit 3
EOF
  drive
  check_not_finished
}

# What the machine holds, as the uninstall cases compare it: every file and
# folder of drive C: (type, size of files, path) and the registry below
# HKLM\Software in the view setup.exe writes, into NAME.files and NAME.reg.
snapshot() {
  local name=$case_dir/$1
  (cd "$drive_c" && find . -mindepth 1 \( -type d -printf 'd - %P\n' \) -o \( -printf '%y %s %P\n' \)) |
    LC_ALL=C sort >"$name.files"
  # Right after the uninstaller's private copy has ended, Wine's reg export
  # now and then writes no file at all: it is asked again (a missing file
  # then fails the comparison, as before).
  local try
  for try in 1 2 3; do
    rm -f "$name.reg.raw"
    "$WINE" reg export 'HKLM\Software' "$(winpath "$name.reg.raw")" "/reg:$view" /y >/dev/null 2>>"$case_dir/wine.log"
    [ -s "$name.reg.raw" ] && break
    echo "reg export wrote no $1.reg.raw (try $try)" >>"$case_dir/wine.log"
    sleep 1
  done
  iconv -f UTF-16LE -t UTF-8 "$name.reg.raw" | tr -d '\r' >"$name.reg"
}

# Compares two snapshots; the differences of the files must be exactly
# `expected` (diff's "<" and ">" lines, one a line), the registry the same.
compare_snapshots() {
  local a=$case_dir/$1 b=$case_dir/$2 expected=$3 what=$4 got
  got=$(diff "$a.files" "$b.files" | grep '^[<>]')
  if [ "$got" = "$expected" ]; then
    ok "$what: drive C: as expected ($(wc -l <"$b.files") entries$([ -n "$expected" ] && printf ', the differences: %s' "$(printf '%s' "$expected" | tr '\n' ';')"))"
  else
    fail "$what: drive C: differs:"
    diff "$a.files" "$b.files" | head -n 30 | sed 's/^/  /'
    [ -z "$expected" ] || { say "  expected only:"; printf '%s\n' "$expected" | sed 's/^/  /'; }
  fi
  if cmp -s "$a.reg" "$b.reg"; then
    ok "$what: the registry below HKLM\\Software is the same ($(grep -c '^\[' "$b.reg") keys)"
  else
    fail "$what: the registry below HKLM\\Software differs:"
    diff "$a.reg" "$b.reg" | head -n 30 | sed 's/^/  /'
  fi
}

# Runs the game's uninstall.exe as its shortcut does (in the game's folder)
# and answers its
# question with ANSWER; then the box that closes it, and its exit code.
uninstall_steps() {
  local answer=$1 closing=$2 code=$3
  steps <<STEPS
timeout $((60 * slowdown))
start "$TARGET\\uninstall.exe" "$TARGET"
box "Uninstall" "Do you want to remove $GAME and all of its parts from this computer?" YESNO
answer $answer
STEPS
  if [ -n "$closing" ]; then
    steps <<STEPS
box "Uninstall" "$closing" OK
answer OK
STEPS
  fi
  steps <<<"exit $code"
}

# Waits for the uninstaller's copy to have removed the program and to end.
await_uninstaller_gone() {
  "$WINESERVER" -w
  if [ -e "$target_dir/uninstall.exe" ]; then
    fail "uninstall.exe is still in the game folder"
  else
    ok "uninstall.exe is gone: its copy removed it"
  fi
}

# Install, a saved game, uninstall with Yes: the machine is as before the
# install, but for the saved game and the folders that hold it.
case_uninstall() {
  begin_case twodisc en_US.UTF-8 || return
  snapshot before
  two_disc_install_steps
  drive
  check_installed
  mkdir -p "$target_dir/Save" && printf 'level 7' >"$target_dir/Save/slot1.sav"
  snapshot installed
  : >"$steps"
  uninstall_steps YES "$GAME was removed from this computer.\\n\\nThese files were not installed by setup and were kept in $TARGET:\\nSave\\slot1.sav" 0
  drive
  await_uninstaller_gone
  snapshot after
  local p="Program Files/$COMPANY"
  compare_snapshots before after "$(printf '> d - %s\n' "$p" "$p/$GAME" "$p/$GAME/Save"
    printf '> f 7 %s\n' "$p/$GAME/Save/slot1.sav")" "after uninstalling"
}

# No: nothing changes.
case_uninstall_no() {
  begin_case english en_US.UTF-8 || return
  whole_install
  snapshot installed
  : >"$steps"
  uninstall_steps NO "" 1
  drive
  "$WINESERVER" -w
  snapshot after
  compare_snapshots installed after "" "after answering No"
}

# A stopped install, then its uninstaller: what the install wrote is gone.
case_uninstall_cancelled() {
  begin_case threedisc en_US.UTF-8 || return
  snapshot before
  decline_disc_steps
  drive
  check_not_finished
  : >"$steps"
  uninstall_steps YES "$GAME was removed from this computer." 0
  drive
  await_uninstaller_gone
  snapshot after
  compare_snapshots before after "" "after uninstalling a stopped install"
}

# DLLs named as ones that are not KnownDLLs, planted where a program
# without rights can write: beside setup.exe on a copied disc, started from
# there, and in the user's temporary folder, where the uninstaller's copy
# ran. Wine is told to look for native DLLs of those names first, along
# Windows' search order. A whole install and a whole removal must end as
# usual, and no planted DLL may have been loaded.
case_planted_dlls() {
  begin_case english en_US.UTF-8 || return
  local planted=${E2E_PLANTED_DLL:-} name folder
  [ -f "$planted" ] || { fail "no planted DLL (E2E_PLANTED_DLL)"; return; }
  cp "$setup_exe" "$case_dir/disc/setup.exe"
  for folder in "$case_dir/disc" "$drive_c"/users/*/Temp; do
    for name in comctl32 uxtheme dwmapi cryptbase; do cp "$planted" "$folder/$name.dll"; done
  done
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;comctl32,uxtheme,dwmapi,cryptbase=n,b"
  setup_start='E:\setup.exe'
  whole_install
  setup_start=
  : >"$steps"
  uninstall_steps YES "$GAME was removed from this computer." 0
  drive
  await_uninstaller_gone
  if [ -e "$drive_c/planted.log" ]; then
    fail "planted DLLs were loaded:"
    iconv -f CP1252 -t UTF-8 "$drive_c/planted.log" | tr -d '\r' | sed 's/^/  /'
  else
    ok "no planted DLL was loaded (beside setup.exe on the disc, in the temporary folder)"
  fi
}

# A player whose user name the system's code page cannot hold (Chinese on
# an English system): the prefix is made for that user. The shortcuts must
# be in that user's own Programs menu and desktop, and the uninstaller must
# remove them.
case_foreign_user() {
  begin_case english en_US.UTF-8 || return
  export USER=張偉
  rm -rf "$prefix"
  if ! WINE_BASE_PREFIX= "$scripts/wine-prefix.sh" "$prefix" >"$case_dir/prefix.log" 2>&1; then
    fail "a prefix for the user $USER could not be made: $(tail -n 3 "$case_dir/prefix.log")"
    return
  fi
  ln -sfn "$case_dir/disc" "$prefix/dosdevices/e:"
  if [ ! -d "$drive_c/users/$USER/Desktop" ]; then fail "the prefix has no folders for $USER"; return; fi
  whole_install
  : >"$steps"
  uninstall_steps YES "$GAME was removed from this computer." 0
  drive
  await_uninstaller_gone
  local menu
  menu="$drive_c/users/$USER/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/$COMPANY"
  if [ -e "$menu" ] || [ -e "$drive_c/users/$USER/Desktop/$GAME.lnk" ]; then
    fail "the uninstaller left shortcuts of $USER: $(find "$menu" "$drive_c/users/$USER/Desktop" 2>/dev/null | tr '\n' ' ')"
  else
    ok "the uninstaller removed the menu folder and the desktop shortcut of $USER"
  fi
}

# A real full disk: a small tmpfs where the game folder goes.
case_disk_full() {
  begin_case english en_US.UTF-8 || return
  local mount_point="$drive_c/Program Files/$COMPANY"
  mkdir -p "$mount_point"
  if ! mount -t tmpfs -o size=256k tmpfs "$mount_point" 2>"$case_dir/mount.log"; then
    say "SKIP: a tmpfs cannot be mounted here ($(head -n1 "$case_dir/mount.log")); no real full disk"
    skipped=1
    return
  fi
  mounted=$mount_point
  path_dialog_steps
  steps <<EOF
click path 1004
box "磁碟錯誤!" "無法寫入磁碟" OK
answer OK
exit 3
EOF
  drive
  check_not_finished
  # Wine lets go of the folder only when its server ends.
  "$WINESERVER" -k 2>/dev/null
}

# The driver's own watch: a step that does not hold, a message box nobody
# expects and a crash each end its run with a failure, long before the
# step's time is up.
expect_driver_failure() {
  local what=$1 pattern=$2 file=$case_dir/fault-$3.txt start=$SECONDS rc
  cat >"$file"
  run_driver "$file"
  rc=$?
  local transcript=${file%.txt}.transcript
  if [ $rc -eq 1 ] && grep -E "^FAIL \(step [0-9]+\): .*($pattern)" "$transcript" >/dev/null &&
    [ $((SECONDS - start)) -lt 15 ]; then
    ok "the driver fails on $what ($((SECONDS - start)) s)"
  else
    fail "the driver did not fail on $what as it should (exit code $rc, $((SECONDS - start)) s)"
  fi
}

case_driver_catches_faults() {
  begin_case english en_US.UTF-8 || return
  expect_driver_failure "a text that differs" "should read" text <<EOF
timeout 30
start "$(winpath "$setup_exe")"
window path "$PROGRAM_NAME" 1006
text path 1006 "C:\\Somewhere\\Else"
EOF
  "$WINESERVER" -k 2>/dev/null
  rm "$prefix/dosdevices/e:"
  expect_driver_failure "a message box nobody expects" \
    'unexpected message box while waiting for window ".*" with control 1006: caption="" text="Game Disc not found!!"' box <<EOF
timeout 30
start "$(winpath "$setup_exe")"
window path "$PROGRAM_NAME" 1006
EOF
  expect_driver_failure "a crash" "crash|0xC0000005" crash <<EOF
timeout 30
start "$(winpath "$crasher_exe")"
window never "never" 1
EOF
}

# The disc in a drive that is not a CD-ROM drive is not the game disc.
case_no_disc_drive() {
  begin_case english en_US.UTF-8 f || return
  steps <<EOF
start "$(winpath "$setup_exe")"
box "" "Game Disc not found!!" OK
answer OK
exit 0
EOF
  drive
  if [ -e "$drive_c/Program Files/$COMPANY" ]; then fail "the target folder was made"; else ok "no target folder"; fi
}

run_case() {
  case_name=$1
  local start=$SECONDS
  export USER=$run_user
  failures=0
  skipped=0
  prefix=
  mounted=
  if ! declare -F "case_$case_name" >/dev/null; then
    say "no case $case_name"
    return 1
  fi
  "case_$case_name"
  end_case
  if [ $skipped -ne 0 ]; then
    say "== $case_name: skipped ($((SECONDS - start)) s)"
    return 77
  fi
  if [ $failures -ne 0 ]; then
    say "== $case_name: FAILED, $failures check(s) did not hold ($((SECONDS - start)) s)"
    return 1
  fi
  say "== $case_name: passed ($((SECONDS - start)) s)"
}

run_user=${USER:-$(id -un)}
slowdown=${E2E_SLOWDOWN:-1}
[[ $slowdown =~ ^[1-9][0-9]*$ ]] || { say "E2E_SLOWDOWN must be a whole number, not '$slowdown'"; exit 2; }
[ $# -ge 1 ] || usage
command=$1
shift
case $command in
  prepare)
    [ $# -eq 3 ] || usage
    work=$1
    prepare "$1" "$2" "$(realpath "$3")"
    ;;
  case)
    [ $# -ge 5 ] || usage
    work=$(cd "$1" && pwd) setup_exe=$(realpath "$2") driver_exe=$(realpath "$3") crasher_exe=$(realpath "$4")
    shift 4
    view=$(WINEPREFIX=$work/base . "$scripts/wine-env.sh" && pe_bits "$setup_exe")
    [ -n "$view" ] || { say "$setup_exe is not a Windows program"; exit 1; }
    status=0
    for name in "$@"; do
      run_case "$name"
      rc=$?
      if [ $rc -eq 77 ] && [ $status -eq 0 ]; then status=77; fi
      if [ $rc -ne 0 ] && [ $rc -ne 77 ]; then status=1; fi
    done
    exit $status
    ;;
  *) usage ;;
esac
