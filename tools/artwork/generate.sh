#!/usr/bin/env bash
# Regenerates every file in assets/ from the drawing code in this folder.
#
# Needs (Debian 12): cmake, ninja-build, g++, qt6-base-dev (QPainter, JPEG/PNG writers),
# fonts-wqy-microhei (Chinese texts) and fonts-dejavu-core (Latin texts), and
# imagemagick (joins the GIF frames, builds orvane.ico, checks the results).
#   apt-get install -y cmake ninja-build g++ qt6-base-dev fonts-wqy-microhei fonts-dejavu-core imagemagick
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
assets="$repo/assets"
build="${ARTWORK_BUILD_DIR:-$repo/build-art}"

need() {
  command -v "$1" > /dev/null || { echo "generate.sh: '$1' not found; install $2" >&2; exit 1; }
}
need cmake cmake
need identify imagemagick
# Debian's own ImageMagick 6; the plain name may be a wrapper earlier on PATH.
convert=/usr/bin/convert
[ -x "$convert" ] || convert="$(command -v convert)" || { echo "generate.sh: install imagemagick" >&2; exit 1; }
fc-list : family | grep -i 'WenQuanYi Micro Hei' > /dev/null || { echo "generate.sh: install fonts-wqy-microhei" >&2; exit 1; }
fc-list : family | grep -i 'DejaVu Sans' > /dev/null || { echo "generate.sh: install fonts-dejavu-core" >&2; exit 1; }

generator=()
command -v ninja > /dev/null && generator=(-G Ninja)
cmake -S "$here" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j2 > /dev/null

frames="$(mktemp -d)"
trap 'rm -rf "$frames"' EXIT
mkdir -p "$assets"
"$build/orvane-artwork" "$assets" "$frames"

# 70 ms a frame, endless loop; each frame replaces the last (dispose to background),
# so transparent pixels never show the frame before.
for name in loading loading@2x checking checking@2x; do
  "$convert" -delay 7 -dispose Background "$frames/$name"/*.png -loop 0 "$assets/$name.gif"
done

"$convert" "$assets"/icon_{256,64,48,32,16}.png "$assets/orvane.ico"

# Resource file: everything above under the /assets prefix.
{
  echo '<!DOCTYPE RCC>'
  echo '<RCC version="1.0">'
  echo '<qresource prefix="/assets">'
  (cd "$assets" && ls -1 ./*.jpg ./*.gif ./*.png ./*.ico ./*.svg | sed 's|^\./||' | LC_ALL=C sort |
    sed 's|.*|    <file>&</file>|')
  echo '</qresource>'
  echo '</RCC>'
} > "$assets/assets.qrc"

# Checks: sizes, baseline RGB JPEGs, GIF frame counts, delays and loop.
fail=0
expect() {
  local file="$1" want="$2" got
  got="$(identify -format '%wx%h\n' "$assets/$file" | head -n1)"
  [ "$got" = "$want" ] || { echo "size of $file: $got, want $want" >&2; fail=1; }
}
while read -r name w h; do
  expect "$name.jpg" "${w}x${h}"
  expect "$name@2x.jpg" "$((w * 2))x$((h * 2))"
  for f in "$name.jpg" "$name@2x.jpg"; do
    info="$(identify -format '%[colorspace] %[channels] %[interlace]' "$assets/$f")"
    case "$info" in
      "sRGB srgb None") ;;
      *) echo "$f: $info (want baseline sRGB)" >&2; fail=1 ;;
    esac
  done
done << 'LIST'
background 850 550
banner 850 80
search 91 35
search_hover 91 35
close 35 24
close_hover 35 24
minimize 35 24
minimize_hover 35 24
connection_problem 500 150
nothing_found 500 150
LIST
while read -r name w h n; do
  for v in "" "@2x"; do
    s=1; [ -n "$v" ] && s=2
    f="$name$v.gif"
    expect "$f" "$((w * s))x$((h * s))"
    got="$(identify -format '%T\n' "$assets/$f" | sort -u | tr '\n' ' ')"
    count="$(identify -format '%s\n' "$assets/$f" | wc -l)"
    [ "$got" = "7 " ] && [ "$count" = "$n" ] || { echo "$f: delays '$got' frames $count" >&2; fail=1; }
    "$convert" "$assets/$f[0]" -format '%[opaque]' info: | grep -q false ||
      { echo "$f: no transparency" >&2; fail=1; }
  done
done << 'LIST'
loading 146 95 15
checking 24 24 12
LIST
[ "$(identify "$assets/orvane.ico" | wc -l)" = 5 ] || { echo "orvane.ico: want 5 images" >&2; fail=1; }
[ "$fail" = 0 ] && echo "assets regenerated in $assets"
exit "$fail"
