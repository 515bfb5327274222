#!/usr/bin/env bash
# The desktop entry and the AppStream file pass their validators. Both tools can
# report a problem and still exit 0, so their output is read as well.
# usage: check_metadata.sh PACKAGING_DIR
set -uo pipefail
dir=$1
id=example.vellix.Orvane
desktop=$dir/$id.desktop
metainfo=$dir/$id.metainfo.xml
fail=0
bad() { echo "FAIL: $*"; fail=1; }

for tool in desktop-file-validate appstreamcli; do
  command -v $tool >/dev/null || { echo "FAIL: $tool not installed (./dev installs it)"; exit 1; }
done

# Silent on success; "error (will be fatal in the future)" exits 0.
out=$(desktop-file-validate "$desktop" 2>&1); rc=$?
echo "desktop-file-validate: rc=$rc"; [ -n "$out" ] && echo "$out"
[ $rc -eq 0 ] || bad "desktop-file-validate exited $rc"
[ -z "$out" ] || bad "desktop-file-validate reported problems"

# Infos are allowed (the id's top level, "example", is a reserved name, not a known one).
out=$(appstreamcli validate --no-net "$metainfo" 2>&1); rc=$?
echo "appstreamcli validate --no-net: rc=$rc"; echo "$out"
[ $rc -eq 0 ] || bad "appstreamcli exited $rc"
grep -qE '^[EW]: ' <<<"$out" && bad "appstreamcli reported errors or warnings"
grep -q 'Validation was successful' <<<"$out" || bad "appstreamcli did not report success"

# The fields the menu and the software centre rely on.
field() { grep -m1 "^$1=" "$desktop" | cut -d= -f2-; }
[ "$(field Exec)" = orvane ] || bad "Exec is '$(field Exec)', not orvane"
[ "$(field Icon)" = orvane ] || bad "Icon is '$(field Icon)', not the bare name orvane"
[ "$(field Type)" = Application ] || bad "Type is not Application"
grep -q "<id>$id</id>" "$metainfo" || bad "metainfo id is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || bad "metainfo does not launch $id.desktop"
grep -q '<release version="1.0" date="[0-9-]\{10\}"' "$metainfo" || bad "no dated 1.0 release"
exit $fail
