# shellcheck shell=bash
# What the test scripts share (sourced). A test goes on after a failure, so
# that one run reports every fault it finds.
#
#   fail MESSAGE...   prints "FAIL: MESSAGE" and sets $failed to 1
#   test_work         $work: a new directory under $TMPDIR, removed when the
#                     script exits
#   test_end MESSAGE  prints MESSAGE when nothing failed, and exits with
#                     $failed

failed=0

fail() {
    echo "FAIL: $*"
    failed=1
}

test_work() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/$(basename "$0" .sh).XXXXXX") || exit 1
    trap 'rm -rf "$work"' EXIT
}

test_end() {
    [ "$failed" = 0 ] && echo "$*"
    exit "$failed"
}
