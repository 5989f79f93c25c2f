#!/bin/bash
# Regenerates the setup assistant's skin (src/res/skin/*.jpg) and icon (src/res/app.ico).
# Needs ImageMagick 6 (convert, identify) and the Nanum fonts (Debian: imagemagick fonts-nanum).
# The output is byte-for-byte reproducible: metadata is stripped and the JPEG settings are fixed.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=$ROOT/src/res/skin
FONTS=/usr/share/fonts/truetype/nanum
BOLD=$FONTS/NanumGothicBold.ttf
REG=$FONTS/NanumGothic.ttf
for f in "$BOLD" "$REG"; do
  [ -f "$f" ] || { echo "missing font $f (apt-get install fonts-nanum)" >&2; exit 1; }
done
command -v convert >/dev/null || { echo "convert not found (apt-get install imagemagick)" >&2; exit 1; }

TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
mkdir -p "$OUT"

# Palette: deep teal, fresh green, white.
TEAL_TOP='#12707d'
TEAL_BOT='#0b4a56'
TEAL_DARK='#083840'
GREEN='#3dbb78'
GREEN_LIGHT='#8be3b1'
INK='#123c44'
GREY='#5d7378'
LINE='#c4d6d9'
CARD='#f3f8f8'

# Write a JPEG: 8-bit sRGB, 3 channels, no metadata. $1 = baseline|progressive.
# The bands and panels (baseline) keep colour at half resolution (4:2:0,
# quality 90): side by side with full colour no difference shows, and the
# program the visitor downloads is 24 KiB smaller. The small buttons
# (progressive) keep full colour at quality 93.
jpeg() {
  local mode=$1 in=$2 out=$3 il=none sampling=2x2 quality=90
  if [ "$mode" = progressive ]; then
    il=JPEG sampling=1x1 quality=93
  fi
  convert "$in" -alpha off -colorspace sRGB -type TrueColor -depth 8 -strip \
    +set date:create +set date:modify -sampling-factor $sampling -quality $quality \
    -interlace "$il" "JPEG:$OUT/$out"
}

# Text width in pixels, for placing things next to a string.
textw() { convert -font "$1" -pointsize "$2" label:"$3" -format %w info:; }

# Shield mark on a transparent 240x288 canvas (drawn at 2.4x of a 100x120 design).
# $1 = rim colour, $2 = output file.
shield() {
  convert -size 240x288 xc:none -draw "scale 2.4,2.4
      fill '$1' path 'M 50,2 L 96,18 L 96,56 C 96,88 76,108 50,118 C 24,108 4,88 4,56 L 4,18 Z'
      fill '$GREEN' path 'M 50,13 L 86,26 L 86,56 C 86,82 70,98 50,107 C 30,98 14,82 14,56 L 14,26 Z'
      fill none stroke white stroke-width 9 stroke-linecap round stroke-linejoin round
      polyline 31,58 45,72 70,44" "$2"
}
shield white "$TMP/shield-light.png"
shield "$TEAL_TOP" "$TMP/shield-teal.png"

# ---- Header band 752x145. The top-right corner stays a plain vertical gradient:
# the minimise and close buttons are cut from it so they blend in.
NAME_W=$(textw "$BOLD" 40 "탈로 ")
PILL_W=$(textw "$BOLD" 14 "설치 도우미")
convert -size 752x145 "gradient:$TEAL_TOP-$TEAL_BOT" -gravity NorthWest \
  -fill 'rgba(255,255,255,0.06)' -draw "circle 660,330 660,58" \
  -fill 'rgba(255,255,255,0.05)' -draw "circle 560,360 560,84" \
  \( "$TMP/shield-light.png" -resize x92 \) -geometry +34+24 -composite \
  -font "$BOLD" -pointsize 40 -fill white -annotate +122+30 "탈로" \
  -fill "$GREEN_LIGHT" -annotate +$((122 + NAME_W))+30 "FREE" \
  -font "$REG" -pointsize 16 -fill '#d6eef0' -annotate +124+88 "우리 가족을 위한 무료 유해차단 프로그램" \
  -fill none -stroke 'rgba(255,255,255,0.75)' -strokewidth 1.2 -draw "roundrectangle $((704 - PILL_W)),52 724,78 13,13" \
  -stroke none -font "$BOLD" -pointsize 14 -fill white -annotate +$((714 - PILL_W))+56 "설치 도우미" \
  -fill "$GREEN" -draw "rectangle 0,141 751,144" \
  "$TMP/header.miff"
jpeg baseline "$TMP/header.miff" header.jpg

# ---- Footer band 752x66.
convert -size 752x66 "gradient:$TEAL_BOT-$TEAL_DARK" \
  -gravity North -font "$REG" -pointsize 13 \
  -fill '#e4f2f3' -annotate +0+15 "© 탈로 FREE · 무료 유해정보 차단 서비스" \
  -fill '#9cc3c8' -pointsize 12 -annotate +0+37 "도움이 필요하면 프로그램의 '도움말' 메뉴를 눌러 주세요." \
  "$TMP/footer.miff"
jpeg baseline "$TMP/footer.miff" footer.jpg

# ---- Title bar buttons. The window draws the header at (-1,-1) and the buttons at
# (686,5) and (718,5), so their backgrounds are the header pixels at (687,6) and (719,6).
# Only the left 29 columns are visible; glyphs are centred on column 14, row 8.
MINUS="line 10,8 18,8"
CROSS="line 10,4 18,12 line 18,4 10,12"
button() { # $1 = name, $2 = normal width, $3 = hover/pressed width, $4 = header x, $5 = glyph
  local base=("$TMP/header.miff" -crop "$3x16+$4+6" +repage -stroke white -strokewidth 1.6 -fill none)
  convert "${base[@]}" -draw "$5" -crop "$2x16+0+0" +repage "$TMP/b.miff"
  jpeg progressive "$TMP/b.miff" "$1_normal.jpg"
  convert "${base[@]}" -stroke none -fill 'rgba(255,255,255,0.22)' -draw "roundrectangle 1,0 27,15 4,4" \
    -stroke white -fill none -draw "$5" "$TMP/b.miff"
  jpeg progressive "$TMP/b.miff" "$1_hover.jpg"
  convert "${base[@]}" -stroke none -fill 'rgba(0,0,0,0.30)' -draw "roundrectangle 1,0 27,15 4,4" \
    -stroke '#d8e8ea' -fill none -draw "translate 1,1 $5" "$TMP/b.miff"
  jpeg progressive "$TMP/b.miff" "$1_pressed.jpg"
}
button close 29 29 719 "$CROSS"
button min 30 31 687 "$MINUS"

# ---- Install dialog background 520x314. The panel covers (11,115)-(449,286); the
# progress bar reaches x 490, so the card continues under it to x 507 here.
convert -size 520x314 "xc:$CARD" -gravity NorthWest \
  \( -size 520x44 "gradient:$TEAL_TOP-$TEAL_BOT" \) -geometry +0+0 -composite \
  -fill "$GREEN" -draw "rectangle 0,44 519,45" \
  \( "$TMP/shield-light.png" -resize x26 \) -geometry +14+9 -composite \
  -font "$BOLD" -pointsize 17 -fill white -annotate +42+12 "탈로 FREE 설치" \
  -pointsize 16 -fill "$INK" -annotate +22+62 "탈로 FREE 프로그램을 설치합니다." \
  -font "$REG" -pointsize 12.5 -fill "$GREY" -annotate +22+88 "설치가 끝날 때까지 창을 닫지 말고 잠시 기다려 주세요." \
  -fill white -stroke "$LINE" -draw "roundrectangle 11,115 507,285 8,8" \
  -fill none -stroke "$LINE" -draw "rectangle 0,0 519,313" \
  "$TMP/install.miff"
jpeg baseline "$TMP/install.miff" install_bg.jpg

# ---- Inner panels 490x171; only the left 438 columns show. The progress bar and the
# percentage label are drawn over the lower part, which stays plain. The card runs on
# past the visible columns (the background continues it), so its content is centred
# on the whole card, 29 pixels right of the panel's middle.
panel() { # $1 = output, $2 = icon drawing, $3 = first line, $4 = second line
  convert -size 438x171 "xc:$CARD" \
    -fill white -stroke "$LINE" -draw "roundrectangle 0,0 480,170 8,8" -stroke none \
    -draw "$2" \
    -gravity North -font "$BOLD" -pointsize 15 -fill "$INK" -annotate +29+58 "$3" \
    -font "$REG" -pointsize 13 -fill "$GREY" -annotate +29+84 "$4" \
    -gravity NorthWest -background "$CARD" -extent 490x171 "$TMP/panel.miff"
  jpeg baseline "$TMP/panel.miff" "$1"
}
panel panel_wait.jpg "fill '#d9ecee' circle 248,32 248,14 fill '$TEAL_TOP'
    circle 240,32 240,34.3 circle 248,32 248,34.3 circle 256,32 256,34.3" \
  "사용자 인증 중입니다." "잠시만 기다려 주세요..."
panel panel_signed.jpg "fill '$GREEN' circle 248,32 248,14 fill none stroke white
    stroke-width 3.5 stroke-linecap round stroke-linejoin round polyline 239,32 245,38 257,26" \
  "인증되었습니다." "설치 파일을 내려받고 있습니다."

# ---- Application icon: 16, 32 and 48 pixel images of the shield.
convert "$TMP/shield-teal.png" -resize x256 -gravity center -background none -extent 256x256 \
  -strip -define icon:auto-resize=48,32,16 "$ROOT/src/res/app.ico"

# ---- Check what was written.
check() { # $1 = file, $2 = width x height, $3 = interlace
  local got
  got=$(identify -format '%wx%h %[colorspace] %[channels] %z %[interlace]' "$OUT/$1")
  [ "$got" = "$2 sRGB srgb 8 $3" ] || { echo "$1: got '$got', want '$2 sRGB srgb 8 $3'" >&2; exit 1; }
}
check header.jpg 752x145 None;          check footer.jpg 752x66 None
check close_normal.jpg 29x16 JPEG;      check close_hover.jpg 29x16 JPEG
check close_pressed.jpg 29x16 JPEG;     check min_normal.jpg 30x16 JPEG
check min_hover.jpg 31x16 JPEG;         check min_pressed.jpg 31x16 JPEG
check install_bg.jpg 520x314 None
check panel_signed.jpg 490x171 None;    check panel_wait.jpg 490x171 None
[ "$(identify -format '%wx%h ' "$ROOT/src/res/app.ico")" = "48x48 32x32 16x16 " ] \
  || { echo "app.ico: wrong image sizes" >&2; exit 1; }
echo "skin written to $OUT and icon to $ROOT/src/res/app.ico"
