#!/usr/bin/env bash
# cmake --install puts exactly the program, its menu entry, its metadata, its icons and
# its Debian documents under the prefix: nothing of the demo, the stub or the tests.
# usage: check_install.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -uo pipefail
build=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/usr" >"$scratch.log" 2>&1 \
  || { cat "$scratch.log"; echo "FAIL: cmake --install"; exit 1; }

expected=(
  usr/bin/orvane
  usr/share/applications/example.vellix.Orvane.desktop
  usr/share/metainfo/example.vellix.Orvane.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/orvane.svg
  usr/share/doc/orvane/copyright
  usr/share/doc/orvane/changelog.gz
  usr/share/man/man1/orvane.1.gz
)
for size in 16 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x${size}/apps/orvane.png")
done
exec "$(dirname "$0")/check_tree.sh" "$scratch" "$src" "${expected[@]}"
