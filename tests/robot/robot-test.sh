#!/bin/bash
# One test of the UI robot:
#   robot-test.sh STATUS SCRIPT TARGET EMULATOR UIROBOT [OPTIONS...] -- TARGET [ARGS...]
# runs UIROBOT (through EMULATOR) with SCRIPT and passes when it exits with
# STATUS and its transcript (code page 1252, compared here as UTF-8) has:
#   "#= TEXT" lines of SCRIPT: each TEXT within some line, in that order
#   "#! TEXT" lines: no line with TEXT
#   "#@ kept": TARGET (a path) still runs once the robot is gone, and ends by
#              itself within 15 s
# The transcript is kept beside the test as SCRIPT's name with .transcript.
set -uo pipefail

want=$1 script=$2 target=$3 emulator=$4 robot=$5
shift 5
name=$(basename "$script" .txt)
raw=$name.transcript.cp1252
out=$name.transcript

# Output to a file, not a pipe: a target left running keeps the robot's
# descriptors (see uirobot --keep).
"$emulator" "$robot" --script "$script" "$@" >"$raw" 2>&1
status=$?
iconv -f CP1252 -t UTF-8 "$raw" >"$out" || exit 1
cat "$out"
echo "----"

# shellcheck source=tests/support/common.sh
source "$(dirname "$0")/../support/common.sh"

[ "$status" = "$want" ] || fail "uirobot exited with $status, expected $want"

# The target's Unix process shows its Windows path.
target_running() {
    ps -eo stat=,args= | WINDOWS_PATH="Z:${target//\//\\}" \
        awk '$1 !~ /^Z/ && index($0, ENVIRON["WINDOWS_PATH"]) { found = 1 } END { exit !found }'
}

# shellcheck source=tests/e2e/transcript.sh
source "$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../e2e/transcript.sh" || exit 1
check_transcript "$script" "$out"
if grep -qx '#@ kept' "$script"; then
    if ! target_running; then
        fail "the target did not keep running"
    else
        for _ in $(seq 150); do
            target_running || break
            sleep 0.1
        done
        target_running && fail "the kept target did not end by itself"
    fi
fi

test_end "robot-test: $name passed"
