#!/usr/bin/env bash
# cmake --install puts exactly the program, its menu entry, its metadata, its icons and
# its Debian documents under the prefix: nothing of the demo, the stub or the tests.
# usage: check_install.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -uo pipefail
build=$1 src=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
cmake --install "$build" --prefix "$scratch/usr" >"$scratch.log" 2>&1 \
  || { cat "$scratch.log"; echo "FAIL: cmake --install"; exit 1; }

source "$(dirname "$0")/installed_files.sh"
exec "$(dirname "$0")/check_tree.sh" "$scratch" "$src" "${expected[@]}"
