#!/bin/bash
# Two runs that need a fresh prefix at once, with no template yet: one builds
# the template, the other waits and copies it whole (the builds are played by
# a stand-in that takes a second and notes any overlap).
#
#   template-lock-test.sh SOURCE_ROOT
set -uo pipefail

root=$(readlink -f "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=scripts/wine-prefix.sh
source "$root/scripts/wine-prefix.sh"

wine_pick_loader() { wine_loader=/bin/true; }
wine_template_stamp() { echo "stand-in stamp"; }
wine_stop_server() { :; }
wine_build_template() {
    mkdir "$work/building" 2>/dev/null || echo overlap >>"$work/overlaps"
    echo "$BASHPID" >>"$work/builds"
    sleep 1
    mkdir -p "$1/drive_c"
    wine_template_stamp >"$1/.template-stamp"
    rmdir "$work/building" 2>/dev/null
}

template=$work/prefix.template
wine_fresh_prefix "$work/one" "$template" &
first=$!
wine_fresh_prefix "$work/two" "$template" &
second=$!
if ! wait "$first" || ! wait "$second"; then
    echo "FAIL: a fresh prefix was not made"
    exit 1
fi

failures=0
builds=$(wc -l <"$work/builds")
[ "$builds" -eq 1 ] || { echo "FAIL: the template was built $builds times, expected once"; failures=$((failures + 1)); }
[ ! -e "$work/overlaps" ] || { echo "FAIL: two builds of the template overlapped"; failures=$((failures + 1)); }
for prefix in one two; do
    if [ ! -f "$work/$prefix/.template-stamp" ] || [ ! -d "$work/$prefix/drive_c" ]; then
        echo "FAIL: prefix $prefix is not a whole copy of the template"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || exit 1
echo "template-lock: built once, both prefixes copied"
