#!/usr/bin/env bash
# The packaged program carries the protections Debian's packages get and no trace of the
# folder it was built in. Reads the .debs packaging_deb wrote.
# usage: check_hardening.sh DEB_DIR BUILD_DIR SOURCE_DIR
set -uo pipefail
debs=$1 build=$2 src=$3
for tool in hardening-check dpkg-deb readelf objdump strings; do
  command -v $tool >/dev/null || { echo "FAIL: $tool not installed (./dev installs it)"; exit 1; }
done
main=("$debs"/orvane_1.0_*.deb) dbgsym=("$debs"/orvane-dbgsym_1.0_*.deb)
[ -f "${main[0]}" ] && [ -f "${dbgsym[0]}" ] || { ls "$debs"; echo "FAIL: no orvane and orvane-dbgsym .deb in $debs"; exit 1; }
root=$debs/hardening
rm -rf "$root" && mkdir -p "$root"
dpkg-deb -x "${main[0]}" "$root" && dpkg-deb -x "${dbgsym[0]}" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
bin=$root/usr/bin/orvane
fail=0
bad() { echo "FAIL: $*"; fail=1; }

report=$(hardening-check "$bin" 2>&1)
echo "$report"
# Debian 12's own start-up files (Scrt1.o, crti.o) carry no IBT/SHSTK note, so the linker
# marks no program built on it, dpkg's own included; what our code can have, it must.
while IFS= read -r line; do
  case $line in
    *"Control flow integrity: no"*) ;;
    *": no"*) bad "hardening-check:$line" ;;
  esac
done <<<"$report"

build_id=$(readelf -n "$bin" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
debug=$root/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug
[ -f "$debug" ] || { echo "FAIL: no debug information for build ID '$build_id'"; exit 1; }
# Every function of ours starts with endbr64 (-fcf-protection); main stands for them.
main_addr=$(readelf -sW "$debug" 2>/dev/null | awk '$4 == "FUNC" && $8 == "main" {print $2; exit}')
[ -n "$main_addr" ] || bad "no main in the debug symbols"
first=$(objdump -d --start-address=0x$main_addr --stop-address=$((0x$main_addr + 4)) "$bin" | grep -c endbr64)
[ "$first" = 1 ] || bad "main does not start with endbr64: no -fcf-protection"
# Each compile unit records its code generation flags. Stack clash protection only shows
# in functions with large frames, which we may not have, so it is read here.
producers=$(readelf --debug-dump=info "$debug" 2>/dev/null | grep DW_AT_producer | sed 's/.*): //' | sort -u)
[ -n "$producers" ] || bad "no compile units in the debug information"
while IFS= read -r producer; do
  for flag in -O2 -fstack-protector-strong -fstack-clash-protection -fcf-protection; do
    grep -q -- "$flag" <<<"$producer" || bad "a compile unit lacks $flag: $producer"
  done
done <<<"$producers"

# No absolute build path (debug information, __FILE__) in the program or its symbols; the
# packaged debug information is compressed, so the build tree's unstripped program is read.
for f in "$bin" "$build/app/orvane"; do
  for dir in "$src" "$build"; do
    hits=$(strings -a "$f" | grep -cF "$dir")
    [ "$hits" = 0 ] && continue
    bad "$f names $dir $hits times:"
    strings -a "$f" | grep -F "$dir" | head -5
  done
done
[ $fail -eq 0 ] && echo "hardened, and no build paths"
exit $fail
