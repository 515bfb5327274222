#!/usr/bin/env bash
# Compares an installed tree with the files it must hold, and checks those files.
# usage: check_tree.sh ROOT SOURCE_DIR EXPECTED_PATH...
set -uo pipefail
root=$1 src=$2; shift 2
fail=0
bad() { echo "FAIL: $*"; fail=1; }

want=$(printf '%s\n' "$@" | sort)
have=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort)
if [ "$want" != "$have" ]; then
  bad "installed files differ from the expected list"
  diff <(echo "$want") <(echo "$have") | sed 's/^</  missing:/; s/^>/  extra:  /' | grep -E 'missing|extra'
fi

bin=$root/usr/bin/orvane
[ -x "$bin" ] || bad "usr/bin/orvane is not executable"
file -b "$bin" | grep -q 'ELF.*executable' || bad "usr/bin/orvane is not an ELF program: $(file -b "$bin")"

for size in 16 32 48 64 128 256; do
  png=$root/usr/share/icons/hicolor/${size}x${size}/apps/orvane.png
  [ -f "$png" ] || continue
  file -b "$png" | grep -q "PNG image data, $size x $size" \
    || bad "icon in ${size}x${size} is $(file -b "$png")"
  cmp -s "$png" "$src/assets/icon_$size.png" || bad "icon in ${size}x${size} is not assets/icon_$size.png"
done
cmp -s "$root/usr/share/icons/hicolor/scalable/apps/orvane.svg" "$src/assets/orvane.svg" \
  || bad "scalable icon is not assets/orvane.svg"

changelog=$root/usr/share/doc/orvane/changelog.gz
if [ -f "$changelog" ]; then
  gzip -t "$changelog" || bad "changelog.gz is not gzip"
  zcat "$changelog" | head -1 | grep -q '^orvane (1.0)' || bad "changelog does not start with orvane (1.0)"
fi
grep -q 'Copyright: 2026 The Orvane developers' "$root/usr/share/doc/orvane/copyright" 2>/dev/null \
  || bad "copyright file lacks the copyright line"
[ $fail -eq 0 ] && echo "tree under $root holds the ${#@} expected files"
exit $fail
