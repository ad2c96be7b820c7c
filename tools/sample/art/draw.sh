#!/usr/bin/env bash
# Draws the sample game's pictures with ImageMagick and the Liberation fonts:
# banner.png (355 x 70), the install-path dialog's band: Star Harbor at dusk
# with the game's title; p1.png ... p5.png (340 x 70), the progress
# slideshow: a ship crossing the harbour while the lighthouse beam turns and
# night falls. Rewrites the files beside this script. Nothing is random and
# no date is stored, so the same ImageMagick gives the same bytes.
set -euo pipefail
cd "$(dirname "$0")"

# scene W H SHIP_X BEAM_DEGREES NIGHT LIGHT_X OUT: the harbour, W x H, the
# ship's bow at SHIP_X, the lighthouse at LIGHT_X, its beam pointing
# BEAM_DEGREES (0 = left, 90 = up, 180 = right), NIGHT from 0 (dusk) to 4
# (dark); written to OUT.
scene() {
  local w=$1 h=$2 ship=$3 beam=$4 night=$5 lx=$6 out=$7
  local sea=$((h * 46 / 70))
  local skies=('#1d2150-#f2975e' '#1a1d4a-#d9785a' '#171a44-#b45e5c' '#14163d-#8a4a5e' '#101233-#5a3a5a')
  local glow=('#ffcf7a' '#ffbe6e' '#f5a468' '#d98a66' '#b07064')
  local sun=$((w * 46 / 100)) sunr=$((14 - night)) ly=$((sea - 30))
  # The beam: a thin wedge from the lamp, 150 pixels long.
  local beam_poly
  beam_poly=$(awk -v x="$lx" -v y="$ly" -v a="$beam" 'BEGIN {
    r = 150; s = 0.09; p = 3.14159265 / 180
    printf "%d,%d %.1f,%.1f %.1f,%.1f", x, y,
      x - r * cos(a * p - s), y - r * sin(a * p - s), x - r * cos(a * p + s), y - r * sin(a * p + s) }')
  # The ship: hull on the water, two masts with their sails, a jib.
  local s=$ship b=$((sea + 6))
  local hull="$((s - 46)),$((b - 6)) $s,$((b - 6)) $((s - 6)),$b $((s - 42)),$b"
  local sail1="$((s - 34)),$((b - 8)) $((s - 34)),$((b - 34)) $((s - 22)),$((b - 9))"
  local sail2="$((s - 18)),$((b - 8)) $((s - 18)),$((b - 28)) $((s - 7)),$((b - 9))"
  local jib="$((s - 2)),$((b - 7)) $((s - 16)),$((b - 26)) $((s - 16)),$((b - 8))"
  convert \( -size "${w}x${sea}" gradient:"${skies[$night]}" \
      -fill "${glow[$night]}" -draw "circle $sun,$((sea + night * 2)) $((sun + sunr)),$((sea + night * 2))" \) \
    \( -size "${w}x$((h - sea))" gradient:'#2b2f66-#0c0e28' \) -append \
    -fill '#ffffff' -draw "point 18,6 point 51,14 point 87,4 point 123,11 point 164,5 point 201,16 point 238,7 point 276,12 point 311,3 point 337,15" \
    -fill "#ffffff$(printf '%02x' $((40 + night * 50)))" \
    -draw "point 35,22 point 70,9 point 105,19 point 147,24 point 182,10 point 220,21 point 259,4 point 296,20 point 329,9" \
    -fill '#171634' -draw "polygon 0,$sea 0,$((sea - 9)) 22,$((sea - 14)) 48,$((sea - 11)) 70,$((sea - 16)) 96,$((sea - 10)) 120,$sea" \
    -draw "polygon $((w * 72 / 100)),$sea $((w * 78 / 100)),$((sea - 8)) $((w * 90 / 100)),$((sea - 10)) $w,$((sea - 6)) $w,$sea" \
    -fill '#ffeab0b0' -draw "polygon $beam_poly" \
    -fill '#e8e2d0' -draw "polygon $((lx - 4)),$((sea - 9)) $((lx - 2)),$((ly + 2)) $((lx + 2)),$((ly + 2)) $((lx + 4)),$((sea - 9))" \
    -fill '#b43a3a' -draw "rectangle $((lx - 3)),$((sea - 20)) $((lx + 3)),$((sea - 16))" \
    -fill '#fff3c0' -draw "circle $lx,$ly $((lx + 2)),$ly" \
    -fill "${glow[$night]}" -draw "rectangle $((sun - 16)),$((sea + 4)) $((sun + 16)),$((sea + 5))" \
    -draw "rectangle $((sun - 10)),$((sea + 10)) $((sun + 10)),$((sea + 11))" \
    -draw "rectangle $((sun - 5)),$((sea + 16)) $((sun + 5)),$((sea + 17))" \
    -fill '#0e0c1e' -draw "polygon $hull" -draw "polygon $sail1" -draw "polygon $sail2" -draw "polygon $jib" \
    -fill '#fff0b0' -draw "rectangle $((s - 30)),$((b - 5)) $((s - 29)),$((b - 4))" \
    -draw "rectangle $((s - 20)),$((b - 5)) $((s - 19)),$((b - 4))" \
    -fill '#3a3f7a' -draw "rectangle $((s - 44)),$((b + 2)) $((s - 4)),$((b + 2))" \
    "$out"
}

# No dates, no text chunks: the same drawing gives the same bytes.
store() { convert "$1" -strip -define png:exclude-chunks=date,time PNG24:"$1"; }

# Banner: the ship at anchor on the left, the title over the sky, the
# lighthouse on the right-hand point with its beam out to sea.
scene 355 70 100 160 0 330 banner.png
convert banner.png \
  -font Liberation-Serif-Bold -pointsize 25 -fill '#1a1030' -annotate +147+30 'Star Harbor' \
  -fill '#fff4dc' -annotate +146+29 'Star Harbor' \
  -font Liberation-Sans-Bold -pointsize 10 -fill '#1a1030' -annotate +231+42 'LUMEN WORKS' \
  -fill '#f3dcc0' -annotate +230+41 'LUMEN WORKS' banner.png
store banner.png

# Progress: the ship sails out of the harbour, left to right, while the
# beam of the lighthouse on the left-hand point sweeps and night falls.
for i in 1 2 3 4 5; do
  scene 340 70 $((90 + (i - 1) * 60)) $((150 - (i - 1) * 30)) $((i - 1)) 30 "p$i.png"
  store "p$i.png"
done
