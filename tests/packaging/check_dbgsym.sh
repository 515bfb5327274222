#!/usr/bin/env bash
# orvane-dbgsym holds the program's debug information where gdb finds it by build ID, so a
# crash report from the installed program can be read; lintian finds nothing in either
# package. Reads the .debs packaging_deb wrote.
# usage: check_dbgsym.sh DEB_DIR
set -uo pipefail
debs=$1
for tool in dpkg-deb readelf gdb lintian; do
  command -v $tool >/dev/null || { echo "FAIL: $tool not installed (./dev installs it)"; exit 1; }
done
main=("$debs"/orvane_1.0_*.deb) dbgsym=("$debs"/orvane-dbgsym_1.0_*.deb)
[ -f "${main[0]}" ] && [ -f "${dbgsym[0]}" ] || { ls "$debs"; echo "FAIL: no orvane and orvane-dbgsym .deb in $debs"; exit 1; }
root=$debs/dbgsym
rm -rf "$root" && mkdir -p "$root/main" "$root/dbgsym"
dpkg-deb -x "${main[0]}" "$root/main" && dpkg-deb -x "${dbgsym[0]}" "$root/dbgsym" || { echo "FAIL: dpkg-deb -x"; exit 1; }
fail=0
bad() { echo "FAIL: $*"; fail=1; }

field() { dpkg-deb -f "${dbgsym[0]}" "$1"; }
[ "$(field Package)" = orvane-dbgsym ] || bad "Package is $(field Package)"
[ "$(field Section)" = debug ] || bad "Section is $(field Section)"
[ "$(field Depends)" = "orvane (= 1.0)" ] || bad "Depends is '$(field Depends)', not exactly this orvane"
[ "$(readlink "$root/dbgsym/usr/share/doc/orvane-dbgsym")" = orvane ] || bad "usr/share/doc/orvane-dbgsym is no link to orvane's"

bin=$root/main/usr/bin/orvane
build_id=$(readelf -n "$bin" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
[ -n "$build_id" ] || bad "usr/bin/orvane has no build ID"
files=$(cd "$root/dbgsym" && find . -type f | sed 's|^\./||')
[ "$files" = "usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug" ] \
  || bad "orvane-dbgsym holds '$files', not the file for build ID $build_id"
readelf -S "$bin" | grep -q '\.debug_info' && bad "usr/bin/orvane still has debug information"

# What a crash report needs: gdb, looking up by build ID alone, names the function and
# its source line. Without the package it finds neither.
lookup() {
  env -u DEBUGINFOD_URLS gdb -batch -nx -iex "set debug-file-directory $1" -ex 'info line main' "$bin" 2>&1
}
with=$(lookup "$root/dbgsym/usr/lib/debug")
without=$(lookup "$root/none")
echo "gdb with orvane-dbgsym: $with"
echo "gdb without it: $without"
grep -qE 'Line [0-9]+ of ".*main\.cpp"' <<<"$with" || bad "gdb did not find main's source line through the build ID"
grep -qE 'Line [0-9]+ of' <<<"$without" && bad "gdb found lines without the debug package: the test proves nothing"

# Both packages lintian-clean: no errors and no warnings.
for deb in "${main[0]}" "${dbgsym[0]}"; do
  out=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'root privileges'); rc=$?
  echo "lintian $(basename "$deb"):"; sed 's/^/  /' <<<"${out:-(nothing)}"
  grep -qE '^[EW]: ' <<<"$out" && bad "lintian reports errors or warnings for $(basename "$deb")"
done
exit $fail
