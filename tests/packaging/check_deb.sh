#!/usr/bin/env bash
# Builds the .deb from the current build into a scratch folder, unpacks it, checks its
# files and control fields, and runs lintian on it: errors fail, warnings are shown.
# usage: check_deb.sh BUILD_DIR SOURCE_DIR SCRATCH_DIR
set -uo pipefail
build=$1 src=$2 scratch=$3
here=$(dirname "$0")
for tool in cpack dpkg-deb lintian fakeroot file; do
  command -v $tool >/dev/null || { echo "FAIL: $tool not installed (./dev installs it)"; exit 1; }
done
rm -rf "$scratch" && mkdir -p "$scratch"
cpack --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 \
  || { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$scratch"/orvane_1.0_*.deb)
[ -f "${debs[0]}" ] || { ls "$scratch"; echo "FAIL: cpack made no orvane_1.0_*.deb"; exit 1; }
deb=${debs[0]}
fail=0
bad() { echo "FAIL: $*"; fail=1; }

dpkg-deb -x "$deb" "$scratch/root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
source "$(dirname "$0")/installed_files.sh"
"$here/check_tree.sh" "$scratch/root" "$src" "${expected[@]}" || fail=1
file -b "$scratch/root/usr/bin/orvane" | grep -q 'not stripped' && bad "usr/bin/orvane is not stripped"

field() { dpkg-deb -f "$deb" "$1"; }
echo "Depends: $(field Depends)"
echo "Recommends: $(field Recommends)"
[ "$(field Package)" = orvane ] || bad "Package is $(field Package)"
[ "$(field Version)" = 1.0 ] || bad "Version is $(field Version)"
[ "$(field Section)" = net ] || bad "Section is $(field Section)"
field Maintainer | grep -q '<.*@.*>' || bad "Maintainer has no address"
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libcurl4 libjpeg62-turbo libc6; do
  field Depends | grep -q "$lib" || bad "Depends lacks $lib (shlibdeps)"
done
field Recommends | grep -q 'fonts-wqy-microhei | fonts-noto-cjk' || bad "Recommends lacks the CJK fonts"
[ -n "$(field Description | sed -n 2p)" ] || bad "Description has no long part"

# Its output is kept for the report; only errors fail the test (exit status 2 with the
# default --fail-on error). Any other status is lintian itself failing: no verdict at all.
lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.txt" 2>&1
status=$?
echo "lintian (exit status $status):"; sed 's/^/  /' "$scratch/lintian.txt"
case $status in 0 | 2) ;; *) bad "lintian did not run (exit status $status)" ;; esac
{ [ $status -eq 2 ] || grep -q '^E: ' "$scratch/lintian.txt"; } && bad "lintian reports errors"
exit $fail
